// The component log: which lines reach which file, in which form.
#include "cmplog/cmplog.h"
#include "cmplog_fixture.h"
#include "platform/codepage.h"
#include "platform/system.h"
#include "platform/wfile.h"
#include "platform/wsystem.h"

#include <algorithm>
#include <map>

namespace {

namespace fs = std::filesystem;

std::string Utf8(std::u16string_view text) {
    return platform::utf16_to_utf8(text);
}

// Where each type sends its line, and which prefix it gets there.
enum class Prefix { None, Level, Source };
struct Route {
    bool plain;
    std::optional<Prefix> verbose;
};
const std::map<int, Route> Routes = {
    {0, {true, std::nullopt}},   {1, {false, Prefix::Source}}, {2, {false, Prefix::Level}},
    {3, {true, Prefix::Source}}, {4, {true, Prefix::Level}},   {5, {false, std::nullopt}},
};
const std::map<int, std::string> LevelPrefixes = {
    {0, ""}, {1, "**WARNING** - "}, {2, "**ERROR** - "}, {3, "**CRITICAL** - "}, {5, ""}};
const std::map<int, std::string> SourcePrefixes = {{0, "[T]::basecomp[87] "},
                                                   {1, "[T]::basecomp[87] **WARNING** - "},
                                                   {2, "[T]::basecomp[87] **ERROR** - "},
                                                   {3, "[T]::basecomp[87] **CRITICAL** - "},
                                                   {5, ""}};

enum class Verbosity { Off, OnBeforeOpen, OnAfterOpen };

TEST_F(CmpLogTest, EachTypeAndLevelReachesItsFilesWithItsPrefix) {
    for (Verbosity mode : {Verbosity::OnBeforeOpen, Verbosity::OnAfterOpen, Verbosity::Off}) {
        SCOPED_TRACE(static_cast<int>(mode));
        std::string plainBefore = Read(PlainLog());
        const std::string sub = "verbose" + std::to_string(static_cast<int>(mode));
        std::u16string directory = Directory(platform::utf8_to_utf16(sub + "\\"));
        CCmpLog log(u"steps.log", directory.c_str());
        if (mode == Verbosity::OnBeforeOpen) log.SetVerbose(1);
        ASSERT_EQ(log.Open(), 0);
        if (mode == Verbosity::OnAfterOpen) log.SetVerbose(1);

        std::string plainWanted, verboseWanted;
        for (const auto& [type, route] : Routes) {
            for (const auto& [level, levelPrefix] : LevelPrefixes) {
                log.Write(type, level, u".\\Source\\basecomp", 87, u"t%dl%d\r\n", type, level);
                std::string text = std::string("t").append(std::to_string(type)).append("l");
                text.append(std::to_string(level)).append("\r\n");
                if (route.plain) plainWanted += levelPrefix + text;
                if (route.verbose)
                    verboseWanted += (*route.verbose == Prefix::Source ? SourcePrefixes.at(level) : levelPrefix) + text;
            }
        }
        EXPECT_EQ(log.Close(), 0);
        EXPECT_EQ(Read(PlainLog()), plainBefore + plainWanted) << "appended, never truncated";
        fs::path verboseFile = dir_ / sub / "steps.log";
        if (mode == Verbosity::OnBeforeOpen)
            EXPECT_EQ(WithoutTimes(Read(verboseFile)), verboseWanted);
        else
            EXPECT_FALSE(fs::exists(verboseFile)) << "a verbose log switched on after Open is never opened";
    }
}

TEST_F(CmpLogTest, SourcePrefixWithoutSourceFileAndLongTextsWrittenWhole) {
    CCmpLog log(u"v.log", Directory().c_str());
    log.SetVerbose(1);
    ASSERT_EQ(log.Open(), 0);
    log.Write(CmpLogVerboseSource, CmpLogWarning, nullptr, 12, u"no source\r\n");
    log.Write(CmpLogPlainVerboseSource, CmpLogInformation, u"C:\\build\\Source\\cmplog.cpp", 3, u"with extension\r\n");
    // Longer than the first formatting buffer, and with a character that
    // the ANSI code page may not hold.
    std::u16string longText = std::u16string(3000, u'L') + u" \u00E9\u4E2D end";
    log.Write(CmpLogPlainVerboseLevel, CmpLogError, nullptr, 0, u"%s\r\n", longText.c_str());
    ASSERT_EQ(log.Close(), 0);

    std::string ansiLong = platform::to_ansi_code_page(longText);
    EXPECT_EQ(WithoutTimes(Read(dir_ / "v.log")),
              "[T]::?[12] **WARNING** - no source\r\n"
              "[T]::cmplog.cpp[3] with extension\r\n"
              "**ERROR** - " +
                  ansiLong + "\r\n");
    EXPECT_EQ(Read(PlainLog()), "with extension\r\n**ERROR** - " + ansiLong + "\r\n");
}

TEST_F(CmpLogTest, HeaderAndFooterFrameARun) {
    CCmpLog log(u"v.log", Directory().c_str());
    log.SetVerbose(1);
    ASSERT_EQ(log.Open(), 0);
    log.WriteHeader();
    log.Write(CmpLogPlainVerboseLevel, CmpLogInformation, nullptr, 0, u"body\r\n");
    log.WriteFooter(-5);
    log.SetStubVersion(u"7.2");
    log.WriteHeader();
    ASSERT_EQ(log.Close(), 0);

    const std::string rule(75, '=');
    const std::string source = testsupport::builtProgram("tamsel_framework_tests").filename().string();
    // The test program carries no version resource.
    const std::string plainHeader = rule + "\r\nSource:          " + source +
                                    "\r\nVersion:         (no version resource)\r\nLog Date:        D\r\n\r\n"
                                    "Log Session Start...\r\n\r\n";
    auto verboseHeader = [&](const std::string& stub) {
        return rule + "\r\nSource:          " + source +
               "\r\nVersion:         (no version resource)\r\nStub Version:    " + stub +
               "\r\nLog Date:        D\r\n\r\nVerbose Log Session Start ...\r\n\r\n";
    };
    const std::string footer = "\r\n\r\nLog Session End. [T]\r\nReturn Code (-5)\r\n" + rule + "\r\n\r\n";

    const std::regex date("Log Date:        [^ \r]+ [0-9]{1,2}:[0-9]{2}:[0-9]{2}\r\n");
    auto normalized = [&](const std::string& text) {
        return WithoutTimes(std::regex_replace(text, date, "Log Date:        D\r\n"));
    };
    EXPECT_EQ(normalized(Read(dir_ / "v.log")),
              verboseHeader("(not set)") + "body\r\n" + footer + verboseHeader("7.2"));
    EXPECT_EQ(normalized(Read(PlainLog())), plainHeader + "body\r\n" + footer + plainHeader);
}

TEST_F(CmpLogTest, DefaultVerboseLogGetsAGeneratedNameInTheDefaultDirectory) {
    CCmpLog log;
    EXPECT_EQ(log.GetStatus(), 0);
    std::string name = Utf8(log.GetVerboseLogName());
    EXPECT_TRUE(std::regex_match(name, std::regex("_YK[0-9A-F]{1,4}\\.\\.TMP", std::regex::icase))) << name;
    EXPECT_EQ(Utf8(log.GetVerboseLogDirectory()),
              Utf8(platform::expand_environment(u"%SystemDrive%\\ykzsystem\\log\\")));
    log.SetVerbose(1);
    ASSERT_EQ(log.Open(), 0);
    log.Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"Done.\r\n");
    EXPECT_EQ(log.Close(), 0);
    EXPECT_EQ(Read(dir_ / "ykzsystem" / "log" / name), "Done.\r\n");
}

