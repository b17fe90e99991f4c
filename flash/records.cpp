#include "kelvor_core/records.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace kelvor {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::uint32_t as_unsigned(std::int32_t value) { return static_cast<std::uint32_t>(value); }

}  // namespace

std::string VersionTriple::text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
}

std::int32_t decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // The digits saturate: a number beyond the 32-bit range reads as its
    // nearer end. Unsigned, so that a second sign is no digit.
    constexpr std::uint64_t limit = std::uint64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::uint64_t magnitude = 0;
    if (std::from_chars(text.data() + i, text.data() + text.size(), magnitude).ec == std::errc::result_out_of_range ||
        magnitude > limit)
        magnitude = limit;
    std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (value > std::numeric_limits<std::int32_t>::max()) value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

VersionTriple parseVersion(std::string_view text) {
    VersionTriple version;
    std::size_t dot = text.find('.');
    if (dot == std::string_view::npos) return version;

    std::size_t majorStart = dot;
    while (majorStart > 0 && is_digit(text[majorStart - 1])) --majorStart;
    version.major = as_unsigned(decimalValue(text.substr(majorStart, dot - majorStart)));

    std::string_view rest = text.substr(dot + 1);
    std::size_t nextDot = rest.find('.');
    version.minor = as_unsigned(decimalValue(rest.substr(0, nextDot)));
    if (nextDot != std::string_view::npos) {
        std::string_view build = rest.substr(nextDot + 1);
        version.build = as_unsigned(decimalValue(build.substr(0, build.find('.'))));
    }
    return version;
}

}  // namespace kelvor
