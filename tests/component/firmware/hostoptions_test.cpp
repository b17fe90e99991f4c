// The run options as the component finds them in the host's command line.
#include <gtest/gtest.h>

#include <string>

#include "hostoptions.h"

namespace {

std::string Utf8(const CStr& text) {
    return text.ToUtf8();
}

struct FamilyCase {
    std::u16string line;
    bool discovery, reportUpdate, versionReport, force;
};

TEST(HostOptions, FamiliesFoundBySubstring) {
    const FamilyCase cases[] = {
        {u"Zorvane.exe", false, false, false, false},
        {u"Zorvane.exe /d report.xml", true, false, false, false},
        {u"Zorvane.exe -d report.xml", true, false, false, false},
        {u"Zorvane.exe my-disk", false, false, false, false},           // "-d" inside a word
        {u"Zorvane.exe C:/dir/report.xml", true, false, false, false},  // "/d" inside a path
        {u"Zorvane.exe /U r.xml /D d.xml", true, true, false, false},
        {u"Zorvane.exe /G", false, false, false, true},
        {u"Zorvane.exe /e", false, false, false, true},
        // The framework's switch is no version report, in any letter case;
        // a version option beside it still is.
        {u"Zorvane.exe /verbose_log", false, false, false, false},
        {u"Zorvane.exe /VERBOSE_LOG", false, false, false, false},
        {u"Zorvane.exe /verbose_log /v", false, false, true, false},
        {u"Zorvane.exe /verbose", false, false, true, false},
        {u"Zorvane.exe /V", false, false, true, false},
    };
    for (const FamilyCase& c : cases) {
        SCOPED_TRACE(Utf8(c.line));
        EXPECT_EQ(HasOption(c.line, OptionFamily::discovery), c.discovery);
        EXPECT_EQ(HasOption(c.line, OptionFamily::reportUpdate), c.reportUpdate);
        EXPECT_EQ(HasOption(c.line, OptionFamily::versionReport), c.versionReport);
        EXPECT_EQ(HasOption(c.line, OptionFamily::force), c.force);
    }
}

TEST(HostOptions, ValueIsTheRestOfTheLineCutTo259Units) {
    struct Case {
        std::u16string line;
        OptionFamily family;
        std::string value;
    };
    const Case cases[] = {
        {u"Zorvane.exe /d report.xml", OptionFamily::discovery, "report.xml"},
        {u"Zorvane.exe /d    report.xml /f", OptionFamily::discovery, "report.xml /f"},
        {u"Zorvane.exe /d \"my report.xml\"", OptionFamily::discovery, "\"my report.xml\""},
        {u"Zorvane.exe /d   ", OptionFamily::discovery, ""},
        {u"Zorvane.exe /u", OptionFamily::reportUpdate, ""},
        // The family's texts are tried in order: "/D" before "/d".
        {u"Zorvane.exe /d a.xml /D b.xml", OptionFamily::discovery, "b.xml"},
        {u"Zorvane.exe", OptionFamily::discovery, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8(TakeOptionValue(c.line, c.family)), c.value) << Utf8(c.line);

    for (std::size_t length : {259u, 260u, 10000u}) {
        std::u16string name(length, u'n');
        CStr value = TakeOptionValue(u"Zorvane.exe /d " + name, OptionFamily::discovery);
        EXPECT_EQ(value.Length(), std::min<std::size_t>(length, OptionValueUnits));
    }
    // A surrogate pair across the limit is not split.
    std::u16string pair = std::u16string(258, u'n') + u"\U0001F600";
    EXPECT_EQ(TakeOptionValue(u"/d " + pair, OptionFamily::discovery).Length(), 258u);
}

TEST(HostOptions, UtilityCommandTokensEachFollowedByOneSpace) {
    UtilityCommand command;
    command << u"/d" << u"report.xml /f";
    EXPECT_EQ(Utf8(command.Line()), "Kelvor.exe /d report.xml /f ");
    EXPECT_EQ(Utf8(UtilityCommand().Line()), "Kelvor.exe ");
}

}  // namespace
