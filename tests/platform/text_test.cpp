// The UTF-16 test, the UTF-16LE to UTF-8 conversion and the decimal numbers
// of the platform layer, which must agree on Linux and on Windows.
#include "platform/text.h"

#include "platform/ascii.h"
#include "platform/unicode.h"

#include "testsupport/utf16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

const std::string markup =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<tarn_rom_discovery version=\"1.0\">\r\n"
    "\t<type value=\"DIRAVI_NIC\"/>\r\n\t<devices>\r\n\t\t<device><device_id value=\"Caf\xC3\xA9\"/></device>\r\n"
    "\t</devices>\r\n</tarn_rom_discovery>\r\n";

bool is_utf16(const std::string& bytes) { return platform::is_utf16_text(bytes.data(), bytes.size()); }

TEST(Text, RecognisesUtf16WithAndWithoutMark) {
    EXPECT_TRUE(is_utf16(xmltest::utf16le(markup, true)));
    EXPECT_TRUE(is_utf16(xmltest::utf16le(markup, false)));
    EXPECT_TRUE(is_utf16(xmltest::utf16le(markup + "x", false))) << "odd number of characters";
}

TEST(Text, NeverTakesEightBitTextForUtf16) {
    const std::string texts[] = {
        markup,
        markup + " ",
        "\xEF\xBB\xBF" + markup,
        "<a>\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E</a>",
        "ab",
        std::string(4096, 'a'),
    };
    for (const std::string& text : texts) EXPECT_FALSE(is_utf16(text)) << text.substr(0, 40);
}

TEST(Text, ConvertsUtf16LeToUtf8) {
    const std::string samples[] = {markup, "\xE2\x82\xAC \xF0\x9F\x98\x80 \xE6\x97\xA5", ""};
    for (const std::string& sample : samples) {
        std::string bytes = xmltest::utf16le(sample, false);
        std::string converted = "stale";
        ASSERT_TRUE(platform::utf16le_to_utf8(bytes.data(), bytes.size(), converted));
        EXPECT_EQ(converted, sample);
    }
}

TEST(Text, ConversionStopsAtNulAndRefusesLoneSurrogates) {
    std::string converted;
    std::string with_nul = xmltest::utf16le("ab", false) + std::string(2, '\0') + xmltest::utf16le("cd", false);
    ASSERT_TRUE(platform::utf16le_to_utf8(with_nul.data(), with_nul.size(), converted));
    EXPECT_EQ(converted, "ab");

    const std::string broken[] = {
        xmltest::utf16le("a", false) + std::string("\x00\xD8", 2),
        xmltest::utf16le("a", false) + std::string("\x00\xD8", 2) + xmltest::utf16le("b", false),
        std::string("\x00\xDC", 2) + xmltest::utf16le("b", false),
    };
    for (const std::string& bytes : broken)
        EXPECT_FALSE(platform::utf16le_to_utf8(bytes.data(), bytes.size(), converted));
}

}  // namespace

TEST(Text, DecimalNumbers) {
    constexpr std::uint32_t none = 0xDEADBEEF;  // stands for "no number" below
    const struct {
        std::u16string_view text;
        std::uint32_t max;
        std::uint32_t whole;    // decimal_number
        std::uint32_t leading;  // leading_decimal
    } cases[] = {
        {u"0", 99, 0, 0},
        {u"0042", 99, 42, 42},
        {u"99", 99, 99, 99},
        {u"100", 99, none, 99},
        {u"4294967295", 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {u"4294967296", 0xFFFFFFFFu, none, 0xFFFFFFFFu},
        {u"000000000000000000000000012", 99, 12, 12},
        {u"99999999999999999999999", 0xFFFFFFFFu, none, 0xFFFFFFFFu},
        {u"", 99, none, 0},
        {u"12a", 99, none, 12},
        {u"-1", 99, none, 0},
        {u"+1", 99, none, 0},
        {u" 1", 99, none, 0},
        {u"\uFF11", 99, none, 0},  // a fullwidth digit is no ASCII digit
    };
    for (const auto& c : cases) {
        std::string shown = platform::utf16_to_utf8(c.text);
        EXPECT_EQ(platform::decimal_number(c.text, c.max).value_or(none), c.whole) << shown;
        EXPECT_EQ(platform::leading_decimal(c.text, c.max), c.leading) << shown;
    }
}
