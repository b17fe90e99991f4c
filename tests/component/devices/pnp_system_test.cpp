// Windows: present devices as the system enumerates them. Whatever the
// machine holds, the ids come back well-formed and the kept ones carry no
// revision or class code.
#include <gtest/gtest.h>

#include "tamsel_devices/devicelist.h"
#include "platform/pnp.h"

namespace {

TEST(SystemDevices, HardwareIdsAreWellFormed) {
    for (const platform::DeviceHardwareIds& device : platform::present_device_hardware_ids())
        for (const std::u16string& id : device) {
            EXPECT_FALSE(id.empty());
            EXPECT_EQ(id.find(u'\0'), std::u16string::npos);
        }

    CPresentHardwareIds present;
    EXPECT_EQ(present.BuildPresentHardwareIds(), 1);
    for (const CStr& id : present.PresentHardwareIds()) {
        EXPECT_EQ(id.ToUpper().str().find(u"&REV"), std::u16string::npos);
        EXPECT_EQ(id.ToUpper().str().find(u"&CC"), std::u16string::npos);
        EXPECT_EQ(present.IsDevicePresent(id.ToLower()), 1);
    }
}

}  // namespace
