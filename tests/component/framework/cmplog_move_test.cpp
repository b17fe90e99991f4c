// MoveVerboseLog: the plug-in's verbose log moved under a new name, or merged
// into the host's verbose log when that file exists.
#include "cmplog/cmplog.h"
#include "cmplog_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Utf8(std::u16string_view text) {
    return platform::utf16_to_utf8(text);
}

class MoveVerboseLogTest : public CmpLogTest {
protected:
    void SetUp() override {
        CmpLogTest::SetUp();
        log_.SetVerbose(1);
        ASSERT_EQ(log_.Open(), 0);
        Line(u"plugin line");
    }
    void Line(const char16_t* text) { log_.Write(CmpLogVerboseLevel, CmpLogInformation, nullptr, 0, u"%s\r\n", text); }

    const std::u16string directory_ = Directory();
    CCmpLog log_{u"plugin.log", directory_.c_str()};
};

TEST_F(MoveVerboseLogTest, ToItsOwnNameOrToNoNameDoesNothing) {
    log_.MoveVerboseLog(u"plugin.log", directory_.c_str());
    log_.MoveVerboseLog(u"", directory_.c_str());
    log_.MoveVerboseLog(nullptr, nullptr);
    Line(u"later");
    EXPECT_EQ(Utf8(log_.GetVerboseLogName()), "plugin.log");
    EXPECT_EQ(Read(dir_ / "plugin.log"), "plugin line\r\nlater\r\n");
}

TEST_F(MoveVerboseLogTest, ToANewNameRenamesTheFileAndGoesOnWritingThere) {
    fs::create_directory(dir_ / "host");
    const std::u16string hostDirectory = Directory(u"host\\");
    log_.MoveVerboseLog(u"Package.exe.log", hostDirectory.c_str());
    Line(u"later");
    EXPECT_EQ(Utf8(log_.GetVerboseLogName()), "Package.exe.log");
    EXPECT_EQ(Utf8(log_.GetVerboseLogDirectory()), Utf8(hostDirectory));
    EXPECT_FALSE(fs::exists(dir_ / "plugin.log"));
    EXPECT_EQ(Read(dir_ / "host" / "Package.exe.log"), "plugin line\r\nlater\r\n");
    EXPECT_EQ(log_.Close(), 0);
}

TEST_F(MoveVerboseLogTest, ToAnExistingFileAppendsToItAndDeletesTheOldFile) {
    testsupport::writeFile(dir_ / "host.log", "host line\r\n");
    log_.MoveVerboseLog(u"host.log", directory_.c_str());
    Line(u"later");
    EXPECT_EQ(Read(dir_ / "host.log"), "host line\r\nplugin line\r\nlater\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "plugin.log"));
    EXPECT_EQ(Utf8(log_.GetVerboseLogName()), "plugin.log") << "the record keeps its name when merging";
}

TEST_F(MoveVerboseLogTest, ToAnExistingFileWithoutAnOpenVerboseLogDoesNothing) {
    testsupport::writeFile(dir_ / "host.log", "host line\r\n");
    CCmpLog quiet(u"quiet.log", directory_.c_str());
    ASSERT_EQ(quiet.Open(), 0);
    quiet.MoveVerboseLog(u"host.log", directory_.c_str());
    EXPECT_EQ(Read(dir_ / "host.log"), "host line\r\n");
    EXPECT_EQ(Utf8(quiet.GetVerboseLogName()), "quiet.log");
}

TEST_F(MoveVerboseLogTest, AFailedRenameKeepsTheLogWhereItWas) {
    log_.MoveVerboseLog(u"moved.log", Directory(u"missing\\").c_str());
    Line(u"later");
    EXPECT_EQ(Utf8(log_.GetVerboseLogName()), "plugin.log");
    EXPECT_EQ(Read(dir_ / "plugin.log"), "plugin line\r\nlater\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(MoveVerboseLogTest, TheSameFileUnderAnotherSpellingIsNeitherDoubledNorDeleted) {
    fs::create_directory(dir_ / "sub");
    log_.MoveVerboseLog(u"plugin.log", Directory(u"sub\\..\\").c_str());
    Line(u"later");
    EXPECT_EQ(Read(dir_ / "plugin.log"), "plugin line\r\nlater\r\n");
}

}  // namespace
