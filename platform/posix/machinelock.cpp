// POSIX only: the machine-wide lock as an flock on a file.
#include "platform/machinelock.h"
#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

MachineLock::MachineLock(const std::string& name, const std::string& folder) : name_(name), folder_(folder) {}

MachineLock::~MachineLock() {
    release();
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

namespace {

// The descriptor is close-on-exec: a child (the adapter tool) must not
// inherit it, or the lock would outlive this process while the child runs.
int open_lock_file(const std::string& name, const std::string& folder) {
    std::string directory = native_path(folder);
    ::mkdir(directory.c_str(), 0777);
    if (!directory.empty() && directory.back() != '/') directory += '/';
    return ::open((directory + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
}

MachineLock::Status lock(int fd, bool wait) {
    int operation = LOCK_EX | (wait ? 0 : LOCK_NB);
    for (;;) {
        if (::flock(fd, operation) == 0) return MachineLock::Status::acquired;
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? MachineLock::Status::busy : MachineLock::Status::unavailable;
    }
}

}  // namespace

MachineLock::Status MachineLock::take(bool wait) {
    if (held_) return Status::acquired;
    if (handle_ < 0) handle_ = open_lock_file(name_, folder_);
    if (handle_ < 0) return Status::unavailable;
    Status status = lock(static_cast<int>(handle_), wait);
    held_ = status == Status::acquired;
    return status;
}

void MachineLock::release() {
    if (!held_) return;
    ::flock(static_cast<int>(handle_), LOCK_UN);
    held_ = false;
}

}  // namespace platform
