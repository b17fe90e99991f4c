// Windows only: the running program's file name and version resource.
#include "../module.h"
#include "wide.h"

#include <vector>

namespace platform {

std::string own_program_path() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return win32::narrow(buffer.data(), static_cast<int>(length));
        buffer.resize(buffer.size() * 2);
    }
}

bool own_file_version(FileVersion& version) {
    std::wstring path = win32::widen(own_program_path());
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

std::string executable_path() { return own_program_path(); }

bool executable_file_version(FileVersion& version) { return own_file_version(version); }

}  // namespace platform
