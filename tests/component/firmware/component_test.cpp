// The firmware component: the branch its host's command line selects, the
// utility's command line, the exit code turned into a result and a message,
// and its answers to the install-state questions.
#include "tamsel_framework/installstate.h"
#include "tamsel_framework/messages.h"
#include "firmware_fixture.h"
#include "platform/machine.h"

namespace {

namespace fs = std::filesystem;
using firmwaretest::PackageTest;
using firmwaretest::Utf8;

std::string Message(std::uint32_t id) {
    char16_t buffer[MessageBufferUnits] = {};
    LoadMessage(id, buffer, MessageBufferUnits);
    return Utf8(buffer);
}

using FirmwareComponent = PackageTest;

struct InstallCase {
    std::u16string line;
    std::int32_t unattended;
    std::uint32_t exitCode;
    std::string writes;  // the report file the utility writes; empty: none
    std::int32_t result;
    std::uint32_t message;
    std::string call;  // the utility's arguments; empty when it must not run
};

TEST_F(FirmwareComponent, InstallBranchesCommandsAndResults) {
    InstallDriverService();
    const std::u16string name259(259, u'n');
    const std::u16string name260(260, u'n');
    // In order: a row that finds report.xml written by an earlier row and
    // not by its own run sees a stale report.
    const InstallCase cases[] = {
        {u"Zorvane.exe", 1, 1, "", InstallRebootRequired, MessageInstallDone, "[/s]"},
        {u"Zorvane.exe /G", 1, 2, "", InstallRebootRequired, MessageInstallDone, "[/s] [/f]"},
        {u"Zorvane.exe /e", 0, 3, "", InstallAllUpToDate, MessageAllUpToDate, "[/f]"},
        {u"Zorvane.exe", 1, 4, "", InstallFailed, MessageInstallFailed, "[/s]"},
        {u"Zorvane.exe", 1, 0, "", InstallFailed, MessageInstallFailed, "[/s]"},
        {u"Zorvane.exe", 1, 7, "", InstallFailed, MessageInstallFailed, "[/s]"},
        {u"Zorvane.exe", 1, 255, "", InstallFailed, MessageInstallFailed, "[/s]"},
        {u"Zorvane.exe my-disk /verbose_log", 1, 1, "", InstallRebootRequired, MessageInstallDone, "[/s]"},
        // Discovery: done only with a report this run wrote.
        {u"Zorvane.exe /d report.xml /f", 1, 1, "report.xml", InstallRunDone, MessageDiscoveryDone,
         "[/d] [report.xml] [/f]"},
        {u"Zorvane.exe /d report.xml", 1, 1, "", InstallFailed, MessageDiscoveryFailed, "[/d] [report.xml]"},
        {u"Zorvane.exe /d report.xml", 1, 7, "report.xml", InstallFailed, MessageDiscoveryFailed, "[/d] [report.xml]"},
        {u"Zorvane.exe /d \"my report.xml\" /g", 1, 1, "my report.xml", InstallRunDone, MessageDiscoveryDone,
         "[/d] [my report.xml] [/g]"},
        {u"Zorvane.exe /drep.xml", 1, 1, "rep.xml", InstallRunDone, MessageDiscoveryDone, "[/d] [rep.xml]"},
        {u"Zorvane.exe /u r.xml /d d.xml", 1, 3, "", InstallRunDone, MessageNoSupportedAdapter, "[/d] [d.xml]"},
        {u"Zorvane.exe /d " + name259, 1, 0, "", InstallFailed, MessageDiscoveryFailed, "[/d] [" + Utf8(name259) + "]"},
        {u"Zorvane.exe /d " + name260, 1, 1, "", InstallFailed, MessageReportNameTooLong, ""},
        {u"Zorvane.exe /d   ", 1, 1, "", InstallFailed, MessageNoDiscoveryFile, ""},
        // An option text inside a path is part of the path.
        {u"Zorvane.exe C:/dir/report.xml", 1, 0, "", InstallFailed, MessageInstallFailed, "[/s]"},
        // Update from a report: the utility's word alone.
        {u"Zorvane.exe /u r.xml", 1, 1, "", InstallRunDone, MessageReportUpdateDone, "[/u] [r.xml]"},
        {u"Zorvane.exe /u r.xml", 1, 3, "", InstallRunDone, MessageNoSupportedAdapter, "[/u] [r.xml]"},
        {u"Zorvane.exe /u r.xml", 1, 7, "", InstallFailed, MessageReportReadFailed, "[/u] [r.xml]"},
        {u"Zorvane.exe /u r.xml", 1, 15, "", InstallFailed, MessageReportReadFailed, "[/u] [r.xml]"},
        {u"Zorvane.exe /u " + name260, 1, 1, "", InstallFailed, MessageReportNameTooLong, ""},
        {u"Zorvane.exe /u", 1, 1, "", InstallFailed, MessageNoUpdateFile, ""},
        // The version report: done only with a report this run wrote.
        {u"Zorvane.exe /verbose_log /V", 1, 1, "version_report.xml", InstallRunDone, MessageVersionReportDone,
         "[/v] [version_report.xml]"},
        {u"Zorvane.exe /v", 1, 1, "", InstallFailed, MessageDiscoveryFailed, "[/v] [version_report.xml]"},
        {u"Zorvane.exe /v", 1, 3, "", InstallRunDone, MessageNoSupportedAdapter, "[/v] [version_report.xml]"},
        {u"Zorvane.exe /v", 1, 0, "", InstallFailed, MessageDiscoveryFailed, "[/v] [version_report.xml]"},
    };
    CComponent component;
    ReadPackage(component);
    for (const InstallCase& c : cases) {
        SCOPED_TRACE(Utf8(c.line).substr(0, 60) + " exit " + std::to_string(c.exitCode));
        component.SetOptions(ReadHostOptions(c.line));
        SetExitCode(c.exitCode);
        platform::set_environment_variable("FAKE_UTILITY_WRITES", c.writes);
        char16_t message[MessageBufferUnits] = {};
        EXPECT_EQ(component.Install(c.unattended, nullptr, message, MessageBufferUnits, u"en"), c.result);
        EXPECT_EQ(Utf8(message), Message(c.message));
        std::vector<std::string> calls = TakeCalls();
        EXPECT_EQ(calls, c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call});
    }
}

