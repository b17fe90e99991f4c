// Free space on a volume.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// The bytes that the calling user may still write on the volume that holds
// the directory (a Windows path, files.h; a volume root such as "C:\" too);
// nothing when the directory cannot be examined.
std::optional<std::uint64_t> free_disk_space(std::u16string_view directory);

}  // namespace platform
