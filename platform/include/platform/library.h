// Loading a shared library (a plug-in) and finding its exports.
#pragma once

#include <string>

namespace platform {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library from a path; false with error() set on failure.
    bool load(const std::string& path);
    void unload();
    bool loaded() const { return handle_ != nullptr; }

    // Address of an export, or null.
    void* symbol(const char* name) const;
    const std::string& error() const { return error_; }

    // The file name of a library called `base` on this platform, such as
    // "Tamsel.dll" or "Tamsel.so".
    static std::string file_name(const std::string& base);

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace platform
