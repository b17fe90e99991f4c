// Windows only: DLLs through LoadLibrary.
#include "platform/library.h"
#include "wide.h"

namespace platform {

SharedLibrary::~SharedLibrary() { unload(); }

bool SharedLibrary::load(const std::string& path) {
    unload();
    HMODULE module = ::LoadLibraryW(win32::widen(path).c_str());
    if (module == nullptr) {
        error_ = "LoadLibrary failed with error " + std::to_string(::GetLastError());
        return false;
    }
    handle_ = reinterpret_cast<void*>(module);
    error_.clear();
    return true;
}

void SharedLibrary::unload() {
    if (handle_ != nullptr) ::FreeLibrary(reinterpret_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(handle_), name));
}

std::string SharedLibrary::file_name(const std::string& base) { return base + ".dll"; }

}  // namespace platform
