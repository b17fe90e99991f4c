// Files and directories, named the Windows way.
//
// Paths above this layer are Windows paths: "\" or "/" separate directories,
// and "C:" names a drive. On Linux every drive letter maps to the system
// drive directory (see system.h) and "\" is a separator.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The path as the operating system takes it.
std::string native_path(const std::string& path);

// True when a file or directory of that name exists.
bool path_exists(const std::string& path);

// Creates one directory; false when it could not be created (also when it
// already exists).
bool create_directory(const std::string& path);

// Deletes a file; false when it could not be deleted.
bool delete_file(const std::string& path);

// What tells one state of a file from another: when it was last written,
// its size, and which file of its volume it is (a file written anew in
// place of the old one is another file). Compared as a whole; the fields
// mean nothing on their own.
struct FileStamp {
    std::uint64_t writeTime = 0;
    std::uint64_t size = 0;
    std::uint64_t identity = 0;
    bool directory = false;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of a file or directory; empty when nothing of that name exists.
std::optional<FileStamp> file_stamp(const std::string& path);

// Opens a file with the C runtime's mode letters ("rb", "wb", ...).
std::FILE* open_file(const std::string& path, const char* mode);

// The line end of text files on this system: "\r\n" on Windows, "\n"
// elsewhere. The appends below store bytes as given; a writer of text turns
// its own line ends into this one.
std::string_view text_file_line_end();

// Appends bytes to a file that other processes may be appending to at the
// same time: the file is opened shared, the whole text goes out in one write
// at the end of the file, and the file is closed again. False on any failure.
bool append_to_file(const std::string& path, std::string_view text);

// The same appends to one file again and again, with its name resolved once.
class AppendTarget {
public:
    AppendTarget() = default;
    explicit AppendTarget(const std::string& path);
    const std::string& path() const { return path_; }
    bool append(std::string_view text) const;

private:
    std::string path_;
    std::string resolved_;  // the system's form of the name
};

// A file held open for shared appending; each write is one append at the
// end of the file. Closed on destruction.
class AppendFile {
public:
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool is_open() const { return handle_ != invalid; }
    bool good() const { return is_open() && good_; }
    bool write(std::string_view text);
    void close();

private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid;
    bool good_ = true;
};

}  // namespace platform
