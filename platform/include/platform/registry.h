// The Windows registry: open a key, read its values, test that a key exists,
// and write values (the driver installation's registry entries).
//
// Names and texts are UTF-16, as the plug-in passes them. Key paths are
// relative to a root and separated by "\"; key and value names are compared
// without regard to letter case. On Windows the real registry answers (the
// 64-bit view). On Linux the simulated machine's "registry.reg" answers
// (platform/README.md); without a simulated machine there is no registry:
// every read reports not_found and every write fails.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegistryRoot { classes_root, current_user, local_machine, users };

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t reg_none = 0;
inline constexpr std::uint32_t reg_sz = 1;
inline constexpr std::uint32_t reg_expand_sz = 2;
inline constexpr std::uint32_t reg_binary = 3;
inline constexpr std::uint32_t reg_dword = 4;
inline constexpr std::uint32_t reg_multi_sz = 7;
inline constexpr std::uint32_t reg_qword = 11;

enum class RegistryStatus {
    ok,
    not_found,   // no such key or value (or no registry at all)
    wrong_type,  // the value exists but is of another type
    wrong_size,  // the value has the type but not the size (a DWORD of 3 bytes)
    denied,      // the system refused access
    failed,      // any other failure; on Linux also an unreadable registry file
};

// A value as the registry keeps it: its type and its bytes (strings as
// UTF-16LE with their terminators, numbers little-endian).
struct RegistryValue {
    std::uint32_t type = reg_none;
    std::string data;

    bool operator==(const RegistryValue&) const = default;
};

RegistryValue registry_dword(std::uint32_t number);
// A string value with its terminator; `type` is reg_sz or reg_expand_sz.
RegistryValue registry_string(std::u16string_view text, std::uint32_t type = reg_sz);
// A multi-string: each string with its terminator, then one more terminator.
RegistryValue registry_multi_string(const std::vector<std::u16string>& texts);

// The meaning of a value's bytes. A string's text ends at its first
// terminator (data without one is taken whole); reg_expand_sz reads as a
// string, unexpanded. A multi-string ends at its first empty string.
RegistryStatus decode_dword(const RegistryValue& value, std::uint32_t& number);
RegistryStatus decode_string(const RegistryValue& value, std::u16string& text);
RegistryStatus decode_multi_string(const RegistryValue& value, std::vector<std::u16string>& texts);

// One key opened for reading; closed on destruction; moved, never copied.
// On Linux the key's values are read from the file when it is opened.
class RegistryKey {
public:
    // Opens root\path; an open key is closed first.
    RegistryStatus open(RegistryRoot root, std::u16string_view path);
    bool is_open() const { return state_ != nullptr; }
    void close() { state_.reset(); }

    // An empty name reads the key's default value. Reading from a key that
    // is not open reports not_found.
    RegistryStatus read(std::u16string_view name, RegistryValue& value) const;
    RegistryStatus read_dword(std::u16string_view name, std::uint32_t& number) const;
    RegistryStatus read_string(std::u16string_view name, std::u16string& text) const;
    RegistryStatus read_multi_string(std::u16string_view name, std::vector<std::u16string>& texts) const;

private:
    struct State;
    // Defined beside State, as for InfFile.
    struct DeleteState {
        void operator()(State* state) const;
    };
    std::unique_ptr<State, DeleteState> state_;
};

bool registry_key_exists(RegistryRoot root, std::u16string_view path);

// Writes. A key is created with every missing key above it; setting a value
// creates its key. Deleting a value or key that does not exist reports
// not_found; deleting a key removes everything below it.
RegistryStatus registry_create_key(RegistryRoot root, std::u16string_view path);
RegistryStatus registry_set_value(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                                  const RegistryValue& value);
RegistryStatus registry_delete_value(RegistryRoot root, std::u16string_view path, std::u16string_view name);
RegistryStatus registry_delete_key(RegistryRoot root, std::u16string_view path);

}  // namespace platform
