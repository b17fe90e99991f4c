// POSIX only: UTF-16 Windows paths as this file system names them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The native form of a UTF-16 Windows path, or nothing when the path holds
// a null character and so names no file.
std::optional<std::string> native_utf16_path(std::u16string_view path);

}  // namespace platform::posix
