// The directories that INF files name by number (directory ids), built from
// the system's environment: "SystemRoot", "SystemDrive", "ALLUSERSPROFILE"
// and "ProgramFiles". Windows always sets them; where one is not set (as on
// Linux, which has none of them), the directory Windows gives it by default
// stands in ("C:\Windows", "C:", "C:\ProgramData", "C:\Program Files"), so
// that on Linux the files land under the system-drive directory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The directory of an INF directory id (10 the Windows directory, 11
// system32, 12 drivers, ...); empty for an id it does not know.
std::u16string inf_directory_id_path(std::uint32_t id);

// Replaces each "%N%" whose N is a known directory id by its directory, as
// the setup interface does in registry and service values; anything else
// stays as written.
std::u16string expand_directory_ids(std::u16string_view text);

}  // namespace platform
