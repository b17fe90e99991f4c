// Child processes: pipes and handles for them, starting a command line with
// chosen standard handles and console, waiting, and the exit code.
//
// A run reports which step failed, so that a caller can tell a child that
// could not be given its standard handles from one that could not be
// started. The ready-made runs at the end cover what the utility, the tools
// and the tests need; the pieces above them let a caller run a child with
// its output on a pipe that another thread drains.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The step of a run that failed.
enum class ProcessStep : std::uint8_t {
    none,              // nothing failed
    standard_handles,  // a pipe or file for the child's standard handles could not be set up
    start,             // the program was not found or the process could not be created
    wait,              // waiting for the child or taking its exit code failed
};

// Why the system refused a step: its error number (errno on Linux, the
// GetLastError code on Windows) and the system's text for it (UTF-8), so
// that a log can say why a child did not start. A program that the lookup
// does not find gives ENOENT on Linux, as exec would. Zero and empty when no
// system call failed (an empty command line, a standard handle not open).
struct SystemError {
    std::uint32_t code = 0;
    std::string text;
};

struct ProcessOutcome {
    bool started = false;        // the child was created (it may still have failed to end cleanly)
    std::uint32_t exitCode = 0;  // valid when started; a child ended by a signal gives 128 + signal
    ProcessStep failed = ProcessStep::none;
    SystemError cause;  // set when the start or its standard handles failed
};

// A system handle (on Linux a file descriptor), closed on destruction.
class OwnedHandle {
public:
    static constexpr std::intptr_t invalid = -1;

    OwnedHandle() = default;
    explicit OwnedHandle(std::intptr_t native) : native_(native) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    OwnedHandle(OwnedHandle&& other) noexcept : native_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    bool valid() const { return native_ != invalid; }
    std::intptr_t native() const { return native_; }
    std::intptr_t release() {
        std::intptr_t native = native_;
        native_ = invalid;
        return native;
    }
    void reset(std::intptr_t native = invalid);

private:
    std::intptr_t native_ = invalid;
};

// An anonymous pipe. Exactly one end may be inherited by children: the end
// that a child receives as a standard handle. The caller's own end must not
// be inherited, or the reader never sees the end of the data while some
// child still holds a copy of the write end; for the same reason the caller
// closes its copy of the inherited end once the child has started. (On Linux
// every descriptor is close-on-exec and reaches a child only as a standard
// handle, so there both ends behave as the caller's.)
enum class InheritedEnd : std::uint8_t { read, write };
struct Pipe {
    OwnedHandle read;
    OwnedHandle write;
};
// False, with both ends invalid, when the pipe could not be created.
bool create_pipe(Pipe& pipe, InheritedEnd inherited);

// Reads what is there, waiting for data; 0 at the end of the data (every
// write end closed) or on failure.
std::size_t read_pipe(const OwnedHandle& readEnd, void* buffer, std::size_t size);

// Reads and drops everything up to the end of the data; the number of bytes
// read. Run on its own thread, it keeps a child from blocking on a full pipe.
std::uint64_t drain_pipe(const OwnedHandle& readEnd);

// An inheritable handle for a child's standard handle: the file at `path`
// (created or emptied for writing), or the null device when `path` is empty.
// Invalid when it cannot be opened.
enum class FileAccess : std::uint8_t { read, write };
OwnedHandle open_for_child(const std::string& path, FileAccess access);

// Where one standard handle of a child comes from.
struct ChildStream {
    enum class From : std::uint8_t {
        nothing,  // no usable handle (on Linux, which needs one, the null device)
        caller,   // the caller's own standard handle of the same kind
        handle,   // `handle`, which must be inheritable (see Pipe, open_for_child)
    };
    From from = From::nothing;
    const OwnedHandle* handle = nullptr;  // borrowed; must outlive the start

    static ChildStream nothing() { return {}; }
    static ChildStream caller() { return {From::caller, nullptr}; }
    static ChildStream of(const OwnedHandle& borrowed) { return {From::handle, &borrowed}; }
};

struct ChildStdio {
    ChildStream input, output, error;
};

// The child's console. Linux has none: there a child without explicit
// standard handles keeps the caller's with `shared` and gets the null device
// otherwise, as a console of its own would show nothing.
enum class ChildConsole : std::uint8_t {
    no_window,  // a console that is never shown
    detached,   // no console at all
    shared,     // the caller's console, or a new one titled consoleTitle when the caller has none
};

struct ChildStart {
    // One string split by the Windows rules; the first word is looked up as
    // Windows does it for a bare or relative program: ".\X" and "X" are
    // tried in the caller's current directory, as given and with ".exe",
    // then along the search path.
    std::u16string commandLine;
    std::u16string workingDirectory;  // empty: the caller's
    ChildConsole console = ChildConsole::no_window;
    std::u16string consoleTitle;  // the title of a new console (shared)
    // False: the child inherits none of the caller's handles; `stdio` may
    // then name no handle (the start fails at standard_handles), since
    // Windows hands standard handles over only by inheritance.
    bool inheritHandles = true;
    std::optional<ChildStdio> stdio;  // absent: the child's console decides (see ChildConsole)
    // The environment is always the caller's.
};

// A started child; destroying one that was not waited for waits for it, so
// no child is ever left unreaped.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept : process_(other.process_) { other.process_ = none; }
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    bool running() const { return process_ != none; }

    // Waits without a time limit and takes the exit code. A wait that fails
    // reports exit code 1 with the failed step `wait`, never success.
    ProcessOutcome wait();

private:
    friend ProcessStep start_child(const ChildStart&, ChildProcess&, SystemError&);
    static constexpr std::intptr_t none = -1;
    std::intptr_t process_ = none;  // the process handle on Windows, the process id on Linux
};

// Starts a child; ProcessStep::none when it runs, otherwise the step that
// failed (the child is then not running).
ProcessStep start_child(const ChildStart& start, ChildProcess& child);
// The same, and on failure the system's cause in `cause`.
ProcessStep start_child(const ChildStart& start, ChildProcess& child, SystemError& cause);

// Starts a child and waits for it.
ProcessOutcome run_child(const ChildStart& start);

// Runs a command line (UTF-8, split by the Windows rules) as a hidden child:
// no console window, no usable standard handles, the caller's environment
// and current directory. Waits without a time limit.
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

// Ends the calling process at once, as another process ending it would (on
// Linux SIGKILL, on Windows TerminateProcess with exit code 1, as a forced
// task kill does): nothing of the process runs any more.
[[noreturn]] void kill_this_process();

// Suspends the calling thread.
void sleep_milliseconds(unsigned milliseconds);

}  // namespace platform
