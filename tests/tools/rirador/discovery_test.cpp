#include "simulator.h"

#include <gtest/gtest.h>

#include <chrono>

namespace rirador_test {
namespace {

const char* const FullAdapter =
    "[adapter]\n"
    "device_id = P3P-05-00\nvenid = 1e5a\ndevid = 0A10\nsubvenid = 1F3C\nsubdevid = zz 10\n"
    "mac = 02-1E-5A-05-00-00\nproduct = Tarn <KX> & \"Co\" 'x'\n"
    "bus = 5\ndevice = 1\nfunction = 2\nslot = 3\nfirmware = 4.0.534\nfw_type = RAM\n"
    "action = flash now\nshared = NO\nduration = 120\nmessage = a | b \\ \"c\" = d\n"
    "port = P3P-05-00 | 02-1E-5A-05-00-00 | Tarn KX-2210 | 0\n"
    "port =  P3P-05-01|02-1E-5A-05-00-01|Tarn KX-2210 #2|1  \n";

TEST(RiradorDiscovery, ReportCarriesEveryItemInOrderWithValuesVerbatim) {
    Simulator sim;
    sim.writeState(std::string(FullAdapter) + "[adapter]\ndevice_id = second\n");
    Report report = sim.discover();
    ASSERT_TRUE(report.wellFormed);
    EXPECT_FALSE(report.hasTextContent);
    EXPECT_EQ(report.root, "tarn_rom_discovery");
    EXPECT_FALSE(report.rootVersion.empty());
    ASSERT_EQ(report.header.size(), 3u);
    EXPECT_EQ(report.header[0].path + "=" + report.header[0].value, "type=DIRAVI_NIC");
    EXPECT_EQ(report.header[1].path, "version");
    EXPECT_EQ(report.header[2].path, "takes_effect");
    ASSERT_EQ(report.devices.size(), 2u);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"device_id", "P3P-05-00"}, {"venid", "1e5a"}, {"devid", "0A10"}, {"subvenid", "1F3C"},
        {"subdevid", "zz 10"}, {"macaddress", "02-1E-5A-05-00-00"}, {"product_id", "Tarn <KX> & \"Co\" 'x'"},
        {"busnumber", "5"}, {"devicenumber", "1"}, {"funcnumber", "2"}, {"slotnumber", "3"},
        {"fw_item/type", "RAM"}, {"fw_item/firmware_id", "4.0.534"}, {"fw_item/active_version", "4.0.534"},
        {"fw_item/version", "4.0.534"}, {"fw_item/action", "flash now"}, {"fw_item/shared", "NO"},
        {"fw_item/duration", "120"}, {"fw_item/message", "a | b \\ \"c\" = d"},
        {"ports/port/port_id", "P3P-05-00"}, {"ports/port/macaddress", "02-1E-5A-05-00-00"},
        {"ports/port/product_id", "Tarn KX-2210"}, {"ports/port/funcnumber", "0"},
        {"ports/port/port_id", "P3P-05-01"}, {"ports/port/macaddress", "02-1E-5A-05-00-01"},
        {"ports/port/product_id", "Tarn KX-2210 #2"}, {"ports/port/funcnumber", "1"},
    };
    std::vector<std::pair<std::string, std::string>> actual;
    for (const Item& item : report.devices[0].items) actual.emplace_back(item.path, item.value);
    EXPECT_EQ(actual, expected);

    const Device& bare = report.devices[1];
    EXPECT_EQ(bare.items.size(), 19u);  // every item is written, even without ports
    for (const auto& [path, value] : std::vector<std::pair<std::string, std::string>>{
             {"venid", ""}, {"busnumber", "0"}, {"slotnumber", "0"}, {"fw_item/type", "ROM"},
             {"fw_item/firmware_id", ""}, {"fw_item/action", "flash"}, {"fw_item/shared", "YES"},
             {"fw_item/duration", "60"}, {"fw_item/message", ""}})
        EXPECT_EQ(bare[path], value) << path;
}

TEST(RiradorDiscovery, NeedsNoImageAndAcceptsAnEditorsLayout) {
    Simulator sim;
    sim.writeState("\xEF\xBB\xBF# machine\r\n\r\n  [adapter]  \r\n\tdevice_id=A\r\n  message   =  x  \r\n"
                   "   # port = not | a | port | 0\r\nport = A\r\n");
    EXPECT_EQ(sim.run({"-flashsupport", "-d", "missing.img", "report.xml"}).exitCode, 0u);
    Report report = parseReport(readFile(sim.dir / "report.xml"));
    ASSERT_EQ(report.devices.size(), 1u);
    EXPECT_EQ(report.devices[0]["device_id"], "A");
    EXPECT_EQ(report.devices[0]["fw_item/message"], "x");
    EXPECT_EQ(report.devices[0]["ports/port/port_id"], "A");
    EXPECT_EQ(report.devices[0]["ports/port/funcnumber"], "0");
}