TEST_F(FirmwareComponent, InstallNeverWritesBeyondTheStatedCapacity) {
    SetExitCode(1);
    CComponent component;
    ReadPackage(component);
    const std::string done = Message(MessageInstallDone);
    for (std::uint32_t capacity : {0u, 1u, 10u, 1024u}) {
        std::u16string buffer(1100, u'#');
        EXPECT_EQ(component.Install(1, nullptr, buffer.data(), capacity, u"en"), InstallRebootRequired);
        std::size_t written = capacity == 0 ? 0 : std::min<std::size_t>(capacity - 1, done.size());
        EXPECT_EQ(Utf8(buffer.substr(0, written)), done.substr(0, written)) << capacity;
        if (capacity != 0) {
            EXPECT_EQ(buffer[written], u'\0') << capacity;
        }
        EXPECT_EQ(buffer.find_first_not_of(u'#', capacity), std::u16string::npos) << capacity;
    }
    EXPECT_EQ(component.Install(1, nullptr, nullptr, 1024, nullptr), InstallRebootRequired);
}

TEST_F(FirmwareComponent, DriverDependency) {
    InstallDriverService();
    CComponent component;
    ReadPackage(component);
    char16_t message[MessageBufferUnits] = {};
    EXPECT_EQ(component.AreDependenciesMet(message, MessageBufferUnits, u"en"), 1);
    EXPECT_EQ(message[0], u'\0');
    ASSERT_TRUE(service_->Stop());
    EXPECT_EQ(component.AreDependenciesMet(message, MessageBufferUnits, u"en"), 0);
    EXPECT_EQ(Utf8(message), Message(MessageDriverX64Required));
    // Discovery and the version report need the driver; the installation
    // does not ask.
    for (const char16_t* line : {u"Zorvane.exe /d report.xml", u"Zorvane.exe /v"}) {
        component.SetOptions(ReadHostOptions(line));
        EXPECT_EQ(component.Install(1, nullptr, message, MessageBufferUnits, u"en"), InstallFailed);
        EXPECT_EQ(Utf8(message), Message(MessageDriverX64Required));
    }
    EXPECT_TRUE(TakeCalls().empty());
    ASSERT_TRUE(service_->Start());
    if (platform::simulated_machine_directory()) {
        // Version 5.2 lacks the driver's support whatever the service does.
        std::string ini = testsupport::readFile(dir_ / "machine" / "windows.ini");
        ini.replace(ini.find("major = 6\nminor = 1"), 19, "major = 5\nminor = 2");
        testsupport::writeFile(dir_ / "machine" / "windows.ini", ini);
        EXPECT_EQ(component.AreDependenciesMet(message, MessageBufferUnits, u"en"), 0);
    }
}

