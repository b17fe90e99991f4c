// The interactive and unattended update, the status-only run (-n), the
// report-driven runs (-d, -u) and the flash of one adapter, end to end.
#include "kelvor_package.h"

#include <gtest/gtest.h>

namespace {

using namespace e2e;

const std::string Notice = "The Firmware Upgrade will take several minutes.Please be patient.";
const std::string SameWarning = "*** WARNING *** - Installed firmware is the same version as selected firmware";
const std::string NewerWarning = "*** WARNING *** - Installed firmware is more recent than selected firmware";

// A prompt has no line end, so the line after it starts on the prompt's line.
bool shows(const KelvorRun& run, const std::string& line) { return run.out.find(line + "\n") != std::string::npos; }

std::string flashCall(const std::string& name) { return "[-flashsupport] [-i] [" + name + "] [-a] [fw.img]"; }

std::size_t flashCalls(const KelvorRun& run) {
    std::size_t n = 0;
    for (const std::string& call : run.calls)
        if (call.rfind("[-flashsupport] [-i]", 0) == 0) ++n;
    return n;
}

class Update : public testing::Test {
protected:
    // Adapters named after their state: older, same and newer than 4.0.550.
    void machine(const std::vector<e2e::Adapter>& adapters, const std::vector<std::string>& faults = {}) {
        package.setUp({{model("2210"), model("2211")}, {model("2212")}}, adapters, faults);
    }
    static e2e::Adapter older(const std::string& name = "OLD") { return adapter(name, "2210", "4.0.534"); }
    static e2e::Adapter same(const std::string& name = "SAME") { return adapter(name, "2211", "4.0.550"); }
    static e2e::Adapter newer(const std::string& name = "NEW") { return adapter(name, "2212", "4.1.600"); }

    KelvorPackage package;
};

TEST_F(Update, EnterTakesTheDefaultAndTheNextDiscoveryShowsTheNewVersion) {
    machine({older()});
    KelvorRun run = package.run({}, "\n");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.out.find("\nUpdate firmware on 'OLD' (5:0:0) : From Bootcode 4.0.534 To 4.0.550 ? y/n/q (y) "),
              std::string::npos)
        << run.out;
    EXPECT_TRUE(hasLine(run.out, "Found Tarn KX-2210 Dual Port 10GbE MAC: 00-11-22-33-44-55( v4.0.534 )"));
    EXPECT_TRUE(hasLine(run.out, "NIC firmware update complete"));
    EXPECT_EQ(run.calls.back(), flashCall("OLD"));
    EXPECT_TRUE(hasLine(package.run({"-c"}).out,
                        "   Bootcode      4.0.550         Bootcode     4.0.550     OLD"));
}

struct AnswerCase {
    std::string line;
    std::uint32_t exitCode;  // 1 flashed, 3 not selected or quit
    bool quit;
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const AnswerCase& c, std::ostream* out) {
    *out << "[" << c.line << "] exit " << c.exitCode << (c.quit ? " quit" : "");
}

class Answers : public Update, public testing::WithParamInterface<AnswerCase> {};

