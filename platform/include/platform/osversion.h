// The running Windows system: version, service pack, product type, R2
// release, edition (product info) and processor architecture.
//
// On Windows the real system answers. On Linux the simulated machine's
// "windows.ini" answers (platform/README.md); a Linux machine that simulates
// none is no Windows system at all, and only its processor architecture is
// known (from uname).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

inline constexpr std::uint32_t platform_id_nt = 2;

inline constexpr std::uint8_t product_type_workstation = 1;
inline constexpr std::uint8_t product_type_domain_controller = 2;
inline constexpr std::uint8_t product_type_server = 3;

struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint32_t platform_id = 0;  // platform_id_nt for every system this package supports
    std::u16string service_pack;    // such as "Service Pack 1"; empty without one
    std::uint16_t service_pack_major = 0;
    std::uint16_t service_pack_minor = 0;
    std::uint8_t product_type = 0;  // product_type_*; 0 when unknown
    bool server_r2 = false;         // the R2 release of its server version
};

// The version of the running system as the system itself knows it, whatever
// compatibility manifest the host program carries; nothing when the machine
// is no Windows system.
std::optional<WindowsVersion> windows_version();

// The edition number that the system's product information gives for the
// version asked about (0 when it knows none); nothing when the system offers
// no product information (before version 6). On Linux the simulated
// machine's own edition, whatever the version asked about.
std::optional<std::uint32_t> windows_product_info(std::uint32_t major, std::uint32_t minor,
                                                  std::uint32_t service_pack_major, std::uint32_t service_pack_minor);

// Processor architectures, numbered as Windows numbers them.
inline constexpr std::uint16_t processor_architecture_x86 = 0;
inline constexpr std::uint16_t processor_architecture_arm = 5;
inline constexpr std::uint16_t processor_architecture_ia64 = 6;
inline constexpr std::uint16_t processor_architecture_x64 = 9;
inline constexpr std::uint16_t processor_architecture_ia32_on_win64 = 10;
inline constexpr std::uint16_t processor_architecture_arm64 = 12;
inline constexpr std::uint16_t processor_architecture_unknown = 0xFFFF;

// The architecture of the system itself, not of this process: a 32-bit
// process on 64-bit Windows still learns x64.
std::uint16_t native_processor_architecture();

}  // namespace platform