TEST(RiradorDiscovery, InjectedFaultsShapeTheRunAndTheFile) {
    struct Case {
        const char* faults;
        std::uint32_t exitCode;  // ~0u: any nonzero code (a crash)
        bool fileWritten;
        bool wellFormed;
        const char* root;
        const char* type;
    };
    const std::vector<Case> cases = {
        {"", 0, true, true, "tarn_rom_discovery", "DIRAVI_NIC"},
        {"discover_exit = 9", 9, false, false, "", ""},
        {"discover_exit = 9\ndiscover_leaves_file = yes", 9, true, true, "tarn_rom_discovery", "DIRAVI_NIC"},
        {"discover_exit = 0\ndiscover_leaves_file = yes", 0, true, true, "tarn_rom_discovery", "DIRAVI_NIC"},
        {"discover_crash = yes", ~0u, false, false, "", ""},
        {"discover_killed = yes", ~0u, false, false, "", ""},
        {"report = none", 0, false, false, "", ""},
        {"report = none\nreport_faults_for = report.xml", 0, false, false, "", ""},
        {"report = wrong_root\nreport_faults_for = other.xml", 0, true, true, "tarn_rom_discovery", "DIRAVI_NIC"},
        {"report = malformed", 0, true, false, "", ""},
        {"report = wrong_type", 0, true, true, "tarn_rom_discovery", "OTHER"},
        {"report = wrong_root", 0, true, true, "", "DIRAVI_NIC"},
        {"report = normal\nupdate_exit = 4", 0, true, true, "tarn_rom_discovery", "DIRAVI_NIC"},
    };
    for (const char* machine : {"[adapter]\ndevice_id = NIC1\n", ""}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(machine) + "[faults]\n" + c.faults);
            Simulator sim;
            sim.writeState(std::string(machine) + "[faults]\n" + c.faults + "\n");
            testsupport::RunResult result = sim.run({"-flashsupport", "-d", "fw.img", "report.xml"});
            if (c.exitCode == ~0u) EXPECT_NE(result.exitCode, 0u);
            else EXPECT_EQ(result.exitCode, c.exitCode);
            ASSERT_EQ(fs::exists(sim.dir / "report.xml"), c.fileWritten);
            if (!c.fileWritten) continue;
            Report report = parseReport(readFile(sim.dir / "report.xml"));
            EXPECT_EQ(report.wellFormed, c.wellFormed);
            if (!c.wellFormed) continue;
            if (*c.root) EXPECT_EQ(report.root, c.root);
            else EXPECT_NE(report.root, "tarn_rom_discovery");
            ASSERT_FALSE(report.header.empty());
            EXPECT_EQ(report.header[0].value, c.type);
        }
    }
}

TEST(RiradorDiscovery, SlowToolWaitsBeforeAnswering) {
    Simulator sim;
    sim.writeState("[faults]\ndelay_ms = 400\n");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sim.run({"-flashsupport", "-d", "fw.img", "report.xml"}).exitCode, 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}

TEST(RiradorDiscovery, UnwritableReportIsAFailure) {
    Simulator sim;
    sim.writeState("[adapter]\ndevice_id = NIC1\n");
    EXPECT_EQ(sim.run({"-flashsupport", "-d", "fw.img", "no-such-dir/report.xml"}).exitCode, 7u);
}

TEST(RiradorDiscovery, ReportsFourThousandAdapters) {
    std::string state;
    for (int i = 0; i < 4096; ++i)
        state += "[adapter]\ndevice_id = NIC" + std::to_string(i) + "\nfirmware = 4.0.534\n" +
                 "port = NIC" + std::to_string(i) + " | 02-00-00-00-00-01 | Tarn KX-2210 | 0\n";
    Simulator sim;
    sim.writeState(state);
    Report report = sim.discover();
    ASSERT_EQ(report.devices.size(), 4096u);
    EXPECT_EQ(report.devices[4095]["device_id"], "NIC4095");
}

}  // namespace
}  // namespace rirador_test
