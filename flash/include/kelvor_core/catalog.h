// The firmware catalog NICFWData.xml: the adapter models the package
// supports, keyed by PCI identity, with the firmware each one gets.
#pragma once

#include "kelvor_core/records.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvor {

// "%04s-%04s-%04s-%04s": each identity text right-aligned in at least four
// characters, padded with blanks (never zeros) and never cut. Only a catalog
// that writes four upper-case hexadecimal digits matches discovered keys.
std::string catalogKey(std::string_view venid, std::string_view devid, std::string_view subvenid,
                       std::string_view subdevid);

// "%04X-%04X-%04X-%04X": the key of a discovered adapter.
std::string pciKey(std::uint32_t venid, std::uint32_t devid, std::uint32_t subvenid, std::uint32_t subdevid);

// Reads the catalog into the run state; problems are only logged. Returns 0.
int loadCatalog();

// The same for the bytes of a catalog file already in memory.
int loadCatalogBytes(std::string_view bytes);

// Exact lookup; on a miss logs the "PCI Id ... details could not find" line
// and returns null. The entry stays owned by the catalog.
const CatalogEntry* lookupCatalog(const std::string& key);

}  // namespace kelvor
