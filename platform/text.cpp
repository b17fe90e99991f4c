// Portable part of the text service: UTF-16LE bytes to UTF-8, through the
// one place that converts between the two.
#include "platform/text.h"
#include "platform/unicode.h"

#include <cstdint>

namespace platform {

bool utf16le_to_utf8(const void* bytes, std::size_t size, std::string& utf8) {
    // Byte by byte: the bytes come straight from a file, in no particular
    // alignment and always little-endian.
    const auto* data = static_cast<const unsigned char*>(bytes);
    std::size_t units = size / 2;
    std::u16string text;
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        auto unit = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (unit == u'\0') break;
        text += unit;
    }
    std::string out;
    if (!utf16_to_utf8_strict(text, out)) return false;
    utf8 = std::move(out);
    return true;
}

}  // namespace platform
