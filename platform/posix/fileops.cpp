// POSIX only: the driver installation's file operations with the Windows
// error codes. A file counts as in use while another open file holds an
// exclusive flock on it or while it runs as a program; operations delayed
// until restart go to the simulated machine's registry.
#include "platform/fileops.h"
#include "platform/limits.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "platform/registry.h"
#include "platform/unicode.h"
#include "filewrite.h"
#include "wpath.h"

namespace platform {

namespace {

// A descriptor closed on destruction.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

std::string parent_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Windows tells a missing file from a missing directory on its way.
std::uint32_t missing(const std::string& path) {
    struct stat info {};
    bool parentThere = ::stat(parent_of(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return parentThere ? error_file_not_found : error_path_not_found;
}

std::uint32_t windows_error(int error, const std::string& path) {
    switch (error) {
        case 0:
            return 0;
        case ENOENT:
            return missing(path);
        case ENOTDIR:
            return error_path_not_found;
        case EACCES:
        case EPERM:
        case EISDIR:
            return error_access_denied;
        case ETXTBSY:
        case EBUSY:
            return error_sharing_violation;
        case EEXIST:
            return error_file_exists;
        case EROFS:
            return error_write_protect;
        case ENOSPC:
        case EDQUOT:
            return error_disk_full;
        case ENAMETOOLONG:
            return error_invalid_name;
        case ENOMEM:
            return error_not_enough_memory;
        default:
            return error_gen_failure;
    }
}

// True while another open file holds the exclusive lock that FileInUse
// takes.
bool locked_by_other(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0) return false;
    return ::flock(file.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

int copy_content(int from, int to) {
    char buffer[limits::io_chunk_bytes];
    for (;;) {
        ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) return 0;
        std::string_view chunk(buffer, static_cast<std::size_t>(got));
        if (!posix::write_all(to, chunk)) return errno != 0 ? errno : EIO;
    }
}

std::uint32_t copy_native(const std::string& from, const std::string& to, bool failIfExists) {
    Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.fd < 0) return windows_error(errno, from);
    struct stat info {};
    if (::fstat(source.fd, &info) != 0) return windows_error(errno, from);
    if (S_ISDIR(info.st_mode)) return error_access_denied;
    // Opening the target would empty the source before it is read; Windows
    // refuses a file copied onto itself as a file in use.
    struct stat existing {};
    if (::stat(to.c_str(), &existing) == 0 && existing.st_dev == info.st_dev && existing.st_ino == info.st_ino)
        return error_sharing_violation;
    if (locked_by_other(to)) return error_sharing_violation;
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    Descriptor target(::open(to.c_str(), flags, info.st_mode & 0777));
    if (target.fd < 0) return windows_error(errno, to);
    int error = copy_content(source.fd, target.fd);
    if (error == 0) ::fchmod(target.fd, info.st_mode & 0777);
    return windows_error(error, to);
}

}  // namespace

std::uint32_t copy_file_status(std::u16string_view from, std::u16string_view to, bool failIfExists) {
    std::optional<std::string> source = posix::native_utf16_path(from);
    std::optional<std::string> target = posix::native_utf16_path(to);
    if (!source || !target) return error_invalid_name;
    return copy_native(*source, *target, failIfExists);
}

std::uint32_t delete_file_status(std::u16string_view path) {
    std::optional<std::string> native = posix::native_utf16_path(path);
    if (!native) return error_invalid_name;
    struct stat info {};
    if (::lstat(native->c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return error_access_denied;
    if (locked_by_other(*native)) return error_sharing_violation;
    return ::unlink(native->c_str()) == 0 ? 0 : windows_error(errno, *native);
}

std::uint32_t move_file_status(std::u16string_view from, std::u16string_view to) {
    std::optional<std::string> source = posix::native_utf16_path(from);
    std::optional<std::string> target = posix::native_utf16_path(to);
    if (!source || !target) return error_invalid_name;
    if (locked_by_other(*source)) return error_sharing_violation;
    if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) == 0) return 0;
    int error = errno;
    if (error == EEXIST) return error_already_exists;
    if (error == EXDEV) {
        // Another volume: copied and deleted, as the system moves files
        // between drives.
        std::uint32_t copied = copy_native(*source, *target, true);
        if (copied == error_file_exists) return error_already_exists;
        if (copied != 0) return copied;
        return ::unlink(source->c_str()) == 0 ? 0 : windows_error(errno, *source);
    }
    if (error != EINVAL && error != ENOSYS) return windows_error(error, *source);
    struct stat info {};
    if (::lstat(target->c_str(), &info) == 0) return error_already_exists;
    return ::rename(source->c_str(), target->c_str()) == 0 ? 0 : windows_error(errno, *source);
}

std::uint32_t create_directory_status(std::u16string_view path) {
    std::optional<std::string> native = posix::native_utf16_path(path);
    if (!native) return error_invalid_name;
    if (::mkdir(native->c_str(), 0777) == 0) return 0;
    if (errno == EEXIST) return error_already_exists;
    if (errno == ENOENT) return error_path_not_found;
    return windows_error(errno, *native);
}

bool make_file_writable(std::u16string_view path) {
    std::optional<std::string> native = posix::native_utf16_path(path);
    struct stat info {};
    if (!native || ::stat(native->c_str(), &info) != 0) return false;
    return ::chmod(native->c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

std::uint32_t schedule_at_restart(std::u16string_view from, std::u16string_view to) {
    RegistryKey key;
    RegistryValue value;
    if (key.open(RegistryRoot::local_machine, pending_operations_key) == RegistryStatus::ok)
        key.read(pending_operations_value, value);
    std::vector<std::u16string> strings =
        value.type == reg_multi_sz ? split_pending_operations(value.data) : std::vector<std::u16string>{};
    strings.push_back(u"\\??\\" + std::u16string(from));
    strings.push_back(to.empty() ? std::u16string() : u"!\\??\\" + std::u16string(to));
    std::string data;
    for (const std::u16string& text : strings) {
        for (char16_t unit : text) {
            data += static_cast<char>(unit & 0xFF);
            data += static_cast<char>(unit >> 8);
        }
        data.append(2, '\0');
    }
    data.append(2, '\0');
    RegistryStatus written = registry_set_value(RegistryRoot::local_machine, pending_operations_key,
                                                pending_operations_value, RegistryValue{reg_multi_sz, data});
    // Without a simulated machine there is no registry to record it in, as
    // a user without administrator rights has none to write to.
    return written == RegistryStatus::ok ? 0 : error_access_denied;
}

bool FileInUse::hold(std::u16string_view path) {
    release();
    std::optional<std::string> native = posix::native_utf16_path(path);
    if (!native) return false;
    int fd = ::open(native->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void FileInUse::release() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

}  // namespace platform
