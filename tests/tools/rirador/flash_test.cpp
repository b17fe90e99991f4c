#include "simulator.h"

#include <gtest/gtest.h>

#include <cstring>

namespace rirador_test {
namespace {

// Two adapters: one named after its designated port, one whose device_id
// carries a quote, blanks and backslashes, as a tool may report it.
const char* const TwoAdapters =
    "[adapter]\ndevice_id = P3P-05-00\nproduct = Board KX\nfirmware = 4.0.534\n"
    "port = P3P-05-00 | 02-1E-5A-05-00-00 | Tarn KX-2210 | 0\n"
    "port = P3P-05-01 | 02-1E-5A-05-00-01 | Tarn KX-2210 #2 | 1\n"
    "[adapter]\ndevice_id = NIC \"2\\ x\\\nfirmware = 4.1.600\n";

std::vector<std::string> installed(const Simulator& sim) {
    std::vector<std::string> versions;
    for (const Device& device : sim.discover().devices) {
        EXPECT_EQ(device["fw_item/active_version"], device["fw_item/firmware_id"]);
        EXPECT_EQ(device["fw_item/version"], device["fw_item/firmware_id"]);
        versions.push_back(device["fw_item/firmware_id"]);
    }
    return versions;
}

TEST(RiradorFlash, FlashesTheAdapterThatAnswersToTheNameByteForByte) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"P3P-05-00", {"4.2.7", "4.1.600"}},
        {"Tarn KX-2210", {"4.2.7", "4.1.600"}},  // the designated port's product name
        {"NIC \"2\\ x\\", {"4.0.534", "4.2.7"}},
    };
    for (const auto& [name, versions] : cases) {
        Simulator sim;
        sim.writeState(TwoAdapters);
        writeFile(sim.dir / "fw.img", "\xEF\xBB\xBF# image\n  version=4.2.7  \r\nversion = 9.9.9\n");
        testsupport::RunResult result = sim.run({"-flashsupport", "-i", name, "-a", "fw.img"});
        EXPECT_EQ(result.exitCode, 0u) << name << ": " << result.err;
        EXPECT_EQ(installed(sim), versions) << name;
        // The rewrite goes through a temporary file that must not stay behind.
        EXPECT_EQ(std::distance(fs::directory_iterator(sim.dir.path()), fs::directory_iterator()), 4) << name;
    }
}

TEST(RiradorFlash, RefusedFlashesChangeNothing) {
    struct Case {
        std::string name, image, extraKeys;
        std::uint32_t exitCode;  // ~0u: a crash
    };
    const std::vector<Case> cases = {
        {"Tarn KX-2210 #2", "version = 4.2.7", "", 5},  // a port that does not stand for the adapter
        {"Board KX", "version = 4.2.7", "", 5},         // the board's product name is not a name
        {"p3p-05-00", "version = 4.2.7", "", 5},
        {" P3P-05-00", "version = 4.2.7", "", 5},
        {"P3P-05-00", "# no version line\nrelease = 4.2.7\nversion =\n", "", 4},
        {"P3P-05-00", "", "flash_exit = 5\n", 4},  // the image is checked first
        {"P3P-05-00", "version = 4.2.7", "flash_exit = 5\n", 5},
        {"P3P-05-00", "version = 4.2.7", "flash_exit = 17\n", 17},
        {"P3P-05-00", "version = 4.2.7", "flash_crash = yes\n", ~0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " / " + c.extraKeys);
        Simulator sim;
        std::string state = "[adapter]\n" + c.extraKeys + (TwoAdapters + std::strlen("[adapter]\n"));
        sim.writeState(state);
        if (!c.image.empty()) writeFile(sim.dir / "fw.img", c.image);
        testsupport::RunResult result = sim.run({"-flashsupport", "-i", c.name, "-a", "fw.img"});
        if (c.exitCode == ~0u) EXPECT_NE(result.exitCode, 0u);
        else EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(sim.state(), state);
    }
}

TEST(RiradorFlash, AdaptersSharingANameAreAllFlashed) {
    Simulator sim;
    sim.writeState("[adapter]\ndevice_id = A\nport = A | m | Tarn KX | 0\n"
                   "[adapter]\ndevice_id = B\nport = B | m | Tarn KX | 0\n");
    sim.writeImage("4.0.550");
    EXPECT_EQ(sim.run({"-flashsupport", "-i", "Tarn KX", "-a", "fw.img"}).exitCode, 0u);
    EXPECT_EQ(installed(sim), (std::vector<std::string>{"4.0.550", "4.0.550"}));
}

