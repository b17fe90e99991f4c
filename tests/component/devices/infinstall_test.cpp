// CInf's file lists and directories, and the driver files of
// CWin2000PnPDriver, on INF files written for each case. The files land in
// the fixture's machine; the operations delayed until restart are read
// back from the registry where the system records them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tamsel_devices/inf.h"
#include "tamsel_devices/pnpdriver.h"
#include "driverfixture.h"
#include "platform/fileops.h"
#include "platform/files.h"
#include "platform/osversion.h"
#include "platform/services.h"
#include "platform/unicode.h"
#include "platform/wsystem.h"

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

// The operations that the installation keeps to itself, opened for tests.
class TestInf : public CInf {
public:
    explicit TestInf(const std::u16string& path) : CInf(path.c_str(), 0) {}
    using CInf::GetDestinationDir;
};

std::string Utf8(std::u16string_view text) {
    return platform::utf16_to_utf8(text);
}

const std::string kVersion = "[Version]\nSignature=\"$Windows NT$\"\n";

class InfFiles : public DriverMachineTest {
protected:
    // A package directory holding the INF file and the source files.
    fs::path Package() const { return Dir() / "package"; }
    std::u16string Inf(const std::string& text) {
        fs::create_directories(Package());
        writeFile(Package() / "new.sys", "new driver");
        return WriteInf("package/test.inf", kVersion + text);
    }
    fs::path Target() const { return Drive() / "target"; }
    std::string TargetDirs() const { return "[DestinationDirs]\nDefaultDestDir = 24, target\n"; }
};

TEST_F(InfFiles, DirectoryIdsFollowTheEnvironment) {
    TestInf inf(Inf(""));
    std::string root = SystemRoot().string(), programs = ProgramFiles().string();
    std::string users = (Drive() / "ProgramData").string();
    const std::pair<std::uint32_t, std::string> cases[] = {
        {10, root},
        {11, root + "\\system32"},
        {12, root + "\\system32\\drivers"},
        {17, root + "\\inf"},
        {18, root + "\\help"},
        {20, root + "\\fonts"},
        {24, Utf8(platform::expand_environment(u"%SystemDrive%"))},
        {50, root + "\\system"},
        {16406, users},
        {16407, users + "\\Start Menu\\Programs"},
        {16408, users + "\\Start Menu\\Programs\\Startup"},
        {16409, users + "\\Desktop"},
        {16415, users + "\\Favorites"},
        {16419, users + "\\Application Data"},
        {16422, programs},
        {16427, programs + "\\Common"},
        {0, ""},
        {13, ""},
        {16423, ""},
    };
    for (const auto& [id, directory] : cases) EXPECT_EQ(inf.GetDirIdPath(id).ToUtf8(), directory) << id;
}

TEST_F(InfFiles, DestinationDirectoryBySectionThenDefault) {
    struct Case {
        const char* dirs;
        const char* section;
        std::optional<std::string> directory;  // relative to the system drive
    };
    const Case cases[] = {
        // A single entry serves every list, whatever its key.
        {"Other.Files = 24, only", "Any.Files", "only"},
        {"Any.Files = 24, exact\nDefaultDestDir = 24, default", "Any.Files", "exact"},
        {"Any.Files = 24, exact\nDefaultDestDir = 24, default", "any.files", "default"},
        {"Any.Files = 24, exact\nDefaultDestDir = 24, default", "Other.Files", "default"},
        {"Any.Files = 24, exact\nMore.Files = 24, more", "Other.Files", std::nullopt},
        {"Any.Files = 24, a, b\\c", "Any.Files", "a\\b\\c"},
        // An unknown id leaves its line without a directory.
        {"Any.Files = 99, lost\nDefaultDestDir = 24, default", "Any.Files", "default"},
        {"", "Any.Files", std::nullopt},
    };
    for (const Case& test : cases) {
        TestInf inf(Inf(std::string("[DestinationDirs]\n") + test.dirs + "\n"));
        CStr directory;
        int found = inf.GetDestinationDir(platform::utf8_to_utf16(test.section).c_str(), directory);
        ASSERT_EQ(found, test.directory ? 1 : 0) << test.dirs << " / " << test.section;
        if (test.directory) {
            EXPECT_EQ(directory.ToUtf8(), inf.GetDirIdPath(24).ToUtf8() + "\\" + *test.directory);
        }
    }
}

