// Windows only: file and directory operations through the wide-character API.
#include "platform/wpaths.h"
#include "utf16.h"

#include <cwchar>

namespace platform {

bool path_exists(std::u16string_view path) {
    std::optional<std::wstring> name = win32::wide_path(path);
    return name && ::GetFileAttributesW(name->c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool create_directory(std::u16string_view path) {
    std::optional<std::wstring> name = win32::wide_path(path);
    return name && ::CreateDirectoryW(name->c_str(), nullptr) != 0;
}

bool delete_file(std::u16string_view path) {
    std::optional<std::wstring> name = win32::wide_path(path);
    return name && ::DeleteFileW(name->c_str()) != 0;
}

bool rename_file(std::u16string_view from, std::u16string_view to) {
    std::optional<std::wstring> source = win32::wide_path(from);
    std::optional<std::wstring> target = win32::wide_path(to);
    return source && target && ::MoveFileW(source->c_str(), target->c_str()) != 0;
}

std::optional<std::u16string> temporary_file_name(std::u16string_view directory, std::u16string_view prefix,
                                                  unsigned unique) {
    // With 0 the system would pick the number itself and create the file.
    if (unique == 0) return std::nullopt;
    std::optional<std::wstring> path = win32::wide_path(directory);
    std::optional<std::wstring> start = win32::wide_path(prefix);
    if (!path || !start) return std::nullopt;
    wchar_t name[MAX_PATH];
    if (::GetTempFileNameW(path->c_str(), start->c_str(), unique, name) == 0) return std::nullopt;
    return win32::from_wide(name, std::wcslen(name));
}

}  // namespace platform
