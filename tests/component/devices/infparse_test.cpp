// The INF reader of the Linux build, as pure text: how lines become keys and
// fields, and that hostile text is read as far as it is valid.
#include "platform/infparse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/unicode.h"

namespace {

using platform::inf::InfParseStatus;
using platform::inf::InfText;

InfText Parse(const std::string& utf8) {
    return InfText::parse(platform::utf8_to_utf16(utf8));
}

// A line as "[key]field|field", the key shown only when there is one.
std::string Render(const platform::inf::InfLine& line) {
    std::string text;
    if (line.key) text.append("[").append(platform::utf16_to_utf8(*line.key)).append("]");
    for (std::size_t i = 0; i < line.fields.size(); ++i)
        text.append(i ? "|" : "").append(platform::utf16_to_utf8(line.fields[i]));
    return text;
}

std::vector<std::string> RenderSection(const InfText& text, const char16_t* name) {
    std::vector<std::string> lines;
    if (const platform::inf::InfSection* section = text.find_section(name))
        for (const auto& line : section->lines) lines.push_back(Render(line));
    return lines;
}

struct LineCase {
    const char* body;  // the lines of section [S]
    std::vector<std::string> lines;
};

class InfLines : public testing::TestWithParam<LineCase> {};

TEST_P(InfLines, ReadAsTheSetupInterfaceReadsThem) {
    InfText text = Parse("[S]\n" + std::string(GetParam().body));
    EXPECT_EQ(text.status(), InfParseStatus::ok);
    EXPECT_EQ(RenderSection(text, u"s"), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InfLines,
    testing::Values(LineCase{"  key  =  a , b  c ,\n", {"[key]a|b  c|"}},
                    LineCase{"single\nfirst, second\n = \n , \n", {"[single]single", "first|second", "[]", "|"}},
                    LineCase{"k = \"a,b;c\" , \"say \"\"hi\"\"\", \"  pad  \"\n", {"[k]a,b;c|say \"hi\"|  pad  "}},
                    LineCase{"k = \"open, to the end ; of line\nnext\n",
                             {"[k]open, to the end ; of line", "[next]next"}},
                    LineCase{"k = \"\" x, a\"b c\"d\n", {"[k] x|ab cd"}},
                    LineCase{"k = a ; comment, more\n; only a comment\n", {"[k]a"}},
                    LineCase{"k = first, \\\r\n   second \\ ; note\n  , third\n", {"[k]first|second|third"}},
                    LineCase{"k = C:\\dir\\file, a\\ ,b\n", {"[k]C:\\dir\\file|a\\ |b"}},
                    LineCase{"k = joined at the end \\", {"[k]joined at the end"}},
                    LineCase{"k = crlf \r\nk2 = \"q\r\"\r\n", {"[k]crlf", "[k2]q\r"}},
                    LineCase{"k = before\x1A after\nlost = 1\n", {"[k]before"}},
                    LineCase{"a[b] = c\n  [T] trailing ; text\nt = 1\n", {"[a[b]]c"}}));

TEST(InfText, SectionsMergeByNameAndStringsSubstitute) {
    InfText text = Parse(
        "[Version]\nSignature=\"$Windows NT$\"\n[Strings]\nName = \"Tarn\"\nname = second\nEmpty =\n"
        "[strings]\nLate = yes\n[version]\nClass = %NAME%\n");
    ASSERT_EQ(text.sections().size(), 2u);
    EXPECT_EQ(RenderSection(text, u"VERSION"), (std::vector<std::string>{"[Signature]$Windows NT$", "[Class]%NAME%"}));
    struct {
        const char16_t* field;
        const char16_t* expected;
    } cases[] = {
        {u"%name%", u"Tarn"},       {u"%late%!", u"yes!"}, {u"100%%", u"100%"}, {u"%Unknown% %", u"%Unknown% %"},
        {u"%a%%name%", u"%a%Tarn"}, {u"x%empty%y", u"xy"},
    };
    for (const auto& c : cases) EXPECT_EQ(text.substitute(c.field), c.expected) << platform::utf16_to_utf8(c.field);
    EXPECT_TRUE(text.opens_as_nt_style());
}

TEST(InfText, LimitsOfNamesAndFields) {
    std::string longValue(600, 'v');
    InfText text = Parse("[S]\nk = " + longValue + "\n[Strings]\nv = " + std::string(500, 'x') + "\n");
    EXPECT_EQ(text.find_section(u"S")->lines[0].fields[0].size(), platform::inf::max_field_length);
    EXPECT_EQ(text.substitute(u"%v%%v%%v%%v%%v%%v%%v%%v%%v%").size(), platform::inf::max_substituted_length);

    InfText named = Parse("[" + std::string(255, 'n') + "]\n[" + std::string(256, 'n') + "]\nk=1\n");
    EXPECT_EQ(named.status(), InfParseStatus::section_name_too_long);
    EXPECT_EQ(named.error_line(), 2u);
    EXPECT_EQ(named.sections().size(), 1u);
}

TEST(InfText, WhatTheSetupInterfaceRefusesToOpen) {
    const char* version = "[Version]\nSignature=\"$Chicago$\"\n";
    struct {
        std::string text;
        bool opens;
    } cases[] = {
        {version, true},
        {"[Version]\nSignature=\"$Windows 3$\"\n", false},
        {"[Version]\nClass=Net\n", false},
        {"stray text\n" + std::string(version), false},
        {"stray text\n" + std::string(version) + "[Strings]\n", true},
        {std::string(version) + "[Broken\nk=1\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(Parse(c.text).opens_as_nt_style(), c.opens) << c.text;
    InfText broken = Parse(std::string(version) + "[Broken\nk=1\n");
    EXPECT_EQ(broken.status(), InfParseStatus::unterminated_section_name);
    EXPECT_EQ(broken.error_line(), 3u);
    EXPECT_EQ(RenderSection(broken, u"Version"), (std::vector<std::string>{"[Signature]$Chicago$"}));
}

TEST(InfText, HostileTextIsReadAsFarAsValid) {
    std::string manySections;
    for (int i = 0; i < 100000; ++i) {
        manySections += "[s" + std::to_string(i % 50000) + "]\n";
        if (i % 50000 == 7) manySections += "k=" + std::to_string(i) + "\n";
    }
    InfText many = Parse(manySections);
    EXPECT_EQ(many.sections().size(), 50000u);
    EXPECT_EQ(RenderSection(many, u"S7"), (std::vector<std::string>{"[k]7", "[k]50007"}));

    std::string joins = "[S]\nk = a";
    for (int i = 0; i < 200000; ++i) joins += " \\\n";
    InfText joined = Parse(joins + "b\n");
    EXPECT_EQ(RenderSection(joined, u"S"), (std::vector<std::string>{"[k]ab"}));

    std::string binary = "[S]\nk=";
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 7919 % 256);
    InfText noise = Parse(binary);
    EXPECT_FALSE(noise.sections().empty());

    InfText openQuote = Parse("[S]\nk = \"" + std::string(100000, 'q'));
    EXPECT_EQ(openQuote.find_section(u"S")->lines[0].fields[0].size(), platform::inf::max_field_length);
}

TEST(InfText, DecodesBothEncodings) {
    std::string utf16{"\xFF\xFE[\0S\0]\0\n\0k\0=\0\xE9\0\x2C\x67\n", 20};
    EXPECT_EQ(platform::inf::decode_inf_bytes(utf16, true), u"[S]\nk=\u00E9\u672C\n");
    EXPECT_EQ(platform::inf::decode_inf_bytes("\xEF\xBB\xBF[S]\xC3\xA9", false), u"[S]\u00E9");
}

TEST(InfText, NumbersOfFields) {
    const std::vector<std::pair<std::u16string, std::optional<std::uint32_t>>> cases = {
        {u"12", 12},          {u" 0x1F\t", 31},     {u"0X10", 16},        {u"0xFFFFFFFF", 0xFFFFFFFFu},
        {u"4294967295", 0xFFFFFFFFu},                {u"4294967296", std::nullopt},
        {u"0x100000000", std::nullopt},             {u"", std::nullopt},  {u"0x", std::nullopt},
        {u"-1", std::nullopt}, {u"+1", std::nullopt}, {u"1a", std::nullopt}, {u"0x1g", std::nullopt},
        {u"\uFF11", std::nullopt}, {u"12345678901", std::nullopt},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(platform::inf::inf_number(text), number) << platform::utf16_to_utf8(text);
}

}  // namespace
