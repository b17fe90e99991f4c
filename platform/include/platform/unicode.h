// UTF-8 and UTF-16 conversion: pure, portable, the same on both platforms.
//
// The utility works in UTF-8 and the plug-in in UTF-16; every conversion
// between the two goes through here. Code pages (the ANSI code page,
// Shift-JIS) belong to the system and live in codepage.h.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The replacement character stands in for bytes or units that cannot be
// converted.
inline constexpr char16_t replacement_character = u'\uFFFD';

// Lenient conversions: every malformed sequence (a stray continuation byte,
// an overlong form, a surrogate encoded in UTF-8, a lone surrogate in
// UTF-16) becomes one replacement character, so nothing is ever dropped
// silently and the result is always well-formed.
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);

// Strict conversions: false, with the output unspecified, when the input is
// not well-formed.
bool utf8_to_utf16_strict(std::string_view utf8, std::u16string& utf16);
bool utf16_to_utf8_strict(std::u16string_view utf16, std::string& utf8);

// Number of units of `text` that may be kept when it must be cut to at most
// `limit` units: never in the middle of a surrogate pair.
std::size_t utf16_cut_length(std::u16string_view text, std::size_t limit);

}  // namespace platform
