// POSIX only: child processes with fork and exec, command lines split by the
// Windows rules.
//
// Every descriptor this file opens is close-on-exec: a descriptor reaches a
// child only as one of its standard handles, through dup2 in the child. So
// the inherited end of a pipe needs no flag here, and a child started on
// another thread at the same moment can never keep a pipe open by accident.
#include "platform/process.h"
#include "platform/cmdline.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/unicode.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

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

// As on Windows, the program is looked up from the caller's directory, not
// the child's; it is made absolute because the child changes directory
// before it executes it.
std::optional<std::string> absolute_program(const std::string& windowsName) {
    std::optional<std::string> program = resolve_program(windowsName);
    if (!program || (*program)[0] == '/') return program;
    char cwd[limits::posix_path_bytes];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return std::nullopt;
    return std::string(cwd) + "/" + *program;
}

// The descriptors that become the child's standard input, output and error.
struct StandardFds {
    int fds[3] = {-1, -1, -1};
    OwnedHandle nullDevice;  // opened only when a stream asks for it
};

bool choose_stream(const ChildStream& stream, int target, bool inherits, StandardFds& chosen) {
    switch (stream.from) {
        case ChildStream::From::caller:
            chosen.fds[target] = target;
            return true;
        case ChildStream::From::handle:
            // Windows hands a handle over only by inheritance; the same rule
            // holds here, so that a caller behaves alike on both.
            if (!inherits || stream.handle == nullptr || !stream.handle->valid()) return false;
            chosen.fds[target] = static_cast<int>(stream.handle->native());
            return true;
        case ChildStream::From::nothing:
            break;
    }
    // A process without descriptor 0, 1 or 2 would hand that number to the
    // next file it opens; the null device is the safe "nothing".
    if (!chosen.nullDevice.valid()) chosen.nullDevice.reset(::open("/dev/null", O_RDWR | O_CLOEXEC));
    chosen.fds[target] = static_cast<int>(chosen.nullDevice.native());
    return chosen.nullDevice.valid();
}

bool choose_standard_fds(const ChildStart& start, StandardFds& chosen) {
    ChildStdio stdio;
    if (start.stdio)
        stdio = *start.stdio;
    else if (start.console == ChildConsole::shared)
        stdio = {ChildStream::caller(), ChildStream::caller(), ChildStream::caller()};
    bool inherits = start.inheritHandles;
    return choose_stream(stdio.input, 0, inherits, chosen) && choose_stream(stdio.output, 1, inherits, chosen) &&
           choose_stream(stdio.error, 2, inherits, chosen);
}

// What the child sends back through the report pipe when it cannot exec.
struct ExecFailure {
    ProcessStep step;
    int error;
};

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void fail_in_child(int reportFd, ProcessStep step) {
    int error = errno;
    // The padding goes through the pipe too: it must not be left undefined.
    ExecFailure failure;
    std::memset(&failure, 0, sizeof failure);
    failure.step = step;
    failure.error = error;
    (void)!::write(reportFd, &failure, sizeof failure);
    ::_exit(127);
}

struct ExecPlan {
    const char* program;
    char** argv;
    const char* directory;  // empty: stay
    int fds[3];
    bool closeOthers;
};

[[noreturn]] void exec_child(const ExecPlan& plan, int reportFd) {
    // Every source moves above 2 first, so that placing one standard handle
    // can never overwrite the source of another.
    int moved[3];
    for (int target = 0; target < 3; ++target) {
        moved[target] = plan.fds[target] == target ? target : ::fcntl(plan.fds[target], F_DUPFD_CLOEXEC, 3);
        if (moved[target] < 0) fail_in_child(reportFd, ProcessStep::standard_handles);
    }
    for (int target = 0; target < 3; ++target) {
        // A handle the caller lacks itself stays missing, as on Windows.
        if (moved[target] == target)
            ::fcntl(target, F_SETFD, 0);
        else if (::dup2(moved[target], target) < 0)
            fail_in_child(reportFd, ProcessStep::standard_handles);
    }
    if (plan.directory[0] != '\0' && ::chdir(plan.directory) != 0) fail_in_child(reportFd, ProcessStep::start);
    if (plan.closeOthers) {
        // Descriptors that this process itself inherited without
        // close-on-exec; failures leave only those open.
        if (reportFd > 3) ::close_range(3, static_cast<unsigned>(reportFd - 1), 0);
        ::close_range(static_cast<unsigned>(reportFd + 1), ~0U, 0);
    }
    ::execv(plan.program, plan.argv);
    fail_in_child(reportFd, ProcessStep::start);
}

