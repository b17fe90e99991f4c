// Windows only: services through the service control manager.
#include "../services.h"

#include <windows.h>
#include <string>

namespace platform {

namespace {

class ServiceHandle {
public:
    explicit ServiceHandle(SC_HANDLE handle) : handle_(handle) {}
    ~ServiceHandle() {
        if (handle_ != nullptr) ::CloseServiceHandle(handle_);
    }
    ServiceHandle(const ServiceHandle&) = delete;
    ServiceHandle& operator=(const ServiceHandle&) = delete;
    SC_HANDLE get() const { return handle_; }

private:
    SC_HANDLE handle_;
};

ServiceState state_of(DWORD current) {
    switch (current) {
        case SERVICE_START_PENDING:
            return ServiceState::start_pending;
        case SERVICE_STOP_PENDING:
            return ServiceState::stop_pending;
        case SERVICE_RUNNING:
            return ServiceState::running;
        case SERVICE_CONTINUE_PENDING:
            return ServiceState::continue_pending;
        case SERVICE_PAUSE_PENDING:
            return ServiceState::pause_pending;
        case SERVICE_PAUSED:
            return ServiceState::paused;
        default:
            return ServiceState::stopped;
    }
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
