// CInf's installation of a whole package or of one section: file lists,
// registry entries, services, software settings, the root device and the
// start-menu shortcuts.
#include "tamsel_devices/inf.h"
#include "platform/ascii.h"
#include "platform/dirids.h"
#include "platform/osversion.h"
#include "platform/setupinf.h"
#include "platform/shell.h"
#include "platform/wsystem.h"

namespace {

// The service name is read into this many units, terminator included.
constexpr std::uint32_t kServiceNameUnits = 254;
// Shortcut section names of the "YkzStartMenuItems" line, and the values
// of a shortcut section, longer than this are not used.
constexpr std::size_t kShortcutUnits = 260;
// The start-menu shortcuts belong to the systems of that major version.
constexpr std::uint32_t kStartMenuMajorVersion = 4;

constexpr char16_t kEnumRoot[] = u"System\\CurrentControlSet\\Enum\\Root\\";

CStr RootDeviceKey(const CStr& serviceName, bool isVirtual) {
    return CStr(kEnumRoot) + (isVirtual ? u"" : u"LEGACY_") + serviceName.str() + u"\\0000";
}

bool HasServiceLine(const platform::InfFile& inf, std::u16string_view section) {
    return inf.find_line(section, u"AddService").has_value() || inf.find_line(section, u"DelService").has_value();
}

}  // namespace

CStr CInf::ServiceName() {
    char16_t name[kServiceNameUnits] = {};
    return GetServiceName(nullptr, name, kServiceNameUnits) != 0 ? CStr(name) : CStr();
}

int CInf::InstallSection(const char16_t* section, platform::RegistryRoot root) {
    if (section == nullptr || ProcessCopyFiles(section) == 0 || ProcessDelFiles(section) == 0 ||
        ProcessRenFiles(section) == 0)
        return 0;
    return platform::install_inf_section(inf_, section, platform::InfSectionParts::all_but_files, root, u"",
                                         sourceDirectory_.str())
               ? 1
               : 0;
}

int CInf::InstallServices(const char16_t* section) {
    if (section == nullptr) return 0;
    std::uint32_t status = platform::install_inf_services(inf_, section);
    return status == 0 || status == platform::error_service_exists || status == platform::error_duplicate_service_name
               ? 1
               : 0;
}

int CInf::InstallSoftwareSettings(const char16_t* section) {
    CStr service = ServiceName();
    if (section == nullptr || service.IsEmpty()) return 0;
    CStr key = CStr(u"System\\CurrentControlSet\\Services\\") + service.str() + u"\\Device0";
    return platform::install_inf_section(inf_, section, platform::InfSectionParts::registry_only,
                                         platform::RegistryRoot::local_machine, key.str(), sourceDirectory_.str())
               ? 1
               : 0;
}

int CInf::CreateDeviceNode(const char16_t* deviceName, platform::RootDevice& device) {
    if (deviceName == nullptr || class_.IsEmpty()) return 0;
    return device.create(infPath_.str(), class_.str(), deviceName) ? 1 : 0;
}

int CInf::RegisterRootDevice(std::int32_t* rebootNeeded) {
    CStr service = ServiceName().ToUpper();
    if (service.IsEmpty()) return 0;
    CStr deviceName = virtual_ != 0 ? service : CStr(u"LEGACY_") + service.str();
    platform::RootDevice device;
    if (CreateDeviceNode(deviceName.c_str(), device) == 0 || !device.install()) return 0;
    bool restart = false;
    // A virtual device takes its driver as a Plug and Play device would; a
    // device without a hardware id has nothing to match it by.
    if (virtual_ != 0)
        if (std::optional<std::u16string> id = device.first_hardware_id()) {
            platform::DriverUpdateLibrary library;
            if (library.load() != platform::DriverUpdateLoad::ok || !library.update(*id, infPath_.str(), 0, restart))
                return 0;
        }
    if (restart || device.needs_restart()) {
        rebootNeeded_ = 1;
        if (rebootNeeded != nullptr) *rebootNeeded = 1;
    }
    return 1;
}

