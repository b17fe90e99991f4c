// Windows only: COM for the calling thread and the interfaces it hands out.
#pragma once

#include <objbase.h>
#include <windows.h>

namespace platform::win32 {

// COM for the calling thread in the given apartment model, released again
// when it was this object that started it. A thread that its program already
// put in the other apartment keeps it; the shell and WMI objects work there
// too, so that is no failure.
class ComScope {
public:
    explicit ComScope(DWORD model) : result_(::CoInitializeEx(nullptr, model)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// A COM interface released on destruction.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface** out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace platform::win32
