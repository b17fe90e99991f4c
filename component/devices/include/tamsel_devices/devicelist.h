// The present Plug and Play devices. CWin2000DeviceList enumerates them and
// hands out each one's hardware-id list as the system's multi-string;
// CPresentHardwareIds keeps the ids the component asks about and answers
// whether a supported id is present. The base component owns one
// CPresentHardwareIds and forwards its BuildPresentHardwareIds and
// IsDevicePresent to it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "cmplog/cstr.h"
#include "platform/pnp.h"

// Where present devices come from: the system, or a test's own list.
using DeviceSource = std::function<std::vector<platform::DeviceHardwareIds>()>;

class CWin2000DeviceList {
public:
    explicit CWin2000DeviceList(DeviceSource source = platform::present_device_hardware_ids);
    virtual ~CWin2000DeviceList() = default;

    // Adds every present device of every setup class.
    void Enumerate();
    std::uint32_t GetDeviceCount() const;
    // Writes device `index`'s hardware ids into `buffer` as zero-terminated
    // strings ended by an empty one, when `*size` (bytes) holds them: 1.
    // Otherwise 0; when the list could be read, `*size` then receives the
    // bytes it needs. An index out of range or no size variable: 0.
    int GetHardwareIds(std::uint32_t index, char16_t* buffer, std::uint32_t* size) const;

private:
    DeviceSource source_;
    std::vector<platform::DeviceHardwareIds> devices_;
};

class CPresentHardwareIds {
public:
    // A device whose id list needs more bytes than this contributes nothing.
    static constexpr std::uint32_t kHardwareIdBufferBytes = 2048;

    explicit CPresentHardwareIds(DeviceSource source = platform::present_device_hardware_ids);

    // Lists again the present ids without a revision or class-code
    // qualifier, in the order found. Always 1: a machine without devices
    // simply has none.
    int BuildPresentHardwareIds();
    // 1 when `id` equals a present id, letter case ignored; an empty list is
    // built again first.
    int IsDevicePresent(std::u16string_view id);
    const CStrList& PresentHardwareIds() const { return ids_; }

private:
    void KeepInterestingIds(const char16_t* multiString, std::size_t units);

    DeviceSource source_;
    CStrList ids_;
};