TEST_F(InfFiles, WithoutDestinationDirsEveryFileListFails) {
    TestInf inf(
        Inf("[Install]\nCopyFiles = Copy.Files\nDelFiles = Copy.Files\nRenFiles = Ren.Files\n"
            "[Copy.Files]\nnew.sys\n[Ren.Files]\na.sys, b.sys\n"));
    ASSERT_EQ(inf.IsOpen(), 1);
    EXPECT_EQ(inf.ProcessCopyFiles(u"Install"), 0);
    EXPECT_EQ(inf.ProcessDelFiles(u"Install"), 0);
    EXPECT_EQ(inf.ProcessRenFiles(u"Install"), 0);
    EXPECT_EQ(inf.InstallSection(u"Install", platform::RegistryRoot::local_machine), 0);
    EXPECT_FALSE(fs::exists(Target()));
}

TEST_F(InfFiles, CopyFlagsThatForbidOverwriting) {
    const std::pair<const char*, bool> cases[] = {{"", true},      {"0", true},        {"2", true},     {"16", false},
                                                  {"0x10", false}, {"0x10000", false}, {"65536", false}};
    for (const auto& [flags, overwrites] : cases) {
        fs::create_directories(Target());
        writeFile(Target() / "new.sys", "old driver");
        TestInf inf(Inf(TargetDirs() + "[Copy.Files]\nnew.sys,,," + flags + "\n"));
        EXPECT_EQ(inf.CopyFileList(u"Copy.Files"), 1) << flags;
        EXPECT_EQ(readFile(Target() / "new.sys"), overwrites ? "new driver" : "old driver") << flags;
    }
}

TEST_F(InfFiles, CopyCreatesTheDirectoryChainAndTakesTheSourceName) {
    TestInf inf(
        Inf("[DestinationDirs]\nDefaultDestDir = 24, target, deep\\er\n[Copy.Files]\nrenamed.sys, new.sys\n"
            "missing.sys\nnever.sys\n"));
    // The list stops at the source file that is missing.
    EXPECT_EQ(inf.CopyFileList(u"Copy.Files"), 0);
    EXPECT_EQ(readFile(Target() / "deep" / "er" / "renamed.sys"), "new driver");
    EXPECT_FALSE(fs::exists(Target() / "deep" / "er" / "never.sys"));
}

TEST_F(InfFiles, AFileInUseIsReplacedAtRestart) {
    fs::create_directories(Target());
    writeFile(Target() / "new.sys", "running driver");
    TestInf inf(Inf(TargetDirs() + "[Copy.Files]\nnew.sys\n"));
    platform::FileInUse running;
    ASSERT_TRUE(running.hold((Target() / "new.sys").u16string()));

    EXPECT_EQ(inf.CopyFileList(u"Copy.Files"), 1);
    EXPECT_EQ(inf.RebootNeeded(), 1);
    running.release();
    EXPECT_EQ(readFile(Target() / "new.sys"), "running driver");
    std::vector<std::u16string> pending = PendingOperations();
    ASSERT_EQ(pending.size(), 2u);
    ASSERT_EQ(pending[0].rfind(u"\\??\\", 0), 0u);
    EXPECT_EQ(pending[1].rfind(u"!\\??\\", 0), 0u);
    EXPECT_EQ(Utf8(pending[1]).substr(Utf8(pending[1]).size() - 7), "new.sys");
    // The new file waits beside the old one under a temporary name.
    fs::path waiting = platform::native_path(Utf8(pending[0].substr(4)));
    EXPECT_EQ(readFile(waiting), "new driver");
    EXPECT_TRUE(fs::equivalent(waiting.parent_path(), Target()));
}

