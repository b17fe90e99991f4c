// Discovery through the adapter tool, the firmware catalog, the report
// reader, the installed-firmware display (-c) and the version report (-v).
#include "kelvor_package.h"

#include <gtest/gtest.h>

namespace {

using namespace e2e;

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

// A discovery that failed: the tool did not start, did not end with 0, or
// left no report that loads. Every run mode then says so and ends with 7,
// never with the answer for "no supported adapter"; the diagnostics of the
// tool run stay in the log.
const std::string DiscoveryFailedLine =
    "Adapter discovery failed. No firmware was checked or updated. See zizador.log for details.";
const std::string NotGenerated = "Could not generate hardware discovery details. Diravi P3P device discovery failed!";

enum class ToolFile { Present, Missing, NotExecutable };

struct FailureCase {
    const char* kind;
    std::vector<std::string> faults;
    std::string diagnostic;  // a log line of every run starts with this text
    ToolFile tool = ToolFile::Present;
    bool leftoverFile = false;  // a tempP3PNicList.xml of an earlier run lies there
    bool toolEndsWithZero = false;
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.kind; }

class FailedDiscovery : public Inventory, public testing::WithParamInterface<FailureCase> {};

TEST_P(FailedDiscovery, EndsEveryRunModeWithSeven) {
    const FailureCase& c = GetParam();
    package.setUp({{model("2210")}}, {adapter("NIC1", "2210", "4.0.534")}, c.faults);
    const std::string tool = testsupport::builtProgram("rirador").filename().string();
    if (c.tool != ToolFile::Present) package.remove(tool);
    if (c.tool == ToolFile::NotExecutable) {
        package.write(tool, "not a program");
        namespace fs = std::filesystem;
        fs::permissions(package / tool, fs::perms::owner_read | fs::perms::owner_write);
    }
    package.write("report.xml", report(device("1E5A", "0A10", "1F3C", "2210")));

    struct Mode {
        std::vector<std::string> arguments;
        std::string input;
    };
    for (const Mode& mode : {Mode{{"-c"}, ""}, Mode{{"-n"}, ""}, Mode{{"-d", "report.xml"}, ""},
                             Mode{{"-u", "report.xml"}, ""}, Mode{{"-v", "version.xml"}, ""}, Mode{{}, "y\n"},
                             Mode{{"-y"}, ""}, Mode{{"-s"}, ""}}) {
        std::string modeName = mode.arguments.empty() ? "interactive" : mode.arguments[0];
        SCOPED_TRACE(modeName);
        if (c.leftoverFile) package.write("tempP3PNicList.xml", report(device("1E5A", "0A10", "1F3C", "2210")));
        KelvorRun run = package.run(mode.arguments, mode.input);
        EXPECT_EQ(run.exitCode, 7u) << run.out;
        std::vector<std::string> shown = testsupport::splitLines(modeName == "-s" ? run.log : run.out);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.back(), DiscoveryFailedLine);
        EXPECT_EQ(modeName == "-s", run.out.empty()) << "silent stays silent";
        EXPECT_EQ(count(run.log, "No supported network adapters"), 0u);
        EXPECT_NE(run.log.find("\n" + c.diagnostic), std::string::npos) << run.log;
        EXPECT_EQ(run.calls.size(), c.tool == ToolFile::Present ? 1u : 0u) << "nothing beyond discovery ran";
        EXPECT_FALSE(package.exists("tempP3PNicList.xml"));
        EXPECT_FALSE(package.exists("version.xml"));
        EXPECT_TRUE(hasLine(run.log, DiscoveryCommand));
        EXPECT_EQ(hasLine(run.log, "do_command: exitCode: 0"), c.toolEndsWithZero);
        if (c.tool != ToolFile::Present) {
            EXPECT_EQ(count(run.log, "do_command: exitCode"), 0u);
            EXPECT_EQ(count(run.log, "do_command: could not start: error "), 1u) << "the cause is kept";
            EXPECT_EQ(count(run.log, "do_command: could not start: error 0"), 0u);
        }
        EXPECT_EQ(count(run.log, "PCI Id"), 0u) << "no adapter is read from a failed run's file";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailedDiscovery,
    testing::Values(FailureCase{"tool missing", {}, NotGenerated + "1", ToolFile::Missing},
                    FailureCase{"tool not executable", {}, NotGenerated + "1", ToolFile::NotExecutable},
                    FailureCase{"tool crashing", {"discover_crash = yes"}, NotGenerated},
                    FailureCase{"tool killed", {"discover_killed = yes"}, NotGenerated},
                    FailureCase{"tool ending with 9", {"discover_exit = 9"}, NotGenerated + "9"},
                    FailureCase{"tool ending with 5 after writing its file",
                                {"discover_exit = 5", "discover_leaves_file = yes"},
                                "Diravi P3P device discovery failed with error code 5"},
                    FailureCase{"tool ending with 3 beside an old file", {"discover_exit = 3"}, NotGenerated + "3",
                                ToolFile::Present, true},
                    FailureCase{"no report", {"report = none"}, NotGenerated + "0", ToolFile::Present, false, true},
                    FailureCase{"garbage report", {"report = malformed"},
                                "Loading configuration file tempP3PNicList.xmlFailed!. Error code: ",
                                ToolFile::Present, false, true},
                    FailureCase{"wrong root", {"report = wrong_root"},
                                "Loading configuration file tempP3PNicList.xmlFailed!. Error code: 11",
                                ToolFile::Present, false, true}));

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

// A catalog without a readable entry names no image file, and the tool
// refuses a command line without one: discovery fails, and the log says why.
TEST_F(Inventory, CatalogThatCannotBeParsedLeavesNoImageForTheTool) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    package.write("NICFWData.xml", "<other_root><nic/></other_root>");
    KelvorRun run = package.run({"-c"});
    EXPECT_EQ(run.exitCode, 7u);
    EXPECT_NE(run.log.find("\n\nLoading configuration file NICFWData.xml Error code: 11\n\n"), std::string::npos)
        << run.log;

