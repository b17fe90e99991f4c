// The base component's readers of the package files (yk*.xml, install.xml)
// and the package texts read from them on demand.
#include "tamsel_framework/basecomp.h"

#include <algorithm>

#include "platform/findfiles.h"
#include "platform/osversion.h"
#include "platform/wsystem.h"

namespace {

constexpr std::size_t ExecutableNameLimit = ExecutableNameUnits - 1;
constexpr std::size_t ExpandedPathLimit = 260;

// Read results of the package readers.
constexpr std::int32_t ReadOk = 0;
constexpr std::int32_t ReadAlreadyRead = 1;
constexpr std::int32_t ReadNotLoaded = 3;
constexpr std::int32_t ReadNoPath = 4;

// An element's text: its first child's, when that child is a text node.
const char16_t* ElementText(const CYkzXMLNode* element) {
    if (element == nullptr) return nullptr;
    const CYkzXMLNode* child = element->GetFirstChild();
    if (child == nullptr || child->GetType() != CYkzXMLNode::TypeText) return nullptr;
    return child->GetText();
}

std::u16string_view Attribute(const CYkzXMLNode* element, const char16_t* name) {
    if (element == nullptr) return {};
    const char16_t* value = element->GetAttribute(name);
    return value != nullptr ? std::u16string_view(value) : std::u16string_view();
}

bool IsYes(const char16_t* value) { return value != nullptr && EqualsNoCase(value, u"yes"); }

// Expanded text cut to what a fixed member of `units` (terminator included)
// holds.
std::u16string ExpandBounded(std::u16string_view text, std::size_t units) {
    std::u16string expanded = platform::expand_environment(text);
    expanded.resize(std::min(expanded.size(), units - 1));
    return expanded;
}

// Loads `path` into `reader`: 0, or the reader's result, or ReadNotLoaded.
std::int32_t Load(CYkzXMLReader& reader, const char16_t* path) {
    std::int32_t loaded = reader.LoadFile(path);
    if (loaded != CYkzXMLReader::LoadOk) return loaded;
    return reader.IsLoaded() ? ReadOk : ReadNotLoaded;
}

}  // namespace

namespace {

// Windows' ordinal comparison with letter case ignored: both sides in
// capitals, unit by unit. Names that differ only in case (possible on
// Linux) fall back to the plain order, so the choice never depends on the
// directory's order.
char16_t UpperCase(char16_t unit) {
    if ((unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7)) return unit - 0x20;
    return unit;
}

bool OrdinalLessNoCase(const std::u16string& left, const std::u16string& right) {
    std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        char16_t a = UpperCase(left[i]);
        char16_t b = UpperCase(right[i]);
        if (a != b) return a < b;
    }
    if (left.size() != right.size()) return left.size() < right.size();
    return left < right;
}

bool IsPackageDefinition(CYkzXMLReader& search, const std::u16string& name) {
    search.Reset();
    if (search.LoadFile(name.c_str()) != CYkzXMLReader::LoadOk || !search.IsLoaded()) return false;
    return search.FindElement(nullptr, u"ykz_package") != nullptr;
}

}  // namespace

// The first usable file by name, whatever order the file system lists them
// in, so that every host on every machine takes the same one.
std::int32_t CBaseComponent::FindPackageDefinition(char16_t* buffer, std::uint32_t capacity) {
    std::vector<std::u16string> names = platform::find_files(u"", u"yk*.xml");
    std::sort(names.begin(), names.end(), OrdinalLessNoCase);
    packageFilesPassedOver_.clear();
    CYkzXMLReader search;
    bool found = false;
    for (const std::u16string& name : names) {
        if (!found && IsPackageDefinition(search, name)) {
            CopyToBuffer(buffer, capacity, name);
            found = true;
        } else if (names.size() > 1) {
            packageFilesPassedOver_.emplace_back(name);
        }
    }
    return found ? 1 : 0;
}

bool CBaseComponent::HasPackageDefinition() const {
    return packageDocument_ && packageDocument_->IsLoaded() &&
           packageDocument_->FindElement(nullptr, u"ykz_package") != nullptr;
}

std::int32_t CBaseComponent::ReadPackageDefinition(const char16_t* path) {
    if (path == nullptr) return ReadNoPath;
    if (packageDocument_) return ReadAlreadyRead;
    packageDocument_ = std::make_unique<CYkzXMLReader>();
    std::int32_t loaded = Load(*packageDocument_, path);
    if (loaded != ReadOk) return loaded;
    CYkzXMLNode* package = packageDocument_->FindElement(nullptr, u"ykz_package");
    if (package == nullptr) return ReadOk;

    if (const char16_t* filename = ElementText(packageDocument_->FindElement(package, u"filename"))) {
        std::u16string_view name(filename);
        name = name.substr(0, std::min(name.size(), ExecutableNameLimit));
        // A name too short to carry an extension is kept whole.
        if (name.size() >= 4) name.remove_suffix(4);
        CopyToBuffer(executableName_, ExecutableNameUnits, name);
    }
    ReadSwKeys(package);
    ReadInstallation(package);
    ReadPrerequisites(package);
    return ReadOk;
}

