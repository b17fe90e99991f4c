// Windows only: one appending writer at a time on a shared file.
#pragma once

#include <windows.h>

namespace platform::win32 {

// Appending writers serialise on one byte far beyond any real end of file.
// Windows places each append at the end of the file atomically, but Wine
// places it at the end it last saw, so two writers at once could overwrite
// each other's text without the lock. The handle needs read access for
// LockFileEx.
class AppendLock {
public:
    explicit AppendLock(HANDLE file) : file_(file) {
        overlapped_.OffsetHigh = 0x40000000;
        locked_ = ::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &overlapped_) != 0;
    }
    ~AppendLock() {
        if (locked_) ::UnlockFileEx(file_, 0, 1, 0, &overlapped_);
    }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;

private:
    HANDLE file_;
    OVERLAPPED overlapped_{};
    bool locked_ = false;
};

}  // namespace platform::win32