TEST_F(CmpLogTest, OverlongDirectoryFailsConstructionAndTheObjectStaysHarmless) {
    ASSERT_TRUE(platform::set_environment_variable("NicfwLogLongDir", std::string(300, 'e')));
    struct {
        std::u16string directory;
        std::int32_t status;
    } const cases[] = {
        {std::u16string(259, u'd'), 0},  // fits with its terminator
        {std::u16string(260, u'd'), CmpLogDirectoryTooLong},
        {u"%NicfwLogLongDir%\\", CmpLogDirectoryTooLong},  // measured after expansion
    };
    for (const auto& c : cases) {
        CCmpLog log(u"v.log", c.directory.c_str());
        EXPECT_EQ(log.GetStatus(), c.status) << c.directory.size();
        if (c.status == 0) {
            EXPECT_EQ(log.GetVerboseLogDirectory(), c.directory);
            continue;
        }
        log.SetVerbose(1);
        EXPECT_EQ(log.Open(), CmpLogOpenFailed);
        log.WriteHeader();
        log.Write(CmpLogPlainVerboseSource, CmpLogError, u"x", 1, u"lost\r\n");
        log.WriteFooter(1);
        log.MoveVerboseLog(u"moved.log", Directory().c_str());
        EXPECT_EQ(Utf8(log.GetVerboseLogName()), "");
        EXPECT_EQ(Utf8(log.GetVerboseLogDirectory()), "");
        EXPECT_EQ(log.Close(), CmpLogCloseFailed);
    }
    EXPECT_FALSE(fs::exists(dir_ / "ykzsystem")) << "a failed log touches no file";
    EXPECT_FALSE(fs::exists(dir_ / "moved.log"));
}

