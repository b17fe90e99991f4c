// Portable code only: ASCII comparisons, lower case and decimal numbers.
#include "platform/ascii.h"

#include <charconv>

namespace platform {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    return true;
}

std::string lowered_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = ascii_lower(c);
    return out;
}

namespace {

std::size_t count_leading_digits(std::u16string_view text) {
    std::size_t count = 0;
    while (count < text.size() && text[count] >= u'0' && text[count] <= u'9') ++count;
    return count;
}

// The value of a non-empty run of ASCII digits; nothing when it does not
// fit 64 bits.
std::optional<std::uint64_t> digits_value(std::u16string_view digits) {
    while (digits.size() > 1 && digits.front() == u'0') digits.remove_prefix(1);
    constexpr std::size_t widest = std::numeric_limits<std::uint64_t>::digits10 + 1;
    if (digits.size() > widest) return std::nullopt;
    char narrow[widest];
    for (std::size_t i = 0; i < digits.size(); ++i) narrow[i] = static_cast<char>(digits[i]);
    std::uint64_t value = 0;
    if (std::from_chars(narrow, narrow + digits.size(), value).ec != std::errc()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::uint32_t> decimal_number(std::u16string_view digits, std::uint32_t max) {
    if (digits.empty() || count_leading_digits(digits) != digits.size()) return std::nullopt;
    std::optional<std::uint64_t> value = digits_value(digits);
    if (!value || *value > max) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

std::uint32_t leading_decimal(std::u16string_view text, std::uint32_t max) {
    std::size_t count = count_leading_digits(text);
    if (count == 0) return 0;
    std::optional<std::uint64_t> value = digits_value(text.substr(0, count));
    return !value || *value > max ? max : static_cast<std::uint32_t>(*value);
}

}  // namespace platform
