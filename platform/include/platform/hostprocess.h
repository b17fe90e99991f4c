// The process that hosts the plug-in: its whole command line and its
// console, as the plug-in reads and changes them from inside the host.
#pragma once

#include <string>

namespace platform {

// The process's whole command line as the system gives it to Windows code:
// one string with the program and its arguments. On Linux it is rebuilt
// from the process's arguments with the Windows quoting rules, and the
// program's own path is written the Windows way (backslashes), so that a
// path such as /usr/... is never taken for an option such as "/u".
std::u16string process_command_line();

// Gives the process a console of its own for its standard streams, with a
// screen buffer of `lines` lines (the width kept), and unbuffers them. On
// Linux a process always has its streams already: when they are a terminal
// there is nothing to allocate, so only the unbuffering applies.
void open_process_console(int lines);

}  // namespace platform
