// Modules: the one that holds the calling code (the utility's program, or
// the plug-in's library inside its host) and the running executable, with
// their files and file versions.
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

// This module: the program or shared library that contains the calling
// code. Inside a plug-in that is the plug-in's file, not the host's.
std::string this_module_path();       // full path of its file
std::string this_module_directory();  // that path without the file name and its separator

// This module's file version: on Windows the version resource of its file,
// on Linux the four numbers compiled into it. False when it carries none.
bool this_module_file_version(FileVersion& version);

// String resources of this module (the plug-in's localised messages) will
// be offered here.

// The running executable (inside a plug-in: the host's program), for log
// headers that name the program that runs.
std::string executable_path();
bool executable_file_version(FileVersion& version);

}  // namespace platform
