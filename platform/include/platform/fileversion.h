// The file version that a file's version resource carries, by the file's
// path (a Windows path, files.h).
//
// Windows reads the version resource of any executable file. Linux files
// carry no version resources, so there every file answers as a Windows file
// without one does: no version.
#pragma once

#include <string_view>

#include "platform/module.h"

namespace platform {

// False when the file is missing or carries no version resource.
bool file_version(std::u16string_view path, FileVersion& version);

}  // namespace platform
