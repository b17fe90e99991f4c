// POSIX only: how Windows paths above the layer map onto this file system.
#pragma once

#include <string>

namespace platform::posix {

// The directory that stands for the system drive: $SystemDrive, else "/".
std::string system_drive_directory();

}  // namespace platform::posix