// The version file is the first candidate that exists as a file, or else
// the first candidate.
void CBaseComponent::ReadSwKeys(CYkzXMLNode* package) {
    CYkzXMLNode* keys = packageDocument_->FindElement(package, u"sw_keys");
    CYkzXMLNode* entry = keys != nullptr ? packageDocument_->FindElement(keys, u"sw_keys_and") : nullptr;
    std::u16string_view name;
    for (; entry != nullptr; entry = entry->GetNextSibling()) {
        CYkzXMLNode* key = packageDocument_->FindElement(entry, u"sw_key");
        if (key == nullptr) continue;
        if (const char16_t* keyName = key->GetAttribute(u"name")) name = keyName;
        const char16_t* directory = ElementText(packageDocument_->FindElement(key, u"sw_key_expectedpath"));
        std::u16string candidate = directory != nullptr ? directory : u"";
        if (candidate.empty() || candidate.back() != u'\\') candidate += u'\\';
        candidate += name;
        CStr expanded(ExpandBounded(candidate, ExpandedPathLimit + 1));
        if (versionFile_.IsEmpty()) versionFile_ = expanded;
        if (platform::regular_file_exists(expanded)) {
            versionFile_ = expanded;
            return;
        }
    }
}

void CBaseComponent::ReadInstallation(CYkzXMLNode* package) {
    CYkzXMLNode* installation = packageDocument_->FindElement(package, u"installation");
    CYkzXMLNode* install = installation != nullptr ? packageDocument_->FindElement(installation, u"install") : nullptr;
    if (install == nullptr) return;
    if (CYkzXMLNode* caps = packageDocument_->FindElement(install, u"install_caps")) {
        if (const char16_t* silent = caps->GetAttribute(u"silent")) silent_ = IsYes(silent) ? 1 : 0;
    }
    if (CYkzXMLNode* reboot = packageDocument_->FindElement(install, u"reboot_required")) {
        if (const char16_t* value = reboot->GetAttribute(u"value")) rebootRequired_ = IsYes(value) ? 1 : 0;
    }
}

void CBaseComponent::ReadPrerequisites(CYkzXMLNode* package) {
    CYkzXMLNode* prerequisites = packageDocument_->FindElement(package, u"prerequisites");
    if (prerequisites == nullptr) return;
    CYkzXMLNode* space = packageDocument_->FindElement(prerequisites, u"required_diskspace");
    requiredDiskSpace_ = LeadingDecimal(Attribute(space, u"size_kb"));

    if (CYkzXMLNode* devices = packageDocument_->FindElement(prerequisites, u"supported_devices")) {
        for (CYkzXMLNode* entry = devices->FindChild(u"supported_devices_and"); entry != nullptr;
             entry = entry->FindNextSibling(u"supported_devices_and")) {
            ReadSupportedDevice(packageDocument_->FindElement(entry, u"supported_device"));
        }
    }
    if (CYkzXMLNode* systems = packageDocument_->FindElement(prerequisites, u"supported_operating_systems")) {
        for (CYkzXMLNode* system = systems->FindChild(u"supported_operating_system"); system != nullptr;
             system = system->FindNextSibling(u"supported_operating_system")) {
            ReadSupportedSystem(system);
        }
    }
}

void CBaseComponent::ReadSupportedDevice(CYkzXMLNode* device) {
    if (device == nullptr) return;
    std::u16string_view type = Attribute(device, u"type");
    if (EqualsNoCase(type, u"pci")) {
        std::u16string joined;
        for (const char16_t* part : {u"ven", u"dev", u"subven", u"subdev"}) {
            CYkzXMLNode* data = packageDocument_->FindElement(device, u"supported_device_data", u"name", part);
            if (const char16_t* text = ElementText(data)) joined += text;
        }
        supportedDevices_.push_back(MakeHardwareId(joined));
        return;
    }
    CYkzXMLNode* data = packageDocument_->FindElement(device, u"supported_device_data");
    const char16_t* text = ElementText(data);
    if (data == nullptr || Attribute(data, u"name") != u"id") return;
    std::u16string_view value = text != nullptr ? std::u16string_view(text) : std::u16string_view();
    if (EqualsNoCase(type, u"eisa")) {
        supportedDevices_.push_back(MakeHardwareId(value));
    } else if (EqualsNoCase(type, u"pnp")) {
        supportedDevices_.emplace_back(value);
    } else if (EqualsNoCase(type, u"scsi")) {
        storageDeviceNames_.emplace_back(value);
    }
}

void CBaseComponent::ReadSupportedSystem(CYkzXMLNode* system) {
    SupportedSystem record;
    std::u16string_view platform = Attribute(system, u"platform");
    CopyToBuffer(record.platform, SupportedSystem::PlatformUnits, platform);
    if (system->GetAttribute(u"major") != nullptr) record.major = LeadingSignedDecimal(Attribute(system, u"major"));
    if (system->GetAttribute(u"minor") != nullptr) record.minor = LeadingSignedDecimal(Attribute(system, u"minor"));
    if (system->GetAttribute(u"sr") != nullptr) record.serviceRelease = LeadingSignedDecimal(Attribute(system, u"sr"));
    if (system->GetAttribute(u"edition") != nullptr) record.edition = EditionFromToken(Attribute(system, u"edition"));
    supportedSystems_.push_back(record);
}

