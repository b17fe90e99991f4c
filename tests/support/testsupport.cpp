#include "testsupport/testsupport.h"

#include "platform/cmdline.h"
#include "platform/module.h"
#include "platform/process.h"
#include "platform/system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace testsupport {

fs::path binaryDirectory() { return fs::path(platform::executable_path()).parent_path(); }

fs::path builtProgram(const std::string& name) { return binaryDirectory() / (name + NICFW_EXE_SUFFIX); }

fs::path stagedPackageDirectory() { return binaryDirectory().parent_path() / "package"; }

TempDir::TempDir(const std::string& label) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() /
                             (label + "-" + std::to_string(platform::current_process_id()) + "-" +
                              std::to_string(counter++) + "-" + std::to_string(random() % 100000));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

ScopedEnvironment::ScopedEnvironment(std::string name)
    : name_(std::move(name)), saved_(platform::environment_variable(name_)) {}

ScopedEnvironment::~ScopedEnvironment() { platform::set_environment_variable(name_, saved_.value_or("")); }

bool ScopedEnvironment::set(const std::string& value) const { return platform::set_environment_variable(name_, value); }

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string normalizeLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

std::string readText(const fs::path& path) { return normalizeLineEnds(readFile(path)); }

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::uintmax_t fileSize(const fs::path& path) {
    std::error_code error;
    std::uintmax_t size = fs::file_size(path, error);
    return error ? 0 : size;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

RunResult runCommandLine(const fs::path& program, const std::string& arguments, const fs::path& workingDirectory,
                         const std::string& input) {
    TempDir io("nicfw-io");
    writeFile(io / "stdin", input);
    platform::RedirectedRun run;
    run.commandLine = platform::quote_argument(program.string());
    if (!arguments.empty()) run.commandLine += ' ' + arguments;
    run.workingDirectory = workingDirectory.string();
    run.stdinPath = (io / "stdin").string();
    run.stdoutPath = (io / "stdout").string();
    run.stderrPath = (io / "stderr").string();
    platform::ProcessOutcome outcome = platform::run_redirected(run);

    RunResult result;
    result.started = outcome.started;
    result.exitCode = outcome.exitCode;
    result.out = readText(io / "stdout");
    result.err = readText(io / "stderr");
    return result;
}

RunResult runProgram(const fs::path& program, const std::vector<std::string>& arguments,
                     const fs::path& workingDirectory, const std::string& input) {
    std::string quoted;
    for (const std::string& argument : arguments) {
        if (!quoted.empty()) quoted += ' ';
        quoted += platform::quote_argument(argument);
    }
    return runCommandLine(program, quoted, workingDirectory, input);
}

std::vector<RunResult> runAtOnce(const fs::path& program, int count,
                                 const std::function<std::vector<std::string>(int)>& argumentsOf,
                                 const fs::path& workingDirectory) {
    std::vector<RunResult> results(static_cast<std::size_t>(count));
    std::vector<std::thread> runners;
    for (int i = 0; i < count; ++i)
        runners.emplace_back([&, i] { results[i] = runProgram(program, argumentsOf(i), workingDirectory); });
    for (std::thread& runner : runners) runner.join();
    return results;
}

void expectWholeLinesInOrder(const std::vector<std::string>& lines, int writers, int linesEach, int fill) {
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(writers) * static_cast<std::size_t>(linesEach));
    const std::regex whole("appender ([0-9]+) line ([0-9]+) x{" + std::to_string(fill) + "} end");
    std::map<int, std::vector<int>> seen;
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, whole)) << "torn line: " << line;
        seen[std::stoi(match[1])].push_back(std::stoi(match[2]));
    }
    for (int writer = 0; writer < writers; ++writer) {
        ASSERT_EQ(seen[writer].size(), static_cast<std::size_t>(linesEach)) << "writer " << writer;
        for (int i = 0; i < linesEach; ++i)
            ASSERT_EQ(seen[writer][i], i) << "each writer's lines stay in order";
    }
}

}  // namespace testsupport
