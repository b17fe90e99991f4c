// A machine for driver installations: the directories of the INF directory
// ids, the system drive and, on Linux, a simulated machine all live in one
// temporary directory, so an installation touches nothing else. Under Wine
// the registry, the services and the operations delayed until restart are
// the real (Wine) ones; the fixture removes what the demo package and the
// tests put there.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "testsupport/testsupport.h"

class DriverMachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The directories the INF directory ids name on this machine.
    std::filesystem::path SystemRoot() const { return drive_ / "Windows"; }
    std::filesystem::path Drivers() const { return SystemRoot() / "system32" / "drivers"; }
    std::filesystem::path ProgramFiles() const { return drive_ / "Program Files"; }
    const std::filesystem::path& Drive() const { return drive_; }
    const std::filesystem::path& Dir() const { return dir_.path(); }

    // Writes an INF file with "\r\n" line ends into the test directory.
    std::u16string WriteInf(const std::string& name, const std::string& text) const;

    // The operations delayed until restart, as the registry records them.
    static std::vector<std::u16string> PendingOperations();

private:
    struct Saved {
        std::string name;
        std::optional<std::string> value;
    };
    void Set(const std::string& name, const std::string& value);

    testsupport::TempDir dir_{"drvinst"};
    std::filesystem::path drive_;
    std::vector<Saved> saved_;
};
