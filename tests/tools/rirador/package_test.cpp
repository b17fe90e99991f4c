#include "simulator.h"

#include <gtest/gtest.h>

namespace rirador_test {
namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(DemoPackage, MachineHoldsAnOlderASameANewerAndAnUnsupportedAdapter) {
    const fs::path package = testsupport::stagedPackageDirectory();
    const std::string catalog = testsupport::readFile(package / "NICFWData.xml");
    const std::string image = "P3P_4_0_550.img";
    // Every entry carries 4.0.550 in the one image file the tool is given.
    EXPECT_GE(occurrences(catalog, "rom=\"4.0.550\""), 4u);
    EXPECT_EQ(occurrences(catalog, "rom=\""), occurrences(catalog, "rom=\"4.0.550\""));
    EXPECT_EQ(occurrences(catalog, "fwFile=\""), occurrences(catalog, "fwFile=\"" + image + "\""));

    Simulator sim;
    sim.writeState(testsupport::readFile(package / "rirador.state"));
    fs::copy_file(package / image, sim.dir / image);
    ASSERT_EQ(sim.run({"-flashsupport", "-d", image, "report.xml"}).exitCode, 0u);
    Report report = parseReport(testsupport::readFile(sim.dir / "report.xml"));

    std::vector<std::pair<std::string, bool>> versions;  // installed, listed in the catalog
    for (const Device& device : report.devices) {
        std::string identity = "venid=\"" + device["venid"] + "\" devid=\"" + device["devid"] + "\" subvenid=\"" +
                               device["subvenid"] + "\" subdevid=\"" + device["subdevid"] + "\"";
        versions.emplace_back(device["fw_item/firmware_id"], catalog.find(identity) != std::string::npos);
        EXPECT_EQ(device["ports/port/port_id"], device["device_id"]);
    }
    EXPECT_EQ(versions, (std::vector<std::pair<std::string, bool>>{
                            {"4.0.534", true}, {"4.0.550", true}, {"4.1.600", true}, {"2.1.14", false}}));

    // Flashing the older adapter by the name the utility gives it.
    std::string name = report.devices[0]["ports/port/product_id"];
    ASSERT_EQ(sim.run({"-flashsupport", "-i", name, "-a", image}).exitCode, 0u);
    EXPECT_EQ(sim.discover().devices[0]["fw_item/firmware_id"], "4.0.550");
}

}  // namespace
}  // namespace rirador_test
