// The base component's readers of the package files: finding the package
// definition, reading it and install.xml into the component's state, and
// the package texts read back from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tamsel_framework/basecomp.h"
#include "platform/files.h"
#include "platform/osversion.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

namespace {

namespace fs = std::filesystem;

std::string utf8(const CStr& text) {
    return text.ToUtf8();
}
std::string utf8(const char16_t* text) {
    return CStr(text).ToUtf8();
}

std::string packageXml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<ykz_package>\n" + body + "\n</ykz_package>\n";
}

// A package directory that is the current directory for the test's life.
class PackageDirectory {
public:
    PackageDirectory() : previous_(fs::current_path()) { fs::current_path(dir_.path()); }
    ~PackageDirectory() { fs::current_path(previous_); }
    void write(const std::string& name, const std::string& content) const {
        testsupport::writeFile(dir_ / name, content);
    }
    std::u16string path(const std::string& name) const { return (dir_ / name).u16string(); }
    // Writes yk.xml, a package definition of `body`, and has the component
    // read it: ReadPackageDefinition's result.
    std::int32_t read(CBaseComponent& component, const std::string& body) const {
        write("yk.xml", packageXml(body));
        return component.ReadPackageDefinition(path("yk.xml").c_str());
    }
    const fs::path& dir() const { return dir_.path(); }

private:
    testsupport::TempDir dir_{"nicfw-component"};
    fs::path previous_;
};

std::string pciDevice(const std::string& data) {
    return "<supported_devices_and><supported_device type=\"pci\">" + data +
           "</supported_device></supported_devices_and>";
}

std::string deviceData(const std::string& name, const std::string& text) {
    return "<supported_device_data name=\"" + name + "\">" + text + "</supported_device_data>";
}

TEST(FindPackageDefinition, TakesTheFileWhoseTopElementIsThePackage) {
    PackageDirectory package;
    package.write("yka.xml", "<?xml version=\"1.0\"?><other/>");
    package.write("ykb.xml", packageXml("<version value=\"1\"/>"));
    package.write("ykc.xml", "not xml at all");
    package.write("package.xml", packageXml(""));
    CBaseComponent component;
    char16_t name[PackageFileNameUnits] = {};
    ASSERT_EQ(component.FindPackageDefinition(name, PackageFileNameUnits), 1);
    EXPECT_EQ(utf8(name), "ykb.xml");

    fs::remove(package.dir() / "ykb.xml");
    EXPECT_EQ(component.FindPackageDefinition(name, PackageFileNameUnits), 0);
}

// ykzsetup.log, which the plug-in keeps on the system drive.
fs::path PlainLogFile() {
    std::string windows = platform::windows_directory();
    return fs::path(platform::native_path(std::string(1, windows[0]) + ":\\ykzsystem\\log\\ykzsetup.log"));
}

