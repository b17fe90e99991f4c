// Fixed-width fields and trimming for the utility's report lines.
#pragma once

#include <string>

namespace kelvor {

// Right-aligned in at least `width` characters, blanks on the left ("%4s").
std::string padLeft(const std::string& text, std::size_t width);

// Left-aligned in at least `width` characters, blanks on the right ("%-17s").
std::string padRight(const std::string& text, std::size_t width);

// The text with blanks, tabs and line ends removed at both ends.
std::string trimmed(const std::string& text);

}  // namespace kelvor
