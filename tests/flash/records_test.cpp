// Versions, identities, keys and the flash command line.
#include "kelvor_core/catalog.h"
#include "kelvor_core/commands.h"
#include "kelvor_core/records.h"
#include "kelvor_core/report.h"
#include "kelvor_core/status.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

using kelvor::VersionClass;
using kelvor::VersionTriple;

struct VersionCase {
    const char* text;
    VersionTriple expected;
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << "[" << c.text << "] " << c.expected.text();
}

class ParseVersion : public testing::TestWithParam<VersionCase> {};

TEST_P(ParseVersion, ReadsMajorMinorBuild) {
    EXPECT_EQ(kelvor::parseVersion(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseVersion,
    testing::Values(VersionCase{"4.0.550", {4, 0, 550}}, VersionCase{"v4.0.550", {4, 0, 550}},
                    VersionCase{"10.1.2", {10, 1, 2}}, VersionCase{"Bootcode 12.34.5678", {12, 34, 5678}},
                    VersionCase{"4.0", {4, 0, 0}}, VersionCase{"4.0.55a", {4, 0, 55}},
                    VersionCase{"4.0.550.7", {4, 0, 550}}, VersionCase{"4..550", {4, 0, 550}},
                    VersionCase{"4.0. 550", {4, 0, 550}}, VersionCase{" ", {0, 0, 0}}, VersionCase{"", {0, 0, 0}},
                    VersionCase{"4", {0, 0, 0}}, VersionCase{".5.6", {0, 5, 6}}, VersionCase{"4a.1.2", {0, 1, 2}},
                    VersionCase{"4.0.99999999999", {4, 0, 2147483647u}}));

TEST(DecimalValue, ReadsLeadingDigitsWithOneSignAndSaturates) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"42", 42},          {" \t\n42x", 42},   {"+7", 7},           {"-7", -7},
        {"+-5", 0},          {"--5", 0},         {"", 0},             {"x1", 0},
        {"2147483647", 2147483647},              {"2147483648", 2147483647},
        {"-2147483648", -2147483647 - 1},        {"-99999999999999999999999", -2147483647 - 1},
        {"0000000000000000000000000009", 9},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(kelvor::decimalValue(text), value) << text;
}

struct ClassCase {
    VersionTriple installed;
    VersionTriple available;
    VersionClass expected;
};

class ClassifyVersion : public testing::TestWithParam<ClassCase> {};

TEST_P(ClassifyVersion, ComparesMajorThenMinorThenBuild) {
    const ClassCase& c = GetParam();
    EXPECT_EQ(kelvor::classifyVersion(c.installed, c.available), c.expected)
        << "installed " << c.installed.text() << " available " << c.available.text();
}

INSTANTIATE_TEST_SUITE_P(Table, ClassifyVersion,
                         testing::Values(ClassCase{{4, 0, 550}, {4, 0, 550}, VersionClass::Same},
                                         ClassCase{{4, 0, 534}, {4, 0, 550}, VersionClass::Older},
                                         ClassCase{{4, 1, 0}, {4, 0, 550}, VersionClass::Newer},
                                         ClassCase{{4, 1, 600}, {4, 0, 550}, VersionClass::Newer},
                                         ClassCase{{5, 0, 0}, {4, 1, 0}, VersionClass::Newer},
                                         ClassCase{{4, 9, 999}, {5, 0, 0}, VersionClass::Older},
                                         ClassCase{{10, 0, 0}, {4, 0, 550}, VersionClass::Newer},
                                         ClassCase{{0, 0, 0}, {4, 0, 550}, VersionClass::Older},
                                         ClassCase{{4, 0, 551}, {4, 0, 550}, VersionClass::Newer}));

