// The simulated Windows machine of the Linux build: registry, services,
// Windows version and system model from the YKZ_MACHINE directory.
#include "machine_fixtures.h"
#include "platform/machine.h"
#include "platform/osversion.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/sysmodel.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryStatus;

// Points YKZ_MACHINE at a fresh directory for one test, and back after it.
class SimulatedMachine {
public:
    SimulatedMachine() { use(dir_.path().string()); }

    static void use(const std::string& directory) { platform::set_environment_variable("YKZ_MACHINE", directory); }
    fs::path path(const std::string& name) const { return dir_ / name; }
    void write(const std::string& name, const std::string& content) const {
        fs::create_directories(path(name).parent_path());
        testsupport::writeFile(path(name), content);
    }

private:
    testsupport::ScopedEnvironment previous_{"YKZ_MACHINE"};
    testsupport::TempDir dir_{"machine"};
};

const std::u16string test_key = u"SOFTWARE\\YkzMachineTest";

// The simulated machine's Windows version, field by field.
void expectVersion(const platform::WindowsVersion& expected) {
    std::optional<platform::WindowsVersion> version = platform::windows_version();
    ASSERT_TRUE(version);
    EXPECT_EQ(version->major, expected.major);
    EXPECT_EQ(version->minor, expected.minor);
    EXPECT_EQ(version->build, expected.build);
    EXPECT_EQ(version->platform_id, expected.platform_id);
    EXPECT_EQ(version->service_pack, expected.service_pack);
    EXPECT_EQ(version->service_pack_major, expected.service_pack_major);
    EXPECT_EQ(version->service_pack_minor, expected.service_pack_minor);
    EXPECT_EQ(version->product_type, expected.product_type);
    EXPECT_EQ(version->server_r2, expected.server_r2);
}

TEST(SimulatedRegistry, ReadsValuesThroughOpenKeys) {
    SimulatedMachine machine;
    fs::copy_file(machinetest::fixture("machine.reg"), machine.path("registry.reg"));
    RegistryKey key;
    ASSERT_NO_FATAL_FAILURE(machinetest::expectFixtureValues(key));
    ASSERT_EQ(key.open(RegistryRoot::local_machine, u"software\\ykzmachinetest"), RegistryStatus::ok);
    std::uint32_t number = 0;
    std::u16string text;
    std::vector<std::u16string> texts;
    EXPECT_EQ(key.read_dword(u"Mask", number), RegistryStatus::ok);
    EXPECT_EQ(number, 0x4000au);
    EXPECT_EQ(key.read_dword(u"ShortNumber", number), RegistryStatus::wrong_size);
    EXPECT_EQ(key.read_dword(u"Path", number), RegistryStatus::wrong_type);
    EXPECT_EQ(key.read_dword(u"Missing", number), RegistryStatus::not_found);
    EXPECT_EQ(key.read_string(u"Path", text), RegistryStatus::ok);
    EXPECT_EQ(text, u"C:\\Program Files\\Tarn \"KX\" Tools");
    EXPECT_EQ(key.read_string(u"", text), RegistryStatus::ok);
    EXPECT_EQ(text, u"default text");
    EXPECT_EQ(key.read_multi_string(u"Files", texts), RegistryStatus::ok);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"first", u"second"}));

    EXPECT_TRUE(platform::registry_key_exists(RegistryRoot::local_machine, test_key + u"\\SERVICES\\ykztestdriver"));
    EXPECT_TRUE(platform::registry_key_exists(RegistryRoot::local_machine, u"Software"));
    EXPECT_FALSE(platform::registry_key_exists(RegistryRoot::current_user, test_key));
    EXPECT_EQ(key.open(RegistryRoot::local_machine, test_key + u"\\Missing"), RegistryStatus::not_found);
    EXPECT_FALSE(key.is_open());
    EXPECT_EQ(key.read_string(u"Path", text), RegistryStatus::not_found);
}

