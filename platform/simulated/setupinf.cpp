// POSIX only: what the setup interface records on Windows, recorded on the
// simulated machine: registry entries, services (registry key and a
// "[services]" line of windows.ini), root device nodes and driver updates
// (registry keys under Enum).
#include "platform/setupinf.h"

#include <unistd.h>
#include <cstdio>
#include <vector>

#include "platform/ascii.h"
#include "platform/dirids.h"
#include "platform/fileops.h"
#include "platform/inf.h"
#include "platform/infparse.h"
#include "platform/machine.h"
#include "platform/pnp.h"
#include "platform/registry.h"
#include "platform/unicode.h"
#include "platform/wholefile.h"
#include "infreg.h"
#include "posix/filewrite.h"
#include "windows_ini.h"

namespace platform {

namespace {

constexpr std::u16string_view services_key = u"SYSTEM\\CurrentControlSet\\Services\\";
constexpr std::u16string_view enum_key = u"SYSTEM\\CurrentControlSet\\Enum\\";

std::u16string field_or_empty(const InfFile& inf, std::u16string_view section, std::size_t line, std::size_t index) {
    return inf.field(section, line, index).value_or(std::u16string());
}

// Adds "NAME = stopped" to the "[services]" section of windows.ini, or, with
// `remove`, drops the service's lines; every other line stays as written.
bool edit_service_line(const std::string& name, bool remove) {
    std::optional<std::string> path = posix::machine_file("windows.ini");
    if (!path) return false;
    std::string text;
    if (read_whole_file(*path, text) != WholeFileStatus::ok && ::access(path->c_str(), F_OK) == 0) return false;
    std::string out;
    bool inServices = false, listed = false, added = false;
    auto addLine = [&] {
        if (!remove && !listed && !added) out += name + " = stopped\n";
        added = true;
    };
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        std::string_view line(text.data() + start, (end == std::string::npos ? text.size() : end + 1) - start);
        start += line.size();
        std::string_view content = posix::trim_ini_blanks(line.substr(0, line.find('\n')));
        if (!content.empty() && content.front() == '[') {
            if (inServices) addLine();
            inServices = equals_ignoring_case(content, "[services]");
        } else if (inServices &&
                   equals_ignoring_case(posix::trim_ini_blanks(content.substr(0, content.find('='))), name)) {
            listed = true;
            if (remove) continue;
        }
        out += line;
        if (!out.empty() && out.back() != '\n') out += '\n';
    }
    if (inServices) addLine();
    if (!added && !remove) out += "[services]\n" + name + " = stopped\n";
    return posix::replace_file(*path, out);
}

struct ServiceSettings {
    std::uint32_t type = 0, start = 0, errorControl = 0;
    std::u16string binary, group, displayName, description;
    std::vector<std::u16string> dependencies;
};

// The service-install section's settings; nothing when one that the
// system requires is missing.
std::optional<ServiceSettings> read_service_section(const InfFile& inf, std::u16string_view section) {
    auto number = [&](std::u16string_view key) -> std::optional<std::uint32_t> {
        std::optional<std::size_t> line = inf.find_line(section, key);
        if (!line) return std::nullopt;
        return inf::inf_number(field_or_empty(inf, section, *line, 1));
    };
    auto text = [&](std::u16string_view key) {
        std::optional<std::size_t> line = inf.find_line(section, key);
        return line ? field_or_empty(inf, section, *line, 1) : std::u16string();
    };
    std::optional<std::uint32_t> type = number(u"ServiceType"), start = number(u"StartType"),
                                 errors = number(u"ErrorControl");
    ServiceSettings settings;
    settings.binary = expand_directory_ids(text(u"ServiceBinary"));
    if (!type || !start || !errors || settings.binary.empty()) return std::nullopt;
    settings.type = *type;
    settings.start = *start;
    settings.errorControl = *errors;
    settings.group = text(u"LoadOrderGroup");
    settings.displayName = text(u"DisplayName");
    settings.description = text(u"Description");
    if (std::optional<std::size_t> line = inf.find_line(section, u"Dependencies"))
        for (std::size_t index = 1; index <= inf.field_count(section, *line); ++index)
            settings.dependencies.push_back(field_or_empty(inf, section, *line, index));
    return settings;
}

bool write_service_key(const std::u16string& key, const ServiceSettings& settings) {
    auto set = [&](std::u16string_view name, const RegistryValue& value) {
        return registry_set_value(RegistryRoot::local_machine, key, name, value) == RegistryStatus::ok;
    };
    bool done = set(u"Type", registry_dword(settings.type)) && set(u"Start", registry_dword(settings.start)) &&
                set(u"ErrorControl", registry_dword(settings.errorControl)) &&
                set(u"ImagePath", registry_string(settings.binary, reg_expand_sz));
    if (done && !settings.displayName.empty()) done = set(u"DisplayName", registry_string(settings.displayName));
    if (done && !settings.description.empty()) done = set(u"Description", registry_string(settings.description));
    if (done && !settings.group.empty()) done = set(u"Group", registry_string(settings.group));
    if (done && !settings.dependencies.empty())
        done = set(u"DependOnService", registry_multi_string(settings.dependencies));
    return done;
}

std::uint32_t add_service(const InfFile& inf, std::u16string_view section, std::size_t line) {
    std::u16string name = field_or_empty(inf, section, line, 1);
    std::u16string installSection = field_or_empty(inf, section, line, 3);
    if (name.empty() || name.find_first_of(u"\\/") != std::u16string::npos) return error_invalid_name;
    std::optional<ServiceSettings> settings;
    if (!installSection.empty()) settings = read_service_section(inf, installSection);
    if (!settings) return error_bad_service_installsect;
    std::u16string key = std::u16string(services_key) + name;
    if (!write_service_key(key, *settings) ||
        !posix::apply_inf_registry(inf, installSection, RegistryRoot::local_machine, key) ||
        !edit_service_line(utf16_to_utf8(name), false))
        return error_access_denied;
    return 0;
}

std::uint32_t delete_service(const InfFile& inf, std::u16string_view section, std::size_t line) {
    std::u16string name = field_or_empty(inf, section, line, 1);
    if (name.empty() || name.find_first_of(u"\\/") != std::u16string::npos) return error_invalid_name;
    RegistryStatus deleted = registry_delete_key(RegistryRoot::local_machine, std::u16string(services_key) + name);
    if (deleted != RegistryStatus::ok && deleted != RegistryStatus::not_found) return error_access_denied;
    return edit_service_line(utf16_to_utf8(name), true) ? 0 : error_access_denied;
}

}  // namespace

