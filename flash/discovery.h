// Adapter discovery: the adapter tool lists the adapters in a report file,
// and those that the catalog knows become the supported adapters.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kelvor {

// Runs a command line as a hidden child with no usable standard handles and
// returns its exit code; 1 and the error bit when it could not be started.
std::uint32_t do_command(const std::string& commandLine);

// Runs discovery (at most once successfully per process) and returns the
// tool's exit code. Callers read the adapter list, not this value.
std::uint32_t discoverAdapters();

// Runs discovery. When there is no supported adapter to work on, says why
// on the console and returns the exit code that the run mode ends with:
// KelvorExit::DiscoveryFailed when the tool could not tell which adapters
// there are, KelvorExit::NoSupportedAdapter when it told and none is in the
// catalog. Nothing when there are supported adapters.
std::optional<std::uint32_t> discoverSupportedAdapters();

// Says on the console that discovery failed; returns
// KelvorExit::DiscoveryFailed.
std::uint32_t reportDiscoveryFailed();

}  // namespace kelvor
