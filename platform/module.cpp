// Portable part of the module service.
#include "platform/module.h"

namespace platform {

std::string this_module_directory() {
    std::string path = this_module_path();
    std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace platform
