// The utility's entry flow: arguments, start-up header, catalog presence,
// combination checks, then exactly one run mode, whose result is the exit
// code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvor {

std::uint32_t runKelvor(const std::vector<std::string>& arguments);

}  // namespace kelvor
