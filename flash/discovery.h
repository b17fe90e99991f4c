// Adapter discovery: the adapter tool lists the adapters in a report file,
// and those that the catalog knows become the supported adapters.
#pragma once

#include <cstdint>
#include <string>

namespace kelvor {

// Runs a command line as a hidden child with no usable standard handles and
// returns its exit code; 1 and the error bit when it could not be started.
std::uint32_t do_command(const std::string& commandLine);

// Runs discovery (at most once successfully per process) and returns the
// tool's exit code. Callers read the adapter list, not this value.
std::uint32_t discoverAdapters();

// Runs discovery and tells whether any supported adapter was found; when
// none was, says so on the console. The run modes then end with
// KelvorExit::NoSupportedAdapter.
bool discoverSupportedAdapters();

}  // namespace kelvor
