// Discovery through the adapter tool, the firmware catalog, the report
// reader, the installed-firmware display (-c) and the version report (-v).
#include "kelvor_package.h"

#include <gtest/gtest.h>

namespace {

using e2e::adapter;
using e2e::count;
using e2e::hasLine;
using e2e::KelvorPackage;
using e2e::KelvorRun;
using e2e::model;

const std::string Header = "\n" + std::string(76, '-') +
                           "\nTarn KX-Series P3P Online Firmware Upgrade Utility for Windows (1.0.0.1)\n"
                           "Copyright (C) Tarn Corporation. All rights reserved.\n" +
                           std::string(76, '-') + "\n\n";
const std::string DiscoveryCommand = ".\\rirador -flashsupport  -d fw.img tempP3PNicList.xml";

std::string afterHeader(const KelvorRun& run) {
    return run.out.rfind(Header, 0) == 0 ? run.out.substr(Header.size()) : "(no header) " + run.out;
}

// A report file as the vendor's tool might write it, for content the
// simulator would never produce by itself.
std::string item(const std::string& name, const std::string& value) {
    return "<" + name + " value=\"" + value + "\"/>";
}
std::string device(const std::string& venid, const std::string& devid, const std::string& subvenid,
                   const std::string& subdevid, const std::string& more = "") {
    return "<device>" + item("device_id", "NIC") + item("venid", venid) + item("devid", devid) +
           item("subvenid", subvenid) + item("subdevid", subdevid) + more + "</device>";
}
std::string report(const std::string& devices, const std::string& type = item("type", "DIRAVI_NIC")) {
    return "<?xml version=\"1.0\"?><tarn_rom_discovery version=\"1.0\">" + type + item("takes_effect", "reboot") +
           "<devices>" + devices + "</devices></tarn_rom_discovery>";
}

class Inventory : public testing::Test {
protected:
    // The simulator writes `reportText` instead of its own report.
    void cannedReport(const std::string& reportText) {
        package.setUp({{model("2210")}}, {}, {"report_file = canned.xml"});
        package.write("canned.xml", reportText);
    }
    KelvorPackage package;
};

TEST_F(Inventory, ShowCurrentLaysOutEveryAdapterAndItsPorts) {
    e2e::Adapter a = adapter("P3P-05-00", "2210", "4.0.534");
    a.mac = "02-1E-5A-05-00-00";
    a.ports = {"P3P-05-00 | 02-1E-5A-05-00-00 | Tarn KX-2210 Port 1 | 0",
               "P3P-05-01 | 02-1E-5A-05-00-01 | Tarn KX-2210 Port 2 | 1"};
    package.setUp({{model("2210")}}, {a});

    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(afterHeader(run),
              "PCI-ID :1E5A-0A10-1F3C-2210     Ports: 2\n\n"
              " MAC                  Interface                   NIC Ports\n"
              "02-1E-5A-05-00-00    P3P-05-00     Tarn KX-2210 Port 1\n"
              "02-1E-5A-05-00-01    P3P-05-01     Tarn KX-2210 Port 2\n\n"
              "\n\n  (Installed)             (Available)                     Interface\n"
              "  Image    Version        Image    Version   \n" +
                  std::string(82, '-') +
                  "\n"
                  "   Bootcode      4.0.534         Bootcode     4.0.550     Tarn KX-2210 Port 1\n\n\n"
                  "**Note: Show current (/c) option displays ports information for each NIC.\n\n");
    EXPECT_TRUE(hasLine(run.log, "Diravi P3P device discovery completed successfully.!"));
    EXPECT_EQ(run.calls, std::vector<std::string>{"[-flashsupport] [-d] [fw.img] [tempP3PNicList.xml]"});
    EXPECT_FALSE(package.exists("tempP3PNicList.xml")) << "the tool's file is removed after reading";
    EXPECT_FALSE(hasLine(run.log, "tempP3PNicList.xml is deleted!")) << "said only in debug mode";
    EXPECT_TRUE(hasLine(package.run({"-c", "-debug"}).log, "tempP3PNicList.xml is deleted!"));
}

TEST_F(Inventory, AnAdapterNotInTheCatalogIsDroppedWithItsKey) {
    package.setUp({{model("2210")}}, {adapter("NIC9", "9999", "4.0.534")});
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(afterHeader(run), "") << "nothing beyond the header";
    EXPECT_TRUE(hasLine(run.log, "PCI Id 1E5A-0A10-1F3C-9999 details could not find with NICFWData.xml"));
    EXPECT_FALSE(hasLine(run.log, "Diravi P3P device discovery completed successfully.!"));
}

TEST_F(Inventory, ALeftoverToolFileIsNeverRead) {
    package.setUp({{model("2210")}}, {}, {"discover_exit = 3"});
    package.write("tempP3PNicList.xml", report(device("1E5A", "0A10", "1F3C", "2210")));
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(package.exists("tempP3PNicList.xml"));
    EXPECT_TRUE(hasLine(run.log, "Could not generate hardware discovery details. Diravi P3P device discovery failed!3"));
}

TEST_F(Inventory, AFailedDiscoveryThatLeftItsFileIsNotRead) {
    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")},
                  {"discover_exit = 5", "discover_leaves_file = yes"});
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(hasLine(run.log, "Diravi P3P device discovery failed with error code 5"));
    EXPECT_FALSE(package.exists("tempP3PNicList.xml"));
    EXPECT_EQ(count(run.log, "PCI Id"), 0u);
}

