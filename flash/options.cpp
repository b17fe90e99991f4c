#include "kelvor_core/options.h"
#include "kelvor_core/log.h"
#include "kelvor_core/runstate.h"

#include "platform/ascii.h"

#include <array>
#include <string_view>

namespace kelvor {

namespace {

enum class OptionKind { Help, Debug, Bits };

struct OptionSpec {
    std::array<std::string_view, 4> spellings;  // unused slots stay empty
    OptionKind kind;
    bool takesFileName;
    std::uint32_t bits;
};

// Spellings are compared without regard to letter case. "-f" and "-ql" are
// deliberately left out of the usage text.
constexpr OptionSpec Options[] = {
    {{"-h", "/h", "?", "-help"}, OptionKind::Help, false, 0},
    {{"-debug", "/debug"}, OptionKind::Debug, false, 0},
    {{"-c", "/c"}, OptionKind::Bits, false, flag::ShowCurrent},
    {{"-s", "/s"}, OptionKind::Bits, false, flag::Silent},
    {{"-f", "/f"}, OptionKind::Bits, false, flag::Force},
    {{"-y", "/y"}, OptionKind::Bits, false, flag::AssumeDefault},
    {{"-d", "/d"}, OptionKind::Bits, true, flag::WriteReport},
    {{"-u", "/u"}, OptionKind::Bits, true, flag::UpdateFromReport},
    {{"-v", "/v"}, OptionKind::Bits, true, flag::VersionReport},
    {{"-n", "/n"}, OptionKind::Bits, false, flag::StatusOnly},
    {{"-ql", "/ql"}, OptionKind::Bits, false, flag::Identify},
};

constexpr const char* UsageLines[] = {
    "USAGE: Kelvor [ -s  ] [ -y  ] [ -c ] [ -h ] [ -d <fileName> ] [ -u <fileName> ] [ -n ] [ -v <fileName> ]",
    "With no options, interactively upgrade firmware.",
    "-s  Silent { Not with -c }",
    "-y  Assume default repsonse for all prompts.",
    "-c  Display currently installed firmware information.",
    "-h  Display this help menu.",
    "-d <fileName>  Generate xml discovery report to an XML file.",
    "-u <fileName>  Read XML discovery report and perform firmware upgrade.",
    "-n  No update is required just exit with firmware version status.( Used with Zorvane.exe )",
    "-v <fileName> Generate XML report only with firmware version details.",
};

const OptionSpec* findOption(std::string_view argument) {
    for (const OptionSpec& option : Options)
        for (std::string_view spelling : option.spellings)
            if (!spelling.empty() && platform::equals_ignoring_case(argument, spelling)) return &option;
    return nullptr;
}

}  // namespace

void printUsage() {
    LogLine log;
    for (const char* line : UsageLines) {
        log << line;
        log.emit(true);
    }
}

ArgumentsOutcome readArguments(const std::vector<std::string>& arguments) {
    RunState& state = runState();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const OptionSpec* option = findOption(arguments[i]);
        if (option == nullptr || option->kind == OptionKind::Help) {
            printUsage();
            return ArgumentsOutcome::UsageShown;
        }
        if (option->kind == OptionKind::Debug) {
            state.debugMode = true;
            continue;
        }
        if (option->takesFileName) {
            if (i + 1 >= arguments.size()) {
                printUsage();
                return ArgumentsOutcome::UsageShown;
            }
            state.reportFileName = arguments[++i];
        }
        state.flags |= option->bits;
        if (option->bits == flag::Silent) state.silentMode = true;
    }
    return ArgumentsOutcome::Proceed;
}

RunMode selectRunMode(std::uint32_t flags) {
    auto has = [flags](std::uint32_t bits) { return (flags & bits) == bits; };
    auto any = [&](std::initializer_list<std::uint32_t> options) {
        for (std::uint32_t bits : options)
            if (has(bits)) return true;
        return false;
    };
    using namespace flag;

    if (has(Silent) && any({ShowCurrent, AssumeDefault})) return RunMode::UsageUnsilenced;
    if (has(Force) && any({ShowCurrent, AssumeDefault, Identify})) return RunMode::Usage;
    if (has(AssumeDefault) && any({ShowCurrent, Force, WriteReport, UpdateFromReport, Identify})) return RunMode::Usage;
    if (has(ShowCurrent)) {
        if (any({Silent, Force, AssumeDefault, WriteReport, UpdateFromReport, VersionReport, Identify, StatusOnly}))
            return RunMode::Usage;
        return RunMode::ShowCurrent;
    }
    if (has(StatusOnly) && any({Silent, Force, AssumeDefault, WriteReport, UpdateFromReport, Identify}))
        return RunMode::Usage;
    if (has(VersionReport) && any({Force, AssumeDefault, WriteReport, UpdateFromReport, Identify}))
        return RunMode::Usage;

    if (has(WriteReport))
        return any({ShowCurrent, Force, AssumeDefault, UpdateFromReport, Identify}) ? RunMode::Usage
                                                                                    : RunMode::WriteReport;
    if (has(UpdateFromReport))
        return any({ShowCurrent, AssumeDefault, WriteReport, Identify}) ? RunMode::Usage : RunMode::UpdateFromReport;
    if (has(VersionReport))
        return any({ShowCurrent, Force, AssumeDefault, WriteReport, Identify}) ? RunMode::Usage
                                                                               : RunMode::VersionReport;
    if (has(Identify))
        return any({Force, AssumeDefault, WriteReport, UpdateFromReport, VersionReport, StatusOnly})
                   ? RunMode::Usage
                   : RunMode::Identify;
    return RunMode::Interactive;
}

}  // namespace kelvor