int CInf::InstallAll(std::int32_t* rebootNeeded) {
    int result = 1;
    for (const CStr& section : copyFilesSections_)
        if (InstallSection(section.c_str(), platform::RegistryRoot::local_machine) == 0) result = 0;

    // A root device belongs to the service; without one there is none.
    CStr service = ServiceName();
    if (!service.IsEmpty() && !class_.IsEmpty() && !classGuid_.IsEmpty() &&
        !platform::registry_key_exists(platform::RegistryRoot::local_machine,
                                       RootDeviceKey(service, virtual_ != 0).str()) &&
        RegisterRootDevice(nullptr) == 0)
        result = 0;

    for (const CStr& section : addServiceSections_)
        if (InstallServices(section.c_str()) == 0) result = 0;
    for (const CStr& section : softwareSettingsSections_)
        if (InstallSoftwareSettings(section.c_str()) == 0) result = 0;
    CreateStartMenuItems();
    if (rebootNeeded != nullptr) *rebootNeeded = result == 1 && rebootNeeded_ != 0 ? 1 : 0;
    return result;
}

int CInf::InstallNamedSection(const char16_t* section, std::int32_t* rebootNeeded) {
    if (section == nullptr) return 0;
    int result = InstallSection(section, platform::RegistryRoot::local_machine);

    CStr service = ServiceName();
    if (!service.IsEmpty() && !class_.IsEmpty() && !classGuid_.IsEmpty() &&
        !platform::registry_key_exists(platform::RegistryRoot::local_machine, RootDeviceKey(service, false).str()) &&
        RegisterRootDevice(nullptr) == 0)
        result = 0;

    CStr services = CStr(section) + u".Services";
    for (const std::u16string& name : inf_.section_names())
        if (services.EqualsNoCase(name) && HasServiceLine(inf_, name)) {
            if (InstallServices(name.c_str()) == 0) result = 0;
            break;
        }
    CStr settings = CStr(section) + u".SoftwareSettings";
    for (const CStr& name : softwareSettingsSections_)
        if (name.FindNoCase(settings.str()) != CStr::npos) {
            if (InstallSoftwareSettings(settings.c_str()) == 0) result = 0;
            break;
        }
    CreateStartMenuItems();
    if (rebootNeeded != nullptr) *rebootNeeded = result == 1 && rebootNeeded_ != 0 ? 1 : 0;
    return result;
}

int CInf::GetServiceStartType() {
    if (addServiceSections_.empty()) return -1;
    const CStr& section = addServiceSections_.front();
    std::optional<std::size_t> line = inf_.find_line(section, u"AddService");
    std::optional<std::u16string> installSection = line ? inf_.field(section, *line, 3) : std::nullopt;
    if (!installSection || installSection->empty()) return -1;
    std::optional<std::size_t> start = inf_.find_line(*installSection, u"StartType");
    std::optional<std::u16string> value = start ? inf_.field(*installSection, *start, 1) : std::nullopt;
    std::optional<std::uint32_t> number = value && value->size() <= 9 ? platform::decimal_number(*value) : std::nullopt;
    return number ? static_cast<int>(*number) : -1;
}

void CInf::CreateStartMenuItem(const CStr& shortcutSection) {
    auto value = [&](std::u16string_view key) {
        std::optional<std::size_t> line = inf_.find_line(shortcutSection, key);
        std::u16string text = line ? inf_.field(shortcutSection, *line, 1).value_or(u"") : u"";
        return text.size() < kShortcutUnits ? text : std::u16string();
    };
    std::u16string name = value(u"Name"), group = value(u"Group");
    // Name and group become file and folder names under the program menu,
    // which they must not leave.
    for (const std::u16string& part : {name, group})
        if (part.empty() || part.find_first_of(u"\\/:") != std::u16string::npos || part == u"." || part == u"..")
            return;
    CStr folder = GetDirIdPath(16407) + u"\\" + group;
    if (CreateDirectoryPath(folder.c_str()) == 0) return;
    platform::ShellLink link{name, platform::expand_environment(value(u"Path")), value(u"Args"),
                             platform::expand_environment(value(u"WorkingDir"))};
    platform::create_shell_link((folder + u"\\" + name + u".lnk").str(), link);
}

int CInf::CreateStartMenuItems() {
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    if (!version || version->major != kStartMenuMajorVersion || copyFilesSections_.empty()) return 1;
    const CStr& section = copyFilesSections_.front();
    std::optional<std::size_t> line = inf_.find_line(section, u"YkzStartMenuItems");
    if (!line) return 1;
    std::size_t fields = inf_.field_count(section, *line);
    for (std::size_t index = 1; index <= fields; ++index) {
        std::u16string shortcut = inf_.field(section, *line, index).value_or(u"");
        if (!shortcut.empty() && shortcut.size() < kShortcutUnits) CreateStartMenuItem(CStr(shortcut));
    }
    return 1;
}
