// The install-state tests' machine on Linux: a simulated machine directory.
#include <filesystem>

#include "checks_machine.h"
#include "testsupport/testsupport.h"

struct TestMachine::State {
    testsupport::TempDir dir{"nicfw-machine"};
    testsupport::ScopedEnvironment machine{"YKZ_MACHINE"};
    std::string services = "[services]\n";
};

TestMachine::TestMachine() : state_(std::make_unique<State>()) {
    state_->machine.set(state_->dir.path().string());
    testsupport::writeFile(state_->dir / "windows.ini", state_->services);
}

TestMachine::~TestMachine() = default;

bool TestMachine::IsSimulated() {
    return true;
}

void TestMachine::ImportRegistry(const std::string& exportText) {
    testsupport::writeFile(state_->dir / "registry.reg", exportText);
}

bool TestMachine::AddService(const std::string& name, bool running) {
    state_->services += name + (running ? " = running\n" : " = stopped\n");
    testsupport::writeFile(state_->dir / "windows.ini", state_->services);
    return true;
}

bool TestMachine::SetModel(const std::optional<std::string>& model) {
    std::filesystem::path file = state_->dir / "dmi" / "product_name";
    std::filesystem::remove(file);
    if (model) {
        std::filesystem::create_directories(file.parent_path());
        testsupport::writeFile(file, *model);
    }
    return true;
}
