// POSIX only: the terminal stands in for the console.
#include "platform/console.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

void size_console() {
    // A terminal window belongs to its user; it is never resized.
}

void set_console_title(const std::string& title) {
    if (!::isatty(STDOUT_FILENO)) return;
    std::fprintf(stdout, "\033]0;%s\007", title.c_str());
    std::fflush(stdout);
}

}  // namespace platform
