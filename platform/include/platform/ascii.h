// ASCII letters and hexadecimal digits, independent of the locale: the file
// formats and options of the package compare names this way whatever the
// machine's language.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

constexpr char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal when compared without regard to the case of ASCII letters; every
// other byte must match exactly.
bool equals_ignoring_case(std::string_view a, std::string_view b);

// The text with its ASCII letters in lower case; every other byte as it is.
std::string lowered_ascii(std::string_view text);

// The value of one hexadecimal digit of either case, or -1.
constexpr int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decimal numbers in UTF-16 text: ASCII digits only, no sign, no blanks.
// The number the whole of `digits` spells; nothing when it is empty, holds
// anything but digits or exceeds `max`.
std::optional<std::uint32_t> decimal_number(std::u16string_view digits,
                                            std::uint32_t max = std::numeric_limits<std::uint32_t>::max());
// The number the digits at the start of `text` spell, as C's readers take
// it: 0 without digits, `max` when it exceeds `max`.
std::uint32_t leading_decimal(std::u16string_view text, std::uint32_t max);

}  // namespace platform
