// POSIX only: the UTF-16 test, which Linux has no system call for.
#include "platform/text.h"

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

}  // namespace

bool is_utf16_text(const void* bytes, std::size_t size) {
    const auto* data = static_cast<const unsigned char*>(bytes);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) return true;
    return looks_like_utf16le(data, size);
}

}  // namespace platform
