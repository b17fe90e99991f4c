// The state file "rirador.state": the simulated machine in a line-based
// text format (described in the README beside this file).
#pragma once

#include "machine.h"

#include <optional>
#include <string>
#include <string_view>

namespace rirador {

struct StateLoad {
    std::optional<Machine> machine;
    std::string problem;  // "FILE:LINE: what is wrong" when machine is empty
};

StateLoad parseState(std::string_view text, const std::string& fileName);
StateLoad loadStateFile(const std::string& fileName);

// The machine in the same format: one key per line, in a fixed order, so a
// reload gives back the same machine (comments and layout are not kept).
std::string renderState(const Machine& machine);
bool saveStateFile(const Machine& machine, const std::string& fileName);

}  // namespace rirador