TEST_F(FirmwareComponent, VersionStatusFromTheUtility) {
    InstallDriverService();
    CComponent component;
    ReadPackage(component);
    // Only the utility's answers to "/N" tell a version; a failed discovery
    // (7) or any other end tells nothing.
    const std::pair<std::uint32_t, std::int32_t> cases[] = {
        {4, VersionOlder},   {5, VersionSame},    {6, VersionNewer},   {3, VersionSame},
        {7, VersionUnknown}, {0, VersionUnknown}, {1, VersionUnknown}, {255, VersionUnknown}};
    for (auto [exitCode, status] : cases) {
        SetExitCode(exitCode);
        EXPECT_EQ(component.GetVersionStatus(), status) << exitCode;
    }
    EXPECT_EQ(TakeCalls(), std::vector<std::string>(std::size(cases), "[/N]"));
    // An abort is a signal on Linux; the Windows runtime ends it with 3,
    // which a crash shares with the utility's "no supported adapter".
    if (platform::native_path("C:\\x") != "C:\\x") {
        SetExitCode(5);
        platform::set_environment_variable("FAKE_UTILITY_CRASH", "yes");
        EXPECT_EQ(component.GetVersionStatus(), VersionUnknown) << "a crash after the call";
        platform::set_environment_variable("FAKE_UTILITY_CRASH", "");
        TakeCalls();
    }
    component.SetOptions(ReadHostOptions(u"Zorvane.exe -u r.xml"));
    EXPECT_EQ(component.GetVersionStatus(), VersionOlder);
    TakeCalls();
    component.SetOptions(ReadHostOptions(u"Zorvane.exe"));
    fs::remove(dir_ / "FakeKelvor.exe");
    EXPECT_EQ(component.GetVersionStatus(), VersionUnknown);
    // Without the utility every branch fails with its failure message.
    const std::pair<const char16_t*, std::uint32_t> missing[] = {{u"Zorvane.exe", MessageInstallFailed},
                                                                 {u"Zorvane.exe /d r.xml", MessageDiscoveryFailed},
                                                                 {u"Zorvane.exe /u r.xml", MessageReportReadFailed},
                                                                 {u"Zorvane.exe /v", MessageDiscoveryFailed}};
    for (auto [line, message] : missing) {
        component.SetOptions(ReadHostOptions(line));
        char16_t text[MessageBufferUnits] = {};
        EXPECT_EQ(component.Install(1, nullptr, text, MessageBufferUnits, u"en"), InstallFailed);
        EXPECT_EQ(Utf8(text), Message(message));
    }
}

TEST_F(FirmwareComponent, CurrentVersionAndInstalled) {
    CComponent component;
    char16_t text[64] = {};
    EXPECT_EQ(component.GetCurrentVersion(text, 24), 0);
    EXPECT_EQ(text[0], u'\0');
    EXPECT_EQ(component.GetCurrentVersion(text, 25), 1);
    EXPECT_EQ(Utf8(text), "See Information below.\r\n");
    EXPECT_EQ(component.GetCurrentVersion(nullptr, 64), 0);
    EXPECT_EQ(component.IsInstalled(), component.IsHardwarePresent());
}

