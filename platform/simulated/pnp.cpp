// POSIX only: present PCI devices from a sysfs tree, rendered as the
// hardware ids Windows gives them.
#include "platform/pnp.h"
#include "platform/limits.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/machine.h"
#include "platform/wholefile.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// A sysfs attribute such as "0x8086\n", within `digits` hex digits.
std::optional<std::uint32_t> read_hex(const fs::path& file, int digits) {
    std::string text;
    if (read_whole_file(file.string(), text, limits::sysfs_attribute_bytes) != WholeFileStatus::ok) return std::nullopt;
    std::string_view value = text;
    while (!value.empty() && (value.back() == '\n' || value.back() == ' ' || value.back() == '\r'))
        value.remove_suffix(1);
    if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) value.remove_prefix(2);
    if (value.empty() || value.size() > static_cast<std::size_t>(digits)) return std::nullopt;
    std::uint32_t number = 0;
    const char* end = value.data() + value.size();
    auto [stop, error] = std::from_chars(value.data(), end, number, 16);
    if (error != std::errc() || stop != end) return std::nullopt;
    return number;
}

std::u16string hex(std::uint32_t value, int digits) {
    static constexpr char16_t letters[] = u"0123456789ABCDEF";
    std::u16string text(static_cast<std::size_t>(digits), u'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = letters[value & 0xF];
    return text;
}

DeviceHardwareIds render_device(const fs::path& device) {
    DeviceHardwareIds ids;
    auto vendor = read_hex(device / "vendor", 4);
    auto id = read_hex(device / "device", 4);
    if (!vendor || !id) return ids;
    std::u16string base = u"PCI\\VEN_" + hex(*vendor, 4) + u"&DEV_" + hex(*id, 4);
    auto subsystemVendor = read_hex(device / "subsystem_vendor", 4);
    auto subsystemDevice = read_hex(device / "subsystem_device", 4);
    if (subsystemVendor && subsystemDevice) {
        std::u16string subsystem = base + u"&SUBSYS_" + hex(*subsystemDevice, 4) + hex(*subsystemVendor, 4);
        if (auto revision = read_hex(device / "revision", 2)) ids.push_back(subsystem + u"&REV_" + hex(*revision, 2));
        ids.push_back(subsystem);
    }
    if (auto classCode = read_hex(device / "class", 6)) {
        ids.push_back(base + u"&CC_" + hex(*classCode, 6));
        ids.push_back(base + u"&CC_" + hex(*classCode >> 8, 4));
    }
    return ids;
}

fs::path pci_root() {
    if (std::optional<std::string> machine = simulated_machine_directory()) return fs::path(*machine) / "pci";
    return "/sys/bus/pci/devices";
}

}  // namespace

std::vector<DeviceHardwareIds> present_device_hardware_ids() {
    std::vector<fs::path> devices;
    std::error_code error;
    for (fs::directory_iterator entry(pci_root(), error), end; !error && entry != end; entry.increment(error))
        devices.push_back(entry->path());
    // sysfs lists devices by bus address; sorting keeps that order for any tree.
    std::sort(devices.begin(), devices.end());
    std::vector<DeviceHardwareIds> present;
    for (const fs::path& device : devices) {
        DeviceHardwareIds ids = render_device(device);
        if (!ids.empty()) present.push_back(std::move(ids));
    }
    return present;
}

}  // namespace platform
