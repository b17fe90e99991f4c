// The install state: the sequence of checks, its log lines and status rules
// (through a component whose checks answer as a test scripts them), and the
// base checks against a machine that each test sets up.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tamsel_framework/basecomp.h"
#include "tamsel_framework/installstate.h"
#include "tamsel_framework/messages.h"
#include "checks_machine.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/unicode.h"
#include "testsupport/testsupport.h"

namespace {

namespace fs = std::filesystem;

std::string utf8(std::u16string_view text) {
    return CStr(text).ToUtf8();
}

// A fresh package directory as the current directory and a fresh system
// drive (where the plain log "ykzsetup.log" lands), with a verbose log.
class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(systemDrive_.set(platform::utf16_to_utf8(drive_.path().u16string())));
        previous_ = fs::current_path();
        fs::current_path(package_.path());
        std::u16string directory = drive_.path().u16string() + u"\\";
        log_ = std::make_unique<CCmpLog>(u"verbose.log", directory.c_str());
        log_->SetVerbose(1);
        log_->Open();
    }
    void TearDown() override {
        log_.reset();
        fs::current_path(previous_);
    }

    void Write(const std::string& name, const std::string& content) const {
        testsupport::writeFile(package_ / name, content);
    }
    std::string PlainLog() const { return testsupport::readFile(drive_ / "ykzsystem" / "log" / "ykzsetup.log"); }
    std::string VerboseLog() const {
        static const std::regex time(R"(\[[0-9]{1,2}:[0-9]{2}:[0-9]{2}\])");
        return std::regex_replace(testsupport::readFile(drive_ / "verbose.log"), time, "[T]");
    }

    testsupport::TempDir drive_{"nicfw-drive"};
    testsupport::TempDir package_{"nicfw-package"};
    std::unique_ptr<CCmpLog> log_;

private:
    testsupport::ScopedEnvironment systemDrive_{"SystemDrive"};
    fs::path previous_;
};

// Checks that answer as scripted and note that they were asked.
struct Script {
    int os = 1, disk = 1, hardware = 1, installed = 1, marked = 0, version = 1, met = 1, list = 1;
    std::u16string metMessage = u"", listMessage = u"";
};

class ScriptedComponent : public CBaseComponent {
public:
    explicit ScriptedComponent(const Script& script) : script_(script) {}
    std::vector<std::string> asked;

    std::int32_t IsOsSupported() override { return Note("os", script_.os); }
    std::int32_t IsDiskSpaceAvailable(const char16_t* directory) override {
        EXPECT_EQ(directory, nullptr);
        return Note("disk", script_.disk);
    }
    std::int32_t IsHardwarePresent() override { return Note("hardware", script_.hardware); }
    std::int32_t IsInstalled() override { return Note("installed", script_.installed); }
    std::int32_t IsMarkedForRemoval() override { return Note("marked", script_.marked); }
    std::int32_t GetVersionStatus() override { return Note("version", script_.version); }
    std::int32_t AreDependenciesMet(char16_t* message, std::uint32_t capacity, const char16_t*) override {
        EXPECT_EQ(capacity, 4096u);
        CopyToBuffer(message, capacity, script_.metMessage);
        return Note("met", script_.met);
    }
    std::int32_t CheckDependencyList(char16_t* message, std::uint32_t capacity, const char16_t*) override {
        EXPECT_EQ(capacity, 4096u);
        CopyToBuffer(message, capacity, script_.listMessage);
        return Note("list", script_.list);
    }

private:
    std::int32_t Note(const char* what, int answer) {
        asked.push_back(what);
        return answer;
    }
    Script script_;
};

const std::vector<std::string> allChecks{"os", "disk", "hardware", "installed", "marked", "version", "met", "list"};

struct StateCase {
    const char* what;
    Script script;
    const char16_t* language;
    std::int32_t status;
    std::u16string message;
};

std::u16string Row(CodeMessage row, int column) {
    return CodeMessageText(row, column);
}

