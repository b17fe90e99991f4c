// A program for the abort test: abort_probe MODE ARGUMENTS... runs the
// utility's entry flow with the arguments, as Kelvor does, and then ends the
// way MODE names ("abort": abort(), "terminate": std::terminate()), as a
// broken invariant late in a run would.
#include "kelvor_core/app.h"

#include "platform/arguments.h"

#include <cstdlib>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    std::vector<std::string> arguments = platform::program_arguments(argc, argv);
    if (arguments.empty()) return 100;
    const std::string mode = arguments[0];
    kelvor::runKelvor(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    if (mode == "terminate") std::terminate();
    std::abort();
}
