// The runs of the flash utility as a child of the host process: hidden with
// its standard handles on pipes, in a console, and the plain start of the
// version-status question. Each takes a whole command line whose first word
// is the program ("Kelvor.exe", found in the current directory, the package
// directory), leaves environment and current directory as the host's and
// waits without a time limit.
#pragma once

#include <cstdint>

// The runners' own results, returned in place of the child's exit code. A
// child that ends with one of these numbers is not told apart from them;
// every caller counts both as a failed run.
enum RunnerResult : std::uint32_t {
    RunnerSetupFailed = 11,  // a pipe or the worker thread could not be set up
    RunnerStartFailed = 15,  // the child process could not be created
};

// The title of the console that an attended run opens when the host has
// none.
inline constexpr char16_t UtilityConsoleTitle[] =
    u"Tarn KX-Series Vavezore Online Firmware Upgrade Utility for Windows";

// Runs the child without a console, its standard input on a pipe that is
// never written (closed once the child has started, so a read ends at once)
// and its standard output and error on a pipe that one worker thread drains
// while the child runs, so a child that writes a lot never blocks. Every
// handle of the run is closed and the process's standard output is the one
// it had before when the call returns. The child's exit code, or
// RunnerSetupFailed (a child is still run when only the pipes failed) or
// RunnerStartFailed.
std::uint32_t RunHidden(const char16_t* commandLine);

// Runs the child in the host's console, or in a new one titled
// UtilityConsoleTitle when the host has none; on Linux it shares the host's
// terminal. The child's exit code, or RunnerStartFailed.
std::uint32_t RunInConsole(const char16_t* commandLine);

// The version-status start: no window, no handle inherited.
struct VersionStatusRun {
    bool started = false;        // the process was created
    bool ended = false;          // the wait reported its end
    std::uint32_t exitCode = 0;  // valid when ended
};
VersionStatusRun RunForVersionStatus(const char16_t* commandLine);
