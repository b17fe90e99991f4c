// The call log "rirador.calls": one line per run, written first, so tests can
// see exactly which arguments arrived, whatever the run does afterwards.
#pragma once

#include <string>
#include <vector>

namespace rirador {

inline constexpr const char* CallLogFileName = "rirador.calls";

// Each argument in square brackets, separated by one blank, ended by "\n"
// alone on every platform.
std::string callLogLine(const std::vector<std::string>& arguments);

// Appends the line; a log that cannot be written does not stop the run.
void recordCall(const std::vector<std::string>& arguments);

}  // namespace rirador
