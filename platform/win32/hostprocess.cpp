// Windows only: the command line and console of the hosting process.
#include "platform/hostprocess.h"

#include <windows.h>

#include <cstdio>

namespace platform {

std::u16string process_command_line() {
    const wchar_t* line = ::GetCommandLineW();
    if (line == nullptr) return {};
    std::wstring text(line);
    return std::u16string(text.begin(), text.end());
}

void open_process_console(int lines) {
    ::AllocConsole();  // fails harmlessly when the process has one already
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (output != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(output, &info)) {
        COORD size{info.dwSize.X, static_cast<SHORT>(lines)};
        ::SetConsoleScreenBufferSize(output, size);
    }
    // The runtime's streams were bound to the handles the process started
    // with; rebind them to the new console.
    FILE* ignored = nullptr;
    ::freopen_s(&ignored, "CONOUT$", "w", stdout);
    ::freopen_s(&ignored, "CONOUT$", "w", stderr);
    ::freopen_s(&ignored, "CONIN$", "r", stdin);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
}

}  // namespace platform