TEST_F(PackageTest, InstallStatusRules) {
    const std::u16string driver = u"driver needed";
    const std::u16string model = u"model refused";
    const StateCase cases[] = {
        {"system not supported, French", {.os = 0}, u"fr", 7, Row(CodeMessageOsNotSupported, 1)},
        {"no disk space, German", {.disk = 0}, u"DE", 7, Row(CodeMessageNotEnoughDiskSpace, 3)},
        {"same", {}, u"en", 1, u""},
        {"older", {.version = 0}, u"en", 2, u""},
        {"newer", {.version = 2}, u"en", 3, u""},
        {"version status outside 0 to 2", {.version = 7}, u"en", 8, u""},
        {"installed, no hardware", {.hardware = 0}, u"en", 4, u""},
        {"no hardware, not installed", {.hardware = 0, .installed = 0}, u"en", 6, u""},
        {"not installed", {.installed = 0}, u"en", 5, u""},
        {"dependency not met", {.met = 0, .metMessage = driver}, u"en", 7, driver},
        {"not met, no hardware: no message", {.hardware = 0, .met = 0, .metMessage = driver}, u"en", 4, u""},
        {"marked replaces the dependency message",
         {.marked = 1, .met = 0, .metMessage = driver},
         u"ja",
         7,
         Row(CodeMessageMarkedForRemoval, 5)},
        {"marked, unknown language", {.marked = 1}, u"xx", 7, Row(CodeMessageMarkedForRemoval, 0)},
        {"marked, French", {.marked = 1}, u"fr", 7, Row(CodeMessageMarkedForRemoval, 1)},
        {"list failure overrides", {.marked = 1, .list = 0, .listMessage = model}, u"en", 6, model},
        {"list failure keeps an earlier message when it has none",
         {.met = 0, .list = 0, .metMessage = driver},
         u"en",
         6,
         driver},
    };
    for (const StateCase& c : cases) {
        ScriptedComponent component(c.script);
        InstallState record;
        record.status = -5;
        std::fill(std::begin(record.message), std::end(record.message), u'#');
        ASSERT_EQ(component.GetInstallState(record, c.language), 1) << c.what;
        EXPECT_EQ(record.status, c.status) << c.what;
        EXPECT_EQ(utf8(record.message), utf8(c.message)) << c.what;
        bool early = c.script.os == 0 || c.script.disk == 0;
        std::vector<std::string> expected = allChecks;
        if (early) expected.resize(c.script.os == 0 ? 1 : 2);
        EXPECT_EQ(component.asked, expected) << c.what;
    }
}

TEST_F(PackageTest, InstallStateNeedsTheWholeRecord) {
    ScriptedComponent component({});
    InstallState record;
    record.status = 42;
    record.message[0] = u'x';
    EXPECT_EQ(component.GetProperty(5, &record, sizeof record - 1, u"en"), 0);
    EXPECT_EQ(component.GetProperty(5, nullptr, sizeof record, u"en"), 0);
    EXPECT_EQ(record.status, 42);
    EXPECT_EQ(record.message[0], u'x');
    EXPECT_TRUE(component.asked.empty());
}

// A message longer than the record is cut to 1023 units and terminated,
// never between the halves of a surrogate pair.
TEST_F(PackageTest, LongMessagesAreCutToTheRecord) {
    std::u16string longText(1022, u'a');
    longText += u"\U0001F600";
    longText += std::u16string(3000, u'b');
    ScriptedComponent component({.list = 0, .listMessage = longText});
    InstallState record;
    ASSERT_EQ(component.GetInstallState(record, u"en"), 1);
    EXPECT_EQ(std::u16string(record.message), std::u16string(1022, u'a'));

    ScriptedComponent plain({.met = 0, .metMessage = std::u16string(4095, u'c')});
    ASSERT_EQ(plain.GetInstallState(record, u"en"), 1);
    EXPECT_EQ(std::u16string(record.message), std::u16string(1023, u'c'));
}

