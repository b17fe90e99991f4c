// A package directory that is the current directory for one test, with the
// fake utility as "FakeKelvor.exe" (the component runs it in place of
// Kelvor.exe), its behaviour set through the environment,
// the logs under the package's own system drive (Linux) and, on request,
// the adapter driver service installed and running.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cmplog/cstr.h"
#include "tamsel_firmware/component.h"
#include "driver_service_fixture/driverservice.h"
#include "tamsel_firmware/hostoptions.h"
#include "platform/files.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

namespace firmwaretest {

namespace fs = std::filesystem;

inline std::string Utf8(std::u16string_view text) {
    return CStr(text).ToUtf8();
}

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        fs::current_path(dir_.path());
        fs::copy_file(testsupport::builtProgram("fake_utility"), dir_ / "FakeKelvor.exe");
        SetUtilityProgramForTesting(u"FakeKelvor.exe");
        if (platform::native_path("C:\\x") != "C:\\x") {
            fs::create_directory(dir_ / "systemdrive");
            platform::set_environment_variable("SystemDrive", (dir_ / "systemdrive").string());
        }
        platform::set_environment_variable("YKZ_MACHINE", (dir_ / "machine").string());
        platform::set_environment_variable("FAKE_UTILITY_CALLS", (dir_ / "calls.txt").string());
    }
    void TearDown() override {
        service_.reset();
        for (const char* name : {"YKZ_MACHINE", "FAKE_UTILITY_CALLS", "FAKE_UTILITY_EXIT", "FAKE_UTILITY_OUTPUT",
                                 "FAKE_UTILITY_CRASH", "FAKE_UTILITY_WRITES"})
            platform::set_environment_variable(name, "");
        SetUtilityProgramForTesting(std::nullopt);
        fs::current_path(previous_);
    }

    // The adapter driver service, installed and running, for the tests whose
    // runs ask for it (a real service under Windows costs seconds).
    void InstallDriverService() { service_ = std::make_unique<DriverService>(dir_ / "machine"); }

    // Gives the component the package definition that start-up would have
    // read, without which it refuses every request.
    static void ReadPackage(CBaseComponent& component) {
        testsupport::writeFile("ykp3pfw.xml",
                               "<?xml version=\"1.0\"?>\n<ykz_package><version value=\"4.0.550\"/></ykz_package>\n");
        ASSERT_EQ(component.ReadPackageDefinition(u"ykp3pfw.xml"), 0);
        ASSERT_TRUE(component.HasPackageDefinition());
    }

    void SetExitCode(std::uint32_t code) {
        platform::set_environment_variable("FAKE_UTILITY_EXIT", std::to_string(code));
    }
    // The fake utility's runs since the last call, one line each.
    std::vector<std::string> TakeCalls() {
        std::vector<std::string> calls = testsupport::splitLines(testsupport::readText(dir_ / "calls.txt"));
        fs::remove(dir_ / "calls.txt");
        return calls;
    }

    testsupport::TempDir dir_{"nicfw-firmware"};
    fs::path previous_;
    std::unique_ptr<DriverService> service_;
};

}  // namespace firmwaretest
