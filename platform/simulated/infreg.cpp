// POSIX only: AddReg and DelReg of INF sections on the simulated registry.
#include "infreg.h"

#include <vector>

#include "platform/dirids.h"
#include "platform/infparse.h"
#include "platform/registry.h"

namespace platform::posix {

namespace {

// Flags of an add-registry line, as the setup interface numbers them.
constexpr std::uint32_t flag_binary_value = 0x1;
constexpr std::uint32_t flag_no_clobber = 0x2;
constexpr std::uint32_t flag_delete_value = 0x4;
constexpr std::uint32_t flag_append = 0x8;
constexpr std::uint32_t flag_key_only = 0x10;
constexpr std::uint32_t flag_overwrite_only = 0x20;

struct Target {
    RegistryRoot root;
    std::u16string path;
};

std::u16string join_key(std::u16string_view base, std::u16string_view below) {
    if (base.empty()) return std::u16string(below);
    if (below.empty()) return std::u16string(base);
    return std::u16string(base) + u'\\' + std::u16string(below);
}

// Where the relative entries (HKR) of the section being installed go.
struct Relative {
    RegistryRoot root;
    std::u16string_view key;
};

std::optional<Target> target_of(std::u16string_view root, std::u16string_view subkey, const Relative& relative) {
    std::u16string folded = inf::fold_inf_name(root);
    if (folded == u"hkr") return Target{relative.root, join_key(relative.key, subkey)};
    if (folded == u"hklm") return Target{RegistryRoot::local_machine, std::u16string(subkey)};
    if (folded == u"hkcu") return Target{RegistryRoot::current_user, std::u16string(subkey)};
    if (folded == u"hkcr") return Target{RegistryRoot::classes_root, std::u16string(subkey)};
    if (folded == u"hku") return Target{RegistryRoot::users, std::u16string(subkey)};
    return std::nullopt;
}

std::u16string field_or_empty(const InfFile& inf, std::u16string_view section, std::size_t line, std::size_t index) {
    return inf.field(section, line, index).value_or(std::u16string());
}

// Fields from `first` on as bytes written in hex ("0a", "FF").
std::string hex_bytes(const InfFile& inf, std::u16string_view section, std::size_t line, std::size_t first) {
    std::string bytes;
    std::size_t count = inf.field_count(section, line);
    for (std::size_t index = first; index <= count; ++index) {
        std::u16string text = field_or_empty(inf, section, line, index);
        std::uint32_t byte = 0;
        for (char16_t c : text) {
            int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                        : c >= u'a' && c <= u'f' ? c - u'a' + 10
                        : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                 : -1;
            if (digit < 0) break;
            byte = (byte * 16 + static_cast<std::uint32_t>(digit)) & 0xFF;
        }
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

std::uint32_t value_type(std::uint32_t flags) {
    std::uint32_t high = flags >> 16;
    if ((flags & flag_binary_value) != 0)
        return high == 0 ? reg_binary : high == 1 ? reg_dword : high == 2 ? reg_none : high;
    return high == 1 ? reg_multi_sz : high == 2 ? reg_expand_sz : reg_sz;
}

std::optional<RegistryValue> existing_value(const Target& target, std::u16string_view name) {
    RegistryKey key;
    RegistryValue value;
    if (key.open(target.root, target.path) != RegistryStatus::ok) return std::nullopt;
    if (key.read(name, value) != RegistryStatus::ok) return std::nullopt;
    return value;
}

RegistryValue multi_string_value(const InfFile& inf, std::u16string_view section, std::size_t line, bool append,
                                 const Target& target, std::u16string_view name) {
    std::vector<std::u16string> strings;
    if (append)
        if (std::optional<RegistryValue> old = existing_value(target, name)) decode_multi_string(*old, strings);
    std::size_t count = inf.field_count(section, line);
    for (std::size_t index = 5; index <= count; ++index) {
        std::u16string text = expand_directory_ids(field_or_empty(inf, section, line, index));
        bool listed = false;
        for (const std::u16string& kept : strings) listed = listed || kept == text;
        if (!append || !listed) strings.push_back(std::move(text));
    }
    return registry_multi_string(strings);
}

// The value of one add-registry line; nothing when the line only makes
// sure its key exists.
std::optional<RegistryValue> line_value(const InfFile& inf, std::u16string_view section, std::size_t line,
                                        std::uint32_t flags, const Target& target, std::u16string_view name) {
    std::size_t count = inf.field_count(section, line);
    std::uint32_t type = value_type(flags);
    switch (type) {
        case reg_sz:
        case reg_expand_sz:
            if (count < 5 && name.empty()) return std::nullopt;
            return registry_string(expand_directory_ids(field_or_empty(inf, section, line, 5)), type);
        case reg_multi_sz:
            return multi_string_value(inf, section, line, (flags & flag_append) != 0, target, name);
        case reg_dword:
            if (count <= 5) return registry_dword(inf::inf_number(field_or_empty(inf, section, line, 5)).value_or(0));
            return RegistryValue{reg_dword, hex_bytes(inf, section, line, 5)};
        default:
            return RegistryValue{type, hex_bytes(inf, section, line, 5)};
    }
}

bool add_registry_line(const InfFile& inf, std::u16string_view section, std::size_t line, const Relative& relative) {
    std::optional<Target> target =
        target_of(field_or_empty(inf, section, line, 1), field_or_empty(inf, section, line, 2), relative);
    if (!target) return false;
    std::u16string name = field_or_empty(inf, section, line, 3);
    std::uint32_t flags = inf::inf_number(field_or_empty(inf, section, line, 4)).value_or(0);
    if ((flags & flag_delete_value) != 0) {
        RegistryStatus deleted = registry_delete_value(target->root, target->path, name);
        return deleted == RegistryStatus::ok || deleted == RegistryStatus::not_found;
    }
    if ((flags & (flag_no_clobber | flag_overwrite_only)) != 0) {
        bool exists = existing_value(*target, name).has_value();
        if ((flags & flag_no_clobber) != 0 && exists) return true;
        if ((flags & flag_overwrite_only) != 0 && !exists) return true;
    }
    std::optional<RegistryValue> value;
    if ((flags & flag_key_only) == 0) value = line_value(inf, section, line, flags, *target, name);
    if (!value) return registry_create_key(target->root, target->path) == RegistryStatus::ok;
    return registry_set_value(target->root, target->path, name, *value) == RegistryStatus::ok;
}

bool delete_registry_line(const InfFile& inf, std::u16string_view section, std::size_t line, const Relative& relative) {
    std::optional<Target> target =
        target_of(field_or_empty(inf, section, line, 1), field_or_empty(inf, section, line, 2), relative);
    if (!target) return false;
    RegistryStatus status =
        inf.field_count(section, line) >= 3
            ? registry_delete_value(target->root, target->path, field_or_empty(inf, section, line, 3))
            : registry_delete_key(target->root, target->path);
    return status == RegistryStatus::ok || status == RegistryStatus::not_found;
}

using LineAction = bool (*)(const InfFile&, std::u16string_view, std::size_t, const Relative&);

// Runs `action` on every line of every section that the `key` lines of
// `section` name; a named section the file lacks is empty, as the setup
// interface takes it.
bool for_each_named_section(const InfFile& inf, std::u16string_view section, std::u16string_view key,
                            const Relative& relative, LineAction action) {
    for (std::optional<std::size_t> line = inf.find_line(section, key); line;
         line = inf.find_line(section, key, *line + 1)) {
        std::size_t fields = inf.field_count(section, *line);
        for (std::size_t index = 1; index <= fields; ++index) {
            std::u16string named = field_or_empty(inf, section, *line, index);
            std::size_t lines = named.empty() ? 0 : inf.line_count(named);
            for (std::size_t entry = 0; entry < lines; ++entry)
                if (!action(inf, named, entry, relative)) return false;
        }
    }
    return true;
}

}  // namespace

bool inf_has_section(const InfFile& inf, std::u16string_view section) {
    std::u16string wanted = inf::fold_inf_name(section);
    for (const std::u16string& name : inf.section_names())
        if (inf::fold_inf_name(name) == wanted) return true;
    return false;
}

bool apply_inf_registry(const InfFile& inf, std::u16string_view section, RegistryRoot relativeRoot,
                        std::u16string_view relativeKey) {
    Relative relative{relativeRoot, relativeKey};
    return for_each_named_section(inf, section, u"DelReg", relative, delete_registry_line) &&
           for_each_named_section(inf, section, u"AddReg", relative, add_registry_line);
}

}  // namespace platform::posix
