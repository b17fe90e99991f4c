// POSIX only: arguments arrive as bytes, which are UTF-8 here.
#include "platform/arguments.h"

namespace platform {

std::vector<std::string> program_arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace platform