std::int32_t CBaseComponent::ReadInstallerXml(const char16_t* path) {
    if (path == nullptr) return ReadNoPath;
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    std::uint32_t major = version ? version->major : 0;
    const char16_t* infElement = major == 4 ? u"inf_file_nt4" : major == 5 ? u"inf_file_nt5" : u"inf_file";

    CYkzXMLReader reader;
    std::int32_t loaded = Load(reader, path);
    if (loaded != ReadOk) return loaded;
    CYkzXMLNode* install = reader.FindElement(nullptr, u"ykz_install");
    if (install == nullptr) return ReadOk;
    if (CYkzXMLNode* information = reader.FindElement(install, u"inf_information")) {
        CYkzXMLNode* inf = reader.FindElement(information, infElement);
        if (inf == nullptr) inf = reader.FindElement(information, u"inf_file");
        if (inf != nullptr) {
            if (const char16_t* file = inf->GetAttribute(u"filename")) infFile_ = CStr(file);
            std::u16string_view type = Attribute(inf, u"type");
            if (EqualsNoCase(type, u"LEGACY")) installType_ = InstallTypeLegacy;
            if (EqualsNoCase(type, u"PNP")) installType_ = InstallTypePnp;
            if (EqualsNoCase(type, u"VIRTUAL")) installType_ = InstallTypeVirtual;
            if (const char16_t* section = inf->GetAttribute(u"section")) infSection_ = CStr(section);
            if (const char16_t* service = inf->GetAttribute(u"service_name")) serviceName_ = CStr(service);
        }
    }
    CYkzXMLNode* shell = reader.FindElement(install, u"ShellExecute");
    if (CYkzXMLNode* info = shell != nullptr ? reader.FindElement(shell, u"ShellExecute_Info") : nullptr) {
        if (const char16_t* file = info->GetAttribute(u"file"))
            CopyToBuffer(shellExecuteFile_, ShellExecuteUnits, ExpandBounded(file, ShellExecuteUnits));
        if (const char16_t* directory = info->GetAttribute(u"DefaultDir"))
            CopyToBuffer(shellExecuteDirectory_, ShellExecuteUnits, ExpandBounded(directory, ShellExecuteUnits));
    }
    return ReadOk;
}

namespace {

// Copies a package text when it fits whole, terminator included.
std::int32_t CopyWhole(char16_t* out, std::uint32_t capacity, const char16_t* text) {
    if (out == nullptr || text == nullptr) return 0;
    std::u16string_view view(text);
    if (view.size() >= capacity) return 0;
    CopyToBuffer(out, capacity, view);
    return 1;
}

}  // namespace

// The entry of a translated text for a language: the one whose "lang" is the
// language (letter case ignored), else the English one; without a language,
// the first entry.
CYkzXMLNode* CBaseComponent::FindTranslation(const char16_t* container, const char16_t* entry,
                                             const char16_t* language) const {
    if (!packageDocument_) return nullptr;
    CYkzXMLNode* package = packageDocument_->FindElement(nullptr, u"ykz_package");
    CYkzXMLNode* texts = package != nullptr ? packageDocument_->FindElement(package, container) : nullptr;
    if (texts == nullptr) return nullptr;
    if (language == nullptr) return packageDocument_->FindElement(texts, entry);
    CYkzXMLNode* found = packageDocument_->FindElement(texts, entry, u"lang", language);
    return found != nullptr ? found : packageDocument_->FindElement(texts, entry, u"lang", u"en");
}

std::int32_t CBaseComponent::GetName(char16_t* out, std::uint32_t capacity, const char16_t* language) {
    return CopyWhole(out, capacity, ElementText(FindTranslation(u"name", u"name_xlate", language)));
}

std::int32_t CBaseComponent::GetDescription(char16_t* out, std::uint32_t capacity, const char16_t* language) {
    CYkzXMLNode* entry = FindTranslation(u"description", u"description_xlate", language);
    CYkzXMLNode* cdata = entry != nullptr ? entry->FindChild(u"#CDATA") : nullptr;
    return CopyWhole(out, capacity, cdata != nullptr ? cdata->GetText() : nullptr);
}

std::int32_t CBaseComponent::GetVersion(char16_t* out, std::uint32_t capacity) {
    if (!packageDocument_) return 0;
    CYkzXMLNode* package = packageDocument_->FindElement(nullptr, u"ykz_package");
    CYkzXMLNode* version = package != nullptr ? packageDocument_->FindElement(package, u"version") : nullptr;
    const char16_t* value = version != nullptr ? version->GetAttribute(u"value") : nullptr;
    if (value == nullptr || *value == u'\0') return 0;
    return CopyWhole(out, capacity, value);
}
