// The log's UTF-16 formatter against what printf would write.
#include "cmplog/format.h"
#include "platform/unicode.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

struct Case {
    std::u16string got;
    std::u16string want;
};

TEST(FormatText, WritesConversionsAsPrintfWould) {
    const char16_t* none = nullptr;
    const Case cases[] = {
        {FormatText(u"plain text"), u"plain text"},
        {FormatText(u"[%s]::%s[%d] ", u"14:03:22", u"basecomp", 87), u"[14:03:22]::basecomp[87] "},
        {FormatText(u"%s", none), u"(null)"},
        {FormatText(u"%d %d %i", 0, -42, INT_MIN), u"0 -42 -2147483648"},
        {FormatText(u"%u %u", 7u, UINT_MAX), u"7 4294967295"},
        {FormatText(u"%x %X %#x %#X %#x", 0xBEEFu, 0xBEEFu, 255u, 255u, 0u), u"beef BEEF 0xff 0XFF 0"},
        {FormatText(u"%02d:%02d:%02d", 9, 5, 7), u"09:05:07"},
        {FormatText(u"%5d|%-5d|%05d|%+d|% d", 42, 42, -42, 3, 3), u"   42|42   |-0042|+3| 3"},
        {FormatText(u"%.3d|%.0d|%8.3d", 7, 0, -7), u"007||    -007"},
        {FormatText(u"%-10s|%10s|%.2s", u"ab", u"ab", u"abc"), u"ab        |        ab|ab"},
        {FormatText(u"%*d|%-*d|%.*s", 4, 1, 4, 1, 1, u"xyz"), u"   1|1   |x"},
        {FormatText(u"%*d", -3, 1), u"1  "},
        {FormatText(u"%c%c", u'A', 0x263A), u"A\u263A"},
        {FormatText(u"100%% done"), u"100% done"},
        {FormatText(u"%ld %lld %zu %hd", 5L, -6LL, std::size_t{7}, 70000), u"5 -6 7 4464"},
        {FormatText(u"%llx", 0x123456789ABCDEFull), u"123456789abcdef"},
        // A surrogate pair is never cut by a precision.
        {FormatText(u"%.1s|%.2s", u"\U0001F600z", u"\U0001F600z"), u"|\U0001F600"},
        // Unknown conversions and a trailing sign stay as written.
        {FormatText(u"%q and %w%d then %", 5), u"%q and %w5 then %"},
        {FormatText(nullptr), u""},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::utf16_to_utf8(c.got), platform::utf16_to_utf8(c.want));
}

TEST(FormatText, WritesLongTextsWholeAndCapsAbsurdWidths) {
    std::u16string longText(5000, u'y');
    EXPECT_EQ(FormatText(u"<%s>", longText.c_str()), u"<" + longText + u">");
    EXPECT_EQ(FormatText(u"%999999999d", 1).size(), std::size_t{1} << 16);
}

}  // namespace