std::uint32_t exit_code_of(int status) {
    if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    return 1;
}

bool wait_for(pid_t pid, int& status) {
    pid_t result;
    do {
        result = ::waitpid(pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    return result == pid;
}

SystemError system_error(int error) {
    return {static_cast<std::uint32_t>(error), std::generic_category().message(error)};
}

// The report pipe closes on a successful exec and carries the failed step
// and the child's errno otherwise.
ProcessStep await_exec(pid_t pid, const OwnedHandle& report, SystemError& cause) {
    ExecFailure failure{};
    ssize_t got;
    do {
        got = ::read(static_cast<int>(report.native()), &failure, sizeof failure);
    } while (got < 0 && errno == EINTR);
    if (got == 0) return ProcessStep::none;
    int status = 0;
    wait_for(pid, status);
    if (got != static_cast<ssize_t>(sizeof failure)) return ProcessStep::start;
    if (failure.error != 0) cause = system_error(failure.error);
    return failure.step;
}

}  // namespace

void OwnedHandle::reset(std::intptr_t native) {
    if (valid() && native != native_) ::close(static_cast<int>(native_));
    native_ = native;
}

bool create_pipe(Pipe& pipe, InheritedEnd) {
    pipe.read.reset();
    pipe.write.reset();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    pipe.read.reset(fds[0]);
    pipe.write.reset(fds[1]);
    return true;
}

std::size_t read_pipe(const OwnedHandle& readEnd, void* buffer, std::size_t size) {
    if (!readEnd.valid()) return 0;
    ssize_t got;
    do {
        got = ::read(static_cast<int>(readEnd.native()), buffer, size);
    } while (got < 0 && errno == EINTR);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

OwnedHandle open_for_child(const std::string& path, FileAccess access) {
    std::string target = path.empty() ? "/dev/null" : native_path(path);
    int flags = access == FileAccess::read ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
    return OwnedHandle(::open(target.c_str(), flags | O_CLOEXEC, 0666));
}

ProcessStep start_child(const ChildStart& start, ChildProcess& child, SystemError& cause) {
    cause = {};
    if (child.running()) child.wait();
    std::vector<std::string> arguments = split_command_line(utf16_to_utf8(start.commandLine));
    if (arguments.empty()) return ProcessStep::start;
    std::optional<std::string> program = absolute_program(arguments[0]);
    if (!program) {
        // What exec would have said of a program that is not there.
        cause = system_error(ENOENT);
        return ProcessStep::start;
    }
    std::string directory = start.workingDirectory.empty() ? "" : native_path(utf16_to_utf8(start.workingDirectory));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    StandardFds chosen;
    errno = 0;  // a handle that is simply not open leaves no system error
    if (!choose_standard_fds(start, chosen)) {
        if (errno != 0) cause = system_error(errno);
        return ProcessStep::standard_handles;
    }
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        cause = system_error(errno);
        return ProcessStep::start;
    }
    OwnedHandle reportRead(report[0]);
    OwnedHandle reportWrite(report[1]);

    ExecPlan plan{program->c_str(),
                  argv.data(),
                  directory.c_str(),
                  {chosen.fds[0], chosen.fds[1], chosen.fds[2]},
                  !start.inheritHandles};
    pid_t pid = ::fork();
    if (pid == 0) exec_child(plan, report[1]);
    if (pid < 0) {
        cause = system_error(errno);
        return ProcessStep::start;
    }
    reportWrite.reset();
    ProcessStep step = await_exec(pid, reportRead, cause);
    if (step == ProcessStep::none) child.process_ = pid;
    return step;
}

ProcessOutcome ChildProcess::wait() {
    ProcessOutcome outcome;
    if (!running()) {
        outcome.failed = ProcessStep::wait;
        return outcome;
    }
    pid_t pid = static_cast<pid_t>(process_);
    process_ = none;
    outcome.started = true;
    int status = 0;
    if (!wait_for(pid, status)) {
        outcome.exitCode = 1;
        outcome.failed = ProcessStep::wait;
        return outcome;
    }
    outcome.exitCode = exit_code_of(status);
    return outcome;
}

std::uint32_t current_process_id() {
    return static_cast<std::uint32_t>(::getpid());
}

void kill_this_process() {
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);  // not reached: SIGKILL cannot be caught
}

void sleep_milliseconds(unsigned milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

}  // namespace platform
