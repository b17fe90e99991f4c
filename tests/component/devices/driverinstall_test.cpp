// The demo driver package installed end to end by a framework component
// that keeps the base Install, as the host drives a component: start-up in
// the package directory, then Install with a message buffer and a
// language. The files must land where the INF file sends them; the
// registry entries and the service are read back through the platform's
// registry and service readers.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tamsel_framework/basecomp.h"
#include "tamsel_framework/messages.h"
#include "tamsel_devices/devicelist.h"
#include "tamsel_devices/inf.h"
#include "tamsel_devices/pnpdriver.h"
#include "driverfixture.h"
#include "platform/fileops.h"
#include "platform/files.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/unicode.h"

namespace fs = std::filesystem;
using platform::RegistryRoot;
using testsupport::readFile;
using testsupport::readText;
using testsupport::writeFile;

namespace {

// A component of the family that installs a driver package with the
// framework's own Install.
class FrameworkComponent : public CBaseComponent {};

struct InstallOutcome {
    std::int32_t result = -1;
    std::string message;
    std::string plainLog;
    std::string verboseLog;
};

const char kInstallXml[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ykz_install>\n  <inf_information>\n"
    "    <inf_file filename=\"kxdemo.inf\" type=\"%TYPE%\"%SECTION% service_name=\"kxdemo\"/>\n"
    "  </inf_information>\n%SHELL%</ykz_install>\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::optional<std::uint32_t> Dword(std::u16string_view key, std::u16string_view name) {
    platform::RegistryKey opened;
    std::uint32_t number = 0;
    if (opened.open(RegistryRoot::local_machine, key) != platform::RegistryStatus::ok ||
        opened.read_dword(name, number) != platform::RegistryStatus::ok)
        return std::nullopt;
    return number;
}

std::optional<std::string> Text(std::u16string_view key, std::u16string_view name) {
    platform::RegistryKey opened;
    std::u16string text;
    if (opened.open(RegistryRoot::local_machine, key) != platform::RegistryStatus::ok ||
        opened.read_string(name, text) != platform::RegistryStatus::ok)
        return std::nullopt;
    return platform::utf16_to_utf8(text);
}

std::string EscapeXml(const std::string& text) {
    std::string escaped;
    for (char c : text) escaped += c == '&' ? std::string("&amp;") : c == '<' ? std::string("&lt;") : std::string(1, c);
    return escaped;
}

fs::path NativePath(std::u16string_view windowsPath) {
    return platform::native_path(platform::utf16_to_utf8(windowsPath));
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class DriverPackage : public DriverMachineTest {
protected:
    fs::path Package() const { return Dir() / "package"; }

    // The demo package staged into a fresh package directory, with an
    // install.xml of the given type and section.
    //
    // The root device that a legacy or virtual installation registers is
    // created on the simulated machine. Wine's setup interface cannot list a
    // class's drivers (SPDIT_CLASSDRIVER), so there the device is
    // registered beforehand, and the installation leaves it as it is.
    void Stage(const std::string& type, const std::string& section, const std::string& shell = "") {
        if (!platform::simulated_machine_directory())
            for (const char16_t* device : {u"LEGACY_KXDEMO", u"kxdemo"})
                platform::registry_create_key(
                    RegistryRoot::local_machine,
                    std::u16string(u"SYSTEM\\CurrentControlSet\\Enum\\Root\\") + device + u"\\0000");
        fs::path demo = testsupport::binaryDirectory().parent_path() / "driver-package";
        ASSERT_TRUE(fs::exists(demo / "kxdemo.inf")) << demo;
        fs::create_directories(Package());
        for (const char* name : {"kxdemo.inf", "kxdemo.sys", "kxdemo.dll", "kxdemo.ini", "kxdemo.cat", "ykkxdemo.xml"})
            fs::copy_file(demo / name, Package() / name, fs::copy_options::overwrite_existing);
        std::string xml = Replace(kInstallXml, "%TYPE%", type);
        xml = Replace(xml, "%SECTION%", section.empty() ? "" : " section=\"" + section + "\"");
        writeFile(Package() / "install.xml", Replace(xml, "%SHELL%", shell));
    }

    // Start-up and Install in the package directory, as the host runs them.
    InstallOutcome Install(const char16_t* language = u"en") {
        InstallOutcome outcome;
        fs::path previous = fs::current_path();
        fs::current_path(Package());
        {
            FrameworkComponent component;
            component.Log()->SetVerbose(1);
            component.Init(HostOptions{});
            char16_t message[InstallState::MessageUnits] = {};
            outcome.result = component.Install(1, nullptr, message, InstallState::MessageUnits, language);
            outcome.message = platform::utf16_to_utf8(message);
            std::u16string verbose =
                std::u16string(component.Log()->GetVerboseLogDirectory()) + component.Log()->GetVerboseLogName();
            component.Log()->Close();
            outcome.verboseLog = readText(platform::native_path(platform::utf16_to_utf8(verbose)));
        }
        fs::current_path(previous);
        outcome.plainLog = readText(Drive() / "ykzsetup.log");
        if (outcome.plainLog.empty()) outcome.plainLog = readText(Drive() / "ykzsystem" / "log" / "ykzsetup.log");
        return outcome;
    }

    void TearDown() override {
        // The service goes again the way it came, through the setup
        // interface.
        CInf inf((Package() / "kxdemo.inf").u16string().c_str(), 0);
        if (inf.IsOpen() != 0) inf.InstallServices(u"KxDemo.Uninstall");
        for (const char16_t* device : {u"LEGACY_KXDEMO", u"KXDEMO"})
            platform::registry_delete_key(RegistryRoot::local_machine,
                                          std::u16string(u"SYSTEM\\CurrentControlSet\\Enum\\Root\\") + device);
        fs::remove_all(platform::native_path(platform::utf16_to_utf8(CWin2000PnPDriver::DriverStoreDirectory().str())));
        DriverMachineTest::TearDown();
    }
};

TEST_F(DriverPackage, LegacyInstallThenAFileInUseWaitsForRestart) {
    Stage("LEGACY", "KxDemo");
    InstallOutcome first = Install();
    ASSERT_EQ(first.result, 1) << first.message << first.verboseLog;
    EXPECT_EQ(first.message, "");

    fs::path product = ProgramFiles() / "Tarn" / "KX Demo";
    EXPECT_EQ(readFile(Drivers() / "kxdemo.sys"), readFile(Package() / "kxdemo.sys"));
    EXPECT_EQ(readFile(SystemRoot() / "system32" / "kxdemo.dll"), readFile(Package() / "kxdemo.dll"));
    // Copied as the defaults, the old settings deleted, renamed into place.
    EXPECT_EQ(readFile(product / "kxdemo.ini"), readFile(Package() / "kxdemo.ini"));
    EXPECT_FALSE(fs::exists(product / "kxdefaults.ini"));

    EXPECT_EQ(Text(u"Software\\Tarn\\KX Demo", u"ProductName"), "Tarn KX-Series demo driver package");
    EXPECT_EQ(Dword(u"Software\\Tarn\\KX Demo", u"Revision"), 7u);
    const std::u16string service = u"SYSTEM\\CurrentControlSet\\Services\\kxdemo";
    EXPECT_EQ(Dword(service, u"Type"), 1u);
    EXPECT_EQ(Dword(service, u"Start"), 3u);
    EXPECT_TRUE(EndsWith(Text(service, u"ImagePath").value_or(""), "kxdemo.sys"));
    EXPECT_EQ(Dword(service + u"\\Parameters", u"TraceLevel"), 3u);
    EXPECT_EQ(Dword(service + u"\\Device0", u"BusType"), 5u);
    EXPECT_EQ(Text(service + u"\\Device0", u"Description"), "Tarn KX-Series demo driver package");
    EXPECT_EQ(platform::service_state(u"kxdemo"), platform::ServiceState::stopped);
    EXPECT_TRUE(platform::registry_key_exists(RegistryRoot::local_machine,
                                              u"SYSTEM\\CurrentControlSet\\Enum\\Root\\LEGACY_KXDEMO\\0000"));

    EXPECT_NE(first.plainLog.find("Initiating installation... \n"), std::string::npos) << first.plainLog;
    // The line end after the announcement goes to the plain log only.
    EXPECT_NE(first.verboseLog.find("Initiating installation... Type=LEGACY\n"), std::string::npos);

    // Again, with the driver running: it is replaced at the next restart.
    writeFile(Package() / "kxdemo.sys", "KXDEMO driver image 2.1.0.8\n");
    platform::FileInUse running;
    ASSERT_TRUE(running.hold((Drivers() / "kxdemo.sys").u16string()));
    InstallOutcome second = Install();
    running.release();
    EXPECT_EQ(second.result, 2) << second.message;
    EXPECT_EQ(readFile(Drivers() / "kxdemo.sys"), "KXDEMO driver image 2.1.0.7\n");
    std::vector<std::u16string> pending = PendingOperations();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(readFile(NativePath(pending[0].substr(4))), "KXDEMO driver image 2.1.0.8\n");
    EXPECT_TRUE(EndsWith(platform::utf16_to_utf8(pending[1]), "kxdemo.sys"));
    EXPECT_NE(second.verboseLog.find("**WARNING** - Files in use will be replaced at the next restart"),
              std::string::npos);
}

TEST_F(DriverPackage, VirtualInstallOfEverySection) {
    Stage("VIRTUAL", "");
    InstallOutcome outcome = Install();
    ASSERT_EQ(outcome.result, 1) << outcome.message << outcome.verboseLog;
    EXPECT_NE(outcome.verboseLog.find("Type=LEGACY\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(Drivers() / "kxdemo.sys"));
    EXPECT_EQ(Dword(u"SYSTEM\\CurrentControlSet\\Services\\kxdemo\\Device0", u"BusType"), 5u);
    EXPECT_TRUE(platform::registry_key_exists(RegistryRoot::local_machine,
                                              u"SYSTEM\\CurrentControlSet\\Enum\\Root\\KXDEMO\\0000"));
    if (platform::simulated_machine_directory()) {
        EXPECT_EQ(Text(u"SYSTEM\\CurrentControlSet\\Enum\\Root\\KXDEMO\\0000", u"Class"), "System");
    }
}

TEST_F(DriverPackage, BadInstallerDescriptionsFailWithTheirMessage) {
    struct Case {
        const char* type;
        const char* section;
        std::string shell;
        const char16_t* language;
        int row;
        const char* logLine;
    };
    const Case cases[] = {
        {"FLOPPY", "", "", u"ja", CodeMessageUnknownInfType,
         "**ERROR** - Unknown INF file type -- installation will not continue.\n"},
        {"LEGACY", "NoSuchSection", "", u"en", CodeMessageInstallError, "Installation from kxdemo.inf failed"},
        {"LEGACY", "KxDemo",
         "  <ShellExecute>\n    <ShellExecute_Info file=\"missing-readme.txt\" DefaultDir=\".\"/>\n"
         "  </ShellExecute>\n",
         u"de", CodeMessageShellExecuteError, "Executing ShellExecute command... Failed!\n"},
    };
    for (const Case& test : cases) {
        Stage(test.type, test.section, test.shell);
        InstallOutcome outcome = Install(test.language);
        EXPECT_EQ(outcome.result, 0) << test.type;
        EXPECT_EQ(outcome.message, platform::utf16_to_utf8(SelectFallbackMessage(test.row, test.language)));
        EXPECT_NE(outcome.verboseLog.find(test.logLine), std::string::npos) << outcome.verboseLog;
    }
}

TEST_F(DriverPackage, PnpWithoutPresentDevices) {
    Stage("PNP", "");
    InstallOutcome outcome = Install(u"ja");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.message, platform::utf16_to_utf8(SelectFallbackMessage(CodeMessageNoDevicesFound, u"ja")));
    EXPECT_NE(outcome.plainLog.find("No devices were found to install.\n"), std::string::npos) << outcome.plainLog;
    EXPECT_FALSE(fs::exists(platform::native_path(
        platform::utf16_to_utf8(CWin2000PnPDriver::DriverStoreDirectory().str()) + "\\kxdemo.inf")));
}

// The supported devices that are present get the driver from the store.
// Linux presents the simulated machine's PCI adapter; under Wine the first
// device Wine presents is added to the package as a Plug and Play id.
TEST_F(DriverPackage, PnpUpdatesThePresentDevices) {
    fs::path adapter = Dir() / "machine" / "pci" / "0000-05-00.0";
    fs::create_directories(adapter);
    for (const auto& [file, value] : {std::pair<const char*, const char*>{"vendor", "0x1e5a"},
                                      {"device", "0x0a10"},
                                      {"subsystem_vendor", "0x1f3c"},
                                      {"subsystem_device", "0x2210"},
                                      {"revision", "0x01"},
                                      {"class", "0x020000"}})
        writeFile(adapter / file, std::string(value) + "\n");
    CPresentHardwareIds present;
    present.BuildPresentHardwareIds();
    if (present.PresentHardwareIds().empty()) GTEST_SKIP() << "no device present";
    std::string id = present.PresentHardwareIds().front().ToUtf8();

    Stage("PNP", "");
    std::string definition = readFile(Package() / "ykkxdemo.xml");
    definition = Replace(definition, "    </supported_devices>",
                         "      <supported_devices_and>\n        <supported_device type=\"pnp\">\n"
                         "          <supported_device_data name=\"id\">" +
                             EscapeXml(id) +
                             "</supported_device_data>\n        </supported_device>\n"
                             "      </supported_devices_and>\n    </supported_devices>");
    writeFile(Package() / "ykkxdemo.xml", definition);
    // The driver files are found through the INF file in the plug-in's own
    // directory, which for this program is the bin directory.
    fs::path ownInf = testsupport::binaryDirectory() / "kxdemo.inf";
    fs::copy_file(Package() / "kxdemo.inf", ownInf, fs::copy_options::overwrite_existing);
    InstallOutcome outcome = Install();
    fs::remove(ownInf);

    ASSERT_EQ(outcome.result, 1) << outcome.message << outcome.verboseLog;
    std::string store = platform::utf16_to_utf8(CWin2000PnPDriver::DriverStoreDirectory().str());
    for (const char* file : {"kxdemo.inf", "kxdemo.cat", "kxdemo.sys", "kxdemo.dll", "kxdemo.ini"})
        EXPECT_EQ(readFile(platform::native_path(store + "\\" + file)), readFile(Package() / file)) << file;
    if (platform::simulated_machine_directory()) {
        std::u16string device = u"SYSTEM\\CurrentControlSet\\Enum\\" + platform::utf8_to_utf16(id);
        EXPECT_EQ(Text(device, u"InfPath"), store + "\\kxdemo.inf");
    }
}

}  // namespace