TEST(CatalogKey, PadsWithBlanksAndNeverCuts) {
    EXPECT_EQ(kelvor::catalogKey("14E4", "1657", "103C", "22BE"), "14E4-1657-103C-22BE");
    EXPECT_EQ(kelvor::catalogKey("777", "1657", "103C", "22BE"), " 777-1657-103C-22BE");
    EXPECT_EQ(kelvor::catalogKey(" ", "", "103C", "ABCDE"), "    -    -103C-ABCDE");
    EXPECT_NE(kelvor::catalogKey("0777", "1657", "103c", "22BE"), kelvor::pciKey(0x777, 0x1657, 0x103C, 0x22BE))
        << "a lower-case catalog identity never matches a discovered one";
}

TEST(PciKey, IsUpperCaseZeroPaddedHexadecimal) {
    EXPECT_EQ(kelvor::pciKey(0x14e4, 0x1657, 0x103c, 0x22be), "14E4-1657-103C-22BE");
    EXPECT_EQ(kelvor::pciKey(0x777, 0, 1, 0xFFFFFFFF), "0777-0000-0001-FFFFFFFF");
}

struct IdentityCase {
    const char* value;
    bool valid;
    std::uint32_t expected;
};

// GoogleTest would otherwise print the struct's bytes, padding included.
void PrintTo(const IdentityCase& c, std::ostream* out) {
    *out << "[" << c.value << "] " << (c.valid ? "valid" : "invalid") << " " << c.expected;
}

class ParseIdentity : public testing::TestWithParam<IdentityCase> {};

TEST_P(ParseIdentity, AcceptsOnlyOneWholeHexadecimalNumberInRange) {
    std::optional<std::uint32_t> parsed = kelvor::parseIdentity(GetParam().value);
    ASSERT_EQ(parsed.has_value(), GetParam().valid) << "[" << GetParam().value << "]";
    if (parsed) {
        EXPECT_EQ(*parsed, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIdentity,
    testing::Values(IdentityCase{"14E4", true, 0x14E4}, IdentityCase{"103c", true, 0x103C},
                    IdentityCase{"0x22be", true, 0x22BE}, IdentityCase{" 14E4", true, 0x14E4},
                    IdentityCase{"0", true, 0}, IdentityCase{"7FFFFFFE", true, 0x7FFFFFFE},
                    IdentityCase{"-1", true, 0xFFFFFFFFu}, IdentityCase{"", false, 0},
                    IdentityCase{" ", false, 0}, IdentityCase{"14E4 ", false, 0}, IdentityCase{"14G4", false, 0},
                    IdentityCase{"0x", false, 0}, IdentityCase{"7FFFFFFF", false, 0},
                    IdentityCase{"-80000000", false, 0}, IdentityCase{"FFFFFFFF", false, 0},
                    IdentityCase{"123456789ABCDEF0123", false, 0}));

TEST(FlashCommand, QuotesTheNameAsOneArgument) {
    EXPECT_EQ(kelvor::flashCommand("Tarn KX-2210 Port 1", "fw.img"),
              ".\\rirador -flashsupport  -i \"Tarn KX-2210 Port 1\" -a fw.img");
    EXPECT_EQ(kelvor::flashCommand("X\" -a evil.img \"", "fw.img"),
              ".\\rirador -flashsupport  -i \"X\\\" -a evil.img \\\"\" -a fw.img");
    EXPECT_EQ(kelvor::flashCommand("C:\\NIC\\", "fw.img"), ".\\rirador -flashsupport  -i \"C:\\NIC\\\\\" -a fw.img");
}

TEST(ToolCommands, LeaveTwoBlanksBeforeTheOptionAndNamesUnquoted) {
    EXPECT_EQ(kelvor::discoveryCommand("fw.img", "tempP3PNicList.xml"),
              ".\\rirador -flashsupport  -d fw.img tempP3PNicList.xml");
    EXPECT_EQ(kelvor::discoveryCommand("", "tempP3PNicList.xml"), ".\\rirador -flashsupport  -d  tempP3PNicList.xml");
    EXPECT_EQ(kelvor::updateCommand("fw.img", "my report.xml"), ".\\rirador -flashsupport  -u fw.img my report.xml");
}

}  // namespace
