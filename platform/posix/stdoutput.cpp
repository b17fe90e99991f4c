// POSIX only: standard output is descriptor 1; remembering it keeps a
// duplicate, and putting it back duplicates that onto 1 again.
#include "platform/stdoutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool same_file(int left, int right) {
    struct stat a, b;
    if (::fstat(left, &a) != 0 || ::fstat(right, &b) != 0) return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

SavedStandardOutput::SavedStandardOutput() : saved_(::fcntl(1, F_DUPFD_CLOEXEC, 3)) {}

SavedStandardOutput::~SavedStandardOutput() {
    if (saved_ >= 0) ::close(static_cast<int>(saved_));
}

void SavedStandardOutput::restore() const {
    if (saved_ < 0 || is_current()) return;
    ::dup2(static_cast<int>(saved_), 1);
}

bool SavedStandardOutput::is_current() const {
    if (saved_ < 0) return ::fcntl(1, F_GETFD) < 0;
    return same_file(static_cast<int>(saved_), 1);
}

}  // namespace platform