TEST(SimulatedRegistry, WritesLandInTheFileAndKeepItsComments) {
    SimulatedMachine machine;
    fs::copy_file(machinetest::fixture("machine.reg"), machine.path("registry.reg"));
    const std::u16string services = u"System\\CurrentControlSet\\Services\\DAZARER";
    EXPECT_EQ(
        platform::registry_set_value(RegistryRoot::local_machine, services, u"DeleteFlag", platform::registry_dword(1)),
        RegistryStatus::ok);
    EXPECT_EQ(platform::registry_set_value(
                  RegistryRoot::local_machine, u"System\\CurrentControlSet\\Control\\Session Manager",
                  u"PendingFileRenameOperations", platform::registry_multi_string({u"\\??\\C:\\a.sys", u""})),
              RegistryStatus::ok);
    EXPECT_EQ(platform::registry_create_key(RegistryRoot::local_machine, u"Software\\Created\\Deep"),
              RegistryStatus::ok);
    EXPECT_EQ(platform::registry_delete_value(RegistryRoot::local_machine, test_key, u"blob"), RegistryStatus::ok);
    EXPECT_EQ(platform::registry_delete_value(RegistryRoot::local_machine, test_key, u"Blob"),
              RegistryStatus::not_found);
    EXPECT_EQ(platform::registry_delete_key(RegistryRoot::local_machine, test_key + u"\\Services"), RegistryStatus::ok);
    EXPECT_EQ(platform::registry_delete_key(RegistryRoot::local_machine, test_key + u"\\Services"),
              RegistryStatus::not_found);

    RegistryKey key;
    std::uint32_t flag = 0;
    ASSERT_EQ(key.open(RegistryRoot::local_machine, services), RegistryStatus::ok);
    EXPECT_EQ(key.read_dword(u"DeleteFlag", flag), RegistryStatus::ok);
    EXPECT_EQ(flag, 1u);
    EXPECT_TRUE(platform::registry_key_exists(RegistryRoot::local_machine, u"Software\\Created\\Deep"));
    EXPECT_FALSE(platform::registry_key_exists(RegistryRoot::local_machine, test_key + u"\\Services\\YkzTestDriver"));
    std::string file = testsupport::readFile(machine.path("registry.reg"));
    EXPECT_NE(file.find("; A registry of every kind"), std::string::npos);
    EXPECT_EQ(file.find("Blob"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(machine.path("")))
        EXPECT_EQ(entry.path().filename(), "registry.reg") << "no temporary file is left behind";
}

TEST(SimulatedRegistry, MissingUnusableAndAbsentRegistries) {
    SimulatedMachine machine;
    RegistryKey key;
    EXPECT_EQ(key.open(RegistryRoot::local_machine, test_key), RegistryStatus::not_found) << "missing file: empty";
    EXPECT_EQ(platform::registry_set_value(RegistryRoot::local_machine, test_key, u"N", platform::registry_dword(5)),
              RegistryStatus::ok);
    ASSERT_EQ(key.open(RegistryRoot::local_machine, test_key), RegistryStatus::ok) << "the first write creates it";

    const std::string unusable = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\YkzMachineTest]\n";
    machine.write("registry.reg", unusable);
    EXPECT_EQ(key.open(RegistryRoot::local_machine, test_key), RegistryStatus::failed);
    EXPECT_EQ(platform::registry_set_value(RegistryRoot::local_machine, test_key, u"N", platform::registry_dword(5)),
              RegistryStatus::failed);
    EXPECT_EQ(testsupport::readFile(machine.path("registry.reg")), unusable)
        << "a file not understood is never replaced";

    SimulatedMachine::use("");
    EXPECT_EQ(key.open(RegistryRoot::local_machine, test_key), RegistryStatus::not_found);
    EXPECT_EQ(platform::registry_create_key(RegistryRoot::local_machine, test_key), RegistryStatus::failed);
    EXPECT_EQ(platform::service_state(u"DAZARER"), platform::ServiceState::not_installed);
    EXPECT_FALSE(platform::windows_version());
    EXPECT_FALSE(platform::windows_product_info(6, 1, 1, 0));
}