TEST_P(Answers, OnlyTheListedSpellingsCount) {
    machine({older()});
    KelvorRun run = package.run({}, GetParam().line + "\n");
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << "[" << GetParam().line << "]";
    EXPECT_EQ(flashCalls(run), GetParam().exitCode == 1 ? 1u : 0u);
    EXPECT_EQ(shows(run, "Firmware upgrade is cancelled by User!"), GetParam().quit);
    if (GetParam().exitCode == 3 && !GetParam().quit) {
        EXPECT_TRUE(shows(run, "No firmware is selected for update."));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Answers,
    testing::Values(AnswerCase{"y", 1, false}, AnswerCase{"Y", 1, false}, AnswerCase{"yes", 1, false},
                    AnswerCase{"Yes", 1, false}, AnswerCase{"YES", 1, false}, AnswerCase{"yES", 3, false},
                    AnswerCase{"YeS", 3, false}, AnswerCase{"n", 3, false}, AnswerCase{"no", 3, false},
                    AnswerCase{" y", 3, false}, AnswerCase{"yes ", 3, false}, AnswerCase{"q", 3, true},
                    AnswerCase{"Q", 3, true}, AnswerCase{"quit", 3, true}, AnswerCase{"Quit", 3, true},
                    AnswerCase{"QUIT", 3, true}, AnswerCase{"qUIT", 3, false}));

TEST_F(Update, ALastAnswerWithoutALineEndIsStillTheAnswer) {
    machine({older()});
    KelvorRun run = package.run({}, "n");
    EXPECT_EQ(run.exitCode, 3u) << "a one-letter answer at the end of the input is no default";
    EXPECT_EQ(flashCalls(run), 0u);
}

TEST_F(Update, ANulInAnAnswerNeitherEndsItsLineNorSwallowsTheNext) {
    machine({older("A"), older("B"), older("C"), older("D")});
    KelvorRun run = package.run({}, std::string("y\nn\0\ny\ny\0\n", 11));
    EXPECT_EQ(run.exitCode, 1u) << run.out;
    ASSERT_EQ(flashCalls(run), 2u) << "A and C answered yes";
    EXPECT_EQ(run.calls[run.calls.size() - 2], flashCall("A"));
    EXPECT_EQ(run.calls.back(), flashCall("C"));
    EXPECT_FALSE(shows(run, "Firmware upgrade is cancelled by User!"));
}

TEST_F(Update, AnAnswerEndingInCarriageReturnAndLineFeedCounts) {
    machine({same()});
    KelvorRun run = package.run({}, "yes\r\n");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(flashCalls(run), 1u);
}

TEST_F(Update, SameVersionWarnsAndEnterMeansNo) {
    machine({same()});
    KelvorRun run = package.run({}, "\n");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(hasLine(run.out, SameWarning));
    EXPECT_NE(run.out.find("To 4.0.550 ? y/n/q (n) "), std::string::npos);
    EXPECT_TRUE(shows(run, "No firmware is selected for update."));
    EXPECT_EQ(flashCalls(run), 0u);
}

TEST_F(Update, QuitOnTheSecondOfThreeFlashesNothing) {
    machine({older("A"), older("B"), older("C")});
    KelvorRun run = package.run({}, "yes\nquit\ny\n");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(shows(run, "Firmware upgrade is cancelled by User!"));
    EXPECT_EQ(flashCalls(run), 0u) << "not even the adapter answered yes";
    EXPECT_EQ(count(run.out, "Found "), 2u) << "the third adapter is not offered";
}

TEST_F(Update, EndOfInputAtAPromptQuits) {
    machine({older("A"), older("B")});
    KelvorRun run = package.run({}, "y\n");
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_NE(run.out.find("Unknown input problem!\nQuit...\n"), std::string::npos);
    EXPECT_TRUE(shows(run, "Firmware upgrade is cancelled by User!"));
    EXPECT_EQ(flashCalls(run), 0u);
}

TEST_F(Update, AnOverlongAnswerDoesNotAnswerTheNextPrompt) {
    machine({older("A"), older("B")});
    KelvorRun run = package.run({}, std::string(300, 'y') + "\ny\n");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(flashCalls(run), 1u);
    EXPECT_EQ(run.calls.back(), flashCall("B")) << "the overlong answer is a no for A; B gets the next line";
}

TEST_F(Update, AssumeDefaultFlashesOnlyTheOlderAndStillWarns) {
    machine({older(), newer()});
    KelvorRun run = package.run({"-y"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(flashCalls(run), 1u);
    EXPECT_EQ(run.calls.back(), flashCall("OLD"));
    EXPECT_TRUE(hasLine(run.out, NewerWarning));
    EXPECT_EQ(count(run.out, "y/n/q"), 0u) << "no prompt is shown";
}

TEST_F(Update, SilentAloneTakesTheDefaultsQuietly) {
    machine({older(), same(), newer()});
    KelvorRun run = package.run({"-s"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(flashCalls(run), 1u);
    EXPECT_TRUE(hasLine(run.log, "NIC firmware update complete"));
    EXPECT_TRUE(hasLine(run.log, NewerWarning)) << "the log keeps what the console did not show";
}

TEST_F(Update, SilentForceFlashesEveryAdapter) {
    machine({older(), same(), newer()});
    KelvorRun run = package.run({"-s", "-f"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(flashCalls(run), 3u);
}

struct StatusCase {
    std::vector<std::string> states;  // "older", "same", "newer", "unsupported"
    std::uint32_t exitCode;
    std::string line;
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const StatusCase& c, std::ostream* out) {
    for (const std::string& state : c.states) *out << state << " ";
    *out << "-> exit " << c.exitCode;
}

class Status : public Update, public testing::WithParamInterface<StatusCase> {};

TEST_P(Status, TheExitCodeTellsWhetherAnUpdateIsRecommended) {
    std::vector<e2e::Adapter> adapters;
    for (const std::string& state : GetParam().states) {
        if (state == "older") adapters.push_back(older());
        if (state == "same") adapters.push_back(same());
        if (state == "newer") adapters.push_back(newer());
        if (state == "unsupported") adapters.push_back(adapter("X", "9999", "4.0.534"));
    }
    machine(adapters);
    KelvorRun run = package.run({"-n"});
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(hasLine(run.out, GetParam().line)) << run.out;
    EXPECT_EQ(flashCalls(run), 0u);
    EXPECT_EQ(count(run.out, "y/n/q"), 0u);
    std::size_t supported = 0;
    for (const std::string& state : GetParam().states) supported += state != "unsupported";
    EXPECT_EQ(count(run.out, "Found "), supported) << "each supported adapter is still shown";
}

INSTANTIATE_TEST_SUITE_P(
    Table, Status,
    testing::Values(StatusCase{{"older", "same"}, 4, "NIC firmware update is recommended."},
                    StatusCase{{"newer", "older"}, 4, "NIC firmware update is recommended."},
                    StatusCase{{"same", "newer"}, 6, "NIC firmware update is not recommended."},
                    StatusCase{{"newer"}, 6, "NIC firmware update is not recommended."},
                    StatusCase{{"same"}, 5, "NIC firmware update is not recommended."},
                    StatusCase{{"same", "unsupported"}, 5, "NIC firmware update is not recommended."},
                    StatusCase{{"unsupported"}, 3, "No supported network adapters for firmware upgrade."},
                    StatusCase{{}, 3, "No supported network adapters for firmware upgrade."}));

TEST_F(Update, AFailedFlashIsReportedAndTheNextAdapterStillFlashed) {
    e2e::Adapter failing = older("A");
    failing.extra = {"flash_exit = 5"};
    machine({failing, older("B")});
    KelvorRun run = package.run({"-y"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.out.find("Command to upgrade firmware failed\n .\\rirador -flashsupport  -i \"A\" -a fw.img -(5)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(flashCalls(run), 2u);
    EXPECT_TRUE(hasLine(run.out, "MAC 00-11-22-33-44-55 upgrade SUCCESS!"));
    EXPECT_TRUE(hasLine(run.out, "NIC firmware update completed with errors"));
    EXPECT_TRUE(hasLine(run.log, "do_command: exitCode: 5"));
}

TEST_F(Update, TheLongDurationNoticeComesOnceBeforeTheFirstFlash) {
    machine({older("A"), older("B")});
    KelvorRun run = package.run({}, "\n\n");
    ASSERT_EQ(run.exitCode, 1u);
    EXPECT_EQ(count(run.out, Notice), 1u);
    EXPECT_EQ(count(run.out, "\nSelecting Tarn KX-2210 Dual Port 10GbE MAC: 00-11-22-33-44-55 \n"), 2u);
    EXPECT_LT(run.out.find(Notice), run.out.find("Selecting"));
    EXPECT_EQ(count(run.out, " upgrade SUCCESS!"), 2u);
}

TEST_F(Update, AHostileNameReachesTheToolAsOneIntactArgument) {
    const std::string hostile = "X\" -a evil.img \"";
    const std::string backslashed = "NIC\\";
    machine({older(hostile), older(backslashed)});
    KelvorRun run = package.run({"-y"});
    EXPECT_EQ(run.exitCode, 1u) << run.out;
    ASSERT_EQ(flashCalls(run), 2u);
    EXPECT_EQ(run.calls[run.calls.size() - 2], flashCall(hostile));
    EXPECT_EQ(run.calls.back(), flashCall(backslashed));
    EXPECT_EQ(count(run.out, " upgrade SUCCESS!"), 2u);
}

TEST_F(Update, DiscoveryReportRunHasTheToolWriteTheReport) {
    machine({older()});
    KelvorRun run = package.run({"-d", "report.xml"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(hasLine(run.out, "Successfully generated NIC discovery report to report.xml"));
    EXPECT_EQ(run.calls.back(), "[-flashsupport] [-d] [fw.img] [report.xml]");
    EXPECT_NE(package.read("report.xml").find("tarn_rom_discovery"), std::string::npos);
}

// The -d run succeeds only with a report that the tool wrote in this run:
// an older file of that name, or a directory, is no report of these adapters.
TEST_F(Update, DiscoveryReportRunCountsOnlyAReportWrittenNow) {
    struct Case {
        const char* what;
        std::vector<std::string> faults;  // limited to the -d run's own file
        bool oldFile;
        std::uint32_t exitCode;
    };
    const Case cases[] = {
        {"an old file rewritten", {}, true, 1},
        {"an old file left as it was", {"report = none"}, true, 0},
        {"no file at all", {"report = none"}, false, 0},
        {"a directory", {"report = directory"}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> faults = c.faults;
        if (!faults.empty()) faults.push_back("report_faults_for = report.xml");
        machine({older()}, faults);
        std::filesystem::remove_all(package / "report.xml");
        if (c.oldFile) package.write("report.xml", "from an earlier run");

        KelvorRun run = package.run({"-d", "report.xml"});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out;
        EXPECT_EQ(run.calls.back(), "[-flashsupport] [-d] [fw.img] [report.xml]");
        const std::string success = "Successfully generated NIC discovery report to report.xml";
        const std::string failure = "Failed to generate NIC discovery report toreport.xml";
        EXPECT_EQ(hasLine(run.out, success), c.exitCode == 1) << run.out;
        EXPECT_EQ(hasLine(run.out, failure), c.exitCode == 0) << run.out;
        if (c.oldFile && c.exitCode == 0) {
            EXPECT_EQ(package.read("report.xml"), "from an earlier run") << "a failed run never removes a file";
        }
    }
}

TEST_F(Update, DiscoveryReportWithoutSupportedAdaptersWritesNothing) {
    machine({adapter("X", "9999", "4.0.534")});
    KelvorRun run = package.run({"-d", "report.xml"});
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(hasLine(run.out, "No supported network adapters for firmware upgrade."));
    EXPECT_FALSE(package.exists("report.xml"));
    EXPECT_EQ(run.calls.size(), 1u) << "only discovery ran";
}

TEST_F(Update, ReportNamesWithBlanksArePassedUnquoted) {
    machine({older()});
    KelvorRun discover = package.run({"-d", "my report.xml"});
    EXPECT_EQ(discover.calls.back(), "[-flashsupport] [-d] [fw.img] [my] [report.xml]");
    EXPECT_EQ(discover.exitCode, 0u) << "the tool refuses the split name";
    EXPECT_TRUE(hasLine(discover.out, "Failed to generate NIC discovery report tomy report.xml"));

    package.write("my report.xml", "x");
    KelvorRun update = package.run({"-u", "my report.xml"});
    EXPECT_EQ(update.calls.back(), "[-flashsupport] [-u] [fw.img] [my] [report.xml]");
    EXPECT_EQ(update.exitCode, 0u);
    EXPECT_TRUE(hasLine(update.out, "Failed to update the NIC firmware from the file my report.xml"));
}

TEST_F(Update, UpdateFromAReportUpdatesTheListedAdapters) {
    machine({older("A"), older("B")});
    ASSERT_EQ(package.run({"-d", "report.xml"}).exitCode, 1u);
    KelvorRun run = package.run({"-u", "report.xml"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(hasLine(run.out, Notice));
    EXPECT_TRUE(hasLine(run.out, "Successfully updated the NIC firmware from the file report.xml"));
    EXPECT_EQ(run.calls.back(), "[-flashsupport] [-u] [fw.img] [report.xml]");
    EXPECT_EQ(package.run({"-n"}).exitCode, 5u) << "both adapters are now at the package's version";
}

TEST_F(Update, UpdateFromAMissingReportRunsNoUpdate) {
    machine({older()});
    KelvorRun run = package.run({"-u", "missing.xml"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(hasLine(run.out, "Firmware upgrade error: File not found - missing.xml"));
    EXPECT_EQ(run.calls, std::vector<std::string>{"[-flashsupport] [-d] [fw.img] [tempP3PNicList.xml]"});
}

TEST_F(Update, AFailedUpdateFromAReportEndsWithZero) {
    machine({older()}, {"update_exit = 9"});
    package.write("report.xml", "any");
    KelvorRun run = package.run({"-s", "-u", "report.xml"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(hasLine(run.log, "Failed to update the NIC firmware from the file report.xml"));
    EXPECT_TRUE(hasLine(run.log, "do_command: exitCode: 9"));
}

TEST_F(Update, ThePromptAndTheAnswerAreLogged) {
    machine({older()});
    KelvorRun run = package.run({}, "no\n");
    const std::string question = "Update firmware on 'OLD' (5:0:0) : From Bootcode 4.0.534 To 4.0.550 ?";
    EXPECT_TRUE(hasLine(run.log, question + " y/n/q (y) "));
    EXPECT_TRUE(hasLine(run.log, question + " no"));
    EXPECT_FALSE(hasLine(run.out, question + " no")) << "the answer is not echoed to the console";
}

}  // namespace
