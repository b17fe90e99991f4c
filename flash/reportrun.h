// Work handed to the adapter tool after discovery: the report-driven runs
// (-d writes a discovery report, -u updates from one) and the flash of one
// adapter chosen in the interactive run.
#pragma once

#include <cstdint>
#include <string>

namespace kelvor {

// Mode word "discover" or "update". Returns 1 on success, 0 on failure and 3
// when no supported adapter was found.
std::uint32_t runReportMode(const std::string& modeWord);

// Flashes the adapter at index when it is selected. Returns 0 when nothing
// was to be done or the flash succeeded, else the tool's exit code.
std::uint32_t flashAdapter(std::size_t index);

}  // namespace kelvor