// The first usable file by name, letter case ignored as Windows' ordinal
// comparison ignores it (in capitals: "_" after "Z"), whatever order the
// files were made in and the directory lists them in. Start-up logs the
// choice when there was one.
TEST(FindPackageDefinition, FirstUsableByNameWhateverTheDirectoryOrder) {
    struct Case {
        std::vector<std::pair<std::string, bool>> files;  // name, usable
        std::string taken;                                // empty: none
    };
    const Case cases[] = {
        {{{"ykb.xml", true}, {"yka.xml", true}}, "yka.xml"},
        {{{"YKC.xml", true}, {"ykb.xml", true}, {"yka.xml", false}}, "ykb.xml"},
        {{{"yk_z.xml", true}, {"ykZ.xml", true}}, "ykZ.xml"},
        {{{"yka.xml", false}, {"ykb.xml", false}, {"ykc.xml", false}}, ""},
    };
    for (const Case& c : cases) {
        for (bool reversed : {false, true}) {
            PackageDirectory package;
            if (platform::native_path("C:\\") != "C:\\")
                platform::set_environment_variable("SystemDrive", package.dir().string());
            std::vector<std::pair<std::string, bool>> files = c.files;
            if (reversed) std::reverse(files.begin(), files.end());
            for (const auto& [name, usable] : files)
                package.write(name, usable ? packageXml("<version value=\"" + name + "\"/>") : "<ykz_install/>");
            fs::path setupLog = PlainLogFile();
            std::uintmax_t before = testsupport::fileSize(setupLog);
            CBaseComponent component;
            component.Init(HostOptions{});
            SCOPED_TRACE(files.front().first + (reversed ? " reversed" : ""));
            EXPECT_EQ(component.HasPackageDefinition(), !c.taken.empty());
            char16_t version[64] = {};
            component.GetVersion(version, 64);
            EXPECT_EQ(utf8(version), c.taken);

            std::string setup = testsupport::readFile(setupLog).substr(before);
            if (!c.taken.empty()) {
                EXPECT_NE(setup.find("**WARNING** - Several package definition files; taken: " + c.taken),
                          std::string::npos)
                    << setup;
            }
            for (const auto& [name, usable] : c.files) {
                bool passedOver = name != c.taken;
                EXPECT_EQ(setup.find("passed over: " + name) != std::string::npos, passedOver) << name << "\n" << setup;
            }
        }
    }
}

TEST(ReadPackageDefinition, ResultCodes) {
    PackageDirectory package;
    package.write("broken.xml", "<ykz_package><filename>x</ykz_package>");
    package.write("other.xml", "<other><filename>A.exe</filename></other>");
    fs::create_directory(package.dir() / "folder.xml");
    struct Case {
        std::string file;
        std::int32_t result;
    };
    const Case cases[] = {{"missing.xml", 3}, {"broken.xml", 5}, {"other.xml", 0}, {"folder.xml", 3}};
    for (const Case& c : cases) {
        CBaseComponent component;
        EXPECT_EQ(component.ReadPackageDefinition(package.path(c.file).c_str()), c.result) << c.file;
        EXPECT_EQ(component.ExecutableName()[0], u'\0') << c.file;
    }
    CBaseComponent component;
    EXPECT_EQ(component.ReadPackageDefinition(nullptr), 4);
    EXPECT_EQ(component.ReadPackageDefinition(package.path("other.xml").c_str()), 0);
    EXPECT_EQ(component.ReadPackageDefinition(package.path("other.xml").c_str()), 1);  // read once
}

