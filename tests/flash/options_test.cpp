// The command line: the option table and the combination rules, written down
// from what an administrator may type and what each must lead to.
#include "kelvor_core/options.h"
#include "kelvor_core/runstate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kelvor::RunMode;
using Arguments = std::vector<std::string>;

// Reads the arguments into a fresh run state; the usage text they may print
// goes to standard output, where the test ignores it.
kelvor::ArgumentsOutcome read(const Arguments& arguments) {
    kelvor::resetRunState();
    return kelvor::readArguments(arguments);
}

RunMode modeFor(const Arguments& arguments) {
    if (read(arguments) == kelvor::ArgumentsOutcome::UsageShown) return RunMode::Usage;
    return kelvor::selectRunMode(kelvor::runState().flags);
}

std::string joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& a : arguments) text += (text.empty() ? "" : " ") + a;
    return text;
}

struct ModeCase {
    Arguments arguments;
    RunMode expected;
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const ModeCase& c, std::ostream* out) {
    *out << "Kelvor " << joined(c.arguments) << " -> mode " << static_cast<int>(c.expected);
}

class CombinationRules : public testing::TestWithParam<ModeCase> {};

TEST_P(CombinationRules, SelectTheRunMode) {
    EXPECT_EQ(modeFor(GetParam().arguments), GetParam().expected) << "Kelvor " << joined(GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Allowed, CombinationRules,
    testing::Values(ModeCase{{}, RunMode::Interactive}, ModeCase{{"-s"}, RunMode::Interactive},
                    ModeCase{{"-f"}, RunMode::Interactive}, ModeCase{{"-y"}, RunMode::Interactive},
                    ModeCase{{"-s", "-f"}, RunMode::Interactive}, ModeCase{{"-n"}, RunMode::Interactive},
                    ModeCase{{"-n", "-debug"}, RunMode::Interactive}, ModeCase{{"-debug", "-y"}, RunMode::Interactive},
                    ModeCase{{"-c"}, RunMode::ShowCurrent}, ModeCase{{"-c", "-debug"}, RunMode::ShowCurrent},
                    ModeCase{{"-d", "r.xml"}, RunMode::WriteReport},
                    ModeCase{{"-s", "-d", "r.xml"}, RunMode::WriteReport},
                    ModeCase{{"-u", "r.xml"}, RunMode::UpdateFromReport},
                    ModeCase{{"-f", "-u", "r.xml"}, RunMode::UpdateFromReport},
                    ModeCase{{"-s", "-f", "-u", "r.xml"}, RunMode::UpdateFromReport},
                    ModeCase{{"-v", "r.xml"}, RunMode::VersionReport},
                    ModeCase{{"-n", "-v", "r.xml"}, RunMode::VersionReport},
                    ModeCase{{"-s", "-v", "r.xml"}, RunMode::VersionReport},
                    ModeCase{{"-ql"}, RunMode::Identify}, ModeCase{{"-ql", "-s"}, RunMode::Identify},
                    ModeCase{{"-ql", "-debug"}, RunMode::Identify}));

INSTANTIATE_TEST_SUITE_P(
    Refused, CombinationRules,
    testing::Values(ModeCase{{"-s", "-c"}, RunMode::UsageUnsilenced}, ModeCase{{"-s", "-y"}, RunMode::UsageUnsilenced},
                    ModeCase{{"-c", "-s", "-f"}, RunMode::UsageUnsilenced}, ModeCase{{"-f", "-c"}, RunMode::Usage},
                    ModeCase{{"-f", "-y"}, RunMode::Usage}, ModeCase{{"-f", "-ql"}, RunMode::Usage},
                    ModeCase{{"-y", "-d", "r"}, RunMode::Usage}, ModeCase{{"-y", "-u", "r"}, RunMode::Usage},
                    ModeCase{{"-y", "-ql"}, RunMode::Usage}, ModeCase{{"-c", "-y"}, RunMode::Usage},
                    ModeCase{{"-c", "-d", "r"}, RunMode::Usage}, ModeCase{{"-c", "-u", "r"}, RunMode::Usage},
                    ModeCase{{"-c", "-v", "r"}, RunMode::Usage}, ModeCase{{"-c", "-ql"}, RunMode::Usage},
                    ModeCase{{"-c", "-n"}, RunMode::Usage}, ModeCase{{"-n", "-s"}, RunMode::Usage},
                    ModeCase{{"-n", "-f"}, RunMode::Usage}, ModeCase{{"-n", "-y"}, RunMode::Usage},
                    ModeCase{{"-n", "-d", "r"}, RunMode::Usage}, ModeCase{{"-n", "-u", "r"}, RunMode::Usage},
                    ModeCase{{"-n", "-ql"}, RunMode::Usage}, ModeCase{{"-n", "-s", "-v", "r"}, RunMode::Usage},
                    ModeCase{{"-v", "r", "-f"}, RunMode::Usage}, ModeCase{{"-v", "r", "-d", "s"}, RunMode::Usage},
                    ModeCase{{"-v", "r", "-u", "s"}, RunMode::Usage}, ModeCase{{"-v", "r", "-ql"}, RunMode::Usage},
                    ModeCase{{"-d", "r", "-f"}, RunMode::Usage}, ModeCase{{"-d", "r", "-u", "s"}, RunMode::Usage},
                    ModeCase{{"-d", "r", "-ql"}, RunMode::Usage}, ModeCase{{"-u", "r", "-ql"}, RunMode::Usage},
                    ModeCase{{"-ql", "-v", "r"}, RunMode::Usage}));

INSTANTIATE_TEST_SUITE_P(
    Spellings, CombinationRules,
    testing::Values(ModeCase{{"-S", "-F"}, RunMode::Interactive}, ModeCase{{"/s", "/f"}, RunMode::Interactive},
                    ModeCase{{"/C"}, RunMode::ShowCurrent}, ModeCase{{"-C", "-DEBUG"}, RunMode::ShowCurrent},
                    ModeCase{{"/D", "r"}, RunMode::WriteReport}, ModeCase{{"/u", "r"}, RunMode::UpdateFromReport},
                    ModeCase{{"-V", "r"}, RunMode::VersionReport}, ModeCase{{"/QL"}, RunMode::Identify},
                    ModeCase{{"-Ql"}, RunMode::Identify}, ModeCase{{"/N"}, RunMode::Interactive},
                    ModeCase{{"/Y"}, RunMode::Interactive}, ModeCase{{"/Debug"}, RunMode::Interactive}));

struct ReadCase {
    Arguments arguments;
    bool usage;  // the reading itself printed the usage text and ends the run
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << "Kelvor " << joined(c.arguments) << (c.usage ? " (usage)" : "");
}

class ArgumentReading : public testing::TestWithParam<ReadCase> {};

TEST_P(ArgumentReading, EndsOnHelpUnknownOrMissingFileName) {
    EXPECT_EQ(read(GetParam().arguments) == kelvor::ArgumentsOutcome::UsageShown, GetParam().usage)
        << "Kelvor " << joined(GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArgumentReading,
    testing::Values(ReadCase{{"-h"}, true}, ReadCase{{"/h"}, true}, ReadCase{{"/H"}, true}, ReadCase{{"?"}, true},
                    ReadCase{{"-help"}, true}, ReadCase{{"-HELP"}, true}, ReadCase{{"/help"}, true},
                    ReadCase{{"-x"}, true}, ReadCase{{"c"}, true}, ReadCase{{"--c"}, true}, ReadCase{{""}, true},
                    ReadCase{{"-d"}, true}, ReadCase{{"-s", "-u"}, true}, ReadCase{{"/v"}, true},
                    ReadCase{{"-c", "-d", "r.xml", "-h"}, true}, ReadCase{{"-s", "-h"}, true},
                    ReadCase{{"-d", "-h"}, false},  // "-h" is the file name here
                    ReadCase{{"-c"}, false}, ReadCase{{"-debug"}, false}));

TEST(ArgumentReading, SetsBitsModesAndTheReportFileName) {
    ASSERT_EQ(read({"-debug", "/S", "-f", "-v", "out.xml"}), kelvor::ArgumentsOutcome::Proceed);
    const kelvor::RunState& state = kelvor::runState();
    EXPECT_EQ(state.flags, kelvor::flag::Silent | kelvor::flag::Force | kelvor::flag::VersionReport);
    EXPECT_TRUE(state.debugMode);
    EXPECT_TRUE(state.silentMode);
    EXPECT_EQ(state.reportFileName, "out.xml");
}

TEST(ArgumentReading, TheLastFileNameWins) {
    ASSERT_EQ(read({"-d", "first.xml", "-u", "second.xml"}), kelvor::ArgumentsOutcome::Proceed);
    EXPECT_EQ(kelvor::runState().reportFileName, "second.xml");
    EXPECT_EQ(kelvor::selectRunMode(kelvor::runState().flags), RunMode::Usage);
}

TEST(ArgumentReading, SilenceStartsWhenSilentIsRead) {
    read({"-s", "-h"});
    EXPECT_TRUE(kelvor::runState().silentMode);
    read({"-h", "-s"});
    EXPECT_FALSE(kelvor::runState().silentMode) << "nothing after help is read";
}

}  // namespace
