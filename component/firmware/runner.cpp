#include "tamsel_firmware/runner.h"

#include <string>
#include <system_error>
#include <thread>

#include "tamsel_firmware/component.h"
#include "platform/process.h"
#include "platform/stdoutput.h"
#include "platform/unicode.h"

namespace {

// How long a run waits before giving up on a worker thread that could not
// be created, so that a momentary shortage passes before the host goes on.
constexpr unsigned ThreadRetryPauseMs = 10;

// A child that did not start leaves the system's reason in the plug-in's
// logs, since the host sees only the failure.
void LogStartFailure(const std::u16string& commandLine, const platform::SystemError& cause) {
    if (CCmpLog* log = TheComponent().Log())
        log->Write(CmpLogPlainVerboseLevel, CmpLogError, nullptr, 0, u"Could not start %s: error %u %s\r\n",
                   commandLine.c_str(), cause.code, platform::utf8_to_utf16(cause.text).c_str());
}

std::u16string LineOf(const char16_t* commandLine) {
    return commandLine != nullptr ? commandLine : u"";
}

// The pipes of one hidden run. The child's ends are inheritable, the
// plug-in's are not, so the reader sees the end of the output as soon as
// the child (and whatever it started with those handles) has ended.
struct HiddenRunPipes {
    platform::Pipe output;  // the child writes, the worker reads
    platform::Pipe input;   // the child reads; nothing is ever written
    bool ok = false;

    void Create() {
        bool outputOk = platform::create_pipe(output, platform::InheritedEnd::write);
        bool inputOk = platform::create_pipe(input, platform::InheritedEnd::read);
        ok = outputOk && inputOk;
    }
};

platform::ChildStream StreamOf(const platform::OwnedHandle& handle) {
    return handle.valid() ? platform::ChildStream::of(handle) : platform::ChildStream::nothing();
}

// The worker: starts the child, lets go of every end the plug-in does not
// read, drains the output to its end and collects the exit code.
std::uint32_t RunOnWorker(const std::u16string& commandLine, HiddenRunPipes pipes) {
    platform::ChildStart start;
    start.commandLine = commandLine;
    start.console = platform::ChildConsole::detached;
    start.inheritHandles = true;
    // A pipe that could not be made leaves that stream without a handle; the
    // child is still run, as the host expects the attempt.
    start.stdio =
        platform::ChildStdio{StreamOf(pipes.input.read), StreamOf(pipes.output.write), StreamOf(pipes.output.write)};
    platform::ChildProcess child;
    platform::SystemError cause;
    platform::ProcessStep step = platform::start_child(start, child, cause);
    pipes.output.write.reset();
    pipes.input.read.reset();
    pipes.input.write.reset();
    if (step != platform::ProcessStep::none) {
        LogStartFailure(commandLine, cause);
        return RunnerStartFailed;
    }
    platform::drain_pipe(pipes.output.read);
    pipes.output.read.reset();
    return child.wait().exitCode;
}

}  // namespace

std::uint32_t RunHidden(const char16_t* commandLine) {
    platform::SavedStandardOutput savedOutput;
    HiddenRunPipes pipes;
    pipes.Create();
    const bool setupOk = pipes.ok;
    if (!setupOk) savedOutput.restore();

    std::uint32_t exitCode = RunnerSetupFailed;
    bool threadStarted = false;
    try {
        std::thread worker([&exitCode, line = LineOf(commandLine), pipes = std::move(pipes)]() mutable {
            exitCode = RunOnWorker(line, std::move(pipes));
        });
        threadStarted = true;
        worker.join();
    } catch (const std::system_error&) {
        platform::sleep_milliseconds(ThreadRetryPauseMs);
    }
    savedOutput.restore();
    if (!threadStarted || !setupOk) return RunnerSetupFailed;
    return exitCode;
}

std::uint32_t RunInConsole(const char16_t* commandLine) {
    platform::ChildStart start;
    start.commandLine = LineOf(commandLine);
    start.console = platform::ChildConsole::shared;
    start.consoleTitle = UtilityConsoleTitle;
    start.inheritHandles = true;
    platform::ProcessOutcome outcome = platform::run_child(start);
    if (!outcome.started) {
        LogStartFailure(start.commandLine, outcome.cause);
        return RunnerStartFailed;
    }
    return outcome.exitCode;
}

VersionStatusRun RunForVersionStatus(const char16_t* commandLine) {
    platform::ChildStart start;
    start.commandLine = LineOf(commandLine);
    start.console = platform::ChildConsole::no_window;
    start.inheritHandles = false;
    platform::ChildProcess child;
    VersionStatusRun run;
    platform::SystemError cause;
    if (platform::start_child(start, child, cause) != platform::ProcessStep::none) {
        LogStartFailure(start.commandLine, cause);
        return run;
    }
    run.started = true;
    platform::ProcessOutcome outcome = child.wait();
    run.ended = outcome.failed == platform::ProcessStep::none;
    if (run.ended) run.exitCode = outcome.exitCode;
    return run;
}
