// Windows only: the driver installation's file operations, answering with
// the system's own error codes.
#include "platform/fileops.h"

#include "utf16.h"

namespace platform {

namespace {

std::uint32_t outcome(BOOL done) {
    return done ? 0 : static_cast<std::uint32_t>(::GetLastError());
}

}  // namespace

std::uint32_t copy_file_status(std::u16string_view from, std::u16string_view to, bool failIfExists) {
    std::optional<std::wstring> source = win32::wide_path(from);
    std::optional<std::wstring> target = win32::wide_path(to);
    if (!source || !target) return error_invalid_name;
    return outcome(::CopyFileW(source->c_str(), target->c_str(), failIfExists ? TRUE : FALSE));
}

std::uint32_t delete_file_status(std::u16string_view path) {
    std::optional<std::wstring> name = win32::wide_path(path);
    if (!name) return error_invalid_name;
    return outcome(::DeleteFileW(name->c_str()));
}

std::uint32_t move_file_status(std::u16string_view from, std::u16string_view to) {
    std::optional<std::wstring> source = win32::wide_path(from);
    std::optional<std::wstring> target = win32::wide_path(to);
    if (!source || !target) return error_invalid_name;
    return outcome(::MoveFileW(source->c_str(), target->c_str()));
}

std::uint32_t create_directory_status(std::u16string_view path) {
    std::optional<std::wstring> name = win32::wide_path(path);
    if (!name) return error_invalid_name;
    return outcome(::CreateDirectoryW(name->c_str(), nullptr));
}

bool make_file_writable(std::u16string_view path) {
    std::optional<std::wstring> name = win32::wide_path(path);
    if (!name) return false;
    DWORD attributes = ::GetFileAttributesW(name->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return true;
    return ::SetFileAttributesW(name->c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) != 0;
}

std::uint32_t schedule_at_restart(std::u16string_view from, std::u16string_view to) {
    std::optional<std::wstring> source = win32::wide_path(from);
    std::optional<std::wstring> target = win32::wide_path(to);
    if (!source || !target) return error_invalid_name;
    if (to.empty()) return outcome(::MoveFileExW(source->c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    return outcome(
        ::MoveFileExW(source->c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT));
}

bool FileInUse::hold(std::u16string_view path) {
    release();
    std::optional<std::wstring> name = win32::wide_path(path);
    if (!name) return false;
    // Readers are let in, as a running program lets them in; writers,
    // deleters and renamers are not.
    HANDLE file = ::CreateFileW(name->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

void FileInUse::release() {
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

}  // namespace platform
