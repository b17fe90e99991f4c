// The package's own files: the package definition (yk*.xml), install.xml
// and the values read from them. The readers that fill a component's state
// are operations of CBaseComponent (basecomp.h); the pure rules they share
// live here.
#pragma once

#include <cstdint>
#include <string_view>

#include "cmplog/cstr.h"

// One supported operating system of the package, as its definition lists it.
// The fields that the package leaves out match any system.
struct SupportedSystem {
    static constexpr std::size_t PlatformUnits = 64;
    char16_t platform[PlatformUnits] = {};  // platform token, terminated
    std::int32_t major = -1;
    std::int32_t minor = -1;
    std::int32_t serviceRelease = -1;  // lowest service-pack number
    std::uint16_t edition = 0xFFFF;    // editions allowed (EditionFromToken)
};

// Install types of install.xml.
enum InstallType : std::int32_t {
    InstallTypeNone = -1,
    InstallTypeLegacy = 1,
    InstallTypePnp = 2,
    InstallTypeVirtual = 3,
};

// A Plug and Play hardware id from a package's device text: seven characters
// are an EISA id ("*" and the text), eight are vendor and device, sixteen add
// the subsystem (written on the machine as subsystem device, then subsystem
// vendor). Any other length gives an empty id. Letters stay as written.
CStr MakeHardwareId(std::u16string_view text);

// The editions that a package's edition token allows, as a mask that the
// running system's edition must fit into; letter case is ignored, and a
// token outside the table allows none (0).
std::uint16_t EditionFromToken(std::u16string_view token);

// The decimal number that the text begins with (leading digits only); 0
// when it begins with none. Saturates instead of overflowing.
std::uint32_t LeadingDecimal(std::u16string_view text);
// The same for the signed fields of a supported system: a leading '-' is
// honoured, so "-1" stays "any".
std::int32_t LeadingSignedDecimal(std::u16string_view text);