TEST(ReadPackageDefinition, FillsThePackageState) {
    PackageDirectory package;
    package.write("Kelvor.exe", "program");
    std::string body =
        "<filename>Kelvor.exe</filename>"
        "<sw_keys>"
        "<sw_keys_and><sw_key name=\"absent.dll\"><sw_key_expectedpath>" +
        package.dir().string() +
        "</sw_key_expectedpath></sw_key></sw_keys_and>"
        "<other_entry><sw_key name=\"Kelvor.exe\"><sw_key_expectedpath>" +
        package.dir().string() +
        "\\</sw_key_expectedpath></sw_key></other_entry>"
        "</sw_keys>"
        "<installation><install><install_caps silent=\"YES\"/><reboot_required "
        "value=\"true\"/></install></installation>"
        "<prerequisites><required_diskspace size_kb=\"2048kb\"/><supported_devices>" +
        pciDevice(deviceData("ven", "14e4") + deviceData("dev", "1639") + deviceData("subven", "103C") +
                  deviceData("subdev", "7055")) +
        pciDevice(deviceData("ven", "14E4") + deviceData("dev", "164A")) + pciDevice(deviceData("ven", "14E4")) +
        "<supported_devices_and><supported_device type=\"EISA\">" + deviceData("id", "PNP0A03") +
        "</supported_device><supported_device type=\"pnp\">" + deviceData("id", "ignored") +
        "</supported_device></supported_devices_and>"
        "<supported_devices_and><supported_device type=\"pnp\">" +
        deviceData("id", "ACPI\\PNP0C02") +
        "</supported_device></supported_devices_and>"
        "<supported_devices_and><supported_device type=\"scsi\">" +
        deviceData("id", "DISK01") +
        "</supported_device></supported_devices_and>"
        "<supported_devices_and><supported_device type=\"usb\">" +
        deviceData("id", "USB1") +
        "</supported_device></supported_devices_and>"
        "</supported_devices><supported_operating_systems>"
        "<supported_operating_system platform=\"nt_x86-64\" major=\"6\" minor=\"1\" sr=\"1\" edition=\"R2SRVR\"/>"
        "<other_system platform=\"nt\"/>"
        "<supported_operating_system platform=\"nt\"/>"
        "</supported_operating_systems></prerequisites>";
    package.write("ykpkg.xml", packageXml(body));

    CBaseComponent component;
    ASSERT_EQ(component.ReadPackageDefinition(package.path("ykpkg.xml").c_str()), 0);
    EXPECT_EQ(utf8(component.ExecutableName()), "Kelvor");
    EXPECT_EQ(component.Silent(), 1);
    EXPECT_EQ(component.RebootRequired(), 0);
    EXPECT_EQ(component.RequiredDiskSpace(), 2048u);
    EXPECT_TRUE(component.VersionFile().ToUtf8().ends_with("Kelvor.exe"));

    std::vector<std::string> devices;
    for (const CStr& id : component.SupportedDevices()) devices.push_back(utf8(id));
    // Sibling order: the first entry read, then the others in reverse.
    const std::vector<std::string> expected{"PCI\\VEN_14e4&DEV_1639&SUBSYS_7055103C", "ACPI\\PNP0C02", "*PNP0A03", "",
                                            "PCI\\VEN_14E4&DEV_164A"};
    EXPECT_EQ(devices, expected);
    ASSERT_EQ(component.StorageDeviceNames().size(), 1u);
    EXPECT_EQ(utf8(component.StorageDeviceNames()[0]), "DISK01");

    ASSERT_EQ(component.SupportedSystems().size(), 2u);
    const SupportedSystem& first = component.SupportedSystems()[0];
    EXPECT_EQ(utf8(first.platform), "nt_x86-64");
    EXPECT_EQ(first.major, 6);
    EXPECT_EQ(first.minor, 1);
    EXPECT_EQ(first.serviceRelease, 1);
    EXPECT_EQ(first.edition, 0xFF04);
    const SupportedSystem& second = component.SupportedSystems()[1];
    EXPECT_EQ(second.major, -1);
    EXPECT_EQ(second.serviceRelease, -1);
    EXPECT_EQ(second.edition, 0xFFFF);
}

TEST(ReadPackageDefinition, FlagsAndNames) {
    struct Case {
        std::string body;
        std::int32_t silent;
        std::string executable;
    };
    const Case cases[] = {
        {"<installation><install><install_caps silent=\"true\"/></install></installation>", 0, ""},
        {"<installation><install><install_caps/></install></installation>", 1, ""},
        {"<installation><install><install_caps silent=\"yes\"/></install></installation>", 1, ""},
        {"<filename>ab</filename>", 1, "ab"},
        {"<filename>Setup.exe</filename>", 1, "Setup"},
        {"<filename>" + std::string(300, 'x') + ".exe</filename>", 1, std::string(123, 'x')},
    };
    for (const Case& c : cases) {
        PackageDirectory package;
        CBaseComponent component;
        ASSERT_EQ(package.read(component, c.body), 0) << c.body;
        EXPECT_EQ(component.Silent(), c.silent) << c.body;
        EXPECT_EQ(utf8(component.ExecutableName()), c.executable) << c.body;
    }
}

