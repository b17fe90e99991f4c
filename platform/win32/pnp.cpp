// Windows only: present devices and their hardware ids through SetupAPI.
#include "platform/pnp.h"

#include <algorithm>
#include <vector>

#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include "scoped.h"

namespace platform {

namespace {

struct DestroyDeviceInfoSet {
    void operator()(HDEVINFO set) const { ::SetupDiDestroyDeviceInfoList(set); }
};
// A device information set.
using DeviceInfoSet = win32::Scoped<HDEVINFO, DestroyDeviceInfoSet>;

// The multi-string ends at its empty string or at the end of what the
// system wrote, whichever comes first: a property without its final
// terminator must not run on.
DeviceHardwareIds split_multi_string(const std::vector<wchar_t>& units) {
    DeviceHardwareIds ids;
    std::u16string current;
    for (wchar_t unit : units) {
        if (unit != L'\0') {
            current += static_cast<char16_t>(unit);
            continue;
        }
        if (current.empty()) break;
        ids.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty()) ids.push_back(std::move(current));
    return ids;
}

DeviceHardwareIds hardware_ids_of(HDEVINFO set, SP_DEVINFO_DATA& device) {
    DWORD needed = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &needed);
    if (needed == 0) return {};
    std::vector<wchar_t> units((needed + 1) / sizeof(wchar_t));
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, &type,
                                             reinterpret_cast<BYTE*>(units.data()),
                                             static_cast<DWORD>(units.size() * sizeof(wchar_t)), &needed) ||
        type != REG_MULTI_SZ)
        return {};
    units.resize(std::min<std::size_t>(units.size(), needed / sizeof(wchar_t)));
    return split_multi_string(units);
}

}  // namespace

std::vector<DeviceHardwareIds> present_device_hardware_ids() {
    std::vector<DeviceHardwareIds> present;
    DeviceInfoSet set(::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    if (!set.valid()) return present;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (!::SetupDiEnumDeviceInfo(set.get(), index, &device)) break;
        present.push_back(hardware_ids_of(set.get(), device));
    }
    return present;
}

}  // namespace platform
