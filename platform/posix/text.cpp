// POSIX only: the UTF-16 test and conversion, which Linux has no system calls
// for.
#include "../text.h"

#include <cstdint>

namespace platform {

namespace {

std::uint16_t unit_at(const unsigned char* bytes, std::size_t index) {
    return static_cast<std::uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

// Only the head of a file is looked at, as the system's own test does on
// Windows: the answer is settled long before, and a large file costs no more.
constexpr std::size_t sampled_bytes = 4096;

// UTF-16LE text that is mostly markup has a zero high byte in nearly every
// unit and a non-zero low byte in nearly every unit, and no U+0000 inside it.
// 8-bit text has no zero bytes at all, so it can never pass.
bool looks_like_utf16le(const unsigned char* bytes, std::size_t size) {
    if (size < 4 || size % 2 != 0) return false;
    std::size_t units = (size < sampled_bytes ? size : sampled_bytes) / 2;
    std::size_t zero_high = 0;
    std::size_t zero_low = 0;
    for (std::size_t i = 0; i < units; ++i) {
        bool low_zero = bytes[2 * i] == 0;
        bool high_zero = bytes[2 * i + 1] == 0;
        if (low_zero && high_zero && i + 1 < units && unit_at(bytes, i + 1) != 0) return false;
        zero_low += low_zero;
        zero_high += high_zero;
    }
    return zero_high * 2 >= units && zero_low * 8 <= units;
}

void append_utf8(std::string& out, std::uint32_t code_point) {
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | (code_point >> 6));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | (code_point >> 12));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code_point >> 18));
        out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

bool is_high_surrogate(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool is_utf16_text(const void* bytes, std::size_t size) {
    const auto* data = static_cast<const unsigned char*>(bytes);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return true;
    return looks_like_utf16le(data, size);
}

bool utf16le_to_utf8(const void* bytes, std::size_t size, std::string& utf8) {
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::size_t units = size / 2;
    std::string out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        std::uint16_t unit = unit_at(data, i);
        if (unit == 0) break;
        if (is_low_surrogate(unit)) return false;
        if (!is_high_surrogate(unit)) {
            append_utf8(out, unit);
            continue;
        }
        std::uint16_t low = i + 1 < units ? unit_at(data, i + 1) : 0;
        if (!is_low_surrogate(low)) return false;
        append_utf8(out, 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) + (low - 0xDC00));
        ++i;
    }
    utf8 = std::move(out);
    return true;
}

}  // namespace platform
