// Windows only: files and directories through the wide-character API.
#include "platform/files.h"
#include "appendlock.h"
#include "wide.h"

#include <string>

namespace platform {

std::string native_path(const std::string& path) { return path; }

bool path_exists(const std::string& path) {
    return ::GetFileAttributesW(win32::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileStamp> file_stamp(const std::string& path) {
    // Backup semantics open directories too; no access beyond the attributes
    // is asked, so a file that another process holds open still answers.
    win32::Handle file(::CreateFileW(win32::widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    auto join = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    FileStamp stamp;
    stamp.writeTime = join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
    stamp.size = join(info.nFileSizeHigh, info.nFileSizeLow);
    stamp.identity = join(info.nFileIndexHigh, info.nFileIndexLow) ^ (std::uint64_t{info.dwVolumeSerialNumber} << 48);
    stamp.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return stamp;
}

bool create_directory(const std::string& path) {
    return ::CreateDirectoryW(win32::widen(path).c_str(), nullptr) != 0;
}

bool delete_file(const std::string& path) { return ::DeleteFileW(win32::widen(path).c_str()) != 0; }

std::FILE* open_file(const std::string& path, const char* mode) {
    return ::_wfopen(win32::widen(path).c_str(), win32::widen(mode).c_str());
}

namespace {

// FILE_APPEND_DATA without FILE_WRITE_DATA makes every WriteFile an append
// at the current end of the file. Read access is only there because
// LockFileEx needs it (see AppendLock).
HANDLE open_for_append(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), FILE_APPEND_DATA | GENERIC_READ | SYNCHRONIZE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool write_whole(HANDLE file, std::string_view text) {
    win32::AppendLock lock(file);
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        DWORD written = 0;
        DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        left -= written;
    }
    return true;
}

}  // namespace

std::string_view text_file_line_end() { return "\r\n"; }

bool append_to_file(const std::string& path, std::string_view text) { return AppendTarget(path).append(text); }

AppendTarget::AppendTarget(const std::string& path) : path_(path), resolved_(path) {}

bool AppendTarget::append(std::string_view text) const {
    win32::Handle file(open_for_append(win32::widen(resolved_)));
    if (!file.valid()) return false;
    bool ok = write_whole(file.get(), text);
    if (!::CloseHandle(file.release())) ok = false;
    return ok;
}

AppendFile::AppendFile(const std::string& path) {
    HANDLE file = open_for_append(win32::widen(path));
    if (file != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<std::intptr_t>(file);
}

AppendFile::~AppendFile() { close(); }

bool AppendFile::write(std::string_view text) {
    if (!is_open()) return false;
    if (!write_whole(reinterpret_cast<HANDLE>(handle_), text)) good_ = false;
    return good_;
}

void AppendFile::close() {
    if (!is_open()) return;
    if (!::CloseHandle(reinterpret_cast<HANDLE>(handle_))) good_ = false;
    handle_ = invalid;
}

}  // namespace platform
