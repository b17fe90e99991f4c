// POSIX only: files and directories; Windows paths mapped onto this system.
#include "platform/files.h"
#include "filewrite.h"
#include "paths.h"

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace posix {

std::string system_drive_directory() {
    const char* drive = std::getenv("SystemDrive");
    if (drive == nullptr || *drive == '\0') return "/";
    return drive;
}

}  // namespace posix

std::string native_path(const std::string& path) {
    std::string rest = path;
    std::string prefix;
    if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
        prefix = posix::system_drive_directory();
        rest.erase(0, 2);
        if (!prefix.empty() && prefix.back() == '/' && !rest.empty() && (rest[0] == '/' || rest[0] == '\\'))
            prefix.pop_back();
        else if (!rest.empty() && rest[0] != '/' && rest[0] != '\\' && prefix.back() != '/')
            prefix += '/';
    }
    for (char& c : rest)
        if (c == '\\') c = '/';
    return prefix + rest;
}

bool path_exists(const std::string& path) {
    struct stat info;
    return ::stat(native_path(path).c_str(), &info) == 0;
}

std::optional<FileStamp> file_stamp(const std::string& path) {
    struct stat info;
    if (::stat(native_path(path).c_str(), &info) != 0) return std::nullopt;
    FileStamp stamp;
    stamp.writeTime = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                      static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.identity = static_cast<std::uint64_t>(info.st_ino) ^ (static_cast<std::uint64_t>(info.st_dev) << 48);
    stamp.directory = S_ISDIR(info.st_mode);
    return stamp;
}

bool create_directory(const std::string& path) {
    return ::mkdir(native_path(path).c_str(), 0777) == 0;
}

bool delete_file(const std::string& path) {
    return ::unlink(native_path(path).c_str()) == 0;
}

std::FILE* open_file(const std::string& path, const char* mode) {
    return std::fopen(native_path(path).c_str(), mode);
}

namespace {

// Every write(2) then goes to the end of the file as one piece, so the lines
// of concurrent writers never interleave.
int open_native_for_append(const std::string& nativePath) {
    return ::open(nativePath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}

}  // namespace

std::string_view text_file_line_end() { return "\n"; }

bool append_to_file(const std::string& path, std::string_view text) { return AppendTarget(path).append(text); }

AppendTarget::AppendTarget(const std::string& path) : path_(path), resolved_(native_path(path)) {}

bool AppendTarget::append(std::string_view text) const {
    int fd = open_native_for_append(resolved_);
    if (fd < 0) return false;
    bool ok = posix::write_all(fd, text);
    if (::close(fd) != 0) ok = false;
    return ok;
}

AppendFile::AppendFile(const std::string& path) {
    int fd = open_native_for_append(native_path(path));
    if (fd >= 0) handle_ = fd;
}

AppendFile::~AppendFile() { close(); }

bool AppendFile::write(std::string_view text) {
    if (!is_open()) return false;
    if (!posix::write_all(static_cast<int>(handle_), text)) good_ = false;
    return good_;
}

void AppendFile::close() {
    if (!is_open()) return;
    if (::close(static_cast<int>(handle_)) != 0) good_ = false;
    handle_ = invalid;
}

}  // namespace platform
