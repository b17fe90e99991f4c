// POSIX only: modules found through the dynamic loader, and the file
// versions compiled into them.
#include "platform/module.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <climits>
#include <cstdlib>

// Defined by the file that CMake's add_version_info() generates for the
// program or library; a module without one links the zero version of
// module_version_none.cpp and reports none. Hidden, so every module sees its
// own, which also makes its address a marker of the module.
extern "C" const unsigned short nicfw_module_file_version[4] __attribute__((visibility("hidden")));

namespace platform {

namespace {

// The program exports this one symbol (see add_version_info()), so that a
// plug-in can name the version of the program that loaded it.
constexpr const char* ExecutableVersionSymbol = "nicfw_executable_file_version";

bool take_version(const unsigned short* numbers, FileVersion& version) {
    if (numbers == nullptr || (numbers[0] == 0 && numbers[1] == 0 && numbers[2] == 0 && numbers[3] == 0)) return false;
    version.major = numbers[0];
    version.minor = numbers[1];
    version.build = numbers[2];
    version.revision = numbers[3];
    return true;
}

}  // namespace

std::string this_module_path() {
    Dl_info info{};
    link_map* map = nullptr;
    if (::dladdr1(static_cast<const void*>(nicfw_module_file_version), &info, reinterpret_cast<void**>(&map),
                  RTLD_DL_LINKMAP) == 0 ||
        map == nullptr)
        return {};
    // The loader knows the program itself by no name of its own.
    if (map->l_name == nullptr || map->l_name[0] == '\0') return executable_path();
    char resolved[PATH_MAX];
    if (::realpath(map->l_name, resolved) != nullptr) return resolved;
    return map->l_name;
}

bool this_module_file_version(FileVersion& version) {
    return take_version(nicfw_module_file_version, version);
}

std::string executable_path() {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    return std::string(path, static_cast<std::size_t>(length));
}

bool executable_file_version(FileVersion& version) {
    return take_version(static_cast<const unsigned short*>(::dlsym(RTLD_DEFAULT, ExecutableVersionSymbol)), version);
}

}  // namespace platform
