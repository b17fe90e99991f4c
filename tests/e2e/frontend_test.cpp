// The utility's front end run for real: usage text, start-up header, the
// catalog presence check, silent and debug modes, and what reaches the log
// file and the console.
#include "kelvor_package.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using e2e::hasLine;
using e2e::KelvorPackage;
using e2e::KelvorRun;

const std::string Dashes(76, '-');
const std::string Banner = Dashes + "\nTarn KX-Series P3P Online Firmware Upgrade Utility for Windows (1.0.0.1)\n" +
                           "Copyright (C) Tarn Corporation. All rights reserved.\n" + Dashes + "\n";
const std::string ConsoleHeader = "\n" + Banner + "\n";

const std::string Usage =
    "USAGE: Kelvor [ -s  ] [ -y  ] [ -c ] [ -h ] [ -d <fileName> ] [ -u <fileName> ] [ -n ] [ -v <fileName> ]\n"
    "With no options, interactively upgrade firmware.\n"
    "-s  Silent { Not with -c }\n"
    "-y  Assume default repsonse for all prompts.\n"
    "-c  Display currently installed firmware information.\n"
    "-h  Display this help menu.\n"
    "-d <fileName>  Generate xml discovery report to an XML file.\n"
    "-u <fileName>  Read XML discovery report and perform firmware upgrade.\n"
    "-n  No update is required just exit with firmware version status.( Used with Zorvane.exe )\n"
    "-v <fileName> Generate XML report only with firmware version details.\n";

// The header as the log file receives it: the banner, then the time stamp
// with its dashes on a line of their own.
const std::regex LoggedHeader(Dashes +
                              "\nTarn KX-Series P3P Online Firmware Upgrade Utility for Windows \\(1\\.0\\.0\\.1\\)\n"
                              "[^\n]+\n" +
                              Dashes +
                              "\nTime: (Mon|Tue|Wed|Thu|Fri|Sat|Sun) "
                              "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{2} "
                              "[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}\n" +
                              std::string(30, '-') + "\n");

class FrontEnd : public testing::Test {
protected:
    void SetUp() override { package.setUp({{e2e::model("2210")}}, {}); }
    KelvorPackage package;
};

struct UsageCase {
    std::vector<std::string> arguments;
};

class UsageBeforeTheHeader : public FrontEnd, public testing::WithParamInterface<UsageCase> {};

// Help, an unknown argument or a missing file name end the run while the
// command line is read: usage on the console only, no header, no log line.
TEST_P(UsageBeforeTheHeader, PrintsOnlyTheUsageAndLogsNothing) {
    KelvorRun run = package.run(GetParam().arguments);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, Usage);
    EXPECT_EQ(run.log, "");
    EXPECT_TRUE(run.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, UsageBeforeTheHeader,
                         testing::Values(UsageCase{{"-h"}}, UsageCase{{"?"}}, UsageCase{{"-HELP"}},
                                         UsageCase{{"/help"}}, UsageCase{{"-x"}}, UsageCase{{"-d"}},
                                         UsageCase{{"-c", "/u"}}, UsageCase{{"-c", "-d", "r.xml", "-h"}},
                                         UsageCase{{"-debug", "/H"}}));

