// Windows only: the real machine answers; there is no simulated one.
#include "platform/machine.h"

namespace platform {

std::optional<std::string> simulated_machine_directory() { return std::nullopt; }

}  // namespace platform
