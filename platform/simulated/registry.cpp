// POSIX only: the registry of the simulated machine, kept in its
// "registry.reg". Every call reads the file anew, so a write by another
// process (the driver installation run by the plug-in's host) is seen at
// once; a write replaces the whole file in one rename, so a reader never
// sees half of one.
#include "platform/registry.h"

#include <sys/stat.h>
#include <cerrno>

#include "platform/regfile.h"
#include "platform/unicode.h"
#include "platform/wholefile.h"
#include "posix/filewrite.h"
#include "windows_ini.h"

namespace platform {

namespace {

enum class Load { ok, missing, unusable };

// A missing file is an empty registry; a file that is there but cannot be
// read, or is no registry export, is unusable: reads fail and writes refuse
// to replace it, so that nothing in it is lost.
Load load(const std::string& path, regfile::Document& document) {
    std::string bytes;
    WholeFileStatus status = read_whole_file(path, bytes);
    if (status != WholeFileStatus::ok) {
        struct stat info {};
        bool missing = ::lstat(path.c_str(), &info) != 0 && errno == ENOENT;
        return missing ? Load::missing : Load::unusable;
    }
    return document.parse(bytes) ? Load::ok : Load::unusable;
}

// Reads the file, applies one change, and writes the file back when the
// change reports ok.
template <typename Change>
RegistryStatus change_registry(Change&& change) {
    std::optional<std::string> path = posix::machine_file("registry.reg");
    if (!path) return RegistryStatus::failed;
    regfile::Document document;
    Load loaded = load(*path, document);
    if (loaded == Load::unusable) return RegistryStatus::failed;
    if (loaded == Load::missing) document.parse(utf16_to_utf8(regfile::header));
    RegistryStatus status = change(document);
    if (status != RegistryStatus::ok) return status;
    return posix::replace_file(*path, document.serialize()) ? RegistryStatus::ok : RegistryStatus::failed;
}

}  // namespace

struct RegistryKey::State {
    std::vector<regfile::Entry> entries;
};

void RegistryKey::DeleteState::operator()(State* state) const {
    delete state;
}

RegistryStatus RegistryKey::open(RegistryRoot root, std::u16string_view path) {
    close();
    std::optional<std::string> file = posix::machine_file("registry.reg");
    if (!file) return RegistryStatus::not_found;
    regfile::Document document;
    Load loaded = load(*file, document);
    if (loaded == Load::unusable) return RegistryStatus::failed;
    std::u16string whole = regfile::full_path(root, path);
    if (!document.key_exists(whole)) return RegistryStatus::not_found;
    state_.reset(new State);
    if (const regfile::Key* key = document.find_key(whole)) state_->entries = key->entries;
    return RegistryStatus::ok;
}

RegistryStatus RegistryKey::read(std::u16string_view name, RegistryValue& value) const {
    if (!state_) return RegistryStatus::not_found;
    for (const regfile::Entry& entry : state_->entries)
        if (entry.is_value && regfile::names_equal(entry.name, name)) {
            value = entry.value;
            return RegistryStatus::ok;
        }
    return RegistryStatus::not_found;
}

bool registry_key_exists(RegistryRoot root, std::u16string_view path) {
    RegistryKey key;
    return key.open(root, path) == RegistryStatus::ok;
}

RegistryStatus registry_create_key(RegistryRoot root, std::u16string_view path) {
    return change_registry([&](regfile::Document& document) {
        document.create_key(regfile::full_path(root, path));
        return RegistryStatus::ok;
    });
}

RegistryStatus registry_set_value(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                                  const RegistryValue& value) {
    return change_registry([&](regfile::Document& document) {
        document.set_value(regfile::full_path(root, path), name, value);
        return RegistryStatus::ok;
    });
}

RegistryStatus registry_delete_value(RegistryRoot root, std::u16string_view path, std::u16string_view name) {
    return change_registry([&](regfile::Document& document) {
        return document.delete_value(regfile::full_path(root, path), name) ? RegistryStatus::ok
                                                                           : RegistryStatus::not_found;
    });
}

RegistryStatus registry_delete_key(RegistryRoot root, std::u16string_view path) {
    return change_registry([&](regfile::Document& document) {
        std::u16string whole = regfile::full_path(root, path);
        if (whole.find(u'\\') == std::u16string::npos) return RegistryStatus::denied;  // a root stays
        return document.delete_key(whole) ? RegistryStatus::ok : RegistryStatus::not_found;
    });
}

}  // namespace platform
