// Windows only: the system's directory search.
#include "platform/findfiles.h"

#include <windows.h>

#include "scoped.h"

namespace platform {

namespace {

struct CloseSearch {
    void operator()(HANDLE search) const { ::FindClose(search); }
};

}  // namespace

std::vector<std::u16string> find_files(std::u16string_view directory, std::u16string_view pattern) {
    std::vector<std::u16string> names;
    std::wstring query(directory.begin(), directory.end());
    if (!query.empty() && query.back() != L'\\' && query.back() != L'/') query += L'\\';
    query.append(pattern.begin(), pattern.end());
    WIN32_FIND_DATAW found{};
    win32::Scoped<HANDLE, CloseSearch> search(::FindFirstFileW(query.c_str(), &found));
    if (!search.valid()) return names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        std::wstring name(found.cFileName);
        names.emplace_back(name.begin(), name.end());
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

bool regular_file_exists(std::u16string_view path) {
    std::wstring name(path.begin(), path.end());
    if (name.find(L'\0') != std::wstring::npos) return false;
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace platform