TEST_F(Inventory, AToolThatCannotStartFailsDiscovery) {
    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")});
    package.remove(testsupport::builtProgram("rirador").filename().string());
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(hasLine(run.log, DiscoveryCommand));
    EXPECT_EQ(count(run.log, "do_command: exitCode"), 0u);
    EXPECT_TRUE(hasLine(run.log, "Could not generate hardware discovery details. Diravi P3P device discovery failed!1"));
}

TEST_F(Inventory, ACrashingToolCountsAsFailure) {
    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")}, {"discover_crash = yes"});
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(count(run.log, "Could not generate hardware discovery details. Diravi P3P device discovery failed!"), 1u);
    EXPECT_FALSE(hasLine(run.log, "do_command: exitCode: 0"));
}

struct IdentityCase {
    std::string venid, devid, subvenid, subdevid;
    std::string warning;  // expected in the log; empty: none
    std::string key;
};

// GoogleTest would otherwise print the struct's bytes.
void PrintTo(const IdentityCase& c, std::ostream* out) {
    *out << "[" << c.venid << "-" << c.devid << "-" << c.subvenid << "-" << c.subdevid << "] key " << c.key;
}

class Identities : public Inventory, public testing::WithParamInterface<IdentityCase> {};

TEST_P(Identities, InvalidOnesWarnAndReadAsZero) {
    const IdentityCase& c = GetParam();
    cannedReport(report(device(c.venid, c.devid, c.subvenid, c.subdevid)));
    KelvorRun run = package.run({"-c"});
    if (c.warning.empty()) {
        EXPECT_EQ(count(run.log, "Warning!!!"), 0u) << run.log;
    } else {
        EXPECT_TRUE(hasLine(run.log, c.warning)) << run.log;
    }
    bool supported = c.key == "1E5A-0A10-1F3C-2210";
    EXPECT_EQ(run.exitCode, supported ? 1u : 0u);
    if (!supported) {
        EXPECT_TRUE(hasLine(run.log, "PCI Id " + c.key + " details could not find with NICFWData.xml"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Identities,
    testing::Values(
        IdentityCase{"1E5A", "0A10", "1F3C", "2210", "", "1E5A-0A10-1F3C-2210"},
        IdentityCase{"1e5a", "0a10", "1f3c", "2210", "", "1E5A-0A10-1F3C-2210"},
        IdentityCase{"", "0A10", "1F3C", "2210", "Warning!!! - Invalid/Corrupted vendor Id (XML tag: venid) value.",
                     "0000-0A10-1F3C-2210"},
        IdentityCase{"1E5A", "0A10 ", "1F3C", "2210",
                     "Warning!!! - Invalid/Corrupted device Id (XML tag: devid) value.", "1E5A-0000-1F3C-2210"},
        IdentityCase{"1E5A", "0A10", "1G3C", "2210",
                     "Warning!!! - Invalid/Corrupted sub-vendor Id (XML tag: subvenid) value.",
                     "1E5A-0A10-0000-2210"},
        IdentityCase{"1E5A", "0A10", "1F3C", "FFFFFFFF",
                     "Warning!!! - Invalid/Corrupted sub-device Id (XML tag: subdevid) value", "1E5A-0A10-1F3C-0000"},
        IdentityCase{"1E5A", "0A10", "1F3C", "0210", "", "1E5A-0A10-1F3C-0210"}));

TEST_F(Inventory, AWrongReportTypeStopsTheReadingButKeepsEarlierAdapters) {
    cannedReport("<tarn_rom_discovery><devices>" + device("1E5A", "0A10", "1F3C", "2210") + "</devices>" +
                 item("type", "OTHER") + "<devices>" + device("1E5A", "0A10", "1F3C", "2211") +
                 "</devices></tarn_rom_discovery>");
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 1u) << "the adapter listed before the type still counts";
    EXPECT_TRUE(hasLine(run.log, "Not an expected file (tempP3PNicList.xml). Expecting type value as 'DIRAVI_NIC'"));
    EXPECT_EQ(count(run.log, "1F3C-2211"), 0u) << "nothing after the type is read";
}

TEST_F(Inventory, AWrongFirmwareTypeStopsTheWholeReading) {
    std::string rom = "<fw_item>" + item("type", "ROM") + item("firmware_id", "4.0.534") + "</fw_item>";
    std::string eprom = "<fw_item>" + item("type", "EPROM") + "</fw_item>";
    cannedReport(report(device("1E5A", "0A10", "1F3C", "2210", rom) + device("1E5A", "0A10", "1F3C", "2210", eprom)));
    KelvorRun run = package.run({"-v", "version.xml"});
    EXPECT_TRUE(hasLine(run.log,
                        "Warning!!! - firmware type is not expected!. Expected type is ROM, current value is EPROM"));
    EXPECT_FALSE(package.exists("version.xml")) << "no version report after a stopped reading";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(hasLine(run.out, "Failed to create file: version.xml, only with firmware version details!."));
}

TEST_F(Inventory, ReportsThatAreNotDiscoveryReportsFailToLoad) {
    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")}, {"report = wrong_root"});
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.log.find("Loading configuration file tempP3PNicList.xmlFailed!. Error code: 11\n"),
              std::string::npos)
        << run.log;

    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")}, {"report = malformed"});
    run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.log.find("Loading configuration file tempP3PNicList.xmlFailed!. Error code: "), std::string::npos);
    EXPECT_FALSE(package.exists("tempP3PNicList.xml"));
}

