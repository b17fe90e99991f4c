// POSIX only: child processes with fork and exec, command lines split by the
// Windows rules.
#include "../process.h"
#include "../cmdline.h"
#include "../files.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

bool is_executable_file(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool ends_with_exe(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

// The spellings under which a Windows program name may exist here: as
// given, and with ".exe" added or removed.
std::optional<std::string> first_executable(const std::string& base) {
    if (is_executable_file(base)) return base;
    std::string other = ends_with_exe(base) ? base.substr(0, base.size() - 4) : base + ".exe";
    if (is_executable_file(other)) return other;
    return std::nullopt;
}

// Windows looks for a program named without a directory in the current
// directory before the search path; a name with a directory is taken as is.
std::optional<std::string> resolve_program(const std::string& windowsName) {
    std::string name = native_path(windowsName);
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) return first_executable(name);
    if (auto found = first_executable("./" + name)) return found;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (!dir.empty())
            if (auto found = first_executable(dir + "/" + name)) return found;
        start = end + 1;
    }
    return std::nullopt;
}

int open_or_null(const std::string& path, int flags) {
    std::string target = path.empty() ? "/dev/null" : native_path(path);
    return ::open(target.c_str(), flags | O_CLOEXEC, 0666);
}

struct ChildSetup {
    std::string workingDirectory;
    std::string stdinPath, stdoutPath, stderrPath;
};

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void exec_child(const std::string& program, char** argv, const ChildSetup& setup,
                             int fds[3], int reportFd) {
    for (int target = 0; target < 3; ++target) {
        if (fds[target] < 0 || ::dup2(fds[target], target) < 0) {
            int error = errno;
            (void)!::write(reportFd, &error, sizeof error);
            ::_exit(127);
        }
    }
    if (!setup.workingDirectory.empty() && ::chdir(setup.workingDirectory.c_str()) != 0) {
        int error = errno;
        (void)!::write(reportFd, &error, sizeof error);
        ::_exit(127);
    }
    ::execv(program.c_str(), argv);
    int error = errno;
    (void)!::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

ProcessOutcome spawn_and_wait(const std::string& commandLine, const ChildSetup& setup) {
    ProcessOutcome outcome;
    std::vector<std::string> arguments = split_command_line(commandLine);
    if (arguments.empty()) return outcome;

    // As on Windows, the program is looked up from the caller's directory,
    // not the child's; it is made absolute because the child changes
    // directory before it executes it.
    std::optional<std::string> program = resolve_program(arguments[0]);
    if (!program) return outcome;
    if ((*program)[0] != '/') {
        char cwd[4096];
        if (::getcwd(cwd, sizeof cwd) == nullptr) return outcome;
        *program = std::string(cwd) + "/" + *program;
    }

    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int fds[3] = {open_or_null(setup.stdinPath, O_RDONLY),
                  open_or_null(setup.stdoutPath, O_WRONLY | O_CREAT | O_TRUNC),
                  open_or_null(setup.stderrPath, O_WRONLY | O_CREAT | O_TRUNC)};
    int report[2];
    bool ready = fds[0] >= 0 && fds[1] >= 0 && fds[2] >= 0 && ::pipe2(report, O_CLOEXEC) == 0;
    pid_t child = -1;
    if (ready) {
        child = ::fork();
        if (child == 0) exec_child(*program, argv.data(), setup, fds, report[1]);
    }
    for (int fd : fds)
        if (fd >= 0) ::close(fd);
    if (!ready) return outcome;
    ::close(report[1]);
    if (child < 0) {
        ::close(report[0]);
        return outcome;
    }

    // The report pipe closes on a successful exec and carries errno otherwise.
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (got > 0) return outcome;

    outcome.started = true;
    if (WIFEXITED(status))
        outcome.exitCode = static_cast<std::uint32_t>(WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        outcome.exitCode = 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    else
        outcome.exitCode = 1;
    return outcome;
}

}  // namespace

ProcessOutcome run_hidden(const std::string& commandLine) { return spawn_and_wait(commandLine, {}); }

ProcessOutcome run_redirected(const RedirectedRun& run) {
    ChildSetup setup{run.workingDirectory.empty() ? std::string() : native_path(run.workingDirectory),
                     run.stdinPath, run.stdoutPath, run.stderrPath};
    return spawn_and_wait(run.commandLine, setup);
}

std::uint32_t current_process_id() { return static_cast<std::uint32_t>(::getpid()); }

void sleep_milliseconds(unsigned milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

}  // namespace platform