TEST(RiradorFlash, RewriteKeepsEveryKeyAndTheFaults) {
    const std::string before =
        "[adapter]\ndevice_id = P3P-05-00\nvenid = 1e5a\ndevid = 0A10\nsubvenid = 1F3C\nsubdevid = 2210\n"
        "mac = 02-1E-5A-05-00-00\nproduct = Tarn KX | \"2210\" \\\nbus = 5\ndevice = 0\nfunction = 0\nslot = 1\n"
        "firmware = 4.0.534\nfw_type = ROM\naction = flash\nshared = NO\nduration = 90\nmessage = # not a comment\n"
        "port = P3P-05-00 | 02-1E-5A-05-00-00 | Tarn KX-2210 | 0\nport = P3P-05-01 |  |  | 0\n"
        "flash_exit = 0\nflash_crash = no\n"
        "[adapter]\ndevice_id = other\n"
        "[faults]\ndiscover_exit = 9\ndiscover_leaves_file = yes\ndiscover_crash = no\nreport = wrong_type\n"
        "update_exit = 0\ndelay_ms = 0\n";
    Simulator sim;
    sim.writeState(before);
    sim.writeImage("4.2.7");
    ASSERT_EQ(sim.run({"-flashsupport", "-i", "P3P-05-00", "-a", "fw.img"}).exitCode, 0u);

    std::vector<std::string> kept;
    for (const std::string& line : testsupport::splitLines(sim.state()))
        if (!line.empty() && line[0] != '#') kept.push_back(line);
    std::vector<std::string> expected = testsupport::splitLines(before);
    *std::find(expected.begin(), expected.end(), "firmware = 4.0.534") = "firmware = 4.2.7";
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(sim.run({"-flashsupport", "-d", "fw.img", "report.xml"}).exitCode, 9u);
}

TEST(RiradorUpdate, UpdatesTheListedAdaptersTheMachineHas) {
    Simulator sim;
    sim.writeState("[adapter]\ndevice_id = A\nfirmware = 1.0.0\n[adapter]\ndevice_id = B\nfirmware = 1.0.0\n"
                   "[adapter]\ndevice_id = C\nfirmware = 1.0.0\n");
    sim.writeImage("4.0.550");
    writeFile(sim.dir / "mine.xml",
              "<?xml version='1.0'?><tarn_rom_discovery><type value='DIRAVI_NIC'/><devices>"
              "<device><device_id value=' C '/></device><device><device_id VALUE='Z'/></device>"
              "<device><device_id value='A'/></device></devices></tarn_rom_discovery>");
    EXPECT_EQ(sim.run({"-flashsupport", "-u", "fw.img", "mine.xml"}).exitCode, 0u);
    EXPECT_EQ(installed(sim), (std::vector<std::string>{"4.0.550", "1.0.0", "4.0.550"}));

    // A report of its own discovery lists every adapter.
    sim.writeImage("4.1.0");
    EXPECT_EQ(sim.run({"-flashsupport", "-u", "fw.img", "report.xml"}).exitCode, 0u);
    EXPECT_EQ(installed(sim), (std::vector<std::string>{"4.1.0", "4.1.0", "4.1.0"}));
}

TEST(RiradorUpdate, RefusedUpdatesChangeNothing) {
    const std::string good = "<tarn_rom_discovery><type value='DIRAVI_NIC'/><devices><device>"
                             "<device_id value='A'/></device></devices></tarn_rom_discovery>";
    struct Case {
        std::string report, image, extraState;
        std::uint32_t exitCode;
    };
    const std::vector<Case> cases = {
        {"", "version = 4.0.550", "", 6},  // no report file
        {good.substr(0, good.size() / 2), "version = 4.0.550", "", 6},
        {"<other><devices><device><device_id value='A'/></device></devices></other>", "version = 4.0.550", "", 6},
        {"<tarn_rom_discovery><type value='OTHER'/>" + good.substr(good.find("<devices>")), "version = 4.0.550",
         "", 6},
        {good, "", "", 4},
        {good, "version = 4.0.550", "[faults]\nupdate_exit = 8\n", 8},
        {good, "version = 4.0.550", "flash_exit = 12\n", 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report + " / " + c.extraState);
        Simulator sim;
        std::string state = "[adapter]\ndevice_id = A\nfirmware = 1.0.0\n" + c.extraState;
        sim.writeState(state);
        if (!c.report.empty()) writeFile(sim.dir / "report.xml", c.report);
        if (!c.image.empty()) writeFile(sim.dir / "fw.img", c.image);
        testsupport::RunResult result = sim.run({"-flashsupport", "-u", "fw.img", "report.xml"});
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_FALSE(result.err.empty());
        EXPECT_EQ(sim.state(), state);
    }
}

}  // namespace
}  // namespace rirador_test
