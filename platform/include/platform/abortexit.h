// What an abort of this process leaves behind. abort(), a failed assertion
// and std::terminate all end in the C runtime's abort, whose own exit code
// (3 on Windows, a signal on Linux) a parent may read as a meaningful answer.
// Once arranged, an abort instead appends a given text to a given file,
// writes another to standard output and ends the process with a chosen code.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `logPath` is a Windows path (files.h); an empty path or text writes
// nothing there. Everything is copied and resolved now: when the abort
// comes, the heap or the C runtime may be in any state, so then nothing is
// allocated, formatted or locked. A later call replaces the arrangement.
void on_abort_exit_with(unsigned exitCode, const std::string& logPath, std::string_view logText,
                        std::string_view consoleText);

}  // namespace platform
