// POSIX only: free space from statvfs.
#include "platform/diskspace.h"

#include <sys/statvfs.h>

#include "platform/files.h"
#include "platform/unicode.h"

namespace platform {

std::optional<std::uint64_t> free_disk_space(std::u16string_view directory) {
    if (directory.empty()) return std::nullopt;
    struct statvfs info {};
    if (::statvfs(native_path(utf16_to_utf8(directory)).c_str(), &info) != 0) return std::nullopt;
    // f_bavail, not f_bfree: the blocks reserved for the superuser are not
    // the caller's to use, as Windows counts the caller's quota.
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

}  // namespace platform
