// Windows only: a system handle that is released once, when its owner ends.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

// `Release` is a stateless function object that gives the handle back to
// the system. The system reports failure with a null handle or with
// INVALID_HANDLE_VALUE, depending on the call; neither is ever released.
template <typename Native, typename Release>
class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Native handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Native get() const { return handle_; }
    // For the calls that hand a new handle out through a pointer; whatever
    // was held is released first.
    Native* out() {
        reset();
        return &handle_;
    }
    bool valid() const { return handle_ != Native{} && reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE; }
    Native release() { return std::exchange(handle_, Native{}); }
    void reset(Native handle = Native{}) {
        if (valid()) Release{}(handle_);
        handle_ = handle;
    }

private:
    Native handle_{};
};

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};

// A kernel handle: files, processes, threads, mutexes.
using Handle = Scoped<HANDLE, CloseKernelHandle>;

}  // namespace platform::win32