TEST_F(CmpLogTest, CloseEndsWritingForGood) {
    CCmpLog unopened(u"v.log", Directory().c_str());
    EXPECT_EQ(unopened.Close(), CmpLogCloseFailed) << "nothing was open to close";

    CCmpLog log(u"v.log", Directory().c_str());
    log.SetVerbose(1);
    ASSERT_EQ(log.Open(), 0);
    log.Write(CmpLogPlainVerboseLevel, CmpLogInformation, nullptr, 0, u"before\r\n");
    ASSERT_EQ(log.Close(), 0);
    EXPECT_EQ(log.Close(), CmpLogCloseFailed);
    // A file opened now may get the closed file's handle value: the log's
    // later lines must not reach it.
    platform::SharedFile other;
    ASSERT_TRUE(other.open(Directory(u"other.log")));
    log.Write(CmpLogPlainVerboseLevel, CmpLogInformation, nullptr, 0, u"after\r\n");
    log.WriteFooter(0);
    ASSERT_TRUE(other.close());
    EXPECT_EQ(Read(dir_ / "other.log"), "");
    EXPECT_EQ(Read(dir_ / "v.log"), "before\r\n");
    EXPECT_EQ(Read(PlainLog()), "before\r\n");
}

TEST_F(CmpLogTest, TwoProcessesAppendingAtOnceLeaveEveryLineWhole) {
    constexpr int Processes = 2;
    constexpr int LinesEach = 500;
    testsupport::writeFile(dir_ / "shared.log", "earlier run\r\n");

    std::vector<testsupport::RunResult> results = testsupport::runAtOnce(
        testsupport::builtProgram("cmplog_appender"), Processes,
        [&](int p) -> std::vector<std::string> {
            return {Utf8(Directory()), "shared.log", std::to_string(p), std::to_string(LinesEach)};
        },
        dir_.path());
    for (const testsupport::RunResult& result : results) ASSERT_TRUE(result.started && result.exitCode == 0);

    std::string content = Read(dir_ / "shared.log");
    EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), std::count(content.begin(), content.end(), '\r'));
    std::vector<std::string> lines = testsupport::splitLines(testsupport::normalizeLineEnds(content));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "earlier run");
    testsupport::expectWholeLinesInOrder({lines.begin() + 1, lines.end()}, Processes, LinesEach, 150);
}

}  // namespace
