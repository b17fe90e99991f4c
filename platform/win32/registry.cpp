// Windows only: the registry through advapi32, always in its 64-bit view.
#include "platform/registry.h"

#include <windows.h>

#include "registryroot.h"

namespace platform {

namespace {

std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

RegistryStatus status_of(LSTATUS error) {
    switch (error) {
        case ERROR_SUCCESS:
            return RegistryStatus::ok;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return RegistryStatus::not_found;
        case ERROR_ACCESS_DENIED:
            return RegistryStatus::denied;
        default:
            return RegistryStatus::failed;
    }
}

using KeyHandle = win32::RegistryKeyHandle;

LSTATUS open_key(RegistryRoot root, std::u16string_view path, REGSAM access, KeyHandle& key) {
    return ::RegOpenKeyExW(win32::root_key(root), wide(path).c_str(), 0, access | KEY_WOW64_64KEY, key.out());
}

}  // namespace

HKEY win32::root_key(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::classes_root:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::current_user:
            return HKEY_CURRENT_USER;
        case RegistryRoot::local_machine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::users:
            return HKEY_USERS;
    }
    return HKEY_LOCAL_MACHINE;
}

struct RegistryKey::State {
    KeyHandle key;
};

void RegistryKey::DeleteState::operator()(State* state) const {
    delete state;
}

RegistryStatus RegistryKey::open(RegistryRoot root, std::u16string_view path) {
    close();
    KeyHandle key;
    RegistryStatus status = status_of(open_key(root, path, KEY_READ, key));
    if (status == RegistryStatus::ok) state_.reset(new State{std::move(key)});
    return status;
}

RegistryStatus RegistryKey::read(std::u16string_view name, RegistryValue& value) const {
    if (!state_) return RegistryStatus::not_found;
    std::wstring valueName = wide(name);
    // The value may grow between asking its size and reading it: ask again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LSTATUS error = ::RegQueryValueExW(state_->key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (error != ERROR_SUCCESS) return status_of(error);
        std::string data(size, '\0');
        error = ::RegQueryValueExW(state_->key.get(), valueName.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
        if (error == ERROR_MORE_DATA) continue;
        if (error != ERROR_SUCCESS) return status_of(error);
        data.resize(size);
        value = RegistryValue{type, std::move(data)};
        return RegistryStatus::ok;
    }
    return RegistryStatus::failed;
}

bool registry_key_exists(RegistryRoot root, std::u16string_view path) {
    KeyHandle key;
    return open_key(root, path, KEY_READ, key) == ERROR_SUCCESS;
}

RegistryStatus registry_create_key(RegistryRoot root, std::u16string_view path) {
    KeyHandle key;
    return status_of(::RegCreateKeyExW(win32::root_key(root), wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.out(), nullptr));
}

RegistryStatus registry_set_value(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                                  const RegistryValue& value) {
    if (value.data.size() > MAXDWORD) return RegistryStatus::wrong_size;
    KeyHandle key;
    LSTATUS error = ::RegCreateKeyExW(win32::root_key(root), wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.out(), nullptr);
    if (error != ERROR_SUCCESS) return status_of(error);
    return status_of(::RegSetValueExW(key.get(), wide(name).c_str(), 0, value.type,
                                      reinterpret_cast<const BYTE*>(value.data.data()),
                                      static_cast<DWORD>(value.data.size())));
}

RegistryStatus registry_delete_value(RegistryRoot root, std::u16string_view path, std::u16string_view name) {
    KeyHandle key;
    LSTATUS error = open_key(root, path, KEY_SET_VALUE, key);
    if (error != ERROR_SUCCESS) return status_of(error);
    return status_of(::RegDeleteValueW(key.get(), wide(name).c_str()));
}

RegistryStatus registry_delete_key(RegistryRoot root, std::u16string_view path) {
    if (path.find_first_not_of(u'\\') == std::u16string_view::npos) return RegistryStatus::denied;  // a root stays
    KeyHandle parent;
    LSTATUS error = open_key(root, u"", KEY_ALL_ACCESS, parent);
    if (error != ERROR_SUCCESS) return status_of(error);
    return status_of(::RegDeleteTreeW(parent.get(), wide(path).c_str()));
}

}  // namespace platform