TEST_F(PackageTest, QuestionsAndAnswersInBothLogs) {
    ScriptedComponent full({.version = 0, .list = 0});
    full.AdoptLog(log_.get());
    InstallState record;
    full.GetInstallState(record, u"en");
    ScriptedComponent refused({.disk = 0});
    refused.AdoptLog(log_.get());
    refused.GetInstallState(record, u"en");
    ScriptedComponent unknownVersion({.hardware = 0, .version = 9});
    unknownVersion.AdoptLog(log_.get());
    unknownVersion.GetInstallState(record, u"en");

    EXPECT_EQ(PlainLog(),
              "    - Is operating system supported... Yes\r\n"
              "    - Is necessary disk space available... Yes\r\n"
              "    - Is hardware present... Yes\r\n"
              "    - Is component already installed... Yes\r\n"
              "    - Is component marked for removal... No\r\n"
              "    - Installed component version status... Older\r\n"
              "    - Checking dependency list... Failed!\r\n\r\n"
              "    - Is operating system supported... Yes\r\n"
              "    - Is necessary disk space available... No\r\n\r\n"
              "    - Is operating system supported... Yes\r\n"
              "    - Is necessary disk space available... Yes\r\n"
              "    - Is hardware present... No\r\n"
              "    - Is component already installed... Yes\r\n"
              "    - Is component marked for removal... No\r\n"
              "    - Installed component version status... Unknown\r\n"
              "    - Checking dependency list... Done.\r\n\r\n");
    // The verbose prefix names the source file without its directory.
    const std::string source = "[T]::basecomp";
    std::string verbose = VerboseLog();
    for (const char* line :
         {"[844]     - Is operating system supported... Yes\r\n",
          "[856]     - Is necessary disk space available... Yes\r\n", "[869]     - Is hardware present... Yes\r\n",
          "[875]     - Is component already installed... Yes\r\n",
          "[881]     - Is component marked for removal... No\r\n",
          "[887]     - Installed component version status... Older\r\n",
          "[904]     - Checking dependency list... Failed!\r\n\r\n",
          "[856]     - Is necessary disk space available... No\r\n\r\n"})
        EXPECT_NE(verbose.find(source + line), std::string::npos) << line;
}

// ----- the base checks against a machine -----

TEST(FreeKilobytes, SaturatesInsteadOfWrapping) {
    struct Case {
        std::uint64_t bytes;
        std::uint32_t kilobytes;
    };
    const Case cases[] = {
        {0, 0},
        {1023, 0},
        {1024, 1},
        {0xFFFFFFFFull * 1024, 0xFFFFFFFF},
        {0x100000000ull * 1024, 0xFFFFFFFF},  // 4 TB free: once it wrapped to 0
        {0x100000001ull * 1024, 0xFFFFFFFF},
        {~0ull, 0xFFFFFFFF},
    };
    for (const Case& c : cases) EXPECT_EQ(FreeKilobytes(c.bytes), c.kilobytes) << c.bytes;
}

TEST_F(PackageTest, DiskSpaceOfTheGivenVolumeOrTheSystemDrive) {
    CBaseComponent component;
    std::u16string missing = package_.path().u16string() + u"\\missing\\deeper";
    EXPECT_EQ(component.IsDiskSpaceAvailable(missing.c_str()), 1) << "no requirement: never asked";
    component.SetRequiredDiskSpace(1);
    EXPECT_EQ(component.IsDiskSpaceAvailable(nullptr), 1);
    EXPECT_EQ(component.IsDiskSpaceAvailable(package_.path().u16string().c_str()), 1);
    std::u16string withSeparator = package_.path().u16string() + u"\\";
    EXPECT_EQ(component.IsDiskSpaceAvailable(withSeparator.c_str()), 1);
    EXPECT_EQ(component.IsDiskSpaceAvailable(missing.c_str()), 0);
}

TEST(Versions, ParseAndCompare) {
    using platform::FileVersion;
    EXPECT_FALSE(ParseVersion(u""));
    EXPECT_FALSE(ParseVersion(u"4..1"));
    EXPECT_FALSE(ParseVersion(u"4.0.550."));
    EXPECT_FALSE(ParseVersion(u"1.2.3.4.5"));
    EXPECT_FALSE(ParseVersion(u"65536"));
    EXPECT_FALSE(ParseVersion(u"4.0a"));
    std::optional<FileVersion> version = ParseVersion(u"4.0.550");
    ASSERT_TRUE(version);
    EXPECT_EQ(CompareVersions({4, 0, 550, 0}, *version), VersionSame);
    EXPECT_EQ(CompareVersions({4, 0, 549, 9}, *version), VersionOlder);
    EXPECT_EQ(CompareVersions({4, 1, 0, 0}, *version), VersionNewer);
    EXPECT_EQ(CompareVersions({4, 0, 550, 1}, *version), VersionNewer);
    EXPECT_EQ(CompareVersions({3, 65535, 65535, 65535}, *ParseVersion(u"65535")), VersionOlder);
}

