// The simulated Windows machine of the Linux build.
//
// Linux has no registry, no service control manager and no Windows version.
// When the environment variable YKZ_MACHINE names a directory, that
// directory stands for the whole machine (registry, services, Windows
// version, PCI devices, system model; platform/README.md describes it);
// unset, Linux's own facts apply and the Windows-only ones are absent. On
// Windows the real machine always answers.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The simulated machine's directory (a native path), or nothing: always
// nothing on Windows.
std::optional<std::string> simulated_machine_directory();

}  // namespace platform
