// Child processes: start a command line, wait for it, take its exit code.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct ProcessOutcome {
    bool started = false;    // false: the program could not be found or started
    std::uint32_t exitCode = 0;  // valid when started; a child ended by a signal gives 128 + signal
};

// Runs a command line (one string, split by the Windows rules) as a hidden
// child: no console window, no usable standard handles, the caller's
// environment and current directory. Waits without a time limit.
// The first word is looked up as Windows does it for a bare or relative
// program: ".\X" and "X" are tried as given and with ".exe".
ProcessOutcome run_hidden(const std::string& commandLine);

// Runs a command line with its standard handles on files (an empty path means
// the null device) and, when workingDirectory is not empty, in that
// directory. Used by the stand-in host, the tests and the benchmarks.
struct RedirectedRun {
    std::string commandLine;
    std::string workingDirectory;
    std::string stdinPath;
    std::string stdoutPath;
    std::string stderrPath;
};
ProcessOutcome run_redirected(const RedirectedRun& run);

// Identifier of the calling process, for names that must differ per process.
std::uint32_t current_process_id();

// Suspends the calling thread.
void sleep_milliseconds(unsigned milliseconds);

}  // namespace platform
