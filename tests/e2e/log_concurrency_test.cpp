// Several utility processes append to the same zizador.log at once: every
// line must arrive whole, none lost and none torn. Several update runs at
// once on one machine take turns: each adapter is flashed once.
#include "kelvor_package.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(LogConcurrency, EightProcessesAppendingAtOnceLeaveEveryLineWhole) {
    constexpr int Processes = 8;
    constexpr int LinesEach = 200;
    testsupport::TempDir dir("nicfw-log");
    std::filesystem::path log = dir / "zizador.log";
    testsupport::writeFile(log, "earlier run\n");

    std::vector<testsupport::RunResult> results = testsupport::runAtOnce(
        testsupport::builtProgram("log_appender"), Processes,
        [&](int p) -> std::vector<std::string> {
            return {log.string(), std::to_string(p), std::to_string(LinesEach)};
        },
        dir.path());
    for (const testsupport::RunResult& result : results) ASSERT_TRUE(result.started && result.exitCode == 0);

    std::vector<std::string> lines = testsupport::splitLines(testsupport::readText(log));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "earlier run");
    testsupport::expectWholeLinesInOrder({lines.begin() + 1, lines.end()}, Processes, LinesEach, 120);
}

// Eight unattended runs started at once in one package directory, as eight
// hosts would start them: the machine-wide lock lets one run at a time
// discover and flash, so the first flashes each older adapter and the others
// find nothing left to do. Every run's exit code, last line and log agree.
TEST(UpdateConcurrency, EightRunsAtOnceFlashEachOlderAdapterOnce) {
    constexpr int Runs = 8;
    e2e::KelvorPackage package;
    // The tool's pause widens the window in which runs would overlap.
    package.setUp({{e2e::model("2210"), e2e::model("2211")}},
                  {e2e::adapter("OLD-A", "2210", "4.0.534"), e2e::adapter("OLD-B", "2210", "4.0.500"),
                   e2e::adapter("SAME", "2211", "4.0.550")},
                  {"delay_ms = 150"});
    std::uintmax_t logBefore = testsupport::fileSize(package.logFile());

    std::vector<testsupport::RunResult> results = testsupport::runAtOnce(
        testsupport::builtProgram("Kelvor"), Runs, [](int) -> std::vector<std::string> { return {"-y"}; },
        package.dir());

    const std::string waiting = "Another firmware update run is in progress on this machine. Waiting for it to finish...";
    int flashed = 0, idle = 0, waited = 0;
    for (const testsupport::RunResult& result : results) {
        ASSERT_TRUE(result.started);
        std::vector<std::string> lines = testsupport::splitLines(result.out);
        ASSERT_FALSE(lines.empty());
        std::size_t waits = e2e::count(result.out, waiting);
        EXPECT_LE(waits, 1u) << "a waiting run says so once";
        waited += static_cast<int>(waits);
        if (result.exitCode == 1) {
            ++flashed;
            EXPECT_EQ(lines.back(), "NIC firmware update complete");
            EXPECT_EQ(e2e::count(result.out, " upgrade SUCCESS!"), 2u);
        } else {
            ++idle;
            EXPECT_EQ(result.exitCode, 3u) << result.out;
            EXPECT_EQ(lines.back(), "No firmware is selected for update.");
            EXPECT_EQ(e2e::count(result.out, "Selecting "), 0u) << result.out;
        }
    }
    EXPECT_EQ(flashed, 1);
    EXPECT_EQ(idle, Runs - 1);

    std::vector<std::string> calls = testsupport::splitLines(testsupport::readText(package / "rirador.calls"));
    std::map<std::string, int> calledFor;
    for (const std::string& call : calls) ++calledFor[call];
    EXPECT_EQ(calledFor["[-flashsupport] [-d] [fw.img] [tempP3PNicList.xml]"], Runs);
    EXPECT_EQ(calledFor["[-flashsupport] [-i] [OLD-A] [-a] [fw.img]"], 1);
    EXPECT_EQ(calledFor["[-flashsupport] [-i] [OLD-B] [-a] [fw.img]"], 1);
    EXPECT_EQ(calls.size(), static_cast<std::size_t>(Runs + 2));

    std::string log = testsupport::normalizeLineEnds(testsupport::readFile(package.logFile()).substr(logBefore));
    EXPECT_EQ(e2e::count(log, "\nNIC firmware update complete\n"), 1u);
    EXPECT_EQ(e2e::count(log, "\nNo firmware is selected for update.\n"), static_cast<std::size_t>(Runs - 1));
    EXPECT_EQ(e2e::count(log, " upgrade SUCCESS!\n"), 2u);
    EXPECT_EQ(e2e::count(log, waiting), static_cast<std::size_t>(waited));
}

}  // namespace
