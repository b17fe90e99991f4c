// Several utility processes append to the same zizador.log at once: every
// line must arrive whole, none lost and none torn.
#include "testsupport.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <thread>

namespace {

TEST(LogConcurrency, EightProcessesAppendingAtOnceLeaveEveryLineWhole) {
    constexpr int Processes = 8;
    constexpr int LinesEach = 200;
    testsupport::TempDir dir("nicfw-log");
    std::filesystem::path log = dir / "zizador.log";
    testsupport::writeFile(log, "earlier run\n");

    std::vector<std::thread> runners;
    std::vector<testsupport::RunResult> results(Processes);
    for (int p = 0; p < Processes; ++p)
        runners.emplace_back([&, p] {
            results[p] = testsupport::runProgram(testsupport::builtProgram("log_appender"),
                                                 {log.string(), std::to_string(p), std::to_string(LinesEach)},
                                                 dir.path());
        });
    for (std::thread& runner : runners) runner.join();
    for (const testsupport::RunResult& result : results) ASSERT_TRUE(result.started && result.exitCode == 0);

    std::vector<std::string> lines = testsupport::splitLines(testsupport::readText(log));
    ASSERT_EQ(lines.size(), 1u + Processes * LinesEach);
    EXPECT_EQ(lines[0], "earlier run");
    const std::regex whole("appender ([0-9]) line ([0-9]+) x{120} end");
    std::map<int, std::vector<int>> seen;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, whole)) << "torn line: " << lines[i];
        seen[std::stoi(match[1])].push_back(std::stoi(match[2]));
    }
    for (int p = 0; p < Processes; ++p) {
        ASSERT_EQ(seen[p].size(), static_cast<std::size_t>(LinesEach)) << "process " << p;
        for (int i = 0; i < LinesEach; ++i) EXPECT_EQ(seen[p][i], i) << "each process's lines stay in order";
    }
}

}  // namespace
