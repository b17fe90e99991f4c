// Windows: a real service program (driver_service.exe, built beside the
// tests) registered under the driver's service name with the system's
// service tool, and removed again when the test ends.
#include "driver_service_fixture/driverservice.h"

#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/services.h"
#include "platform/system.h"
#include "testsupport/testsupport.h"

namespace {

constexpr char16_t ServiceName[] = u"DAZARER";

void ServiceTool(const std::vector<std::string>& arguments) {
    std::filesystem::path tool = std::filesystem::path(platform::windows_directory()) / "system32" / "sc.exe";
    testsupport::runProgram(tool, arguments, testsupport::binaryDirectory());
}

bool AwaitState(bool running) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        platform::ServiceState state = platform::service_state(ServiceName);
        if (running ? state == platform::ServiceState::running : state != platform::ServiceState::running) return true;
        platform::sleep_milliseconds(50);
    }
    return false;
}

}  // namespace

DriverService::DriverService(const std::filesystem::path& machine) : machine_(machine) {
    ServiceTool({"stop", "DAZARER"});
    ServiceTool({"delete", "DAZARER"});
    ServiceTool({"create", "DAZARER", "binPath=", testsupport::builtProgram("driver_service").string(), "type=", "own",
                 "start=", "demand"});
    Start();
}

DriverService::~DriverService() {
    Stop();
    ServiceTool({"delete", "DAZARER"});
}

bool DriverService::Start() {
    ServiceTool({"start", "DAZARER"});
    return AwaitState(true);
}

bool DriverService::Stop() {
    ServiceTool({"stop", "DAZARER"});
    return AwaitState(false);
}