TEST_F(FrontEnd, SilentHelpShowsAndLogsNothing) {
    KelvorRun run = package.run({"-s", "-h"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.log, "");
}

TEST_F(FrontEnd, IdentificationProbeWritesOnlyTheHeader) {
    KelvorRun run = package.run({"-ql"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, ConsoleHeader);
    EXPECT_TRUE(std::regex_match(run.log, LoggedHeader)) << run.log;
    EXPECT_TRUE(run.calls.empty()) << "the probe runs no discovery";
}

TEST_F(FrontEnd, SilentProbeIsQuietButLogs) {
    KelvorRun run = package.run({"/QL", "/S"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(std::regex_match(run.log, LoggedHeader)) << run.log;
}

TEST_F(FrontEnd, DebugShowsTheTimeStampToo) {
    KelvorRun run = package.run({"-ql", "-debug"});
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_EQ(run.out.rfind(ConsoleHeader, 0), 0u) << run.out;
    EXPECT_TRUE(std::regex_match(run.out.substr(ConsoleHeader.size()), std::regex("Time: [^\n]+\n-{30}\n")))
        << run.out;
}

TEST_F(FrontEnd, DebugAndSilentTogetherKeepTheConsoleQuiet) {
    package.setUp({{e2e::model("2210")}}, {e2e::adapter("NIC1", "2210", "4.0.550")});
    KelvorRun run = package.run({"-debug", "-s"});
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(hasLine(run.log, "do_command: exitCode: 0")) << "diagnostics still reach the file";
}

TEST_F(FrontEnd, MissingCatalogStopsAfterTheHeader) {
    package.remove("NICFWData.xml");
    for (const char* option : {"-ql", "-c"}) {
        KelvorRun run = package.run({option});
        EXPECT_EQ(run.exitCode, 0u) << option;
        EXPECT_EQ(run.out, ConsoleHeader + "Supporting file is missing (NICFWData.xml), Could not proceed!\n");
        EXPECT_TRUE(hasLine(run.log, "Supporting file is missing (NICFWData.xml), Could not proceed!"));
        EXPECT_TRUE(run.calls.empty());
    }
}

TEST_F(FrontEnd, ACatalogDirectoryCountsAsPresent) {
    package.remove("NICFWData.xml");
    std::filesystem::create_directory(package / "NICFWData.xml");
    EXPECT_EQ(package.run({"-ql"}).exitCode, 1u);
}

TEST_F(FrontEnd, RefusedCombinationPrintsUsageAfterTheHeader) {
    KelvorRun run = package.run({"-y", "-u", "report.xml"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, ConsoleHeader + Usage);
    EXPECT_NE(run.log.find(Usage), std::string::npos) << "after the header usage lines are logged";
    EXPECT_TRUE(run.calls.empty());
}

TEST_F(FrontEnd, SilentWithShowCurrentUnsilencesForTheUsage) {
    KelvorRun run = package.run({"-s", "-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, Usage) << "no header on the console, but the usage text";
    EXPECT_TRUE(std::regex_search(run.log, LoggedHeader));
    EXPECT_NE(run.log.find(Usage), std::string::npos);
}

// An abort (a broken invariant, std::terminate) ends like an exception at
// the entry point: exit code 0 and the unexpected-error line, never the C
// runtime's own code, which a host would read as "nothing to do" (3).
TEST_F(FrontEnd, AnAbortEndsWithZeroAndTheUnexpectedErrorLine) {
    const std::string line = "An unexpected error has occurred.  Firmware update will not be completed.";
    struct Case {
        std::vector<std::string> arguments;  // the end, then the utility's arguments
        bool shown;
    };
    for (const Case& c : {Case{{"abort", "-ql"}, true}, Case{{"terminate", "-ql"}, true},
                          Case{{"abort", "-ql", "-s"}, false}}) {
        SCOPED_TRACE(c.arguments[0] + (c.shown ? "" : " silent"));
        std::uintmax_t logBefore = testsupport::fileSize(package.logFile());
        testsupport::RunResult run =
            testsupport::runProgram(testsupport::builtProgram("abort_probe"), c.arguments, package.dir());
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(hasLine(run.out, line), c.shown) << run.out;
        std::string log = testsupport::normalizeLineEnds(testsupport::readFile(package.logFile()).substr(logBefore));
        EXPECT_TRUE(hasLine(log, line)) << "the line reaches the log too: " << log;
    }
}

TEST_F(FrontEnd, ForceWithUpdateFromAReportIsAllowed) {
    KelvorRun run = package.run({"-f", "-u", "missing.xml"});
    EXPECT_EQ(run.exitCode, 3u) << "reaches the report run, which finds no adapter";
    EXPECT_TRUE(hasLine(run.out, "No supported network adapters for firmware upgrade."));
}

TEST_F(FrontEnd, StatusWithVersionReportRunsTheVersionReport) {
    package.setUp({{e2e::model("2210")}}, {e2e::adapter("NIC1", "2210", "4.0.534")});
    KelvorRun run = package.run({"-n", "-v", "version.xml"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(hasLine(run.out, "Created File: version.xml only with firmware version details."));
}

TEST_F(FrontEnd, TheLogIsAppendedNeverTruncated) {
    KelvorRun first = package.run({"-ql"});
    KelvorRun second = package.run({"-ql"});
    std::string whole = testsupport::readText(package.logFile());
    ASSERT_GE(whole.size(), first.log.size() + second.log.size());
    EXPECT_EQ(whole.substr(whole.size() - second.log.size() - first.log.size()), first.log + second.log);
    EXPECT_TRUE(std::regex_match(second.log, LoggedHeader));
}

TEST_F(FrontEnd, DiagnosticsReachTheConsoleOnlyInDebugMode) {
    package.setUp({{e2e::model("2210")}}, {e2e::adapter("NIC1", "2210", "4.0.550")});
    const std::string command = ".\\rirador -flashsupport  -d fw.img tempP3PNicList.xml";
    KelvorRun normal = package.run({"-c"});
    EXPECT_FALSE(hasLine(normal.out, command));
    EXPECT_TRUE(hasLine(normal.log, command));
    KelvorRun debug = package.run({"-c", "-debug"});
    EXPECT_TRUE(hasLine(debug.out, command));
    EXPECT_TRUE(hasLine(debug.out, "do_command: exitCode: 0"));
}

}  // namespace
