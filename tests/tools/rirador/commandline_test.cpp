#include "simulator.h"

#include <gtest/gtest.h>

namespace rirador_test {
namespace {

const char* const OneAdapter = "[adapter]\ndevice_id = NIC1\nfirmware = 4.0.534\n";

TEST(RiradorCommandLine, RefusesAnythingButTheThreeFormsWithExitCodeTwo) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"-d", "fw.img", "out.xml"},                                 // no -flashsupport
        {"-FLASHSUPPORT", "-d", "fw.img", "out.xml"},
        {"-flashsupport"},
        {"-flashsupport", "-x", "fw.img", "out.xml"},
        {"-flashsupport", "-D", "fw.img", "out.xml"},
        {"-flashsupport", "-d", "out.xml"},                          // empty image name: no argument
        {"-flashsupport", "-d", "fw.img", "my", "report.xml"},       // unquoted name with a blank
        {"-flashsupport", "-u", "report.xml"},
        {"-flashsupport", "-u", "fw.img", "a", "b"},
        {"-flashsupport", "-i", "NIC1", "-a"},
        {"-flashsupport", "-i", "NIC1", "-b", "fw.img"},
        {"-flashsupport", "-i", "NIC1", "-a", "fw.img", "extra"},
    };
    Simulator sim;
    sim.writeState(OneAdapter);
    sim.writeImage("4.0.550");
    for (const auto& arguments : refused) {
        testsupport::RunResult result = sim.run(arguments);
        EXPECT_EQ(result.exitCode, 2u) << testing::PrintToString(arguments);
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(sim.state(), OneAdapter);
    EXPECT_FALSE(std::filesystem::exists(sim.dir / "out.xml"));
    EXPECT_EQ(sim.calls().size(), refused.size());
}

TEST(RiradorCommandLine, ChecksTheCommandLineBeforeTheStateFile) {
    Simulator sim;
    EXPECT_EQ(sim.run({"-flashsupport", "-q"}).exitCode, 2u);
    EXPECT_EQ(sim.run({"-flashsupport", "-d", "fw.img", "out.xml"}).exitCode, 3u);
}

TEST(RiradorCommandLine, CallLogShowsEveryArgumentAsItArrived) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"NIC \"1", "[-flashsupport] [-i] [NIC \"1] [-a] [fw.img]"},
        {"a\\b \\\"c", "[-flashsupport] [-i] [a\\b \\\"c] [-a] [fw.img]"},
        {"trailing\\", "[-flashsupport] [-i] [trailing\\] [-a] [fw.img]"},
        {"two\\\\", "[-flashsupport] [-i] [two\\\\] [-a] [fw.img]"},
        {"", "[-flashsupport] [-i] [] [-a] [fw.img]"},
        {"K\xC3\xBChl 10GbE", "[-flashsupport] [-i] [K\xC3\xBChl 10GbE] [-a] [fw.img]"},
    };
    Simulator sim;
    sim.writeState(OneAdapter);
    sim.writeImage("4.0.550");
    std::vector<std::string> expected;
    for (const auto& [name, line] : names) {
        EXPECT_EQ(sim.run({"-flashsupport", "-i", name, "-a", "fw.img"}).exitCode, 5u) << name;
        expected.push_back(line);
    }
    // Written first, so a run that fails still leaves its line.
    std::filesystem::remove(sim.dir / "rirador.state");
    sim.run({"-flashsupport", "-d", "fw.img", "out.xml"});
    expected.push_back("[-flashsupport] [-d] [fw.img] [out.xml]");
    EXPECT_EQ(sim.calls(), expected);  // a "\r" before a line feed would show here
}

}  // namespace
}  // namespace rirador_test
