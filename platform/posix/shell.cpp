// POSIX only: Linux has no shell associations and no link files. A program
// file is started detached and hidden; any other file has no application
// that opens it. A link is a small text file naming what it holds.
#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include "platform/unicode.h"
#include "wpath.h"

namespace platform {

namespace {

constexpr std::intptr_t shell_file_not_found = 2;
constexpr std::intptr_t shell_access_denied = 5;
constexpr std::intptr_t shell_no_association = 31;
constexpr std::intptr_t shell_opened = 42;

// Starts the program in a grandchild that nobody waits for, as the shell
// leaves an opened program to itself; the pipe tells whether exec worked.
bool start_detached(const std::string& program, const std::string& directory) {
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) return false;
    pid_t child = ::fork();
    if (child < 0) {
        ::close(status[0]);
        ::close(status[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(127);
        char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
        ::execv(program.c_str(), arguments);
        char failed = 1;
        (void)!::write(status[1], &failed, 1);
        ::_exit(127);
    }
    ::close(status[1]);
    int reaped = 0;
    while (::waitpid(child, &reaped, 0) < 0 && errno == EINTR) {
    }
    char failed = 0;
    ssize_t got;
    while ((got = ::read(status[0], &failed, 1)) < 0 && errno == EINTR) {
    }
    ::close(status[0]);
    return got == 0;
}

}  // namespace

std::intptr_t shell_open(std::u16string_view file, std::u16string_view directory) {
    std::optional<std::string> folder = posix::native_utf16_path(directory);
    std::optional<std::string> path = posix::native_utf16_path(file);
    if (!path || !folder || path->empty()) return shell_file_not_found;
    // A relative name is looked for in the directory it is opened in.
    if (path->front() != '/' && !folder->empty()) *path = *folder + "/" + *path;
    struct stat info {};
    if (::stat(path->c_str(), &info) != 0) return shell_file_not_found;
    if (!S_ISREG(info.st_mode) || ::access(path->c_str(), X_OK) != 0) return shell_no_association;
    return start_detached(*path, *folder) ? shell_opened : shell_access_denied;
}

bool create_shell_link(std::u16string_view linkPath, const ShellLink& link) {
    std::optional<std::string> path = posix::native_utf16_path(linkPath);
    if (!path) return false;
    std::string text = "[Shell Link]\nDescription=" + utf16_to_utf8(link.description) +
                       "\nTarget=" + utf16_to_utf8(link.target) + "\nArguments=" + utf16_to_utf8(link.arguments) +
                       "\nWorkingDirectory=" + utf16_to_utf8(link.workingDirectory) + "\n";
    int fd = ::open(path->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return ::close(fd) == 0 && written;
}

}  // namespace platform
