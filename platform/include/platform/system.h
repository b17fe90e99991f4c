// System information: directories, environment, local time.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The Windows directory, such as "C:\Windows". On Linux the system drive is
// the directory named by the environment variable SystemDrive (when unset,
// the file system root "/"), and this answers "C:\Windows" on it, so that a
// path built from its drive letter lands in that directory.
std::string windows_directory();

// The value of an environment variable, or nothing when it is not set.
std::optional<std::string> environment_variable(const std::string& name);

// Sets an environment variable for this process and the children it starts.
bool set_environment_variable(const std::string& name, const std::string& value);

// The current local time as the C library's asctime renders it:
// "Tue Dec 08 01:02:03 2026\n" (the day in two digits).
std::string local_time_asctime();

}  // namespace platform
