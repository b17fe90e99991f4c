// The console the program runs in.
#pragma once

#include <string>

namespace platform {

// Gives the console window 130 columns by 60 rows and a buffer of 180 rows.
// Does nothing when standard output is not a console (redirected output).
// On Linux the console is the user's terminal, whose window is never
// resized.
void size_console();

// Sets the console window title. On Linux this is the terminal title escape,
// written only when standard output is a terminal.
void set_console_title(const std::string& title);

}  // namespace platform
