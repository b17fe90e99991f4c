// The utility's entry flow: arguments, start-up header, catalog presence,
// combination checks, then exactly one run mode, whose result is the exit
// code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvor {

std::uint32_t runKelvor(const std::vector<std::string>& arguments);

// Makes an abort of the process (a broken invariant, std::terminate) end
// like an exception at the entry point: the unexpected-error line and exit
// code 0, never the C runtime's own code, which a caller would read as
// "nothing to do". runKelvor arranges it as soon as it starts and again once
// the log path and the silent mode are known.
void armAbortOutcome();

}  // namespace kelvor
