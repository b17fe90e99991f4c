// The running program's own module: its file name and its file version.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t build = 0;
    std::uint16_t revision = 0;
};

// Full path of the running program's file.
std::string own_program_path();

// The program file's version: on Windows its version resource, on Linux the
// four numbers compiled into it. False when the module carries none.
bool own_file_version(FileVersion& version);

// The running executable (inside a plug-in: the host's program), for log
// headers that name the program that runs.
std::string executable_path();
bool executable_file_version(FileVersion& version);

}  // namespace platform
