// Windows argument quoting and splitting: the two must agree for every
// argument, because the utility quotes adapter names from the tool's own
// report into a command line that writes firmware.
#include "platform/cmdline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
    const char* line;
    Arguments expected;
};

class SplitCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLine, FollowsTheWindowsRuntimeRules) {
    EXPECT_EQ(platform::split_command_line(GetParam().line), GetParam().expected) << "line: " << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitCommandLine,
    testing::Values(SplitCase{"", {}}, SplitCase{"   \t ", {}}, SplitCase{"a b", {"a", "b"}},
                    SplitCase{"  a   b  ", {"a", "b"}}, SplitCase{"\"a b\" c", {"a b", "c"}},
                    SplitCase{"a\\\\b", {"a\\\\b"}}, SplitCase{"a\\b\\ c", {"a\\b\\", "c"}},
                    SplitCase{"\\\"a", {"\"a"}}, SplitCase{"\\\\\\\"a", {"\\\"a"}},
                    SplitCase{"\"a\\\\\" b", {"a\\", "b"}}, SplitCase{"\"a\"\"b\"", {"a\"b"}},
                    SplitCase{"\"\"", {""}}, SplitCase{"a \"\" b", {"a", "", "b"}},
                    SplitCase{"ab\"c d\"e f", {"abc de", "f"}}, SplitCase{"\"unterminated quote", {"unterminated quote"}},
                    SplitCase{".\\rirador -flashsupport  -d fw.img tempP3PNicList.xml",
                              {".\\rirador", "-flashsupport", "-d", "fw.img", "tempP3PNicList.xml"}},
                    SplitCase{"x -i \"Tarn KX-2210 Port 1\" -a fw.img", {"x", "-i", "Tarn KX-2210 Port 1", "-a", "fw.img"}}));

struct QuoteCase {
    const char* argument;
    const char* quoted;
};

class QuoteArgument : public testing::TestWithParam<QuoteCase> {};

TEST_P(QuoteArgument, QuotesAndSurvivesTheRoundTrip) {
    const QuoteCase& c = GetParam();
    EXPECT_EQ(platform::quote_argument(c.argument), c.quoted);
    EXPECT_EQ(platform::split_command_line("prog " + platform::quote_argument(c.argument)),
              (Arguments{"prog", c.argument}));
}

INSTANTIATE_TEST_SUITE_P(Table, QuoteArgument,
                         testing::Values(QuoteCase{"abc", "\"abc\""}, QuoteCase{"", "\"\""},
                                         QuoteCase{"a b", "\"a b\""}, QuoteCase{"a\"b", "\"a\\\"b\""},
                                         QuoteCase{"a\\\"b", "\"a\\\\\\\"b\""}, QuoteCase{"a\\", "\"a\\\\\""},
                                         QuoteCase{"a\\\\", "\"a\\\\\\\\\""}, QuoteCase{"a\\b", "\"a\\b\""},
                                         QuoteCase{"\" -a evil.img \"", "\"\\\" -a evil.img \\\"\""},
                                         QuoteCase{"tab\there", "\"tab\there\""}));

// Every byte string of a small alphabet survives quoting and splitting.
TEST(QuoteArgument, RoundTripsEveryShortStringOfTheDangerousCharacters) {
    const std::string alphabet = "a \\\"\t";
    std::vector<std::string> strings{""};
    for (int length = 1; length <= 5; ++length) {
        std::vector<std::string> longer;
        for (const std::string& s : strings)
            if (static_cast<int>(s.size()) == length - 1)
                for (char c : alphabet) longer.push_back(s + c);
        strings.insert(strings.end(), longer.begin(), longer.end());
    }
    for (const std::string& argument : strings) {
        Arguments split = platform::split_command_line("p " + platform::quote_argument(argument) + " tail");
        ASSERT_EQ(split, (Arguments{"p", argument, "tail"})) << "argument [" << argument << "]";
    }
}

}  // namespace
