// Helpers for the tests: temporary directories, files, and runs of the real
// binaries with their standard handles on files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// The directory that holds the test programs and the binaries under test.
std::filesystem::path binaryDirectory();

// A binary of the build, such as "Kelvor" (".exe" added on Windows).
std::filesystem::path builtProgram(const std::string& name);

// The demo package as the build stages it (examples/package and the
// binaries), beside the bin directory.
std::filesystem::path stagedPackageDirectory();

// A fresh directory, removed with everything in it on destruction.
class TempDir {
public:
    explicit TempDir(const std::string& label = "nicfw");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// An environment variable that a test sets for the life of the object.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(std::string name);  // remembers the variable's value
    ~ScopedEnvironment();                          // puts the remembered value back (empty when it had none)
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    bool set(const std::string& value) const;  // false when the system refused it

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// Whole file as bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Whole file with "\r\n" turned into "\n", so text compares alike on both
// platforms.
std::string readText(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);
std::uintmax_t fileSize(const std::filesystem::path& path);  // 0 when missing

// Text with "\r\n" turned into "\n".
std::string normalizeLineEnds(const std::string& text);
// Lines of a text without their line ends.
std::vector<std::string> splitLines(const std::string& text);

struct RunResult {
    bool started = false;
    std::uint32_t exitCode = 0;
    std::string out;  // standard output, line ends normalized
    std::string err;  // standard error, line ends normalized
};

// Runs a program with arguments (quoted by the Windows rules) in a
// directory, feeding `input` on standard input.
RunResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingDirectory, const std::string& input = "");

// The same with the arguments as one text, exactly as a host writes them
// after the program's quoted name.
RunResult runCommandLine(const std::filesystem::path& program, const std::string& arguments,
                         const std::filesystem::path& workingDirectory, const std::string& input = "");

// Runs `count` instances of the program at once, instance i with the
// arguments `argumentsOf(i)`, and waits for all of them.
std::vector<RunResult> runAtOnce(const std::filesystem::path& program, int count,
                                 const std::function<std::vector<std::string>(int)>& argumentsOf,
                                 const std::filesystem::path& workingDirectory);

// Checks the lines that `writers` processes appended to one file at once,
// each writing `linesEach` lines "appender <writer> line <n> <fill x> end":
// every line arrived whole, none was lost, and each writer's lines stand in
// the order written.
void expectWholeLinesInOrder(const std::vector<std::string>& lines, int writers, int linesEach, int fill);

}  // namespace testsupport