bool install_inf_section(const InfFile& inf, std::u16string_view section, InfSectionParts, RegistryRoot relativeRoot,
                         std::u16string_view relativeKey, std::u16string_view) {
    if (!inf.is_open() || !posix::inf_has_section(inf, section)) return false;
    if (!relativeKey.empty() && registry_create_key(relativeRoot, relativeKey) != RegistryStatus::ok) return false;
    return posix::apply_inf_registry(inf, section, relativeRoot, relativeKey);
}

std::uint32_t install_inf_services(const InfFile& inf, std::u16string_view section) {
    if (!inf.is_open()) return error_invalid_parameter;
    if (!posix::inf_has_section(inf, section)) return error_section_not_found;
    std::size_t lines = inf.line_count(section);
    for (std::size_t line = 0; line < lines; ++line) {
        std::u16string key = inf::fold_inf_name(inf.field(section, line, 0).value_or(std::u16string()));
        std::uint32_t error = key == u"addservice"   ? add_service(inf, section, line)
                              : key == u"delservice" ? delete_service(inf, section, line)
                                                     : 0;
        if (error != 0) return error;
    }
    return 0;
}

struct RootDevice::State {
    std::u16string instanceKey;  // below HKEY_LOCAL_MACHINE, once created
};

RootDevice::RootDevice() : state_(std::make_unique<State>()) {}
RootDevice::~RootDevice() = default;

bool RootDevice::create(std::u16string_view infPath, std::u16string_view className, std::u16string_view deviceName) {
    if (!state_->instanceKey.empty() || className.empty() || deviceName.empty() ||
        deviceName.find_first_of(u"\\/") != std::u16string_view::npos)
        return false;
    // The generated instance ids count up from 0000, as the root enumerator
    // numbers them.
    std::u16string device = std::u16string(enum_key) + u"Root\\" + std::u16string(deviceName) + u"\\";
    std::u16string key;
    for (unsigned instance = 0; instance < 10000 && key.empty(); ++instance) {
        char digits[8];
        std::snprintf(digits, sizeof digits, "%04u", instance);
        std::u16string candidate = device + utf8_to_utf16(digits);
        if (!registry_key_exists(RegistryRoot::local_machine, candidate)) key = candidate;
    }
    if (key.empty()) return false;
    auto set = [&](std::u16string_view name, std::u16string_view text) {
        return registry_set_value(RegistryRoot::local_machine, key, name, registry_string(text)) == RegistryStatus::ok;
    };
    if (!set(u"Class", className) || !set(u"DeviceDesc", deviceName) || !set(u"InfPath", infPath)) return false;
    state_->instanceKey = key;
    return true;
}

bool RootDevice::install() {
    if (state_->instanceKey.empty()) return false;
    return registry_set_value(RegistryRoot::local_machine, state_->instanceKey, u"ConfigFlags", registry_dword(0)) ==
           RegistryStatus::ok;
}

std::optional<std::u16string> RootDevice::first_hardware_id() const {
    return std::nullopt;  // nothing gives a root device created this way a hardware id
}

bool RootDevice::needs_restart() const {
    return false;
}

// Nothing to load: the simulated machine takes the updates.
struct DriverUpdateLibrary::State {};

DriverUpdateLibrary::DriverUpdateLibrary() = default;
DriverUpdateLibrary::~DriverUpdateLibrary() = default;

DriverUpdateLoad DriverUpdateLibrary::load() {
    return simulated_machine_directory() ? DriverUpdateLoad::ok : DriverUpdateLoad::no_library;
}

bool DriverUpdateLibrary::update(std::u16string_view hardwareId, std::u16string_view infPath, std::uint32_t, bool&) {
    if (!simulated_machine_directory() || hardwareId.empty()) return false;
    std::u16string wanted = inf::fold_inf_name(hardwareId);
    for (const DeviceHardwareIds& device : present_device_hardware_ids())
        for (const std::u16string& id : device)
            if (inf::fold_inf_name(id) == wanted)
                return registry_set_value(RegistryRoot::local_machine,
                                          std::u16string(enum_key) + std::u16string(hardwareId), u"InfPath",
                                          registry_string(infPath)) == RegistryStatus::ok;
    return false;  // no such device present, as the system answers
}

}  // namespace platform
