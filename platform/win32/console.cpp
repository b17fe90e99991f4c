// Windows only: console window sizing and title.
#include "platform/console.h"
#include "wide.h"

namespace platform {

void size_console() {
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    // Redirected output, or no console at all (a hidden child): leave it.
    if (output == nullptr || output == INVALID_HANDLE_VALUE || !::GetConsoleScreenBufferInfo(output, &info)) return;
    SMALL_RECT window{0, 0, 129, 59};
    ::SetConsoleWindowInfo(output, TRUE, &window);
    ::SetConsoleScreenBufferSize(output, COORD{130, 180});
}

void set_console_title(const std::string& title) { ::SetConsoleTitleW(win32::widen(title).c_str()); }

}  // namespace platform
