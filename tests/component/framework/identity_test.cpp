// The pure rules of the package definition and of operating-system
// identification: hardware ids, edition tokens and masks, service packs and
// the matching of supported systems.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tamsel_framework/osident.h"
#include "tamsel_framework/packagefields.h"
#include "platform/findfiles.h"

namespace {

std::string utf8(const CStr& text) {
    return text.ToUtf8();
}

TEST(MakeHardwareId, ByLength) {
    struct Case {
        std::u16string text;
        std::string id;
    };
    const Case cases[] = {
        {u"PNP0A03", "*PNP0A03"},
        {u"14e41639", "PCI\\VEN_14e4&DEV_1639"},
        {u"14E41639103C7055", "PCI\\VEN_14E4&DEV_1639&SUBSYS_7055103C"},
        {u"14E4", ""},
        {u"", ""},
        {u"14E41639103C70551", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8(MakeHardwareId(c.text)), c.id) << utf8(CStr(c.text));
}

TEST(EditionFromToken, TableInAnyLetterCase) {
    struct Case {
        std::u16string token;
        std::uint16_t mask;
    };
    const Case cases[] = {
        {u"", 0xFFFF},       {u"srvr", 0xFF05},     {u"SRVR", 0xFF05},     {u"Core", 0xFF0A},   {u"r2", 0xFF0C},
        {u"R2SRVR", 0xFF04}, {u"r2core", 0xFF08},   {u"dc", 0x040F},       {u"dcsrvr", 0x0405}, {u"dccore", 0x040A},
        {u"dcr2", 0x040C},   {u"DcR2Srvr", 0x0404}, {u"dcr2core", 0x0408}, {u"sbs", 0x0205},    {u"sbsr2", 0x0204},
        {u"ebs", 0x0206},    {u"ebsr2", 0x0207},    {u"server", 0},        {u" srvr", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(EditionFromToken(c.token), c.mask) << utf8(CStr(c.token));
}

TEST(ServicePackNumber, FromTheFirstDigit) {
    EXPECT_EQ(ServicePackNumber(u""), 0);
    EXPECT_EQ(ServicePackNumber(u"Service Pack 1"), 1);
    EXPECT_EQ(ServicePackNumber(u"Service Pack 12, v.5"), 12);
    EXPECT_EQ(ServicePackNumber(u"Service Pack"), 0);  // no digit at all
    EXPECT_EQ(ServicePackNumber(u"99999999999999"), 0x7FFFFFFF);
}

TEST(PlatformToken, ByArchitectureOnNtOnly) {
    EXPECT_EQ(utf8(PlatformToken(true, ArchitectureX86)), "nt");
    EXPECT_EQ(utf8(PlatformToken(true, ArchitectureItanium)), "nt64");
    EXPECT_EQ(utf8(PlatformToken(true, ArchitectureX64)), "nt_x86-64");
    EXPECT_EQ(utf8(PlatformToken(true, ArchitectureX86OnX64)), "");
    EXPECT_EQ(utf8(PlatformToken(false, ArchitectureX64)), "");
}

TEST(RunningEditionMask, ByProductTypeAndR2) {
    struct Case {
        std::uint32_t productType;
        std::uint16_t plain;
        std::uint16_t r2;
    };
    const Case cases[] = {{8, 0x0405, 0x0404},  {9, 0x0205, 0x0204},  {25, 0x0205, 0x0204}, {12, 0x040A, 0x0408},
                          {13, 0x0102, 0x0108}, {14, 0x0102, 0x0108}, {7, 0xFF05, 0xFF04},  {0, 0xFF05, 0xFF04}};
    for (const Case& c : cases) {
        EXPECT_EQ(RunningEditionMask(c.productType, false), c.plain) << c.productType;
        EXPECT_EQ(RunningEditionMask(c.productType, true), c.r2) << c.productType;
    }
}

SupportedSystem record(const char16_t* platform, int major, int minor, int sr, const char16_t* edition) {
    SupportedSystem r;
    std::u16string text(platform);
    text.copy(r.platform, SupportedSystem::PlatformUnits - 1);
    r.major = major;
    r.minor = minor;
    r.serviceRelease = sr;
    r.edition = EditionFromToken(edition);
    return r;
}

TEST(SystemMatches, Records) {
    RunningSystem x64r2{CStr(u"nt_x86-64"), 6, 1, 1, RunningEditionMask(7, true)};
    RunningSystem x64{CStr(u"nt_x86-64"), 6, 0, 2, RunningEditionMask(7, false)};
    RunningSystem x86{CStr(u"nt"), 6, 1, 1, RunningEditionMask(7, false)};
    struct Case {
        const char* what;
        SupportedSystem record;
        const RunningSystem& running;
        bool matches;
    };
    const Case cases[] = {
        {"capital platform, srvr, R2", record(u"NT_X86-64", 6, -1, -1, u"srvr"), x64r2, true},
        {"capital platform, srvr, not R2", record(u"NT_X86-64", 6, -1, -1, u"srvr"), x64, true},
        {"r2srvr on a system that is not R2", record(u"nt_x86-64", 6, -1, -1, u"r2srvr"), x64, false},
        {"unknown edition word", record(u"nt_x86-64", -1, -1, -1, u"home"), x64r2, false},
        {"service release above the running one", record(u"nt_x86-64", 6, 1, 2, u""), x64r2, false},
        {"service release at the running one", record(u"nt_x86-64", 6, 1, 1, u""), x64r2, true},
        {"x64 record on x86", record(u"nt_x86-64", -1, -1, -1, u""), x86, false},
        {"minor differs", record(u"nt_x86-64", 6, 1, -1, u""), x64, false},
    };
    for (const Case& c : cases) EXPECT_EQ(SystemMatches(c.record, c.running), c.matches) << c.what;
}

TEST(LeadingDecimal, DigitsOnlyAndSaturating) {
    EXPECT_EQ(LeadingDecimal(u"2048kb"), 2048u);
    EXPECT_EQ(LeadingDecimal(u"kb"), 0u);
    EXPECT_EQ(LeadingDecimal(u"99999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(LeadingSignedDecimal(u"-1"), -1);
    EXPECT_EQ(LeadingSignedDecimal(u"6"), 6);
}

TEST(FileNamePattern, AsADirectorySearch) {
    struct Case {
        std::u16string name;
        std::u16string pattern;
        bool matches;
    };
    const Case cases[] = {
        {u"ykpackage.xml", u"yk*.xml", true},   {u"YKPACKAGE.XML", u"yk*.xml", true},
        {u"yk.xml", u"yk*.xml", true},          {u"xyk.xml", u"yk*.xml", false},
        {u"yk1.xml.bak", u"yk*.xml", false},    {u"install.xml", u"install.xml", true},
        {u"Install.XML", u"install.xml", true}, {u"yka.xml", u"yk?.xml", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::name_matches_pattern(c.name, c.pattern), c.matches) << utf8(CStr(c.name));
}

}  // namespace
