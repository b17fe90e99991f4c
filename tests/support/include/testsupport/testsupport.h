// Helpers for the tests: temporary directories, files, and runs of the real
// binaries with their standard handles on files.
#pragma once

#include <cstdint>
#include <filesystem>
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

}  // namespace testsupport