    package.write("NICFWData.xml", "<nic_fw_package><nic></oops></nic_fw_package>");
    EXPECT_EQ(package.run({"-n"}).exitCode, 7u);
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
    KelvorRun run = package.run({"-c"});
    EXPECT_TRUE(hasLine(run.log, ".\\rirador -flashsupport  -d  tempP3PNicList.xml")) << "no image was read";
    EXPECT_EQ(run.exitCode, 7u) << "and the tool refuses to run without one";
}

// The version report of an adapter with firmware `current` that the catalog
// offers as `available` (empty: the catalog lists no such adapter).
std::string versionReport(const std::string& current, const std::string& available) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<tarn_rom_discovery version=\"1.0.0.1\">\n"
           "\t<type value=\"DIRAVI_NIC\"/>\n"
           "\t<alt_name value=\"Tarn KX-Series P3P Online Firmware Upgrade Utility for Windows\"/>\n"
           "\t<current_version value=\"" + current + "\"/>\n"
           "\t<package_version value=\"" + available + "\"/>\n"
           "\t<takes_effect value=\"immediately\"/>\n</tarn_rom_discovery>\n";
}

// The report is written for an adapter that the catalog lists and, without
// the version on offer, for one that it does not.
TEST_F(Inventory, VersionReportHoldsTheFiveElementsEvenWithoutASupportedAdapter) {
    struct Case {
        std::string subdevid;
        std::uint32_t exitCode;
        std::string line;
        std::string available;
    };
    const Case cases[] = {
        {"2210", 1, "Created File: version.xml only with firmware version details.", "4.0.550"},
        {"9999", 3, "No supported network adapters for firmware upgrade.", ""},
    };
    for (const Case& c : cases) {
        package.setUp({{model("2210")}}, {adapter("A", c.subdevid, "4.0.534")});
        KelvorRun run = package.run({"-v", "version.xml"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.subdevid;
        EXPECT_TRUE(hasLine(run.out, c.line)) << run.out;
        EXPECT_EQ(testsupport::normalizeLineEnds(package.read("version.xml")), versionReport("4.0.534", c.available));
        EXPECT_TRUE(hasLine(run.log, "Created an XML file with Only FW version information.!")) << run.log;
    }
}

TEST_F(Inventory, VersionReportExitCodesFollowTheFile) {
    package.setUp({{model("2210")}}, {adapter("A", "2210", "4.0.534")});
    KelvorRun unwritable = package.run({"-v", "no-such-directory/version.xml"});
    EXPECT_EQ(unwritable.exitCode, 0u);
    EXPECT_TRUE(hasLine(unwritable.out,
                        "Failed to create file: no-such-directory/version.xml, only with firmware version details!."));

    // A file of an earlier run is replaced by this run's report; when this
    // run writes none (the reading stopped before it), the old file is no
    // answer and stays as it was.
    package.write("old.xml", "from an earlier run");
    KelvorRun replaced = package.run({"-v", "old.xml"});
    EXPECT_EQ(replaced.exitCode, 1u);
    EXPECT_NE(package.read("old.xml").find("current_version"), std::string::npos);

    std::string eprom = "<fw_item>" + item("type", "EPROM") + "</fw_item>";
    cannedReport(report(device("1E5A", "0A10", "1F3C", "2210") + device("1E5A", "0A10", "1F3C", "2210", eprom)));
    package.write("old.xml", "from an earlier run");
    KelvorRun stale = package.run({"-v", "old.xml"});
    EXPECT_EQ(stale.exitCode, 0u);
    EXPECT_TRUE(hasLine(stale.out, "Failed to create file: old.xml, only with firmware version details!."));
    EXPECT_EQ(package.read("old.xml"), "from an earlier run");
}

}  // namespace