TEST_F(Inventory, EachDeviceStartsFromAFreshRecord) {
    std::string first = item("macaddress", "AA") + "<fw_item>" + item("type", "ROM") +
                        item("firmware_id", "4.0.534") + "</fw_item><ports><port>" + item("port_id", "NIC") +
                        item("macaddress", "AA") + item("product_id", "First Port") + "</port></ports>";
    cannedReport(report(device("1E5A", "0A10", "1F3C", "2210", first) + device("1E5A", "0A10", "1F3C", "2210")));
    KelvorRun run = package.run({"-c"});
    ASSERT_EQ(run.exitCode, 1u);
    EXPECT_EQ(count(run.out, "Ports: 1"), 1u);
    EXPECT_EQ(count(run.out, "Ports: 0"), 1u) << "the second device has no ports of its own";
    EXPECT_EQ(count(run.out, "AA    NIC     First Port"), 1u);
    EXPECT_EQ(count(run.out, "   Bootcode      0.0.0         Bootcode     4.0.550     NIC\n"), 1u)
        << "the second device inherits neither version nor name";
}

TEST_F(Inventory, CatalogKeysAreMatchedExactly) {
    e2e::Model padded = model("210");
    e2e::Model older = model("2211", "4.0.500");
    e2e::Model later = model("2211", "4.0.600");
    package.setUp({{padded, older}, {later}}, {adapter("A", "0210", "4.0.534"), adapter("B", "2211", "4.0.534")});
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(hasLine(run.log, "PCI Id 1E5A-0A10-1F3C-0210 details could not find with NICFWData.xml"))
        << "a three-digit identity is padded with a blank, never a zero";
    EXPECT_EQ(count(run.out, "Bootcode     4.0.600     "), 1u) << "the later of two equal keys wins";
}

TEST_F(Inventory, TheFirstNonEmptyImageFileIsPassedToTheTool) {
    e2e::Model noImage = model("2210");
    noImage.fwFile = "";
    e2e::Model second = model("2211");
    second.fwFile = "second.img";
    package.setUp({{noImage}, {second, model("2212")}}, {adapter("A", "2210", "4.0.534")});
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.calls, std::vector<std::string>{"[-flashsupport] [-d] [second.img] [tempP3PNicList.xml]"});
    EXPECT_TRUE(hasLine(run.log, "Could not find second.img")) << "a missing image is reported and discovery goes on";
}

TEST_F(Inventory, AMissingImageAttributeBecomesABlankImageName) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    package.write("NICFWData.xml", "<nic_fw_package><nic><nic name=\"x\" venid=\"1E5A\" devid=\"0A10\" "
                                   "subvenid=\"1F3C\" subdevid=\"2210\" rom=\"4.0.550\"/></nic></nic_fw_package>");
    KelvorRun run = package.run({"-c"});
    EXPECT_TRUE(hasLine(run.log, ".\\rirador -flashsupport  -d   tempP3PNicList.xml")) << run.log;
    EXPECT_TRUE(hasLine(run.log, "Could not find  "));
}

