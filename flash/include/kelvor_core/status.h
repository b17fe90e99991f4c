// Version status: how installed firmware compares with the package's, the
// installed-firmware display (-c) and the version report run (-v).
#pragma once

#include "kelvor_core/records.h"

#include <cstdint>

namespace kelvor {

enum class VersionClass { Older, Same, Newer };

// Compares (major, minor, build) in order: older when the available version
// is greater, same when equal, newer otherwise.
VersionClass classifyVersion(const VersionTriple& installed, const VersionTriple& available);

// The -c run: 1 when at least one supported adapter was shown, else 0.
std::uint32_t showCurrent();

// The -v run: 1 when the report file exists afterwards, 0 when not, 3 when
// no supported adapter was found.
std::uint32_t versionReport();

}  // namespace kelvor
