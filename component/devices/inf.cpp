#include "tamsel_devices/inf.h"

#include <optional>

namespace {

// The [Version] values are read into buffers of this many units.
constexpr std::size_t kVersionValueUnits = 4096;

// The drive and directory of a full path, with the separator that ends it.
CStr DriveAndDirectory(const CStr& path) {
    std::size_t end = path.str().find_last_of(u"\\/");
    if (end != std::u16string::npos) return CStr(path.str().substr(0, end + 1));
    if (path.Length() >= 2 && path[1] == u':') return CStr(path.str().substr(0, 2));
    return CStr();
}

const char16_t* TextOrNull(const CStr& text) {
    return text.IsEmpty() ? nullptr : text.c_str();
}

}  // namespace

CInf::CInf(const char16_t* infFileName, int isVirtual) : virtual_(isVirtual != 0 ? 1 : 0) {
    if (infFileName != nullptr) infPath_ = platform::inf_full_path(infFileName);
    sourceDirectory_ = DriveAndDirectory(infPath_);
    if (!infPath_.IsEmpty()) inf_.open(infPath_);
    ReadVersionSection();
    CollectCopyFilesSections();
    CollectAddServiceSections();
    CollectSoftwareSettingsSections();
}

CInf::~CInf() = default;  // the INF file closes itself

int CInf::IsOpen() {
    return inf_.is_open() ? 1 : 0;
}

const char16_t* CInf::GetSignature() {
    return TextOrNull(signature_);
}

const char16_t* CInf::GetClass() {
    return TextOrNull(class_);
}

const char16_t* CInf::GetClassGuid() {
    return TextOrNull(classGuid_);
}

int CInf::GetServiceName(const char16_t* section, char16_t* buffer, std::uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    buffer[0] = u'\0';
    CStr name;
    if (section != nullptr)
        name = CStr(section);
    else if (!addServiceSections_.empty())
        name = addServiceSections_.front();
    else
        return 0;
    std::optional<std::size_t> line = inf_.find_line(name, u"AddService");
    if (!line) return 0;
    std::optional<std::u16string> service = inf_.field(name, *line, 1);
    // A name cut to fit would name another service.
    if (!service || service->empty() || service->size() >= capacity) return 0;
    CopyToBuffer(buffer, capacity, *service);
    return 1;
}

// The values are read in this order and reading stops at the first that is
// missing: without Signature there is no Class, without Class no ClassGUID.
int CInf::ReadVersionSection() {
    CStr* values[] = {&signature_, &class_, &classGuid_};
    const char16_t* keys[] = {u"Signature", u"Class", u"ClassGUID"};
    for (std::size_t i = 0; i < 3; ++i) {
        std::optional<std::size_t> line = inf_.find_line(u"Version", keys[i]);
        if (!line) return 0;
        std::optional<std::u16string> value = inf_.field(u"Version", *line, 1);
        if (!value || value->size() >= kVersionValueUnits) return 0;
        *values[i] = CStr(std::move(*value));
    }
    return 1;
}

CStrList CInf::SectionsWithKey(std::u16string_view key) const {
    CStrList sections;
    for (std::u16string& name : inf_.section_names())
        if (inf_.find_line(name, key)) sections.emplace_back(std::move(name));
    return sections;
}

int CInf::CollectCopyFilesSections() {
    copyFilesSections_ = SectionsWithKey(u"CopyFiles");
    return 1;
}

int CInf::CollectAddServiceSections() {
    addServiceSections_ = SectionsWithKey(u"AddService");
    return 1;
}

int CInf::CollectSoftwareSettingsSections() {
    softwareSettingsSections_.clear();
    for (std::u16string& name : inf_.section_names())
        if (FindNoCase(name, u".SoftwareSettings") != CStr::npos)
            softwareSettingsSections_.emplace_back(std::move(name));
    return 1;
}
