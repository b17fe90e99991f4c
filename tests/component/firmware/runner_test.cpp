// The runs of the utility: exit codes, a missing program, a child that
// writes a lot, the host's standard output, and a host without a console.
#include "tamsel_firmware/runner.h"
#include "cmplog/format.h"
#include "tamsel_firmware/component.h"
#include "firmware_fixture.h"
#include "platform/cmdline.h"
#include "platform/process.h"
#include "platform/stdoutput.h"
#include "platform/unicode.h"

namespace {

namespace fs = std::filesystem;
using firmwaretest::PackageTest;

using RunnerTest = PackageTest;

// Keeps the lines that the plug-in's log would write.
class CapturedLog : public CCmpLog {
public:
    void Write(int, int, const char16_t*, int, const char16_t* format, ...) override {
        va_list args;
        va_start(args, format);
        lines.push_back(platform::utf16_to_utf8(FormatTextV(format, args)));
        va_end(args);
    }
    std::vector<std::string> lines;
};

TEST_F(RunnerTest, ExitCodesComeBackFromEveryRun) {
    for (std::uint32_t code : {0u, 3u, 7u, 255u}) {
        SetExitCode(code);
        platform::SavedStandardOutput before;
        EXPECT_EQ(RunHidden(u"FakeKelvor.exe /s "), code);
        EXPECT_TRUE(before.is_current()) << "the standard output is put back";
        EXPECT_EQ(RunInConsole(u"FakeKelvor.exe "), code);
        VersionStatusRun status = RunForVersionStatus(u"FakeKelvor.exe /N ");
        EXPECT_TRUE(status.started && status.ended);
        EXPECT_EQ(status.exitCode, code);
    }
    EXPECT_EQ(TakeCalls().size(), 12u);
}

TEST_F(RunnerTest, MissingUtility) {
    // The plug-in's one component keeps the log for the rest of the program,
    // so the log outlives it.
    static CapturedLog& log = *new CapturedLog;
    TheComponent().AdoptLog(&log);
    log.lines.clear();
    fs::remove(dir_ / "FakeKelvor.exe");
    EXPECT_EQ(RunHidden(u"FakeKelvor.exe /s "), RunnerStartFailed);
    EXPECT_EQ(RunInConsole(u"FakeKelvor.exe "), RunnerStartFailed);
    EXPECT_FALSE(RunForVersionStatus(u"FakeKelvor.exe /N ").started);
    EXPECT_EQ(RunHidden(nullptr), RunnerStartFailed);
    // Each failed start of the missing program names the system's reason.
    ASSERT_EQ(log.lines.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log.lines[i].rfind("Could not start FakeKelvor.exe ", 0), 0u) << log.lines[i];
        EXPECT_EQ(log.lines[i].find(": error 0 "), std::string::npos) << log.lines[i];
    }
    EXPECT_EQ(log.lines[3].rfind("Could not start : error ", 0), 0u) << log.lines[3];
}

TEST_F(RunnerTest, ChildWritingMegabytesEnds) {
    platform::set_environment_variable("FAKE_UTILITY_OUTPUT", std::to_string(10u * 1024 * 1024));
    SetExitCode(4);
    EXPECT_EQ(RunHidden(u"FakeKelvor.exe /s "), 4u);
    // The version-status start has no pipe: its output goes nowhere.
    EXPECT_EQ(RunForVersionStatus(u"FakeKelvor.exe /N ").exitCode, 4u);
    platform::set_environment_variable("FAKE_UTILITY_CRASH", "yes");
    std::uint32_t crashed = RunHidden(u"FakeKelvor.exe /s ");
    EXPECT_NE(crashed, 0u);
    EXPECT_NE(crashed, RunnerStartFailed);
}

TEST_F(RunnerTest, HostWithoutConsoleOrStandardHandles) {
    SetExitCode(3);
    platform::ChildStart start;
    start.commandLine = platform::utf8_to_utf16(
        platform::quote_argument(testsupport::builtProgram("runner_probe").string()) + " \"FakeKelvor.exe /s \"");
    start.console = platform::ChildConsole::detached;
    platform::ProcessOutcome outcome = platform::run_child(start);
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exitCode, 3u);
    EXPECT_EQ(TakeCalls(), std::vector<std::string>{"[/s]"});
}

}  // namespace
