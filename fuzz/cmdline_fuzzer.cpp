// Fuzz target of the Windows command-line splitter and quoting. Besides the
// sanitizers, it checks the promise that the utility's flash command and the
// adapter tool rely on: any argument, quoted, comes back intact as exactly
// one argument, alone or among others.
#include "platform/cmdline.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "cmdline fuzzer: %s\n", what);
    std::abort();
}

std::string quoted_line(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        line += platform::quote_argument(argument);
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);

    // The input as one argument.
    std::vector<std::string> alone = platform::split_command_line(platform::quote_argument(input));
    require(alone.size() == 1 && alone[0] == input, "a quoted argument comes back as itself");

    // The input as a command line: what it splits into, quoted again, splits
    // the same way.
    std::vector<std::string> arguments = platform::split_command_line(input);
    require(platform::split_command_line(quoted_line(arguments)) == arguments, "quoted arguments split back alike");
    for (const std::string& argument : arguments)
        require(argument.size() <= input.size(), "an argument is never longer than its line");
    return 0;
}
