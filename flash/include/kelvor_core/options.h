// The command line: the option table, the usage text and the combination
// rules that decide which run mode may start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvor {

enum class ArgumentsOutcome {
    Proceed,     // the flags word, modes and report file name are set
    UsageShown,  // help, an unknown argument or a missing file name: exit 0
};

// Reads the arguments left to right into the run state. Prints the usage text
// itself when it ends the run.
ArgumentsOutcome readArguments(const std::vector<std::string>& arguments);

// The ten usage lines, each emitted with echo.
void printUsage();

// The run mode that the flags word selects, after the combination rules.
// Usage means the command line is refused; UsageUnsilenced is the refusal of
// -s with -c or -y, which switches silent mode off so that the usage text
// reaches the console.
enum class RunMode {
    Usage,
    UsageUnsilenced,
    ShowCurrent,
    WriteReport,
    UpdateFromReport,
    VersionReport,
    Identify,
    Interactive
};

// Applies the combination checks and then the dispatch rules, in their
// order, to a flags word.
RunMode selectRunMode(std::uint32_t flags);

}  // namespace kelvor
