// The run options as the component finds them in the host's command line.
#include <gtest/gtest.h>

#include <string>

#include "tamsel_firmware/hostoptions.h"

namespace {

std::string Utf8(const CStr& text) {
    return text.ToUtf8();
}

struct FamilyCase {
    std::u16string line;
    bool discovery, reportUpdate, versionReport, force;
};

TEST(HostOptions, FamiliesFoundAtTheStartOfAWord) {
    const FamilyCase cases[] = {
        {u"Zorvane.exe", false, false, false, false},
        {u"Zorvane.exe /d report.xml", true, false, false, false},
        {u"/d report.xml", true, false, false, false},
        {u"Zorvane.exe\t/u report.xml", false, true, false, false},
        {u"Zorvane.exe -d report.xml", true, false, false, false},
        {u"Zorvane.exe /drep.xml", true, false, false, false},  // glued to its value
        // Inside a word or a path an option text is part of it.
        {u"Zorvane.exe my-disk", false, false, false, false},
        {u"Zorvane.exe C:/dir/report.xml", false, false, false, false},
        {u"Zorvane.exe reports/data.xml", false, false, false, false},
        {u"Zorvane.exe sub/dev/r.xml", false, false, false, false},
        {u"Zorvane.exe data/extra", false, false, false, false},
        {u"Zorvane.exe /u reports/version.xml", false, true, false, false},
        // A path that begins with an option text reads as that option.
        {u"Zorvane.exe /u /data/r.xml", true, true, false, false},
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

TEST(HostOptions, ValueIsTheRestOfTheLineUpTo259Units) {
    struct Case {
        std::u16string line;
        OptionFamily family;
        std::string value;
        std::string reportFile;
    };
    const Case cases[] = {
        {u"Zorvane.exe /d report.xml", OptionFamily::discovery, "report.xml", "report.xml"},
        {u"Zorvane.exe /d    report.xml /f  ", OptionFamily::discovery, "report.xml /f", "report.xml"},
        {u"Zorvane.exe /d \"my report.xml\" /g", OptionFamily::discovery, "\"my report.xml\" /g", "my report.xml"},
        {u"Zorvane.exe /drep.xml", OptionFamily::discovery, "rep.xml", "rep.xml"},
        {u"Zorvane.exe /d   ", OptionFamily::discovery, "", ""},
        {u"Zorvane.exe /u", OptionFamily::reportUpdate, "", ""},
        // The family's texts are tried in order: "/D" before "/d".
        {u"Zorvane.exe /d a.xml /D b.xml", OptionFamily::discovery, "b.xml", "b.xml"},
        {u"Zorvane.exe in/Dir /d a.xml", OptionFamily::discovery, "a.xml", "a.xml"},
        {u"Zorvane.exe", OptionFamily::discovery, "", ""},
    };
    for (const Case& c : cases) {
        OptionValue value = TakeOptionValue(c.line, c.family);
        EXPECT_FALSE(value.tooLong) << Utf8(c.line);
        EXPECT_EQ(Utf8(value.text), c.value) << Utf8(c.line);
        EXPECT_EQ(Utf8(ReportFileOf(value.text)), c.reportFile) << Utf8(c.line);
    }

    // A longer value is refused, never cut: the cut name would be another
    // file's.
    const std::u16string pair = u"\U0001F600";
    const std::pair<std::u16string, bool> lengths[] = {
        {std::u16string(259, u'n'), false},          {std::u16string(257, u'n') + pair, false},
        {std::u16string(259, u'n') + u"   ", false}, {std::u16string(260, u'n'), true},
        {std::u16string(258, u'n') + pair, true},    {std::u16string(10000, u'n'), true},
    };
    for (const auto& [name, tooLong] : lengths) {
        OptionValue value = TakeOptionValue(u"Zorvane.exe /d " + name, OptionFamily::discovery);
        EXPECT_EQ(value.tooLong, tooLong) << name.size();
        EXPECT_EQ(value.text.Length(), tooLong ? 0u : std::min<std::size_t>(name.size(), OptionValueUnits));
    }
}

TEST(HostOptions, OneValueForTheWholeLine) {
    struct Case {
        std::u16string line;
        RunKind run;
        std::string report;
        bool tooLong, reportUpdateNamed, force, verbose, console;
    };
    const Case cases[] = {
        {u"Zorvane.exe", RunKind::installation, "", false, false, false, false, false},
        {u"Zorvane.exe /g", RunKind::installation, "", false, false, true, false, false},
        // Discovery takes the run before an update from a report, which the
        // install state still speaks of.
        {u"Zorvane.exe /u r.xml /d d.xml", RunKind::discovery, "d.xml", false, true, false, false, false},
        {u"Zorvane.exe /u r.xml /v", RunKind::reportUpdate, "r.xml /v", false, true, false, false, false},
        {u"Zorvane.exe /v /f", RunKind::versionReport, "", false, false, true, false, false},
        {u"Zorvane.exe /d " + std::u16string(260, u'n'), RunKind::discovery, "", true, false, false, false, false},
        // The framework's switches in any letter case; neither is a version
        // report.
        {u"Zorvane.exe /ConsoleOut /Verbose_Log", RunKind::installation, "", false, false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.line).substr(0, 40));
        HostOptions options = ReadHostOptions(c.line);
        EXPECT_EQ(options.run, c.run);
        EXPECT_EQ(Utf8(options.report.text), c.report);
        EXPECT_EQ(options.report.tooLong, c.tooLong);
        EXPECT_EQ(options.reportUpdateNamed, c.reportUpdateNamed);
        EXPECT_EQ(options.force, c.force);
        EXPECT_EQ(options.verbose, c.verbose);
        EXPECT_EQ(options.console, c.console);
    }
}

TEST(HostOptions, UtilityCommandTokensEachFollowedByOneSpace) {
    UtilityCommand command;
    command << u"/d" << u"report.xml /f";
    EXPECT_EQ(Utf8(command.Line()), "Kelvor.exe /d report.xml /f ");
    EXPECT_EQ(Utf8(UtilityCommand().Line()), "Kelvor.exe ");
}

}  // namespace
