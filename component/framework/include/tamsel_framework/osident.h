// Operating-system identification: the running system's platform token,
// service pack and edition, and whether a package's supported system covers
// it. The system facts come from the platform layer; the rules are here.
#pragma once

#include <cstdint>
#include <string_view>

#include "cmplog/cstr.h"
#include "tamsel_framework/packagefields.h"

// Processor architectures as the system reports them.
enum : std::uint16_t {
    ArchitectureX86 = 0,
    ArchitectureItanium = 6,
    ArchitectureX64 = 9,
    ArchitectureX86OnX64 = 10,
};

// The running system as the supported-system records are matched against it.
struct RunningSystem {
    CStr platform;  // "nt", "nt64", "nt_x86-64", or empty
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t servicePack = 0;
    std::uint16_t edition = 0xFF05;
};

// "nt", "nt64" or "nt_x86-64" for an NT system by its processor
// architecture; empty for another architecture or a system that is not NT.
CStr PlatformToken(bool isNt, std::uint16_t architecture);

// The number that begins at the text's first digit ("Service Pack 2" gives
// 2); 0 for an empty text and for a text without any digit.
std::int32_t ServicePackNumber(std::u16string_view text);

// The running system's edition mask from its product type (GetProductInfo)
// and whether it is the R2 release of its server version.
std::uint16_t RunningEditionMask(std::uint32_t productType, bool r2);

// True when the record allows the running system.
bool SystemMatches(const SupportedSystem& record, const RunningSystem& running);