TEST_F(InfFiles, DeletionsNowOrAtRestart) {
    struct Case {
        const char* flags;
        bool exists;
        bool scheduled;
    };
    const Case cases[] = {{"", true, false},       {"0", true, false},    {"1", true, true},
                          {"0x10000", true, true}, {"0x10", true, false}, {"", false, false}};
    for (const Case& test : cases) {
        fs::create_directories(Target());
        fs::remove(Target() / "old.sys");
        if (test.exists) writeFile(Target() / "old.sys", "old");
        TestInf inf(Inf(TargetDirs() + "[Del.Files]\nold.sys,,," + test.flags + "\n"));
        EXPECT_EQ(inf.DeleteFileList(u"Del.Files"), 1) << test.flags;
        EXPECT_EQ(fs::exists(Target() / "old.sys"), test.scheduled) << test.flags;
        EXPECT_EQ(inf.RebootNeeded(), test.scheduled ? 1 : 0) << test.flags;
        std::vector<std::u16string> pending = PendingOperations();
        ASSERT_EQ(pending.size(), test.scheduled ? 2u : 0u) << test.flags;
        if (test.scheduled) {
            EXPECT_TRUE(pending[1].empty());
        }
        platform::registry_delete_value(platform::RegistryRoot::local_machine, platform::pending_operations_key,
                                        platform::pending_operations_value);
    }
}

TEST_F(InfFiles, RenameLinesNeedExactlyTwoFields) {
    const std::pair<const char*, int> cases[] = {
        {"b.sys, a.sys", 1}, {"b.sys", 0}, {"c.sys, b.sys, a.sys", 0}, {"b.sys, missing.sys", 0}};
    for (const auto& [line, result] : cases) {
        fs::remove_all(Target());
        fs::create_directories(Target());
        writeFile(Target() / "a.sys", "a");
        TestInf inf(Inf(TargetDirs() + "[Ren.Files]\n" + line + "\n"));
        EXPECT_EQ(inf.RenameFileList(u"Ren.Files"), result) << line;
        EXPECT_EQ(fs::exists(Target() / "b.sys"), result == 1) << line;
    }
}

// A name that would reach outside the destination (or source) directory
// fails its list, and nothing outside is touched.
TEST_F(InfFiles, NamesThatLeaveTheirDirectoryFailTheList) {
    std::string outside = (Dir() / "victim.txt").string();
    const std::pair<const char*, std::string> cases[] = {
        {"Copy.Files", "..\\..\\victim.txt, new.sys"},
        {"Copy.Files", "sub\\..\\..\\..\\victim.txt, new.sys"},
        {"Copy.Files", "new.sys, ..\\..\\victim.txt"},
        {"Copy.Files", outside + ", new.sys"},
        {"Copy.Files", "\\victim.txt, new.sys"},
        {"Copy.Files", "C:victim.txt, new.sys"},
        {"Copy.Files", ". .\\victim.txt, new.sys"},
        {"Del.Files", "..\\..\\victim.txt"},
        {"Del.Files", outside},
        {"Ren.Files", "moved.txt, ..\\..\\victim.txt"},
        {"Ren.Files", "..\\..\\moved.txt, kept.txt"},
    };
    for (const auto& [section, line] : cases) {
        fs::remove_all(Target());
        fs::create_directories(Target());
        writeFile(Target() / "kept.txt", "kept");
        writeFile(Dir() / "victim.txt", "victim");
        TestInf inf(Inf(TargetDirs() + "[" + section + "]\n" + line + "\n"));
        int result = std::string(section) == "Copy.Files"  ? inf.CopyFileList(u"Copy.Files")
                     : std::string(section) == "Del.Files" ? inf.DeleteFileList(u"Del.Files")
                                                           : inf.RenameFileList(u"Ren.Files");
        EXPECT_EQ(result, 0) << line;
        EXPECT_EQ(readFile(Dir() / "victim.txt"), "victim") << line;
        EXPECT_FALSE(fs::exists(Dir() / "moved.txt")) << line;
        EXPECT_EQ(readFile(Target() / "kept.txt"), "kept") << line;
        EXPECT_TRUE(PendingOperations().empty()) << line;
    }
}

