// A file opened by its UTF-16 Windows path for shared reading and appending.
//
// The plug-in's logs are held open for a whole run while other processes
// (a second run, the host, a reader) open, read and append to the same file,
// so the file is shared for reading and writing and every append lands at
// the end of the file as it is at that moment, in one piece.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

class SharedFile {
public:
    SharedFile() = default;
    ~SharedFile() { close(); }
    SharedFile(SharedFile&& other) noexcept : handle_(std::exchange(other.handle_, invalid)) {}
    SharedFile& operator=(SharedFile&& other) noexcept {
        if (this != &other) {
            close();
            handle_ = std::exchange(other.handle_, invalid);
        }
        return *this;
    }
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Opens the file for reading and writing, creating it when missing and
    // keeping what it holds. A file this object held before is closed first.
    // False when it cannot be opened (the object then holds nothing).
    bool open(std::u16string_view path);
    bool is_open() const { return handle_ != invalid; }

    // Writes the bytes at the current end of the file in one piece, even
    // while other processes append to it. False when nothing is open or the
    // write fails.
    bool append(std::string_view bytes);

    // The whole content, read from the start whatever has been appended.
    bool read_all(std::string& bytes) const;

    // True when both objects hold the same file on disk, whatever names
    // they were opened by.
    bool same_file_as(const SharedFile& other) const;

    // False when nothing was open or the system reports a failure; the
    // object holds nothing afterwards in either case.
    bool close();

private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;
};

}  // namespace platform
