// Simulated machines for the benchmark: a firmware catalog of many models and
// a simulator state file whose adapters are all in that catalog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace utilitybench {

// The image every catalog entry names; discovery passes it to the simulator.
inline constexpr const char* ImageFileName = "fw.img";

struct Machine {
    std::string catalog;  // NICFWData.xml
    std::string state;    // rirador.state
    std::string image;    // fw.img
    std::size_t adapters = 0;
    std::size_t ports = 0;
    std::size_t older = 0;
    std::size_t same = 0;
    std::size_t newer = 0;
};

// A catalog of `models` entries and a machine of `adapters` adapters, each a
// different model of the catalog. Installed versions are a fixed mix of
// older, same and newer than the catalog's; adapters have one or two ports.
Machine buildMachine(std::size_t adapters, std::size_t models);

// The exit code of a status-only run against the machine.
std::uint32_t expectedStatusExitCode(const Machine& machine);

}  // namespace utilitybench
