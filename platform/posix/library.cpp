// POSIX only: shared libraries through dlopen.
#include "platform/library.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary::~SharedLibrary() { unload(); }

bool SharedLibrary::load(const std::string& path) {
    unload();
    std::string name = path;
    for (char& c : name)
        if (c == '\\') c = '/';
    // dlopen searches the library path for a bare name; Windows looks in the
    // current directory first, which is what a plug-in host relies on.
    if (name.find('/') == std::string::npos) name = "./" + name;
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* message = ::dlerror();
        error_ = message ? message : "dlopen failed";
        return false;
    }
    error_.clear();
    return true;
}

void SharedLibrary::unload() {
    if (handle_ != nullptr) ::dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return ::dlsym(handle_, name);
}

std::string SharedLibrary::file_name(const std::string& base) { return base + ".so"; }

}  // namespace platform
