// Portable part of the process service: the ready-made runs, built from the
// pieces that posix/process.cpp and win32/process.cpp implement.
#include "platform/process.h"
#include "platform/unicode.h"

#include <utility>

namespace platform {

ChildProcess::~ChildProcess() {
    if (running()) wait();
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (running()) wait();
        process_ = other.process_;
        other.process_ = none;
    }
    return *this;
}

std::uint64_t drain_pipe(const OwnedHandle& readEnd) {
    char buffer[16384];
    std::uint64_t total = 0;
    while (std::size_t got = read_pipe(readEnd, buffer, sizeof buffer)) total += got;
    return total;
}

ProcessStep start_child(const ChildStart& start, ChildProcess& child) {
    SystemError ignored;
    return start_child(start, child, ignored);
}

ProcessOutcome run_child(const ChildStart& start) {
    ChildProcess child;
    SystemError cause;
    ProcessStep step = start_child(start, child, cause);
    if (step != ProcessStep::none) {
        ProcessOutcome outcome;
        outcome.failed = step;
        outcome.cause = std::move(cause);
        return outcome;
    }
    return child.wait();
}

ProcessOutcome run_hidden(const std::string& commandLine) {
    ChildStart start;
    start.commandLine = utf8_to_utf16(commandLine);
    start.console = ChildConsole::no_window;
    start.stdio = ChildStdio{};
    return run_child(start);
}

ProcessOutcome run_redirected(const RedirectedRun& run) {
    OwnedHandle input = open_for_child(run.stdinPath, FileAccess::read);
    OwnedHandle output = open_for_child(run.stdoutPath, FileAccess::write);
    OwnedHandle error = open_for_child(run.stderrPath, FileAccess::write);
    if (!input.valid() || !output.valid() || !error.valid()) {
        ProcessOutcome outcome;
        outcome.failed = ProcessStep::standard_handles;
        return outcome;
    }
    ChildStart start;
    start.commandLine = utf8_to_utf16(run.commandLine);
    start.workingDirectory = utf8_to_utf16(run.workingDirectory);
    start.console = ChildConsole::no_window;
    start.stdio = ChildStdio{ChildStream::of(input), ChildStream::of(output), ChildStream::of(error)};
    return run_child(start);
}

}  // namespace platform
