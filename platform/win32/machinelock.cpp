// Windows only: the machine-wide lock as a named mutex in the global
// namespace, so that runs in every session share it.
#include "platform/machinelock.h"
#include "wide.h"

namespace platform {

MachineLock::MachineLock(const std::string& name, const std::string& folder) : name_(name), folder_(folder) {}

MachineLock::~MachineLock() {
    release();
    if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

namespace {

// A mutex that another account created may refuse creation rights and still
// allow waiting on it.
HANDLE open_mutex(const std::string& name) {
    std::wstring global = L"Global\\" + win32::widen(name);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, global.c_str());
    if (mutex == nullptr && ::GetLastError() == ERROR_ACCESS_DENIED)
        mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, global.c_str());
    return mutex;
}

// An abandoned mutex (its holder died) is handed to the waiter: the lock is
// then free, which is what a dead run must leave behind.
MachineLock::Status wait_for(HANDLE mutex, DWORD milliseconds) {
    switch (::WaitForSingleObject(mutex, milliseconds)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        return MachineLock::Status::acquired;
    case WAIT_TIMEOUT:
        return MachineLock::Status::busy;
    default:
        return MachineLock::Status::unavailable;
    }
}

}  // namespace

MachineLock::Status MachineLock::take(bool wait) {
    if (held_) return Status::acquired;
    if (handle_ == -1) {
        HANDLE mutex = open_mutex(name_);
        if (mutex == nullptr) return Status::unavailable;
        handle_ = reinterpret_cast<std::intptr_t>(mutex);
    }
    Status status = wait_for(reinterpret_cast<HANDLE>(handle_), wait ? INFINITE : 0);
    held_ = status == Status::acquired;
    return status;
}

void MachineLock::release() {
    if (!held_) return;
    ::ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
    held_ = false;
}

}  // namespace platform
