// The fixed sizes of the platform layer, named in one place: how much a
// file copy or read moves per call, and the longest directory names that
// are read into a buffer of fixed size before falling back or growing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::limits {

// One read or write of a file copy or a whole-file read of a shared file.
inline constexpr std::size_t io_chunk_bytes = 64 * 1024;

// A working directory on Linux (PATH_MAX); current_directory() grows
// beyond it when a longer one occurs.
inline constexpr std::size_t posix_path_bytes = 4096;

// The Windows directory, in UTF-16 units: far above any real one, whose
// length the system caps near MAX_PATH.
inline constexpr unsigned windows_directory_units = 1024;

// One sysfs attribute of a PCI device ("0x8086\n" and the like).
inline constexpr std::uint64_t sysfs_attribute_bytes = 4096;

}  // namespace platform::limits
