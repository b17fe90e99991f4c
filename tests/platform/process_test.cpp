// Child processes on both platforms: program lookup the Windows way,
// arguments split by the Windows rules, exit codes, and children that
// cannot start or that crash.
#include "platform/cmdline.h"
#include "platform/process.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using testsupport::TempDir;

std::string quoted(const fs::path& path) { return platform::quote_argument(path.string()); }

class Process : public testing::Test {
protected:
    fs::path probe = testsupport::builtProgram("probe_child");
    TempDir dir;
    fs::path out = dir / "out.txt";
};

TEST_F(Process, HiddenRunGivesTheExitCodeAndTheArgumentsIntact) {
    platform::ProcessOutcome outcome = platform::run_hidden(
        quoted(probe) + " " + quoted(out) + " 7 plain \"with blank\" " + platform::quote_argument("q\"uote\\") +
        " back\\slash");
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exitCode, 7u);
    EXPECT_EQ(testsupport::readText(out), "[plain]\n[with blank]\n[q\"uote\\]\n[back\\slash]\n");
}

TEST_F(Process, AProgramThatDoesNotExistIsNotStarted) {
    EXPECT_FALSE(platform::run_hidden(quoted(dir / "no_such_program") + " x").started);
    EXPECT_FALSE(platform::run_hidden("").started);
}

TEST_F(Process, ACrashIsAFailureNotSuccess) {
    platform::ProcessOutcome outcome = platform::run_hidden(quoted(probe) + " " + quoted(out) + " crash");
    ASSERT_TRUE(outcome.started);
    EXPECT_NE(outcome.exitCode, 0u);
}

TEST_F(Process, RelativeNamesAreFoundInTheCurrentDirectoryWithOrWithoutExe) {
    fs::copy_file(probe, dir / probe.filename().string());
    fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    platform::ProcessOutcome dotted = platform::run_hidden(".\\probe_child out.txt 3");
    platform::ProcessOutcome withExe = platform::run_hidden("probe_child.exe out.txt 4");
    platform::ProcessOutcome bare = platform::run_hidden("probe_child out.txt 5");
    fs::current_path(previous);
    EXPECT_TRUE(dotted.started && dotted.exitCode == 3u);
    EXPECT_TRUE(withExe.started && withExe.exitCode == 4u);
    EXPECT_TRUE(bare.started && bare.exitCode == 5u);
}

TEST_F(Process, RedirectedRunFeedsInputAndRunsInItsDirectory) {
    testsupport::writeFile(dir / "in.txt", "some input");
    platform::RedirectedRun run;
    run.commandLine = quoted(probe) + " here.txt 0 a --stdin";
    run.workingDirectory = dir.path().string();
    run.stdinPath = (dir / "in.txt").string();
    platform::ProcessOutcome outcome = platform::run_redirected(run);
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exitCode, 0u);
    EXPECT_EQ(testsupport::readText(dir / "here.txt"), "[a]\nstdin:data\n");

    run.stdinPath.clear();
    ASSERT_TRUE(platform::run_redirected(run).started);
    EXPECT_EQ(testsupport::readText(dir / "here.txt"), "[a]\nstdin:none\n") << "no input file: the null device";
}

}  // namespace
