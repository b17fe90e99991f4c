// Windows only: the arguments from the process's wide command line.
#include "platform/arguments.h"
#include "wide.h"

#include <shellapi.h>

namespace platform {

std::vector<std::string> program_arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
        return arguments;
    }
    for (int i = 1; i < count; ++i) arguments.push_back(win32::narrow(wide[i], static_cast<int>(wcslen(wide[i]))));
    ::LocalFree(wide);
    return arguments;
}

}  // namespace platform
