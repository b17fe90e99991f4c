// Windows only: services through the service control manager.
#include "platform/services.h"

#include <windows.h>
#include <string>

#include "scoped.h"

namespace platform {

namespace {

struct CloseService {
    void operator()(SC_HANDLE handle) const { ::CloseServiceHandle(handle); }
};
using ServiceHandle = win32::Scoped<SC_HANDLE, CloseService>;

static_assert(static_cast<DWORD>(ServiceState::stopped) == SERVICE_STOPPED &&
              static_cast<DWORD>(ServiceState::running) == SERVICE_RUNNING &&
              static_cast<DWORD>(ServiceState::paused) == SERVICE_PAUSED);

// A number outside the manager's states reads as a service not known to run.
ServiceState state_of(DWORD current) {
    if (current < SERVICE_STOPPED || current > SERVICE_PAUSED) return ServiceState::stopped;
    return static_cast<ServiceState>(current);
}

}  // namespace

ServiceState service_state(std::u16string_view name, ServiceAccess access) {
    if (name.empty()) return ServiceState::not_installed;
    ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (manager.get() == nullptr) return ServiceState::not_installed;
    std::wstring serviceName(name.begin(), name.end());
    DWORD rights = access == ServiceAccess::full ? SERVICE_ALL_ACCESS : SERVICE_QUERY_STATUS;
    ServiceHandle service(::OpenServiceW(manager.get(), serviceName.c_str(), rights));
    if (service.get() == nullptr) return ServiceState::not_installed;
    SERVICE_STATUS status{};
    // Opened but its state unreadable: it is there, and not known to run.
    if (!::QueryServiceStatus(service.get(), &status)) return ServiceState::stopped;
    return state_of(status.dwCurrentState);
}

}  // namespace platform
