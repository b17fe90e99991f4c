// Services as the service control manager knows them: installed or not,
// and their current state.
//
// On Windows the service control manager answers. On Linux the simulated
// machine's "windows.ini" lists the services and their states
// (platform/README.md); without a simulated machine no service is installed.
// Whether a service's registry key exists is a separate question
// (registry.h), as it is on Windows.
#pragma once

#include <string_view>

namespace platform {

// The states of an installed service are numbered as the service control
// manager numbers them (SERVICE_STOPPED to SERVICE_PAUSED).
enum class ServiceState {
    not_installed = 0,  // unknown to the service control manager, or it refused to open it
    stopped = 1,
    start_pending = 2,
    stop_pending = 3,
    running = 4,
    continue_pending = 5,
    pause_pending = 6,
    paused = 7,
};

// How the service is opened. Full access is what the driver checks ask for;
// without administrator rights Windows refuses it, and the service then
// reads as not installed.
enum class ServiceAccess { query, full };

// Service names are compared without regard to letter case.
ServiceState service_state(std::u16string_view name, ServiceAccess access = ServiceAccess::query);

}  // namespace platform
