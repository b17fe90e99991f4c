// System services in UTF-16 for the plug-in: environment expansion and the
// local time and date as the system's locale writes them.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces each "%NAME%" by the value of the environment variable NAME,
// letter case of NAME ignored; a name that is not set stays as written,
// percent signs included. On Linux "%SystemDrive%" gives "C:", the drive
// letter that native_path maps onto the system-drive directory ($SystemDrive,
// or "/"), so that "%SystemDrive%\ykzsystem\log\" lands in that directory.
std::u16string expand_environment(std::u16string_view text);

// The local time of day in 24 hours without a morning or afternoon marker.
// Windows writes it in the system locale's form (such as "14:03:22", or
// "9:05:07" where the locale drops the leading zero); Linux always writes
// "HH:MM:SS".
std::u16string local_time_of_day();

// Today's date in the system locale's short form on Windows (such as
// "3/14/2024"); on Linux always "MM/DD/YYYY".
std::u16string local_short_date();

}  // namespace platform