// The base component's installed version is its version file's: present
// means installed; a file without a version resource (every file on Linux)
// gives no version status and no current version.
TEST_F(PackageTest, BaseVersionFromTheVersionFile) {
    CBaseComponent component;
    EXPECT_EQ(component.IsInstalled(), 0);
    component.SetVersionFile(u"missing.dll");
    EXPECT_EQ(component.IsInstalled(), 0);
    EXPECT_EQ(component.GetVersionStatus(), VersionUnknown);

    Write("yk.xml", "<ykz_package><version value=\"0.0.1\"/></ykz_package>");
    ASSERT_EQ(component.ReadPackageDefinition(u"yk.xml"), 0);
    std::u16string plugin = testsupport::builtProgram("Tamsel").u16string();
    if (TestMachine::IsSimulated()) {
        Write("plain.dll", "no version resource");
        component.SetVersionFile(u"plain.dll");
        EXPECT_EQ(component.IsInstalled(), 1);
        EXPECT_EQ(component.GetVersionStatus(), VersionUnknown);
        char16_t text[32] = {};
        EXPECT_EQ(component.GetCurrentVersion(text, 32), 0);
        return;
    }
    // Windows: the plug-in's own file carries the project's version.
    plugin.replace(plugin.size() - 4, 4, u".dll");
    component.SetVersionFile(plugin.c_str());
    EXPECT_EQ(component.IsInstalled(), 1);
    EXPECT_EQ(component.GetVersionStatus(), VersionNewer);
    const std::string expected = NICFW_PROJECT_VERSION;
    char16_t text[32] = {};
    ASSERT_EQ(component.GetCurrentVersion(text, 32), 1);
    EXPECT_TRUE(utf8(text).starts_with(expected)) << utf8(text);
    EXPECT_EQ(component.GetCurrentVersion(text, static_cast<std::uint32_t>(utf8(text).size())), 0);
}

TEST_F(PackageTest, HardwarePresentByTheSupportedDevices) {
    CBaseComponent component;
    EXPECT_EQ(component.IsHardwarePresent(), 1) << "no supported devices: present";
    component.AddSupportedDevice(u"PCI\\VEN_FFFE&DEV_0001");
    EXPECT_EQ(component.IsHardwarePresent(), 0);
}

// ----- marked for removal, service tests, the dependency list -----

std::string ServiceName(const std::string& label) {
    return "YkzChk" + label + std::to_string(platform::current_process_id());
}

std::string Inf(const std::string& service) {
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n\r\n[Install.NT.Services]\r\n"
           "AddService=" +
           service + ",0x00000002,Service_Inst\r\n\r\n[Service_Inst]\r\nServiceType=1\r\n";
}

const std::string RegistryHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

// The service's key and its legacy device key with the values given; a
// value not given is deleted, so one import sets both values whatever an
// earlier one left.
std::string ServiceKeys(const std::string& service, const std::string& deleteFlag, const std::string& statusFlags) {
    const std::string legacy = "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\Root\\LEGACY_" + service;
    std::string text = "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\" + service + "]\r\n";
    text += "\"DeleteFlag\"=" + (deleteFlag.empty() ? "-" : deleteFlag) + "\r\n";
    text += "\r\n" + legacy + "]\r\n\r\n" + legacy + "\\0000]\r\n";
    text += "\"StatusFlags\"=" + (statusFlags.empty() ? "-" : statusFlags) + "\r\n";
    return text + "\r\n";
}

std::string RegistryExport(const std::string& service, const std::string& deleteFlag, const std::string& statusFlags) {
    return RegistryHeader + ServiceKeys(service, deleteFlag, statusFlags);
}

