// Firmware image files. A simulated image is a small text file that names
// the version it carries in a line "version = X.Y.Z"; other lines and "#"
// comments are ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rirador {

// The version text as written (trimmed); nothing when the text has no
// version line with a value.
std::optional<std::string> imageVersion(std::string_view imageText);

// The same for a file; nothing when it cannot be read either.
std::optional<std::string> readImageVersion(const std::string& path);

}  // namespace rirador
