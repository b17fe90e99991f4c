// The shell: opening a file as the user would open it, and shortcut (link)
// files. Windows: ShellExecuteW and the shell's link object through COM.
// Linux has neither: there a program file is started (detached, hidden) and
// any other file has no application to open it; a link is written as a
// small text file that names what the shortcut holds (platform/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Opens `file` with the verb "open", no parameters, in `directory`, with a
// hidden window. The answer is ShellExecuteW's: above 32 when the file was
// opened, otherwise an error (2 file not found, 5 access denied, 31 no
// application associated).
std::intptr_t shell_open(std::u16string_view file, std::u16string_view directory);

struct ShellLink {
    std::u16string description;
    std::u16string target;
    std::u16string arguments;
    std::u16string workingDirectory;
};

// Writes the shortcut file `linkPath` ("...\Name.lnk"); false on failure.
bool create_shell_link(std::u16string_view linkPath, const ShellLink& link);

}  // namespace platform
