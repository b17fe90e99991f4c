// POSIX only: whole-file reads of regular files.
#include "platform/wholefile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/unicode.h"

namespace platform {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

WholeFileStatus read_whole_file(const std::string& path, std::string& bytes, std::uint64_t limit) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
    // below as not a regular file.
    Descriptor fd(::open(native_path(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return WholeFileStatus::cannot_open;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return WholeFileStatus::cannot_open;
    if (static_cast<std::uint64_t>(info.st_size) > limit) return WholeFileStatus::too_large;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            bytes.clear();
            return WholeFileStatus::cannot_read;
        }
        if (got == 0) break;  // the file shrank meanwhile: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return WholeFileStatus::ok;
}

WholeFileStatus read_whole_file(std::u16string_view path, std::string& bytes, std::uint64_t limit) {
    return read_whole_file(utf16_to_utf8(path), bytes, limit);
}

}  // namespace platform
