// Child processes on both platforms: program lookup the Windows way,
// arguments split by the Windows rules, exit codes, and children that
// cannot start or that crash.
#include "platform/process.h"
#include "platform/cmdline.h"
#include "platform/machinelock.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

using testsupport::TempDir;

std::string quoted(const fs::path& path) {
    return platform::quote_argument(path.string());
}

std::u16string wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

class Process : public testing::Test {
protected:
    fs::path probe = testsupport::builtProgram("probe_child");
    TempDir dir;
    fs::path out = dir / "out.txt";
};

TEST_F(Process, HiddenRunGivesTheExitCodeAndTheArgumentsIntact) {
    platform::ProcessOutcome outcome =
        platform::run_hidden(quoted(probe) + " " + quoted(out) + " 7 plain \"with blank\" " +
                             platform::quote_argument("q\"uote\\") + " back\\slash");
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

// One holder at a time, across processes; a holder that is killed leaves
// the lock free, never held by nobody.
TEST_F(Process, TheMachineLockHasOneHolderAndOutlivesNoHolder) {
    const std::string name = "nicfw-test-lock-" + std::to_string(platform::current_process_id());
    const std::string lockArgument = platform::quote_argument("--lock=" + name + "|" + (dir / "lockfolder").string());
    auto childTakesLock = [&](const char* exitCode) {
        platform::ProcessOutcome outcome =
            platform::run_hidden(quoted(probe) + " " + quoted(out) + " " + exitCode + " " + lockArgument);
        EXPECT_TRUE(outcome.started);
        return testsupport::readText(out);
    };

    platform::MachineLock mine(name, (dir / "lockfolder").string());
    ASSERT_EQ(mine.try_acquire(), platform::MachineLock::Status::acquired);
    EXPECT_EQ(childTakesLock("0"), "lock:busy\n");
    mine.release();
    EXPECT_EQ(childTakesLock("kill"), "lock:acquired\n");
    EXPECT_EQ(mine.try_acquire(), platform::MachineLock::Status::acquired) << "the killed holder let go";
    EXPECT_EQ(childTakesLock("0"), "lock:busy\n");
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

// Each failure names its step: a caller maps a child that could not get its
// standard handles and one that could not start to different results.
TEST_F(Process, AFailedRunNamesTheStepThatFailed) {
    platform::OwnedHandle missing;
    platform::OwnedHandle nullDevice = platform::open_for_child("", platform::FileAccess::read);
    ASSERT_TRUE(nullDevice.valid());
    auto start = [&](const std::string& commandLine) {
        platform::ChildStart child;
        child.commandLine = wide(commandLine);
        return child;
    };
    const std::string probeLine = quoted(probe) + " " + quoted(out) + " 0";
    struct Case {
        const char* name;
        std::function<platform::ProcessOutcome()> run;
        platform::ProcessStep step;
        bool systemCause = false;  // the system refused it, so its error is kept
    };
    const Case cases[] = {
        {"program that does not exist",
         [&] { return platform::run_child(start(quoted(dir / "no_such_program") + " x")); },
         platform::ProcessStep::start, true},
        {"empty command line", [&] { return platform::run_child(start("")); }, platform::ProcessStep::start},
        {"working directory that does not exist",
         [&] {
             platform::ChildStart child = start(probeLine);
             child.workingDirectory = wide((dir / "no_such_directory").string());
             return platform::run_child(child);
         },
         platform::ProcessStep::start, true},
        {"standard handle that is not open",
         [&] {
             platform::ChildStart child = start(probeLine);
             child.stdio = platform::ChildStdio{{}, platform::ChildStream::of(missing), {}};
             return platform::run_child(child);
         },
         platform::ProcessStep::standard_handles},
        {"standard handle for a child that inherits nothing",
         [&] {
             platform::ChildStart child = start(probeLine);
             child.inheritHandles = false;
             child.stdio = platform::ChildStdio{platform::ChildStream::of(nullDevice), {}, {}};
             return platform::run_child(child);
         },
         platform::ProcessStep::standard_handles},
        {"output file in a directory that does not exist",
         [&] {
             platform::RedirectedRun run{probeLine, "", "", (dir / "missing" / "out.txt").string(), ""};
             return platform::run_redirected(run);
         },
         platform::ProcessStep::standard_handles},
        {"hidden run of a program that does not exist",
         [&] { return platform::run_hidden(quoted(dir / "no_such_program")); }, platform::ProcessStep::start, true},
    };
    for (const Case& c : cases) {
        platform::ProcessOutcome outcome = c.run();
        EXPECT_FALSE(outcome.started) << c.name;
        EXPECT_EQ(outcome.failed, c.step) << c.name;
        if (c.systemCause) {
            EXPECT_NE(outcome.cause.code, 0u) << c.name;
            EXPECT_FALSE(outcome.cause.text.empty()) << c.name;
        }
    }
    EXPECT_FALSE(fs::exists(out)) << "no case may have run the probe";
}

// The ways a caller starts a child: hidden without handles, with nothing
// inherited, in the caller's console. Each runs and gives its exit code.
TEST_F(Process, EveryKindOfStartRunsTheChildAndGivesItsExitCode) {
    struct Case {
        const char* name;
        platform::ChildConsole console;
        bool inheritHandles;
        bool noStandardHandles;
        std::uint32_t exitCode;
    };
    const Case cases[] = {
        {"hidden, no usable standard handles", platform::ChildConsole::no_window, true, true, 21},
        {"no window, inherits nothing", platform::ChildConsole::no_window, false, false, 22},
        {"detached", platform::ChildConsole::detached, true, true, 23},
        {"in the caller's console", platform::ChildConsole::shared, true, false, 24},
    };
    for (const Case& c : cases) {
        std::string code = std::to_string(c.exitCode);
        platform::ChildStart start;
        start.commandLine = wide(quoted(probe) + " " + quoted(out) + " " + code + " " + code);
        start.console = c.console;
        start.consoleTitle = u"probe";
        start.inheritHandles = c.inheritHandles;
        if (c.noStandardHandles) start.stdio = platform::ChildStdio{};
        platform::ProcessOutcome outcome = platform::run_child(start);
        EXPECT_TRUE(outcome.started) << c.name;
        EXPECT_EQ(outcome.failed, platform::ProcessStep::none) << c.name;
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.name;
        EXPECT_EQ(testsupport::readText(out), "[" + code + "]\n") << c.name;
    }
}

// A child that writes far more than a pipe holds finishes as long as the
// caller drains the pipe on another thread while it waits.
TEST_F(Process, AChildFillingADrainedPipeRunsToItsEnd) {
    constexpr std::uint64_t size = 10u * 1024u * 1024u;
    platform::Pipe pipe;
    ASSERT_TRUE(platform::create_pipe(pipe, platform::InheritedEnd::write));
    platform::OwnedHandle input = platform::open_for_child("", platform::FileAccess::read);
    ASSERT_TRUE(input.valid());

    platform::ChildStart start;
    start.commandLine = wide(quoted(probe) + " " + quoted(out) + " 9 --stdout=" + std::to_string(size) + " done");
    start.console = platform::ChildConsole::detached;
    start.stdio = platform::ChildStdio{platform::ChildStream::of(input), platform::ChildStream::of(pipe.write),
                                       platform::ChildStream::of(pipe.write)};
    platform::ChildProcess child;
    ASSERT_EQ(platform::start_child(start, child), platform::ProcessStep::none);
    // The caller's copy of the write end must go, or the end of the data
    // never comes.
    pipe.write.reset();

    std::uint64_t drained = 0;
    std::thread reader([&] { drained = platform::drain_pipe(pipe.read); });
    platform::ProcessOutcome outcome = child.wait();
    reader.join();
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(outcome.exitCode, 9u);
    EXPECT_EQ(drained, size);
    EXPECT_EQ(testsupport::readText(out), "[done]\n");
}

}  // namespace