TEST_F(PackageTest, MarkedForRemoval) {
    const std::string installed = ServiceName("A");
    const std::string unknown = ServiceName("B");
    struct Case {
        const char* what;
        std::string service;
        std::string deleteFlag;
        std::string statusFlags;
        std::int32_t marked;
    };
    const Case cases[] = {
        {"DeleteFlag 1", installed, "dword:00000001", "", 1},
        {"DeleteFlag 2", installed, "dword:00000002", "", 0},
        {"DeleteFlag as text", installed, "\"1\"", "", 0},
        {"DeleteFlag of three bytes", installed, "hex(4):01,00,00", "", 0},
        {"DeleteFlag of a service the manager does not know", unknown, "dword:00000001", "", 0},
        {"StatusFlags exactly 0x40008", unknown, "", "dword:00040008", 1},
        {"StatusFlags 0x40009", installed, "", "dword:00040009", 0},
        {"StatusFlags 8", installed, "", "dword:00000008", 0},
        {"nothing set", installed, "", "", 0},
    };
    TestMachine machine;
    ASSERT_TRUE(machine.AddService(installed, false));
    for (const Case& c : cases) {
        machine.ImportRegistry(RegistryExport(c.service, c.deleteFlag, c.statusFlags));
        Write("driver.inf", Inf(c.service));
        CBaseComponent component;
        component.SetInstallType(u"driver.inf", InstallTypeLegacy);
        EXPECT_EQ(component.IsMarkedForRemoval(), c.marked) << c.what;
    }

    // Nothing to ask about: no INF file, an INF without AddService, or a
    // service name too long for its buffer.
    machine.ImportRegistry(RegistryExport(installed, "dword:00000001", "dword:00040008"));
    CBaseComponent component;
    EXPECT_EQ(component.IsMarkedForRemoval(), 0);
    component.SetInstallType(u"missing.inf", InstallTypeLegacy);
    EXPECT_EQ(component.IsMarkedForRemoval(), 0);
    Write("driver.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n\r\n[Install]\r\nCopyFiles=Files\r\n");
    component.SetInstallType(u"driver.inf", InstallTypeLegacy);
    EXPECT_EQ(component.IsMarkedForRemoval(), 0);
    Write("driver.inf", Inf(std::string(300, 'S')));
    EXPECT_EQ(component.IsMarkedForRemoval(), 0);
    Write("driver.inf", Inf(installed));
    EXPECT_EQ(component.IsMarkedForRemoval(), 1);
}

TEST(ServiceTests, InstalledNeedsTheManagerAndTheKey) {
    const std::string stopped = ServiceName("S");
    const std::string running = ServiceName("R");
    const std::string keyOnly = ServiceName("K");
    TestMachine machine;
    ASSERT_TRUE(machine.AddService(stopped, false));
    bool canRun = machine.AddService(running, true);
    machine.ImportRegistry(RegistryHeader + ServiceKeys(stopped, "", "") + ServiceKeys(running, "", "") +
                           ServiceKeys(keyOnly, "", ""));
    auto u16 = [](const std::string& text) { return platform::utf8_to_utf16(text); };
    EXPECT_TRUE(IsServiceInstalled(u16(stopped)));
    EXPECT_FALSE(IsServiceRunning(u16(stopped)));
    EXPECT_FALSE(IsServiceInstalled(u16(keyOnly)));
    EXPECT_FALSE(IsServiceRunning(u16(keyOnly)));
    EXPECT_FALSE(IsServiceInstalled(u""));
    if (canRun) {  // a running service needs a real service program under Wine
        EXPECT_TRUE(IsServiceInstalled(u16(running)));
        EXPECT_TRUE(IsServiceRunning(u16(running)));
    }
}

TEST(Models, ComparedAfterTrailingWhitespaceWithoutCase) {
    struct Case {
        std::u16string platform;
        std::optional<std::u16string> system;
        bool equal;
    };
    const std::u16string longModel(10000, u'M');
    const Case cases[] = {
        {u"Velmar RS740", u"Velmar RS740", true},
        {u"velmar rs740 \t", u"VELMAR RS740\r\n", true},
        {u"Velmar RS740", u"Velmar RS760", false},
        {u" Velmar RS740", u"Velmar RS740", false},
        {u"", u" \n", true},
        {u"Velmar RS740", std::nullopt, false},
        {longModel, std::u16string(254, u'm'), true},  // both cut to the 254 units a buffer holds
        {longModel, std::u16string(253, u'm'), false},
    };
    for (const Case& c : cases) EXPECT_EQ(ModelsEqual(c.platform, c.system), c.equal) << utf8(c.platform.substr(0, 20));
}

std::string DependencyXml(const std::string& platforms) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<componentdependencies><dependent_hardware><platforms>" +
           platforms + "</platforms></dependent_hardware></componentdependencies>\n";
}

