// Reading a whole file into memory, the one way every reader of the package
// takes its files: catalogs, reports, package definitions, INF files.
//
// Only regular files are read. A directory, a pipe or a device of the given
// name reads as a file that cannot be opened, and opening never blocks (a
// FIFO without a writer would otherwise hold the run forever). Files beyond
// a size limit are refused, so a hostile file cannot exhaust memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Far above any real catalog, report, package file or INF file.
inline constexpr std::uint64_t whole_file_size_limit = 256ull * 1024 * 1024;

enum class WholeFileStatus {
    ok,
    cannot_open,  // missing, no access, or not a regular file
    cannot_read,  // opened, but reading failed
    too_large,    // larger than the limit
};

// Paths are Windows paths (files.h), in UTF-8 or in UTF-16.
WholeFileStatus read_whole_file(const std::string& path, std::string& bytes,
                                std::uint64_t limit = whole_file_size_limit);
WholeFileStatus read_whole_file(std::u16string_view path, std::string& bytes,
                                std::uint64_t limit = whole_file_size_limit);

}  // namespace platform
