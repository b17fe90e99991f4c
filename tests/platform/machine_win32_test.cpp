// The real machine facts of the Windows build, checked under Wine: the
// registry (with values imported by regedit from the same fixture the Linux
// build reads), services, the system model through WMI, and the version.
#include "machine_fixtures.h"
#include "platform/osversion.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/sysmodel.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

namespace {

using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryStatus;

const std::u16string test_key = u"SOFTWARE\\YkzMachineTest";

// The fixture imported into the registry for one test, and removed after it.
class ImportedFixture {
public:
    ImportedFixture() {
        platform::registry_delete_key(RegistryRoot::local_machine, test_key);
        std::filesystem::path regedit = std::filesystem::path(platform::windows_directory()) / "regedit.exe";
        testsupport::RunResult run = testsupport::runProgram(
            regedit, {"/s", machinetest::fixture("machine.reg").string()}, testsupport::binaryDirectory());
        EXPECT_TRUE(run.started);
    }
    ~ImportedFixture() { platform::registry_delete_key(RegistryRoot::local_machine, test_key); }
    ImportedFixture(const ImportedFixture&) = delete;
    ImportedFixture& operator=(const ImportedFixture&) = delete;
};

TEST(WindowsRegistry, ReadsWhatRegeditImported) {
    ImportedFixture imported;
    RegistryKey key;
    ASSERT_NO_FATAL_FAILURE(machinetest::expectFixtureValues(key));
    std::uint32_t number = 0;
    std::vector<std::u16string> texts;
    ASSERT_EQ(key.open(RegistryRoot::local_machine, test_key), RegistryStatus::ok);
    EXPECT_EQ(key.read_dword(u"ShortNumber", number), RegistryStatus::wrong_size);
    EXPECT_EQ(key.read_dword(u"Path", number), RegistryStatus::wrong_type);
    EXPECT_EQ(key.read_dword(u"Missing", number), RegistryStatus::not_found);
    EXPECT_EQ(key.read_multi_string(u"Files", texts), RegistryStatus::ok);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"first", u"second"}));
    EXPECT_EQ(key.open(RegistryRoot::local_machine, test_key + u"\\Missing"), RegistryStatus::not_found);
    EXPECT_FALSE(key.is_open());
}

TEST(WindowsRegistry, WritesAndDeletes) {
    ImportedFixture imported;
    const std::u16string deep = test_key + u"\\Created\\Deep";
    EXPECT_EQ(platform::registry_set_value(RegistryRoot::local_machine, deep, u"List",
                                           platform::registry_multi_string({u"\\??\\C:\\a.sys", u""})),
              RegistryStatus::ok);
    EXPECT_EQ(platform::registry_delete_value(RegistryRoot::local_machine, test_key, u"Blob"), RegistryStatus::ok);
    EXPECT_EQ(platform::registry_delete_value(RegistryRoot::local_machine, test_key, u"Blob"),
              RegistryStatus::not_found);
    RegistryKey key;
    std::vector<std::u16string> texts;
    ASSERT_EQ(key.open(RegistryRoot::local_machine, deep), RegistryStatus::ok);
    EXPECT_EQ(key.read_multi_string(u"List", texts), RegistryStatus::ok);
    EXPECT_EQ(texts, std::vector<std::u16string>{u"\\??\\C:\\a.sys"});
    key.close();
    EXPECT_EQ(platform::registry_delete_key(RegistryRoot::local_machine, test_key + u"\\Created"), RegistryStatus::ok);
    EXPECT_FALSE(platform::registry_key_exists(RegistryRoot::local_machine, deep));
    EXPECT_TRUE(platform::registry_key_exists(RegistryRoot::local_machine, test_key));
    EXPECT_EQ(platform::registry_delete_key(RegistryRoot::local_machine, u""), RegistryStatus::denied);
}

TEST(WindowsMachine, ServicesModelAndVersion) {
    using platform::ServiceState;
    EXPECT_EQ(platform::service_state(u"YkzNoSuchService"), ServiceState::not_installed);
    EXPECT_EQ(platform::service_state(u"YkzNoSuchService", platform::ServiceAccess::full), ServiceState::not_installed);
    EXPECT_NE(platform::service_state(u"plugplay"), ServiceState::not_installed) << "Wine's own service, any case";

    EXPECT_EQ(platform::system_model(), std::optional<std::u16string>(u"Wine"));

    std::optional<platform::WindowsVersion> version = platform::windows_version();
    ASSERT_TRUE(version);
    EXPECT_EQ(version->platform_id, platform::platform_id_nt);
    EXPECT_GE(version->major, 5u);
    EXPECT_GE(version->product_type, platform::product_type_workstation);
    EXPECT_LE(version->product_type, platform::product_type_server);
    EXPECT_EQ(platform::native_processor_architecture(), platform::processor_architecture_x64);
    if (version->major >= 6) {
        EXPECT_TRUE(platform::windows_product_info(version->major, version->minor, version->service_pack_major, 0));
    }
}

// The demo machine's Wine fixture gives the host the version of Windows
// Server 2008 R2; the same setting for the probe must show it.
TEST(WindowsMachine, WineVersionPerProgramAsTheDemoSetsIt) {
    platform::regfile::Document wineFixture;
    ASSERT_TRUE(wineFixture.parse(testsupport::readFile(machinetest::exampleMachine() / "wine-version.reg")));
    const platform::RegistryValue* version =
        wineFixture.find_value(u"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\Zorvane.exe", u"Version");
    ASSERT_NE(version, nullptr);

    const std::u16string app = u"Software\\Wine\\AppDefaults\\machine_probe.exe";
    ASSERT_EQ(platform::registry_set_value(RegistryRoot::current_user, app, u"Version", *version), RegistryStatus::ok);
    testsupport::RunResult run =
        testsupport::runProgram(testsupport::builtProgram("machine_probe"), {}, testsupport::binaryDirectory());
    platform::registry_delete_key(RegistryRoot::current_user, app);
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.out, "6.1.7601|Service Pack 1|1|3|0|9|7\n")
        << "major.minor.build|text|number|type|R2|architecture|product info (7: standard server)";
}

}  // namespace
