// Where the machine tests find their fixtures: the build copies them beside
// the test programs, so the same lookup works natively and under Wine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

namespace machinetest {

inline std::filesystem::path fixture(const std::string& name) {
    return testsupport::binaryDirectory() / "machine_fixtures" / name;
}

// The demo package's simulated machine.
inline std::filesystem::path exampleMachine() {
    return fixture("example");
}

// The values of fixtures/machine.reg, by key below HKEY_LOCAL_MACHINE.
struct FixtureValue {
    std::u16string key;
    std::u16string name;
    platform::RegistryValue value;
};

inline std::vector<FixtureValue> fixtureValues() {
    using namespace platform;
    const std::u16string key = u"SOFTWARE\\YkzMachineTest";
    const std::u16string driver = key + u"\\Services\\YkzTestDriver";
    return {
        {key, u"", registry_string(u"default text")},
        {key, u"Path", registry_string(u"C:\\Program Files\\Tarn \"KX\" Tools")},
        {key, u"EMPTY", registry_string(u"")},
        {key, u"flag", registry_dword(1)},
        {key, u"Mask", registry_dword(0x4000a)},
        {key, u"Expand", registry_string(u"%SystemRoot%", reg_expand_sz)},
        {key, u"Files", registry_multi_string({u"first", u"second"})},
        {key, u"Blob", RegistryValue{reg_binary, "\xde\xad\xbe\xef"}},
        {key, u"ShortNumber", RegistryValue{reg_dword, "\x01\x02\x03"}},
        {u"software\\ykzmachinetest\\services\\ykztestdriver", u"Start", registry_dword(3)},
        {driver, u"DisplayName", registry_string(u"Ykz test driver")},
    };
}

// Reads every value of fixtures/machine.reg back through `key` and
// compares it.
inline void expectFixtureValues(platform::RegistryKey& key) {
    for (const FixtureValue& expected : fixtureValues()) {
        ASSERT_EQ(key.open(platform::RegistryRoot::local_machine, expected.key), platform::RegistryStatus::ok);
        platform::RegistryValue value;
        EXPECT_EQ(key.read(expected.name, value), platform::RegistryStatus::ok);
        EXPECT_EQ(value, expected.value) << std::string(expected.name.begin(), expected.name.end());
    }
}

}  // namespace machinetest
