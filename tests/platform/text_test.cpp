// The UTF-16 test and the UTF-16LE to UTF-8 conversion of the platform layer,
// which must agree on Linux and on Windows.
#include "platform/text.h"

#include "testsupport/utf16.h"

#include <gtest/gtest.h>

#include <string>

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
