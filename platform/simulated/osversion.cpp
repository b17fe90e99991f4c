// POSIX only: the Windows version of the simulated machine, and the real
// processor architecture.
#include "platform/osversion.h"

#include <sys/utsname.h>
#include <charconv>

#include "platform/unicode.h"
#include "windows_ini.h"

namespace platform {

namespace {

// Decimal, or hexadecimal after "0x"; nothing for anything else or a number
// beyond 32 bits.
std::optional<std::uint32_t> parse_number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint32_t number = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, number, base);
    if (error != std::errc() || stop != end) return std::nullopt;
    return number;
}

// A missing or malformed number reads as 0.
std::uint32_t number_in(const posix::IniFile& ini, std::string_view key) {
    std::optional<std::string> text = ini.value("version", key);
    std::optional<std::uint32_t> number = text ? parse_number(*text) : std::nullopt;
    return number.value_or(0);
}

// The number that the service-pack text carries ("Service Pack 2" gives 2),
// as the system's own service-pack number would be.
std::uint16_t number_in_text(std::string_view text) {
    std::size_t first = text.find_first_of("0123456789");
    if (first == std::string_view::npos) return 0;
    std::uint32_t number = 0;
    // The digits from the first on; a number too large for the field reads as its largest.
    std::errc error = std::from_chars(text.data() + first, text.data() + text.size(), number).ec;
    if (error == std::errc::result_out_of_range || number > 0xFFFF) return 0xFFFF;
    return static_cast<std::uint16_t>(number);
}

std::optional<posix::IniFile> version_section() {
    std::optional<posix::IniFile> ini = posix::windows_ini();
    if (!ini || !ini->has_section("version")) return std::nullopt;
    return ini;
}

}  // namespace

std::optional<WindowsVersion> windows_version() {
    std::optional<posix::IniFile> ini = version_section();
    if (!ini) return std::nullopt;
    WindowsVersion version;
    version.platform_id = platform_id_nt;
    version.major = number_in(*ini, "major");
    version.minor = number_in(*ini, "minor");
    version.build = number_in(*ini, "build");
    std::string servicePack = ini->value("version", "service_pack").value_or("");
    version.service_pack = utf8_to_utf16(servicePack);
    version.service_pack_major = ini->value("version", "service_pack_major")
                                     ? static_cast<std::uint16_t>(number_in(*ini, "service_pack_major"))
                                     : number_in_text(servicePack);
    version.service_pack_minor = static_cast<std::uint16_t>(number_in(*ini, "service_pack_minor"));
    version.product_type = static_cast<std::uint8_t>(number_in(*ini, "product_type"));
    version.server_r2 = number_in(*ini, "server_r2") != 0;
    return version;
}

std::optional<std::uint32_t> windows_product_info(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {
    std::optional<posix::IniFile> ini = version_section();
    if (!ini) return std::nullopt;
    if (ini->value("version", "product_info")) return number_in(*ini, "product_info");
    // Product information came with version 6; later systems without an
    // edition of their own answer 0.
    if (number_in(*ini, "major") < 6) return std::nullopt;
    return 0;
}

std::uint16_t native_processor_architecture() {
    if (std::optional<posix::IniFile> ini = version_section())
        if (ini->value("version", "architecture")) return static_cast<std::uint16_t>(number_in(*ini, "architecture"));
    struct utsname names {};
    if (::uname(&names) != 0) return processor_architecture_unknown;
    std::string_view machine = names.machine;
    if (machine == "x86_64" || machine == "amd64") return processor_architecture_x64;
    if (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86") return processor_architecture_x86;
    if (machine == "ia64") return processor_architecture_ia64;
    if (machine == "aarch64" || machine == "arm64") return processor_architecture_arm64;
    if (machine.substr(0, 3) == "arm") return processor_architecture_arm;
    return processor_architecture_unknown;
}

}  // namespace platform
