// The adapter driver service DAZARER, installed for a test and started or
// stopped on demand, the way the component's driver check sees it: on Linux
// a line of the simulated machine's windows.ini (with its registry key), on
// Windows a real service program registered with the service control
// manager.
#pragma once

#include <filesystem>

class DriverService {
public:
    // `machine` is the simulated machine's directory (Linux); a machine
    // without windows.ini gets a Windows Server 2008 R2 one. The service is
    // installed and running afterwards.
    explicit DriverService(const std::filesystem::path& machine);
    ~DriverService();
    DriverService(const DriverService&) = delete;
    DriverService& operator=(const DriverService&) = delete;

    // True when the service reached the state.
    bool Start();
    bool Stop();

private:
    std::filesystem::path machine_;
};
