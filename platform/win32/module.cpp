// Windows only: modules by their handles, and the version resources of their
// files.
#include "../module.h"
#include "wide.h"

#include <vector>

namespace platform {

namespace {

// The platform library is linked into every program and plug-in, so an
// address in it lies in the module of whoever calls it.
const char module_marker = 0;

HMODULE this_module() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&module_marker), &module))
        return nullptr;
    return module;
}

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
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<unsigned char> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || fixed == nullptr ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return false;
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
    version.build = HIWORD(fixed->dwFileVersionLS);
    version.revision = LOWORD(fixed->dwFileVersionLS);
    return true;
}

}  // namespace

std::string this_module_path() {
    HMODULE module = this_module();
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
