// Linux: the service's state is a line of the simulated machine.
#include "driver_service_fixture/driverservice.h"

#include "testsupport/testsupport.h"

namespace {

constexpr char DefaultMachine[] =
    "[version]\nmajor = 6\nminor = 1\nbuild = 7601\nproduct_type = 3\nserver_r2 = 1\n\n[services]\n";
constexpr char ServiceKey[] =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\DAZARER]\n\"Type\"=dword:00000001\n";

bool SetState(const std::filesystem::path& machine, const std::string& state) {
    std::filesystem::path ini = machine / "windows.ini";
    std::string text = testsupport::readFile(ini);
    std::size_t at = text.find("\nDAZARER = ");
    if (at == std::string::npos) {
        text += "DAZARER = " + state + "\n";
    } else {
        std::size_t end = text.find('\n', at + 1);
        text.replace(at + 1, end == std::string::npos ? std::string::npos : end - at - 1, "DAZARER = " + state);
    }
    testsupport::writeFile(ini, text);
    return true;
}

}  // namespace

DriverService::DriverService(const std::filesystem::path& machine) : machine_(machine) {
    std::filesystem::create_directories(machine_);
    if (!std::filesystem::exists(machine_ / "windows.ini"))
        testsupport::writeFile(machine_ / "windows.ini", DefaultMachine);
    if (!std::filesystem::exists(machine_ / "registry.reg"))
        testsupport::writeFile(machine_ / "registry.reg", ServiceKey);
    Start();
}

DriverService::~DriverService() = default;

bool DriverService::Start() {
    return SetState(machine_, "running");
}
bool DriverService::Stop() {
    return SetState(machine_, "stopped");
}
