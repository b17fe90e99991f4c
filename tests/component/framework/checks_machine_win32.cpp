// The install-state tests' machine under Wine: the real registry, filled by
// regedit from the same export text the Linux tests use, and the real
// service control manager.
#include <chrono>
#include <filesystem>
#include <thread>

#include "checks_machine.h"
#include "platform/regfile.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system.h"
#include "platform/unicode.h"
#include "testsupport/testsupport.h"

namespace {

std::filesystem::path systemProgram(const std::string& name) {
    return std::filesystem::path(platform::windows_directory()) / "system32" / name;
}

}  // namespace

struct TestMachine::State {
    testsupport::TempDir dir{"nicfw-machine"};
    std::vector<std::u16string> keys;  // full paths, as the export names them
    std::vector<std::string> services;
};

TestMachine::TestMachine() : state_(std::make_unique<State>()) {}

TestMachine::~TestMachine() {
    for (const std::string& name : state_->services)
        testsupport::runProgram(systemProgram("sc.exe"), {"delete", name}, state_->dir.path());
    const std::u16string machine = u"HKEY_LOCAL_MACHINE\\";
    for (const std::u16string& key : state_->keys) {
        if (key.rfind(machine, 0) == 0)
            platform::registry_delete_key(platform::RegistryRoot::local_machine, key.substr(machine.size()));
    }
}

bool TestMachine::IsSimulated() {
    return false;
}

void TestMachine::ImportRegistry(const std::string& exportText) {
    platform::regfile::Document document;
    if (document.parse(exportText)) {
        for (const platform::regfile::Key& key : document.keys()) state_->keys.push_back(key.path);
    }
    std::filesystem::path file = state_->dir / "fixture.reg";
    testsupport::writeFile(file, exportText);
    testsupport::runProgram(std::filesystem::path(platform::windows_directory()) / "regedit.exe", {"/s", file.string()},
                            state_->dir.path());
}

bool TestMachine::AddService(const std::string& name, bool running) {
    if (running) return false;
    testsupport::RunResult run = testsupport::runProgram(
        systemProgram("sc.exe"), {"create", name, "binpath=", (systemProgram("notepad.exe")).string()},
        state_->dir.path());
    if (!run.started || run.exitCode != 0) return false;
    state_->services.push_back(name);
    // The service control manager of a prefix that is still starting up may
    // take a moment to show a new service.
    std::u16string wide = platform::utf8_to_utf16(name);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (platform::service_state(wide, platform::ServiceAccess::full) != platform::ServiceState::not_installed)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool TestMachine::SetModel(const std::optional<std::string>&) {
    return false;
}
