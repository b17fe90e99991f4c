// What the setup interface does with an open INF file beyond reading it:
// installing a section's registry entries and services, creating a
// root-enumerated device node, and updating the driver of Plug and Play
// devices.
//
// Windows: SetupAPI and newdev.dll. Linux has none of them; there the
// simulated machine (machine.h) receives what Windows would record:
// registry entries in its registry.reg, services as their registry keys and
// "[services]" lines of its windows.ini, device nodes and driver updates as
// registry keys under Enum (platform/README.md). Without a simulated machine
// every one of these fails, as it fails for a user without the rights.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace platform {

class InfFile;

// What of a section install_inf_section carries out.
enum class InfSectionParts {
    // Log configurations, INI files, registry entries, INI-to-registry
    // transfers and profile items: everything but file copies (the
    // installation copies files itself).
    all_but_files,
    registry_only,
};

// Installs a section (SetupInstallFromInfSectionW). Relative registry
// entries (HKR) go below relativeRoot\relativeKey, which is created when
// missing; an empty relativeKey means the root itself. False when the
// section does not exist or the system refused a part of it. Linux carries
// out AddReg and DelReg only.
bool install_inf_section(const InfFile& inf, std::u16string_view section, InfSectionParts parts,
                         RegistryRoot relativeRoot, std::u16string_view relativeKey,
                         std::u16string_view sourceDirectory);

// Error codes beyond fileops.h that the setup interface answers with when
// it installs services.
inline constexpr std::uint32_t error_service_exists = 1073;
inline constexpr std::uint32_t error_duplicate_service_name = 1078;
inline constexpr std::uint32_t error_section_not_found = 0xE0000102;
inline constexpr std::uint32_t error_bad_service_installsect = 0xE0000217;

// Installs the services that the section's AddService lines name and
// removes those of its DelService lines
// (SetupInstallServicesFromInfSectionW, no flags): 0 or the error code.
std::uint32_t install_inf_services(const InfFile& inf, std::u16string_view section);

// A device node of the root enumerator created for a legacy or virtual
// driver, with the class drivers of one INF file. The device information
// set that holds it lives as long as this object.
class RootDevice {
public:
    RootDevice();
    ~RootDevice();
    RootDevice(const RootDevice&) = delete;
    RootDevice& operator=(const RootDevice&) = delete;

    // Creates and registers the device `deviceName` (its instance id
    // generated) in the setup class `className`, and selects the class
    // drivers that `infPath` offers, the last one staying selected. False on
    // any error of the setup interface.
    bool create(std::u16string_view infPath, std::u16string_view className, std::u16string_view deviceName);
    // Installs the selected driver on the device (the class installer).
    bool install();
    // The device's first hardware id, when it has one.
    std::optional<std::u16string> first_hardware_id() const;
    // True when the device's install parameters ask for a restart.
    bool needs_restart() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

enum class DriverUpdateLoad { ok, no_library, no_function };

// The system's driver-update function, UpdateDriverForPlugAndPlayDevicesW
// of newdev.dll, loaded at run time and freed on destruction.
class DriverUpdateLibrary {
public:
    DriverUpdateLibrary();
    ~DriverUpdateLibrary();
    DriverUpdateLibrary(const DriverUpdateLibrary&) = delete;
    DriverUpdateLibrary& operator=(const DriverUpdateLibrary&) = delete;

    // Loads the library from the system directory, critical-error dialogs
    // suppressed meanwhile. Linux: ok with a simulated machine, else
    // no_library.
    DriverUpdateLoad load();
    // Updates the driver of every present device with `hardwareId` from
    // `infPath`; `flags` are the system's install flags (1: force). False
    // when the update failed; `rebootRequired` is set when the system asks
    // for a restart. Linux records the update of a present device of the
    // simulated machine and fails for an absent one, as Windows does.
    bool update(std::u16string_view hardwareId, std::u16string_view infPath, std::uint32_t flags, bool& rebootRequired);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
