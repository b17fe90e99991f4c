#include "simulator.h"

#include <gtest/gtest.h>

namespace rirador_test {
namespace {

TEST(RiradorStateFile, MissingOrInvalidFilesAreNamedWithTheirLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"device_id = A\n", ":1:"},                                          // outside a section
        {"# c\n[adapter]\ndevice_id = A\ncolour = red\n", ":4:"},
        {"[faults]\nflash_exit = 3\n", ":2:"},                                 // an adapter key
        {"[adapter]\ndevice_id = A\ndelay_ms = 3\n", ":3:"},                    // a fault key
        {"[adapter]\ndevice_id = A\n\n[adapter]\nfirmware = 1.0.0\n", ":4:"},  // no device_id
        {"[faults]\n[faults]\n", ":2:"},
        {"[machine]\n", ":1:"},
        {"[adapter]\ndevice_id\n", ":2:"},
        {"[adapter]\ndevice_id = A\ndevice_id = B\n", ":3:"},
        {"[adapter]\ndevice_id = A\nport = a | b | c | d | e\n", ":3:"},
        {"[adapter]\ndevice_id = A\nflash_exit = abc\n", ":3:"},
        {"[adapter]\ndevice_id = A\nflash_exit = 256\n", ":3:"},  // would read as 0 on POSIX
        {"[adapter]\ndevice_id = A\nflash_exit = -1\n", ":3:"},
        {"[adapter]\ndevice_id = A\nflash_crash = maybe\n", ":3:"},
        {"[faults]\nreport = broken\n", ":2:"},
        {"[faults]\ndelay_ms = 1e3\n", ":2:"},
        {"[faults]\ndiscover_leaves_file = YES\n", ":2:"},
    };
    for (const auto& [text, where] : cases) {
        Simulator sim;
        sim.writeState(text);
        testsupport::RunResult result = sim.run({"-flashsupport", "-d", "fw.img", "report.xml"});
        EXPECT_EQ(result.exitCode, 3u) << text;
        EXPECT_NE(result.err.find("rirador.state" + where), std::string::npos) << text << result.err;
        EXPECT_FALSE(std::filesystem::exists(sim.dir / "report.xml")) << text;
    }
    Simulator sim;
    for (const char* option : {"-d", "-u"}) {
        testsupport::RunResult result = sim.run({"-flashsupport", option, "fw.img", "report.xml"});
        EXPECT_EQ(result.exitCode, 3u);
        EXPECT_NE(result.err.find("rirador.state"), std::string::npos);
    }
}

}  // namespace
}  // namespace rirador_test
