// Windows only: the shared log file over a kernel file handle.
#include "platform/wfile.h"
#include "platform/limits.h"
#include "appendlock.h"
#include "utf16.h"

namespace platform {

namespace {

HANDLE native(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool SharedFile::open(std::u16string_view path) {
    close();
    std::optional<std::wstring> name = win32::wide_path(path);
    if (!name) return false;
    HANDLE file = ::CreateFileW(name->c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool SharedFile::append(std::string_view bytes) {
    if (!is_open()) return false;
    win32::AppendLock lock(native(handle_));
    while (!bytes.empty()) {
        // An offset of all ones means "at the end of the file".
        OVERLAPPED at_end{};
        at_end.Offset = 0xFFFFFFFF;
        at_end.OffsetHigh = 0xFFFFFFFF;
        DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(native(handle_), bytes.data(), chunk, &written, &at_end) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool SharedFile::read_all(std::string& bytes) const {
    bytes.clear();
    if (!is_open()) return false;
    char buffer[limits::io_chunk_bytes];
    ULONGLONG offset = 0;
    for (;;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!::ReadFile(native(handle_), buffer, sizeof buffer, &got, &at)) return ::GetLastError() == ERROR_HANDLE_EOF;
        if (got == 0) return true;
        bytes.append(buffer, got);
        offset += got;
    }
}

bool SharedFile::same_file_as(const SharedFile& other) const {
    BY_HANDLE_FILE_INFORMATION mine, theirs;
    if (!is_open() || !other.is_open()) return false;
    if (!::GetFileInformationByHandle(native(handle_), &mine) ||
        !::GetFileInformationByHandle(native(other.handle_), &theirs))
        return false;
    return mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber && mine.nFileIndexHigh == theirs.nFileIndexHigh &&
           mine.nFileIndexLow == theirs.nFileIndexLow;
}

bool SharedFile::close() {
    if (!is_open()) return false;
    return ::CloseHandle(native(std::exchange(handle_, invalid))) != 0;
}

}  // namespace platform
