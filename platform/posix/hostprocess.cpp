// POSIX only: the host process's arguments from /proc, and its streams.
#include "platform/hostprocess.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/cmdline.h"
#include "platform/unicode.h"

namespace platform {

namespace {

// The arguments of this process as the kernel keeps them: read from /proc,
// because a plug-in sees no argc and argv of its host.
std::vector<std::string> own_arguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

}  // namespace

std::u16string process_command_line() {
    std::vector<std::string> arguments = own_arguments();
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (i == 0) {
            for (char& c : argument)
                if (c == '/') c = '\\';
        }
        if (i > 0) line += ' ';
        // Plain words stay bare, as a person would type them, so the line
        // reads like the Windows one; anything else is quoted.
        bool plain = !argument.empty() && argument.find_first_of(" \t\"") == std::string::npos;
        line += plain ? argument : quote_argument(argument);
    }
    return utf8_to_utf16(line);
}

void open_process_console(int /*lines*/) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
}

}  // namespace platform