TEST(ReadPackageDefinition, VersionFileIsTheFirstCandidateWhenNoneExists) {
    PackageDirectory package;
    CBaseComponent component;
    ASSERT_EQ(package.read(component, "<sw_keys><sw_keys_and><sw_key name=\"a.dll\"><sw_key_expectedpath>C:\\first"
                                      "</sw_key_expectedpath></sw_key></sw_keys_and><sw_keys_and><sw_key>"
                                      "<sw_key_expectedpath>C:\\second\\</sw_key_expectedpath></sw_key>"
                                      "</sw_keys_and></sw_keys>"),
              0);
    EXPECT_EQ(component.VersionFile().ToUtf8(), "C:\\first\\a.dll");
}

TEST(PackageTexts, LanguageRules) {
    PackageDirectory package;
    CBaseComponent component;
    ASSERT_EQ(package.read(component, "<name><name_xlate lang=\"fr\">Nom</name_xlate><name_xlate lang=\"EN\">Name"
                                      "</name_xlate><name_xlate lang=\"de\">Name DE</name_xlate></name>"
                                      "<description><description_xlate lang=\"en\"><![CDATA[ Two\n lines ]]>"
                                      "</description_xlate></description><version value=\"4.0.550\"/>"),
              0);
    char16_t out[64] = {};
    struct Case {
        const char16_t* language;
        std::string name;
    };
    const Case cases[] = {{u"FR", "Nom"}, {u"xx", "Name"}, {u"de", "Name DE"}, {nullptr, "Nom"}};
    for (const Case& c : cases) {
        ASSERT_EQ(component.GetName(out, 64, c.language), 1);
        EXPECT_EQ(utf8(out), c.name);
    }
    ASSERT_EQ(component.GetDescription(out, 64, u"it"), 1);
    EXPECT_EQ(utf8(out), " Two\n lines ");
    EXPECT_EQ(component.GetVersion(out, 7), 0);  // the text must be shorter than the buffer
    ASSERT_EQ(component.GetVersion(out, 8), 1);
    EXPECT_EQ(utf8(out), "4.0.550");
}

// A simulated Windows machine of the given version for the test's life (on
// Windows the real system answers whatever the test asks for).
class SimulatedMachine {
public:
    SimulatedMachine(int major, int minor) {
        testsupport::writeFile(dir_ / "windows.ini", "[version]\nmajor = " + std::to_string(major) +
                                                         "\nminor = " + std::to_string(minor) +
                                                         "\nbuild = 7601\nservice_pack = Service Pack 1\n"
                                                         "product_type = 3\nserver_r2 = 1\nproduct_info = 10\n");
        platform::set_environment_variable("YKZ_MACHINE", dir_.path().string());
    }
    ~SimulatedMachine() { platform::set_environment_variable("YKZ_MACHINE", ""); }

private:
    testsupport::TempDir dir_{"nicfw-machine"};
};

// The INF element of install.xml follows the running system's major
// version.
TEST(ReadInstallerXml, ChoosesTheInfElementByMajorVersion) {
    PackageDirectory package;
    package.write("install.xml",
                  "<ykz_install><inf_information>"
                  "<inf_file_nt5 filename=\"nt5.inf\" type=\"LEGACY\" section=\"S5\" service_name=\"svc5\"/>"
                  "<inf_file filename=\"nt6.inf\" type=\"pnp\" section=\"S6\" service_name=\"svc6\"/>"
                  "</inf_information><ShellExecute><ShellExecute_Info file=\"%NICFW_TEST_DIR%\\setup.exe\" "
                  "DefaultDir=\"%NICFW_TEST_DIR%\"/></ShellExecute></ykz_install>");
    platform::set_environment_variable("NICFW_TEST_DIR", "D:\\dir");
    for (int major : {5, 6}) {
        SimulatedMachine machine(major, 2);
        std::optional<platform::WindowsVersion> version = platform::windows_version();
        bool nt5 = version && version->major == 5;

        CBaseComponent component;
        ASSERT_EQ(component.ReadInstallerXml(package.path("install.xml").c_str()), 0);
        EXPECT_EQ(component.InfFile().ToUtf8(), nt5 ? "nt5.inf" : "nt6.inf");
        EXPECT_EQ(component.GetInstallType(), nt5 ? InstallTypeLegacy : InstallTypePnp);
        EXPECT_EQ(component.InfSection().ToUtf8(), nt5 ? "S5" : "S6");
        EXPECT_EQ(component.ServiceName().ToUtf8(), nt5 ? "svc5" : "svc6");
        EXPECT_EQ(utf8(component.ShellExecuteFile()), "D:\\dir\\setup.exe");
        EXPECT_EQ(utf8(component.ShellExecuteDirectory()), "D:\\dir");
    }

    CBaseComponent missing;
    EXPECT_EQ(missing.ReadInstallerXml(package.path("absent.xml").c_str()), 3);
    EXPECT_EQ(missing.ReadInstallerXml(nullptr), 4);
    EXPECT_EQ(missing.GetInstallType(), InstallTypeNone);
}

