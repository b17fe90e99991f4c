// Linux: present devices from the simulated machine's PCI tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "tamsel_devices/devicelist.h"
#include "platform/pnp.h"
#include "testsupport/testsupport.h"

namespace {

namespace fs = std::filesystem;

// Points YKZ_MACHINE at a directory for the life of the object.
class SimulatedMachine {
public:
    explicit SimulatedMachine(const fs::path& directory) { machine_.set(directory.string()); }

private:
    testsupport::ScopedEnvironment machine_{"YKZ_MACHINE"};
};

void AddDevice(const fs::path& pci, const std::string& address, const std::map<std::string, std::string>& files) {
    fs::create_directories(pci / address);
    for (const auto& [name, content] : files) testsupport::writeFile(pci / address / name, content);
}

TEST(PciDevices, RenderedAsTheIdsWindowsListsAndAskedThroughTheDeviceList) {
    testsupport::TempDir machine("nicfw-pci");
    fs::path pci = machine / "pci";
    AddDevice(pci, "0000:03:00.0",
              {{"vendor", "0x1d6a\n"},
               {"device", "0x07b1\n"},
               {"subsystem_vendor", "0x1d6a\n"},
               {"subsystem_device", "0x0001\n"},
               {"revision", "0x02\n"},
               {"class", "0x020000\n"}});
    // Garbled subsystem: only the class-code ids can be rendered.
    AddDevice(pci, "0000:00:1f.0",
              {{"vendor", "0x8086"}, {"device", "0xa0c8"}, {"subsystem_vendor", "zz"}, {"class", "0x0c0500\n"}});
    // No device id, an overlong vendor, a directory for a file: left out.
    AddDevice(pci, "0000:00:00.0", {{"vendor", "0x8086\n"}});
    AddDevice(pci, "0000:00:01.0", {{"vendor", "0x18086\n"}, {"device", "0x1234\n"}});
    fs::create_directories(pci / "0000:00:02.0" / "vendor");
    testsupport::writeFile(pci / "not-a-device", "0x8086\n");

    SimulatedMachine simulated(machine.path());
    std::vector<platform::DeviceHardwareIds> expected{
        {u"PCI\\VEN_8086&DEV_A0C8&CC_0C0500", u"PCI\\VEN_8086&DEV_A0C8&CC_0C05"},
        {u"PCI\\VEN_1D6A&DEV_07B1&SUBSYS_00011D6A&REV_02", u"PCI\\VEN_1D6A&DEV_07B1&SUBSYS_00011D6A",
         u"PCI\\VEN_1D6A&DEV_07B1&CC_020000", u"PCI\\VEN_1D6A&DEV_07B1&CC_0200"}};
    EXPECT_EQ(platform::present_device_hardware_ids(), expected);

    CPresentHardwareIds present;
    EXPECT_EQ(present.IsDevicePresent(u"pci\\ven_1d6a&dev_07b1&subsys_00011d6a"), 1);
    EXPECT_EQ(present.IsDevicePresent(u"PCI\\VEN_1D6A&DEV_07B1"), 0);
    ASSERT_EQ(present.PresentHardwareIds().size(), 1u);
}

TEST(PciDevices, MachineWithoutPciTreeHasNoDevices) {
    testsupport::TempDir machine("nicfw-pci");
    SimulatedMachine simulated(machine.path());
    EXPECT_TRUE(platform::present_device_hardware_ids().empty());
}

}  // namespace
