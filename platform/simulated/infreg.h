// POSIX only: the registry entries of an INF section (AddReg and DelReg),
// carried out on the simulated machine's registry the way the setup
// interface carries them out on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inf.h"
#include "platform/registry.h"

namespace platform::posix {

// True when the file has a section of that name (letter case ignored).
bool inf_has_section(const InfFile& inf, std::u16string_view section);

// Carries out the add-registry sections that the section's AddReg lines
// name and the delete-registry sections of its DelReg lines. Relative
// entries (HKR) go below relativeRoot\relativeKey. False at the first entry
// the registry refuses or that names an unknown root.
bool apply_inf_registry(const InfFile& inf, std::u16string_view section, RegistryRoot relativeRoot,
                        std::u16string_view relativeKey);

}  // namespace platform::posix