// Under Wine the model is always "Wine"; the simulated machine is given the
// same one, with the line end that DMI writes.
TEST_F(PackageTest, DependencyListAgainstTheSystemModel) {
    TestMachine machine;
    machine.SetModel("Wine\n");
    std::string hostile;
    for (int index = 0; index < 100000; ++index) hostile += "<platform model=\"Velmar\"/>";
    for (int index = 0; index < 10; ++index) hostile += "<platform model=\"" + std::string(10000, 'W') + "\"/>";
    std::string utf8Text = DependencyXml("<platform model=\"WINE\"/>").replace(30, 5, "UTF-16");
    std::string utf16 = "\xFF\xFE";
    for (char c : utf8Text) {
        utf16 += c;
        utf16 += '\0';
    }
    struct Case {
        const char* what;
        std::optional<std::string> file;
        std::int32_t passed;
    };
    const Case cases[] = {
        {"no dependency.xml", std::nullopt, 1},
        // Present but unreadable: it may name other models only.
        {"empty file", "", 0},
        {"not well-formed", "<componentdependencies><platforms>", 0},
        {"a directory", "/", 0},
        {"another model first, then the system's in another case",
         DependencyXml("<platform model=\"Velmar RS740\"/><platform model=\" x\"/><platform model=\"wine \t\"/>"), 1},
        {"no equal model", DependencyXml("<platform model=\"Velmar RS740\"/>"), 0},
        {"a platform without a model", DependencyXml("<platform/>"), 0},
        {"a platform without a model, then the system's", DependencyXml("<platform/><platform model=\"Wine\"/>"), 1},
        {"no platforms", DependencyXml(""), 0},
        {"no platforms element", "<componentdependencies><dependent_hardware/></componentdependencies>", 0},
        {"another root", "<dependencies/>", 0},
        {"hostile: many long models", DependencyXml(hostile), 0},
        {"UTF-16", utf16, 1},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(package_ / "dependency.xml");
        if (c.file == "/")
            std::filesystem::create_directory(package_ / "dependency.xml");
        else if (c.file)
            Write("dependency.xml", *c.file);
        CBaseComponent component;
        char16_t message[64];
        std::fill(std::begin(message), std::end(message), u'#');
        message[63] = u'\0';
        EXPECT_EQ(component.CheckDependencyList(message, 64, u"de"), c.passed) << c.what;
        if (c.passed == 0)
            EXPECT_EQ(utf8(message), "System model not supported.") << c.what;
        else
            EXPECT_EQ(message[0], u'#') << c.what;
    }
}

// Without a readable model no platform matches (Linux: a machine without a
// DMI product name); a package without a list still passes.
TEST_F(PackageTest, DependencyListWithoutASystemModel) {
    TestMachine machine;
    if (!machine.SetModel(std::nullopt)) GTEST_SKIP() << "the model cannot be taken away from this machine";
    CBaseComponent component;
    EXPECT_EQ(component.CheckDependencyList(nullptr, 0, u"en"), 1);
    Write("dependency.xml", DependencyXml("<platform model=\"\"/><platform model=\"Wine\"/>"));
    char16_t message[8] = {};
    EXPECT_EQ(component.CheckDependencyList(message, 8, u"en"), 0);
    EXPECT_EQ(utf8(message), "System ");
}

// The whole sequence with the base checks on a machine the test sets up: a
// package for a device that is not there, installed and not, and a
// dependency list for another model.
TEST_F(PackageTest, InstallStateOfTheBaseComponent) {
    TestMachine machine;
    machine.SetModel("Wine");
    Write("yk.xml",
          "<ykz_package><version value=\"4.0.550\"/><prerequisites><required_diskspace size_kb=\"0\"/>"
          "<supported_devices><supported_devices_and><supported_device type=\"pci\">"
          "<supported_device_data name=\"ven\">FFFE</supported_device_data>"
          "<supported_device_data name=\"dev\">0001</supported_device_data>"
          "</supported_device></supported_devices_and></supported_devices></prerequisites></ykz_package>");
    CBaseComponent component;
    component.AdoptLog(log_.get());
    ASSERT_EQ(component.ReadPackageDefinition(u"yk.xml"), 0);
    InstallState record;
    ASSERT_EQ(component.GetInstallState(record, u"fr"), 1);
    EXPECT_EQ(record.status, InstallStatusNotApplicable);
    EXPECT_EQ(record.message[0], u'\0');

    Write("Kelvor.exe", "program");
    component.SetVersionFile(u"Kelvor.exe");
    ASSERT_EQ(component.GetInstallState(record, u"fr"), 1);
    EXPECT_EQ(record.status, InstallStatusInstalledNoHardware);

    Write("dependency.xml", DependencyXml("<platform model=\"Velmar RS740\"/>"));
    ASSERT_EQ(component.GetInstallState(record, u"fr"), 1);
    EXPECT_EQ(record.status, InstallStatusNotApplicable);
    EXPECT_EQ(utf8(record.message), "System model not supported.");
    EXPECT_NE(PlainLog().find("    - Is necessary disk space available... Yes\r\n"
                              "    - Is hardware present... No\r\n"
                              "    - Is component already installed... Yes\r\n"),
              std::string::npos);
}

}  // namespace
