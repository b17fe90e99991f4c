// Runs one command line hidden, as the plug-in does inside its host, from a
// process that its test starts without a console or standard handles. Ends
// with the run's result, or 99 when the standard output was not put back.
#include "platform/arguments.h"
#include "platform/stdoutput.h"
#include "platform/unicode.h"
#include "tamsel_firmware/runner.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments = platform::program_arguments(argc, argv);
    if (arguments.empty()) return 98;
    platform::SavedStandardOutput before;
    std::uint32_t result = RunHidden(platform::utf8_to_utf16(arguments[0]).c_str());
    if (!before.is_current()) return 99;
    return static_cast<int>(result);
}
