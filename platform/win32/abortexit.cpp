// Windows only: the abort outcome as a SIGABRT handler of the C runtime,
// which abort() raises before it would end the process with exit code 3.
#include "platform/abortexit.h"
#include "wide.h"

#include <csignal>
#include <string>

namespace platform {

namespace {

struct AbortOutcome {
    unsigned exitCode = 0;
    std::wstring logPath;
    std::string logText;
    std::string consoleText;
};

AbortOutcome theOutcome;

void write_all(HANDLE file, const std::string& text) {
    const char* data = text.data();
    DWORD left = static_cast<DWORD>(text.size());
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(file, data, left, &written, nullptr) || written == 0) return;
        data += written;
        left -= written;
    }
}

extern "C" void on_abort_signal(int) {
    if (!theOutcome.logPath.empty() && !theOutcome.logText.empty()) {
        HANDLE file = ::CreateFileW(theOutcome.logPath.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            write_all(file, theOutcome.logText);
            ::CloseHandle(file);
        }
    }
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE) write_all(output, theOutcome.consoleText);
    // Nothing of the runtime runs any more: its state is not to be trusted.
    ::TerminateProcess(::GetCurrentProcess(), theOutcome.exitCode);
}

}  // namespace

void on_abort_exit_with(unsigned exitCode, const std::string& logPath, std::string_view logText,
                        std::string_view consoleText) {
    std::signal(SIGABRT, SIG_DFL);
    theOutcome.exitCode = exitCode;
    theOutcome.logPath = logPath.empty() ? std::wstring() : win32::widen(logPath);
    theOutcome.logText = logText;
    theOutcome.consoleText = consoleText;
    std::signal(SIGABRT, on_abort_signal);
}

}  // namespace platform
