// Windows only: the fixed file version of a file's version resource.
#include "platform/fileversion.h"

#include <windows.h>
#include <vector>

#include "utf16.h"

namespace platform {

bool file_version(std::u16string_view path, FileVersion& version) {
    std::optional<std::wstring> wide = win32::wide_path(path);
    if (!wide || wide->empty()) return false;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(wide->c_str(), &ignored);
    if (size == 0) return false;
    std::vector<unsigned char> data(size);
    if (!::GetFileVersionInfoW(wide->c_str(), 0, size, data.data())) return false;
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

}  // namespace platform