// Every check of the base answers "fine", so only the utility's version
// status and the host's options decide; a failing dependency can carry any
// message.
class ControlledComponent : public CComponent {
public:
    std::int32_t IsOsSupported() override { return 1; }
    std::int32_t IsDiskSpaceAvailable(const char16_t*) override { return 1; }
    std::int32_t IsHardwarePresent() override { return 1; }
    std::int32_t IsMarkedForRemoval() override { return 0; }
    std::int32_t CheckDependencyList(char16_t*, std::uint32_t, const char16_t*) override { return 1; }
    std::int32_t AreDependenciesMet(char16_t* message, std::uint32_t capacity, const char16_t*) override {
        if (dependencyFailure.empty()) return 1;
        CopyToBuffer(message, capacity, dependencyFailure);
        return 0;
    }
    std::u16string dependencyFailure;
};

TEST_F(FirmwareComponent, InstallStateAddsItsMessage) {
    struct Case {
        std::u16string line;
        std::uint32_t exitCode;
        std::int32_t status;
        std::uint32_t message;
    };
    const Case cases[] = {
        {u"Zorvane.exe", 4, InstallStatusOlder, MessageUpdateRecommended},
        {u"Zorvane.exe", 5, InstallStatusSame, MessageAllSame},
        {u"Zorvane.exe", 3, InstallStatusSame, MessageAllSame},
        {u"Zorvane.exe", 7, InstallStatusUnknownVersion, MessageVersionUnknown},
        {u"Zorvane.exe", 15, InstallStatusUnknownVersion, MessageVersionUnknown},
        {u"Zorvane.exe", 6, InstallStatusNewer, MessageNewerInstalled},
        {u"Zorvane.exe /d x.xml", 5, InstallStatusOlder, MessageDiscovering},
        {u"Zorvane.exe /d x.xml /u y.xml", 5, InstallStatusOlder, MessageUpdatingFromReport},
    };
    ControlledComponent component;
    ReadPackage(component);
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.line) + " exit " + std::to_string(c.exitCode));
        component.SetOptions(ReadHostOptions(c.line));
        SetExitCode(c.exitCode);
        InstallState record;
        EXPECT_EQ(component.GetInstallState(record, u"en"), 1);
        EXPECT_EQ(record.status, c.status);
        EXPECT_EQ(Utf8(record.message), Message(c.message));
    }

    // The base's message comes first; what does not fit is cut.
    component.dependencyFailure = std::u16string(1000, u'd');
    component.SetOptions(ReadHostOptions(u"Zorvane.exe /u y.xml"));
    InstallState record;
    EXPECT_EQ(component.GetInstallState(record, u"en"), 1);
    EXPECT_EQ(record.status, InstallStatusOlder);
    std::u16string text(record.message);
    EXPECT_EQ(text.size(), InstallState::MessageUnits - 1);
    EXPECT_EQ(Utf8(text.substr(1000)), Message(MessageUpdatingFromReport).substr(0, 23));
}

// Without a package definition nothing is judged and nothing is run, for
// the install state as for every branch of Install.
TEST_F(FirmwareComponent, NothingWithoutAPackageDefinition) {
    SetExitCode(1);
    platform::set_environment_variable("FAKE_UTILITY_WRITES", "report.xml");
    ControlledComponent component;
    for (const char16_t* line :
         {u"Zorvane.exe", u"Zorvane.exe /d report.xml", u"Zorvane.exe /u report.xml", u"Zorvane.exe /v"}) {
        SCOPED_TRACE(Utf8(line));
        component.SetOptions(ReadHostOptions(line));
        InstallState record;
        EXPECT_EQ(component.GetInstallState(record, u"en"), 1);
        EXPECT_EQ(record.status, InstallStatusNotApplicable);
        EXPECT_EQ(Utf8(record.message), Message(MessagePackageDefinitionBroken));
        char16_t message[MessageBufferUnits] = {};
        EXPECT_EQ(component.Install(1, nullptr, message, MessageBufferUnits, u"en"), InstallFailed);
        EXPECT_EQ(Utf8(message), Message(MessagePackageDefinitionBroken));
    }
    EXPECT_TRUE(TakeCalls().empty());
}

}  // namespace