TEST_F(Inventory, CatalogThatCannotBeParsedLeavesNoSupportedAdapter) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    package.write("NICFWData.xml", "<other_root><nic/></other_root>");
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.log.find("\n\nLoading configuration file NICFWData.xml Error code: 11\n\n"), std::string::npos)
        << run.log;

    package.write("NICFWData.xml", "<nic_fw_package><nic></oops></nic_fw_package>");
    EXPECT_EQ(package.run({"-n"}).exitCode, 3u);
}

TEST_F(Inventory, CatalogAttributeNamesIgnoreCaseAndTheFirstOfANameWins) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    package.write("NICFWData.xml",
                  "<nic_fw_package><nic><nic NAME=\"x\" VenId=\"1E5A\" devid=\"0A10\" SUBVENID=\"1F3C\" "
                  "subdevid=\"2210\" SubDevId=\"9999\" ROM=\"4.0.600\" rom=\"4.0.100\" FWFILE=\"fw.img\"/>"
                  "</nic></nic_fw_package>");
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(count(run.out, "Bootcode     4.0.600     "), 1u) << run.out;
    EXPECT_EQ(run.calls, std::vector<std::string>{"[-flashsupport] [-d] [fw.img] [tempP3PNicList.xml]"});
}

TEST_F(Inventory, EntriesDirectlyUnderTheRootAreNotRead) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    package.write("NICFWData.xml", "<nic_fw_package><nic name=\"x\" venid=\"1E5A\" devid=\"0A10\" subvenid=\"1F3C\" "
                                   "subdevid=\"2210\" rom=\"4.0.550\" fwFile=\"fw.img\"/></nic_fw_package>");
    EXPECT_EQ(package.run({"-c"}).exitCode, 0u);
}

const std::string VersionReportPrefix =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<tarn_rom_discovery version=\"1.0.0.1\">\n"
    "\t<type value=\"DIRAVI_NIC\"/>\n"
    "\t<alt_name value=\"Tarn KX-Series P3P Online Firmware Upgrade Utility for Windows\"/>\n";

TEST_F(Inventory, VersionReportHoldsTheFiveElements) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    KelvorRun run = package.run({"-v", "version.xml"});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(hasLine(run.out, "Created File: version.xml only with firmware version details."));
    EXPECT_EQ(testsupport::normalizeLineEnds(package.read("version.xml")),
              VersionReportPrefix +
                  "\t<current_version value=\"4.0.534\"/>\n\t<package_version value=\"4.0.550\"/>\n"
                  "\t<takes_effect value=\"immediately\"/>\n</tarn_rom_discovery>\n");
    EXPECT_TRUE(hasLine(run.log, "Created an XML file with Only FW version information.!"));
}

TEST_F(Inventory, VersionReportIsWrittenEvenWithoutASupportedAdapter) {
    package.setUp({{model("2210")}}, {adapter("A", "9999", "4.0.534")});
    KelvorRun run = package.run({"-v", "version.xml"});
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_TRUE(hasLine(run.out, "No supported network adapters for firmware upgrade."));
    EXPECT_EQ(testsupport::normalizeLineEnds(package.read("version.xml")),
              VersionReportPrefix +
                  "\t<current_version value=\"4.0.534\"/>\n\t<package_version value=\"\"/>\n"
                  "\t<takes_effect value=\"immediately\"/>\n</tarn_rom_discovery>\n");
}

TEST_F(Inventory, VersionReportExitCodesFollowTheFile) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    KelvorRun unwritable = package.run({"-v", "no-such-directory/version.xml"});
    EXPECT_EQ(unwritable.exitCode, 0u);
    EXPECT_TRUE(hasLine(unwritable.out,
                        "Failed to create file: no-such-directory/version.xml, only with firmware version details!."));

    // A file that was there before the run counts as created, even when the
    // reading stopped before the version report was written.
    std::string eprom = "<fw_item>" + item("type", "EPROM") + "</fw_item>";
    cannedReport(report(device("1E5A", "0A10", "1F3C", "2210") + device("1E5A", "0A10", "1F3C", "2210", eprom)));
    package.write("old.xml", "from an earlier run");
    KelvorRun existing = package.run({"-v", "old.xml"});
    EXPECT_EQ(existing.exitCode, 1u);
    EXPECT_EQ(package.read("old.xml"), "from an earlier run");
}

}  // namespace