TEST(SimulatedServices, StatesFromWindowsIni) {
    SimulatedMachine machine;
    machine.write("windows.ini",
                  "[version]\nmajor=6\n[SERVICES]\n"
                  "DAZARER = running\nStopped=STOPPED\npaused=paused\nstarting=start_pending\n"
                  "weird=sleeping\nTwice=running\ntwice=stopped\n");
    using platform::ServiceState;
    const std::pair<std::u16string, ServiceState> cases[] = {
        {u"DAZARER", ServiceState::running},        {u"dazarer", ServiceState::running},
        {u"stopped", ServiceState::stopped},        {u"Paused", ServiceState::paused},
        {u"starting", ServiceState::start_pending}, {u"weird", ServiceState::not_installed},
        {u"twice", ServiceState::stopped},          {u"Absent", ServiceState::not_installed},
        {u"", ServiceState::not_installed},         {u"major", ServiceState::not_installed},
    };
    for (const auto& [name, state] : cases)
        EXPECT_EQ(platform::service_state(name, platform::ServiceAccess::full), state)
            << std::string(name.begin(), name.end());
}

TEST(SimulatedVersion, FactsAndMissingFields) {
    SimulatedMachine machine;
    machine.write("windows.ini",
                  "[version]\nmajor = 5\nminor=2\nbuild=3790\nservice_pack=\"Service Pack 2\"\n"
                  "product_type=3\nserver_r2=1\narchitecture=0\n");
    expectVersion({5, 2, 3790, platform::platform_id_nt, u"Service Pack 2", 2, 0, platform::product_type_server, true});
    EXPECT_FALSE(platform::windows_product_info(5, 2, 2, 0)) << "no product information before version 6";
    EXPECT_EQ(platform::native_processor_architecture(), platform::processor_architecture_x86);

    machine.write("windows.ini", "[Version]\nminor=x1\nproduct_info=0x1b\n");
    // A malformed number reads as missing.
    expectVersion({0, 0, 0, platform::platform_id_nt, u"", 0, 0, 0, false});
    EXPECT_EQ(platform::windows_product_info(6, 1, 0, 0), std::optional<std::uint32_t>(0x1b));

    machine.write("windows.ini", "[version]\nmajor=10\n");
    EXPECT_EQ(platform::windows_product_info(10, 0, 0, 0), std::optional<std::uint32_t>(0));
    machine.write("windows.ini", "[services]\nDAZARER=running\n");
    EXPECT_FALSE(platform::windows_version()) << "no [version]: no Windows";
}

TEST(SimulatedModel, RawDmiTextOrNone) {
    SimulatedMachine machine;
    EXPECT_FALSE(platform::system_model()) << "a simulated machine without a model has none";
    machine.write("dmi/product_name", "Model 7 \t\n");
    EXPECT_EQ(platform::system_model(), std::optional<std::u16string>(u"Model 7 \t\n"));
}

TEST(SimulatedMachineExample, TheDemoServer) {
    SimulatedMachine guard;
    SimulatedMachine::use(machinetest::exampleMachine().string());
    expectVersion({6, 1, 7601, platform::platform_id_nt, u"Service Pack 1", 1, 0, platform::product_type_server, true});
    EXPECT_EQ(platform::service_state(u"DAZARER", platform::ServiceAccess::full), platform::ServiceState::running);
    EXPECT_TRUE(
        platform::registry_key_exists(RegistryRoot::local_machine, u"System\\CurrentControlSet\\Services\\DAZARER"));
    std::optional<std::u16string> model = platform::system_model();
    ASSERT_TRUE(model);
    EXPECT_FALSE(model->empty());

    int devices = 0;
    for (const auto& device : fs::directory_iterator(machinetest::exampleMachine() / "pci")) {
        ++devices;
        for (const char* name : {"vendor", "device", "subsystem_vendor", "subsystem_device", "revision", "class"}) {
            std::string text = testsupport::readFile(device.path() / name);
            EXPECT_TRUE(text.size() >= 4 && text.compare(0, 2, "0x") == 0 && text.back() == '\n')
                << device.path() << " " << name;
        }
        EXPECT_EQ(testsupport::readFile(device.path() / "vendor"), "0x1e5a\n");
        EXPECT_EQ(testsupport::readFile(device.path() / "class"), "0x020000\n");
    }
    EXPECT_EQ(devices, 7) << "one PCI function per adapter port";
}

}  // namespace
