// POSIX only: the shared log file over a descriptor opened with O_APPEND.
#include "platform/wfile.h"
#include "platform/limits.h"
#include "filewrite.h"
#include "wpath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace platform {

bool SharedFile::open(std::u16string_view path) {
    close();
    std::optional<std::string> native = posix::native_utf16_path(path);
    if (!native) return false;
    // O_APPEND makes the kernel place each write at the end of the file as
    // it is at that moment, whoever else appended meanwhile.
    int fd = ::open(native->c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

bool SharedFile::append(std::string_view bytes) {
    if (!is_open()) return false;
    // One write() per piece: concurrent appenders never interleave inside it.
    return posix::write_all(static_cast<int>(handle_), bytes);
}

bool SharedFile::read_all(std::string& bytes) const {
    bytes.clear();
    if (!is_open()) return false;
    int fd = static_cast<int>(handle_);
    char buffer[limits::io_chunk_bytes];
    off_t offset = 0;
    for (;;) {
        ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

bool SharedFile::same_file_as(const SharedFile& other) const {
    struct stat mine, theirs;
    if (!is_open() || !other.is_open()) return false;
    if (::fstat(static_cast<int>(handle_), &mine) != 0 || ::fstat(static_cast<int>(other.handle_), &theirs) != 0)
        return false;
    return mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

bool SharedFile::close() {
    if (!is_open()) return false;
    int fd = static_cast<int>(std::exchange(handle_, invalid));
    // The descriptor is gone even when close() reports an error; retrying
    // could close a descriptor that another thread has just been given.
    return ::close(fd) == 0;
}

}  // namespace platform
