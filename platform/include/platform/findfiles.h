// Finding files by a name pattern, as a directory search on Windows does.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Names (without directory) of the files in `directory` (a Windows path;
// empty means the current directory) whose names match `pattern`, in the
// order the file system returns them. The pattern knows "*" (any run of
// characters) and "?" (any one character); letters match in either case, as
// on Windows. Directories are not listed.
std::vector<std::u16string> find_files(std::u16string_view directory, std::u16string_view pattern);

// True when `path` names an existing file that is not a directory.
bool regular_file_exists(std::u16string_view path);

// The same matching rule, on its own.
bool name_matches_pattern(std::u16string_view name, std::u16string_view pattern);

}  // namespace platform
