// Windows only: whole-file reads of regular files.
#include "platform/wholefile.h"

#include <algorithm>

#include "platform/unicode.h"
#include "wide.h"

namespace platform {

namespace {

WholeFileStatus read_open_file(HANDLE file, std::string& bytes, std::uint64_t limit) {
    // Only disk files: a pipe or a console device is not a package file.
    if (::GetFileType(file) != FILE_TYPE_DISK) return WholeFileStatus::cannot_open;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return WholeFileStatus::cannot_open;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) return WholeFileStatus::cannot_read;
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return WholeFileStatus::too_large;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + done, chunk, &got, nullptr)) {
            bytes.clear();
            return WholeFileStatus::cannot_read;
        }
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return WholeFileStatus::ok;
}

}  // namespace

WholeFileStatus read_whole_file(std::u16string_view path, std::string& bytes, std::uint64_t limit) {
    bytes.clear();
    std::wstring wide(path.begin(), path.end());
    win32::Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return WholeFileStatus::cannot_open;
    return read_open_file(file.get(), bytes, limit);
}

WholeFileStatus read_whole_file(const std::string& path, std::string& bytes, std::uint64_t limit) {
    return read_whole_file(utf8_to_utf16(path), bytes, limit);
}

}  // namespace platform
