// POSIX only: bytes written to a descriptor whole, and a file written anew
// in one rename; shared by the real Linux services and the simulated
// machine's files.
#pragma once

#include <string>
#include <string_view>

namespace platform::posix {

// Writes every byte, going on after an interrupted or partial write(2);
// false, with errno telling why, when a write fails or takes nothing. Uses
// only write(2), so a signal handler may call it.
bool write_all(int fd, std::string_view bytes);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`, so that a reader sees the old file or the new one, never half of
// one; the temporary file is removed again when anything fails.
bool replace_file(const std::string& path, std::string_view bytes);

}  // namespace platform::posix
