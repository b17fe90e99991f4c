#include "driverfixture.h"

#include "platform/fileops.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/unicode.h"

namespace fs = std::filesystem;

void DriverMachineTest::Set(const std::string& name, const std::string& value) {
    saved_.push_back({name, platform::environment_variable(name)});
    ASSERT_TRUE(platform::set_environment_variable(name, value));
}

void DriverMachineTest::SetUp() {
    drive_ = dir_.path() / "drive";
    fs::create_directories(SystemRoot());
    fs::create_directories(dir_.path() / "machine");
    testsupport::writeFile(dir_.path() / "machine" / "windows.ini",
                           "[version]\nmajor = 6\nminor = 1\nbuild = 7601\nproduct_type = 3\n[services]\n");
    Set("YKZ_MACHINE", (dir_.path() / "machine").string());
    Set("SystemDrive", drive_.string());
    Set("SystemRoot", SystemRoot().string());
    Set("ProgramFiles", ProgramFiles().string());
    Set("ALLUSERSPROFILE", (drive_ / "ProgramData").string());
    platform::registry_delete_value(platform::RegistryRoot::local_machine, platform::pending_operations_key,
                                    platform::pending_operations_value);
}

void DriverMachineTest::TearDown() {
    // What an installation under Wine leaves in the shared prefix. The demo
    // package's service and root devices go too: the next run must create
    // them afresh, or its checks would read what an earlier run left.
    using platform::RegistryRoot;
    const bool realMachine = !platform::simulated_machine_directory();
    platform::registry_delete_value(RegistryRoot::local_machine, platform::pending_operations_key,
                                    platform::pending_operations_value);
    platform::registry_delete_key(RegistryRoot::local_machine, u"Software\\Tarn");
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
        platform::set_environment_variable(it->name, it->value.value_or(""));
    saved_.clear();
    if (realMachine) {
        testsupport::runProgram(fs::path(platform::windows_directory()) / "system32" / "sc.exe", {"delete", "kxdemo"},
                                dir_.path());
        for (const char16_t* device : {u"LEGACY_KXDEMO", u"KXDEMO"})
            platform::registry_delete_key(RegistryRoot::local_machine,
                                          std::u16string(u"SYSTEM\\CurrentControlSet\\Enum\\Root\\") + device);
    }
}

std::u16string DriverMachineTest::WriteInf(const std::string& name, const std::string& text) const {
    testsupport::writeFile(dir_.path() / name, [&] {
        std::string crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return crlf;
    }());
    return (dir_.path() / name).u16string();
}

std::vector<std::u16string> DriverMachineTest::PendingOperations() {
    platform::RegistryKey key;
    platform::RegistryValue value;
    if (key.open(platform::RegistryRoot::local_machine, platform::pending_operations_key) !=
            platform::RegistryStatus::ok ||
        key.read(platform::pending_operations_value, value) != platform::RegistryStatus::ok)
        return {};
    return platform::split_pending_operations(value.data);
}
