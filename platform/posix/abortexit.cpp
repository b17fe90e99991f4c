// POSIX only: the abort outcome as a SIGABRT handler that uses only
// async-signal-safe calls.
#include "platform/abortexit.h"
#include "platform/files.h"
#include "filewrite.h"

#include <csignal>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace platform {

namespace {

struct AbortOutcome {
    unsigned exitCode = 0;
    std::string logPath;  // native
    std::string logText;
    std::string consoleText;
};

// Filled before the handler is installed and only replaced outside it; the
// handler reads the strings' bytes and never changes them.
AbortOutcome theOutcome;

extern "C" void on_abort_signal(int) {
    if (!theOutcome.logPath.empty() && !theOutcome.logText.empty()) {
        int fd = ::open(theOutcome.logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd >= 0) {
            posix::write_all(fd, theOutcome.logText);
            ::close(fd);
        }
    }
    posix::write_all(STDOUT_FILENO, theOutcome.consoleText);
    ::_exit(static_cast<int>(theOutcome.exitCode));
}

}  // namespace

void on_abort_exit_with(unsigned exitCode, const std::string& logPath, std::string_view logText,
                        std::string_view consoleText) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGABRT, &action, nullptr);  // no half-replaced outcome is ever used

    theOutcome.exitCode = exitCode;
    theOutcome.logPath = logPath.empty() ? std::string() : native_path(logPath);
    theOutcome.logText = logText;
    theOutcome.consoleText = consoleText;

    action.sa_handler = on_abort_signal;
    ::sigaction(SIGABRT, &action, nullptr);
}

}  // namespace platform