// Records that hold for any 64-bit x64 system of version 6.1, simulated on
// Linux or real under Windows.
TEST(IsOsSupported, MatchesThePackageRecords) {
    SimulatedMachine machine(6, 1);
    struct Case {
        std::string systems;
        std::int32_t supported;
    };
    const Case cases[] = {
        {"", 1},
        {"<supported_operating_system platform=\"NT_X86-64\"/>", 1},
        {"<supported_operating_system platform=\"nt\"/>", 0},
        {"<supported_operating_system platform=\"nt_x86-64\" major=\"99\"/>", 0},
        {"<supported_operating_system platform=\"nt_x86-64\" edition=\"home\"/>", 0},
        {"<supported_operating_system platform=\"nt\"/><supported_operating_system platform=\"nt_x86-64\" "
         "major=\"6\" minor=\"1\"/>",
         1},
    };
    for (const Case& c : cases) {
        PackageDirectory package;
        CBaseComponent component;
        ASSERT_EQ(package.read(component, "<prerequisites><supported_operating_systems>" + c.systems +
                                              "</supported_operating_systems></prerequisites>"),
                  0);
        EXPECT_EQ(component.IsOsSupported(), c.supported) << c.systems;
        EXPECT_EQ(component.Is64BitOs(), 1);
    }
}

// Start-up answers 0 only when a package file that was found could not be
// read; a missing one is no failure. Either way the component knows whether
// it has a usable package definition.
TEST(Init, ResultFollowsThePackageFiles) {
    struct Case {
        const char* what;
        std::string definition;  // empty: no ykpkg.xml; "/": a directory of that name
        std::string installer;   // empty: no install.xml
        std::int32_t result;
        bool usable;
    };
    const Case cases[] = {
        {"complete", packageXml("<version value=\"1\"/>"), "<ykz_install/>", 1, true},
        {"no install.xml", packageXml(""), "", 1, true},
        {"no package definition", "", "", 1, false},
        {"broken install.xml", packageXml(""), "<ykz_install>", 0, true},
        {"an empty definition", " ", "", 1, false},
        {"a cut definition", "<ykz_package><name>", "", 1, false},
        {"another root", "<ykz_install/>", "", 1, false},
        {"a directory", "/", "", 1, false},
    };
    for (const Case& c : cases) {
        PackageDirectory package;
        // The plug-in's plain log goes to the system drive: on Linux a
        // directory of the test's own.
        if (platform::native_path("C:\\") != "C:\\")
            platform::set_environment_variable("SystemDrive", package.dir().string());
        if (c.definition == "/")
            fs::create_directory(package.dir() / "ykpkg.xml");
        else if (!c.definition.empty())
            package.write("ykpkg.xml", c.definition);
        if (!c.installer.empty()) package.write("install.xml", c.installer);
        CBaseComponent component;
        EXPECT_EQ(component.Init(HostOptions{}), c.result) << c.what;
        EXPECT_EQ(component.HasPackageDefinition(), c.usable) << c.what;
    }
}

}  // namespace
