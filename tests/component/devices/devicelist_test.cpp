#include "tamsel_devices/devicelist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Devices = std::vector<platform::DeviceHardwareIds>;

const std::u16string kSubsys = u"PCI\\VEN_1D6A&DEV_07B1&SUBSYS_00011D6A";

platform::DeviceHardwareIds AdapterIds() {
    return {kSubsys + u"&REV_01", kSubsys, u"PCI\\VEN_1D6A&DEV_07B1&CC_020000", u"PCI\\VEN_1D6A&DEV_07B1&CC_0200"};
}

// A source that counts how often the machine was asked.
struct CountingSource {
    Devices devices;
    int* calls;
    Devices operator()() const {
        ++*calls;
        return devices;
    }
};

TEST(PresentHardwareIds, KeepsOnlyIdsWithoutRevisionOrClassCode) {
    int calls = 0;
    CPresentHardwareIds present(CountingSource{
        {AdapterIds(), {u"root\\kx_virtual", u"root\\other&cc_01"}, {u"usb\\vid_0001&rev_02", u"usb\\vid_0001"}},
        &calls});
    EXPECT_EQ(present.BuildPresentHardwareIds(), 1);
    // Later ids are kept in capitals; the first as the system gave it, but a
    // small-letter revision or class code still drops it.
    std::vector<std::u16string> expected{kSubsys, u"root\\kx_virtual", u"USB\\VID_0001"};
    std::vector<std::u16string> kept;
    for (const CStr& id : present.PresentHardwareIds()) kept.push_back(id.str());
    EXPECT_EQ(kept, expected);
}

TEST(PresentHardwareIds, MatchesWholeIdsInAnyLetterCase) {
    int calls = 0;
    CPresentHardwareIds present(CountingSource{{AdapterIds()}, &calls});
    EXPECT_EQ(present.IsDevicePresent(u"pci\\ven_1d6a&dev_07b1&subsys_00011d6a"), 1);
    EXPECT_EQ(present.IsDevicePresent(u"PCI\\VEN_1D6A&DEV_07B1"), 0);  // no prefix matching
    EXPECT_EQ(present.IsDevicePresent(kSubsys + u"&REV_01"), 0);
    EXPECT_EQ(present.IsDevicePresent(u""), 0);
    EXPECT_EQ(calls, 1);  // built once, at the first question
}

TEST(PresentHardwareIds, EmptyListIsBuiltAgainAtEveryQuestion) {
    int calls = 0;
    CPresentHardwareIds present(CountingSource{{{u"PCI\\VEN_1&DEV_2&CC_0200"}}, &calls});
    EXPECT_EQ(present.IsDevicePresent(kSubsys), 0);
    EXPECT_EQ(present.IsDevicePresent(kSubsys), 0);
    EXPECT_EQ(calls, 2);
}

TEST(PresentHardwareIds, DeviceBeyondTheBufferContributesNothing) {
    // 2048 bytes hold 1024 units: one id of 1022 units, its terminator and
    // the list's end fit exactly; one more unit does not.
    std::u16string fits = u"ROOT\\" + std::u16string(1022 - 5, u'F');
    std::u16string tooLong = u"ROOT\\" + std::u16string(1023 - 5, u'L');
    int calls = 0;
    CPresentHardwareIds present(CountingSource{{{tooLong}, {fits}, AdapterIds()}, &calls});
    present.BuildPresentHardwareIds();
    ASSERT_EQ(present.PresentHardwareIds().size(), 2u);
    EXPECT_EQ(present.PresentHardwareIds()[0].str(), fits);
    EXPECT_EQ(present.IsDevicePresent(tooLong), 0);
}

TEST(DeviceList, HandsOutHardwareIdsAsAMultiString) {
    CWin2000DeviceList list([] { return Devices{{u"A", u"BC"}, {}}; });
    list.Enumerate();
    ASSERT_EQ(list.GetDeviceCount(), 2u);

    std::uint32_t size = 0;
    EXPECT_EQ(list.GetHardwareIds(0, nullptr, &size), 0);
    EXPECT_EQ(size, 12u);  // "A\0BC\0\0"
    char16_t small[5] = {};
    size = sizeof(small);
    EXPECT_EQ(list.GetHardwareIds(0, small, &size), 0);
    EXPECT_EQ(size, 12u);

    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'x');
    size = sizeof(buffer);
    ASSERT_EQ(list.GetHardwareIds(0, buffer, &size), 1);
    EXPECT_EQ(std::u16string(buffer, 6), std::u16string(u"A\0BC\0\0", 6));
    EXPECT_EQ(buffer[6], u'x');  // nothing written beyond the list

    EXPECT_EQ(list.GetHardwareIds(0, buffer, nullptr), 0);
    EXPECT_EQ(list.GetHardwareIds(2, buffer, &size), 0);  // out of range
    size = sizeof(buffer);
    EXPECT_EQ(list.GetHardwareIds(1, buffer, &size), 0);  // a device without a readable list
}

}  // namespace
