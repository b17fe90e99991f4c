// POSIX only: where the simulated Windows machine lies.
#include "platform/machine.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> simulated_machine_directory() {
    const char* directory = std::getenv("YKZ_MACHINE");
    if (directory == nullptr || *directory == '\0') return std::nullopt;
    return std::string(directory);
}

}  // namespace platform
