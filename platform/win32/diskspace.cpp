// Windows only: free space from GetDiskFreeSpaceExW.
#include "platform/diskspace.h"

#include <windows.h>
#include <string>

namespace platform {

std::optional<std::uint64_t> free_disk_space(std::u16string_view directory) {
    if (directory.empty()) return std::nullopt;
    std::wstring path(directory.begin(), directory.end());
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

}  // namespace platform
