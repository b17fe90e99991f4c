// The install-state checks of the base component (its GetInstallState and
// the checks it runs live in installstate.cpp and dependencychecks.cpp) and
// the pure rules and machine questions behind them, which the firmware
// component uses too.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/module.h"

// Status values of an InstallState record.
enum InstallStatus : std::int32_t {
    InstallStatusSame = 1,                 // present, installed, same version as the package
    InstallStatusOlder = 2,                // present, installed, older: update recommended
    InstallStatusNewer = 3,                // present, installed, newer
    InstallStatusInstalledNoHardware = 4,  // no supported hardware, component installed
    InstallStatusNotInstalled = 5,         // present, component not installed
    InstallStatusNotApplicable = 6,        // no supported hardware and not installed, or the dependency list failed
    InstallStatusCannotInstall = 7,        // system, disk space, dependency or removal refuses it
    InstallStatusUnknownVersion = 8,       // present and installed, version status outside 0 to 2
};

// Answers of GetVersionStatus.
inline constexpr std::int32_t VersionOlder = 0;
inline constexpr std::int32_t VersionSame = 1;
inline constexpr std::int32_t VersionNewer = 2;
// The answer when the installed version cannot be told: the base component's
// without a version resource, the firmware component's when the utility gave
// no version answer.
inline constexpr std::int32_t VersionUnknown = -1;

// The message of a failed dependency-list check, in every language.
inline constexpr char16_t SystemModelNotSupported[] = u"System model not supported.";

// Free bytes as whole kilobytes in the 32-bit field that the required space
// is compared with: a volume with more than 4 TB free saturates at the
// largest value instead of wrapping to almost nothing.
std::uint32_t FreeKilobytes(std::uint64_t bytes);

// Installed: the service control manager opens the service with full access
// and its key under HKLM\System\CurrentControlSet\Services exists.
bool IsServiceInstalled(std::u16string_view name);
// Running: the service control manager reports a state other than stopped.
bool IsServiceRunning(std::u16string_view name);

// A platform's model against the system model: each cut to what a buffer of
// 255 units holds, trailing tabs, line feeds, carriage returns and spaces
// dropped, letter case ignored. No system model matches nothing.
bool ModelsEqual(std::u16string_view platformModel, const std::optional<std::u16string>& systemModel);

// A package version text ("4.0.550", one to four numbers up to 65535, dots
// between) as a file version; nothing when it is not one.
std::optional<platform::FileVersion> ParseVersion(std::u16string_view text);
// VersionOlder, VersionSame or VersionNewer of the installed version against
// the package's.
std::int32_t CompareVersions(const platform::FileVersion& installed, const platform::FileVersion& package);
