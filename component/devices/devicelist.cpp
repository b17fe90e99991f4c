#include "tamsel_devices/devicelist.h"

#include <algorithm>
#include <utility>

namespace {

std::uint32_t MultiStringBytes(const platform::DeviceHardwareIds& ids) {
    std::size_t units = 1;  // the empty string at the end
    for (const std::u16string& id : ids) units += id.size() + 1;
    return static_cast<std::uint32_t>(std::min<std::size_t>(units * sizeof(char16_t), UINT32_MAX));
}

}  // namespace

CWin2000DeviceList::CWin2000DeviceList(DeviceSource source) : source_(std::move(source)) {}

void CWin2000DeviceList::Enumerate() {
    if (!source_) return;
    std::vector<platform::DeviceHardwareIds> found = source_();
    devices_.insert(devices_.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
}

std::uint32_t CWin2000DeviceList::GetDeviceCount() const {
    return static_cast<std::uint32_t>(devices_.size());
}

int CWin2000DeviceList::GetHardwareIds(std::uint32_t index, char16_t* buffer, std::uint32_t* size) const {
    if (size == nullptr || index >= devices_.size()) return 0;
    const platform::DeviceHardwareIds& ids = devices_[index];
    if (ids.empty()) return 0;  // the system could not give the list
    std::uint32_t needed = MultiStringBytes(ids);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return 0;
    }
    for (const std::u16string& id : ids) {
        buffer = std::copy(id.begin(), id.end(), buffer);
        *buffer++ = u'\0';
    }
    *buffer = u'\0';
    return 1;
}

CPresentHardwareIds::CPresentHardwareIds(DeviceSource source) : source_(std::move(source)) {}

int CPresentHardwareIds::BuildPresentHardwareIds() {
    ids_.clear();
    CWin2000DeviceList devices(source_);
    devices.Enumerate();
    std::vector<char16_t> buffer(kHardwareIdBufferBytes / sizeof(char16_t));
    for (std::uint32_t index = 0; index < devices.GetDeviceCount(); ++index) {
        std::fill(buffer.begin(), buffer.end(), u'\0');
        std::uint32_t size = kHardwareIdBufferBytes;
        if (devices.GetHardwareIds(index, buffer.data(), &size)) KeepInterestingIds(buffer.data(), buffer.size());
    }
    return 1;
}

// The system lists the most specific id first, as it gives it; later ids are
// kept in capitals. Whether an id carries a revision or class code is judged
// in capitals for every id, the first too, so that no letter case lets one
// through.
void CPresentHardwareIds::KeepInterestingIds(const char16_t* multiString, std::size_t units) {
    bool first = true;
    std::size_t at = 0;
    while (at < units && multiString[at] != u'\0') {
        CStr id(std::u16string_view(multiString + at, BoundedLength(multiString + at, units - at)));
        at += id.Length() + 1;
        CStr upper = id.ToUpper();
        if (!first) id = upper;
        first = false;
        if (upper.str().find(u"&REV") != std::u16string::npos || upper.str().find(u"&CC") != std::u16string::npos)
            continue;
        ids_.push_back(std::move(id));
    }
}

int CPresentHardwareIds::IsDevicePresent(std::u16string_view id) {
    if (ids_.empty()) BuildPresentHardwareIds();
    for (const CStr& present : ids_)
        if (present.EqualsNoCase(id)) return 1;
    return 0;
}
