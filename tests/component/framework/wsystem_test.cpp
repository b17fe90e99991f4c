// The UTF-16 system and path services that the component log stands on.
#include "platform/wsystem.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/unicode.h"
#include "platform/wpaths.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::string Utf8(std::u16string_view text) {
    return platform::utf16_to_utf8(text);
}

TEST(ExpandEnvironment, ReplacesKnownNamesInAnyCaseAndLeavesTheRest) {
    ASSERT_TRUE(platform::set_environment_variable("NicfwLogTestDir", "D:\\logs \xC3\xA9"));
    struct {
        std::u16string_view text;
        std::u16string_view want;
    } const cases[] = {
        {u"%NicfwLogTestDir%\\x", u"D:\\logs \u00E9\\x"},
        {u"%NICFWLOGTESTDIR%|%nicfwlogtestdir%", u"D:\\logs \u00E9|D:\\logs \u00E9"},
        // The log's default directory: the system drive is "C:" on every
        // platform (on Linux that letter maps onto the system-drive
        // directory), and it holds no variable that is left unexpanded.
        {u"%systemdrive%\\ykzsystem\\log\\", u"C:\\ykzsystem\\log\\"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(platform::expand_environment(c.text)), Utf8(c.want)) << Utf8(c.text);
    // Unknown names, lone percent signs and texts without any stay as they are.
    for (std::u16string_view text : {u"a%NicfwLogTestUnset%b", u"x%NicfwLogTestUnset%NicfwLogTestDir%",
                                     u"100% and %% and 50%", u"no variables", u""})
        EXPECT_EQ(Utf8(platform::expand_environment(text)), Utf8(text));
}

TEST(LocalTime, TimeOfDayIsTwentyFourHourAndDateIsShort) {
    EXPECT_TRUE(
        std::regex_match(Utf8(platform::local_time_of_day()), std::regex("([01]?[0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]")));
    std::string date = Utf8(platform::local_short_date());
    EXPECT_TRUE(std::regex_search(date, std::regex("[0-9]+.[0-9]+.[0-9]+"))) << date;
}

TEST(WidePaths, FileNamesAndTemporaryNames) {
    EXPECT_EQ(platform::path_file_name(u".\\Source\\basecomp"), u"basecomp");
    EXPECT_EQ(platform::path_file_name(u"C:\\a/b.exe"), u"b.exe");
    EXPECT_EQ(platform::path_file_name(u"C:name.txt"), u"name.txt");
    EXPECT_EQ(platform::path_file_name(u"dir\\"), u"");

    std::optional<std::u16string> name = platform::temporary_file_name(u".", u"_YKZ", 0x1A2B);
    ASSERT_TRUE(name);
    EXPECT_TRUE(std::regex_match(Utf8(*name), std::regex(R"(\.\\_YK1A2B\.TMP)", std::regex::icase))) << Utf8(*name);
    EXPECT_FALSE(platform::temporary_file_name(u".", u"_YK", 0)) << "0 would make the system create a file";
}

TEST(WidePaths, DirectoryChainRenameAndDelete) {
    testsupport::TempDir dir("nicfw-wpaths");
    std::u16string root = dir.path().u16string() + u"\\";
    // Only components followed by a separator are directories.
    platform::create_directory_chain(root + u"a\\b/c\\file-prefix");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a" / "b" / "c"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a" / "b" / "c" / "file-prefix"));
    platform::create_directory_chain(root + u"a\\b\\c\\");  // all there already: nothing fails

    std::u16string first = root + u"first.log", second = root + u"second.log";
    testsupport::writeFile(dir / "first.log", "one");
    testsupport::writeFile(dir / "second.log", "two");
    EXPECT_FALSE(platform::rename_file(first, second)) << "an existing target is never replaced";
    EXPECT_EQ(testsupport::readFile(dir / "second.log"), "two");
    ASSERT_TRUE(platform::delete_file(second));
    EXPECT_FALSE(platform::path_exists(second));
    EXPECT_TRUE(platform::rename_file(first, second));
    EXPECT_EQ(testsupport::readFile(dir / "second.log"), "one");
    EXPECT_FALSE(platform::path_exists(first));
    EXPECT_FALSE(platform::path_exists(std::u16string(u"second.log\0x", 12))) << "a null character names no file";
}

}  // namespace
