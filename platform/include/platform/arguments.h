// The program's own command-line arguments as UTF-8.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The arguments after the program name. On Windows they come from the
// process's wide command line, so names outside the ANSI code page survive.
std::vector<std::string> program_arguments(int argc, char** argv);

}  // namespace platform