TEST_F(InfFiles, TenThousandLineListRunsThrough) {
    std::string text = TargetDirs() + "[Install]\nDelFiles = Del.Files\n[Del.Files]\n";
    for (int line = 0; line < 10000; ++line) text += "gone" + std::to_string(line) + ".sys\n";
    TestInf inf(Inf(text));
    EXPECT_EQ(inf.ProcessDelFiles(u"Install"), 1);
    EXPECT_EQ(inf.RebootNeeded(), 0);
}

TEST_F(InfFiles, AServiceWithoutItsBinaryFails) {
    TestInf inf(
        Inf("[Broken.Services]\nAddService = kxbroken, 2, Broken.Service\n"
            "[Broken.Service]\nServiceType = 1\nStartType = 3\nErrorControl = 1\n"));
    EXPECT_EQ(inf.GetServiceStartType(), 3);
    EXPECT_EQ(inf.InstallServices(u"Broken.Services"), 0);
    EXPECT_EQ(platform::service_state(u"kxbroken"), platform::ServiceState::not_installed);
}

// Shortcuts belong to the systems of major version 4: the simulated machine
// is one; Wine is not, and gets none.
TEST_F(InfFiles, StartMenuShortcutsOnlyOnVersionFour) {
    writeFile(Dir() / "machine" / "windows.ini", "[version]\nmajor = 4\nminor = 0\nbuild = 1381\n");
    TestInf inf(
        Inf("[Install]\nCopyFiles = Copy.Files\nYkzStartMenuItems = Tool.Link, Escape.Link\n"
            "[Copy.Files]\nnew.sys\n[Tool.Link]\nName = KX Tool\nPath = %SystemRoot%\\kxtool.exe\n"
            "Args = /status\nWorkingDir = %SystemRoot%\nGroup = Tarn KX\n"
            "[Escape.Link]\nName = ..\\..\\escaped\nGroup = Tarn KX\n"));
    EXPECT_EQ(inf.CreateStartMenuItems(), 1);
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    bool versionFour = version && version->major == 4;
    fs::path programs = Drive() / "ProgramData" / "Start Menu" / "Programs";
    EXPECT_EQ(fs::exists(programs / "Tarn KX" / "KX Tool.lnk"), versionFour);
    if (versionFour) {
        std::string link = testsupport::readText(programs / "Tarn KX" / "KX Tool.lnk");
        EXPECT_NE(link.find("Target=" + SystemRoot().string() + "\\kxtool.exe\n"), std::string::npos) << link;
        EXPECT_NE(link.find("Arguments=/status\n"), std::string::npos) << link;
    }
    EXPECT_FALSE(fs::exists(Drive() / "ProgramData" / "escaped.lnk"));
}

TEST(PnPDriver, DriverFilesAndTheirCompressedNames) {
    CWin2000PnPDriver driver(u"x.inf", 1, u".");
    const char16_t* names[] = {u"kx.sys", u"kx.ab", u"kxfile", u"kx.sys", u"", u"kx.", u"kx.a.long"};
    for (const char16_t* name : names) EXPECT_EQ(driver.AddDriverFile(name), 1);
    std::vector<std::string> files;
    for (const CStr& file : driver.DriverFiles()) files.push_back(file.ToUtf8());
    EXPECT_EQ(files, (std::vector<std::string>{"kx.sys", "kx.sy_", "kx.ab", "kx.ab_", "kxfile", "kxfile._", "kx.",
                                               "kx._", "kx.a.long", "kx.a.lon_"}));
}

TEST(PnPDriver, NoHardwareIdsUpdatesNothing) {
    CWin2000PnPDriver driver(u"x.inf", 1, u".");
    driver.AddHardwareId(u"");
    EXPECT_EQ(driver.UpdateDrivers(), DriverUpdateNoHardwareIds);
    driver.AddHardwareId(u"PCI\\VEN_1E5A&DEV_0A10");
    driver.AddHardwareId(u"PCI\\VEN_1E5A&DEV_0A10");
    EXPECT_EQ(driver.HardwareIds().size(), 1u);
}

}  // namespace
