// A lock that one process of the machine holds at a time, across every
// session and user: on Windows a named mutex in the global namespace, on
// Linux an advisory lock (flock) on a file. The system drops it when the
// holding process ends, however it ends, so a run that dies never leaves the
// machine locked.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class MachineLock {
public:
    enum class Status {
        acquired,     // this process holds the lock now
        busy,         // another process holds it
        unavailable,  // the lock could not be set up at all (no rights to its folder or name)
    };

    // `name` names the lock machine-wide. `folder` is a Windows path: on
    // Linux the lock file "<name>.lock" lies there (the folder is created
    // when missing); Windows needs no file.
    MachineLock(const std::string& name, const std::string& folder);
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    // Takes the lock if nobody holds it, without waiting.
    Status try_acquire() { return take(false); }
    // Waits without a time limit until the lock is free and takes it.
    Status acquire() { return take(true); }
    void release();

private:
    Status take(bool wait);

    std::string name_;
    std::string folder_;
    std::intptr_t handle_ = -1;  // the mutex handle on Windows, the lock file's descriptor on Linux
    bool held_ = false;
};

}  // namespace platform
