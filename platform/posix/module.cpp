// POSIX only: the running module's file name and compiled-in file version.
#include "../module.h"

#include <climits>
#include <unistd.h>

// Defined by the file that CMake's add_version_info() generates for the
// program or library; a module without one links the zero version of
// module_version_none.cpp and reports none.
extern "C" const unsigned short nicfw_module_file_version[4] __attribute__((visibility("hidden")));

namespace platform {

std::string own_program_path() {
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    return std::string(path, static_cast<std::size_t>(length));
}

bool own_file_version(FileVersion& version) {
    const unsigned short* v = nicfw_module_file_version;
    if (v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0) return false;
    version.major = nicfw_module_file_version[0];
    version.minor = nicfw_module_file_version[1];
    version.build = nicfw_module_file_version[2];
    version.revision = nicfw_module_file_version[3];
    return true;
}

std::string executable_path() { return own_program_path(); }

bool executable_file_version(FileVersion& version) { return own_file_version(version); }

}  // namespace platform
