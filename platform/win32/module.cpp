// Windows only: modules by their handles, and the version resources of their
// files.
#include "platform/module.h"
#include "platform/fileversion.h"
#include "thismodule.h"
#include "wide.h"

#include <vector>

namespace platform {

namespace {

// An address in the platform library lies in the module of whoever calls it.
const char module_marker = 0;

// `module` null: the executable.
std::string module_file(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return win32::narrow(buffer.data(), static_cast<int>(length));
        buffer.resize(buffer.size() * 2);
    }
}

bool file_version_of(const std::string& file, FileVersion& version) {
    if (file.empty()) return false;
    std::wstring path = win32::widen(file);
    return file_version(std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), path.size()), version);
}

}  // namespace

HMODULE win32::this_module() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&module_marker), &module))
        return nullptr;
    return module;
}

std::string this_module_path() {
    HMODULE module = win32::this_module();
    return module == nullptr ? std::string() : module_file(module);
}

bool this_module_file_version(FileVersion& version) {
    return file_version_of(this_module_path(), version);
}

std::string executable_path() {
    return module_file(nullptr);
}

bool executable_file_version(FileVersion& version) {
    return file_version_of(executable_path(), version);
}

}  // namespace platform
