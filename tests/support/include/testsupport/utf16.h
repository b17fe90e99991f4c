// UTF-16LE bytes of UTF-8 text, for the tests of the UTF-16 file support.
#pragma once

#include <cstdint>
#include <string>

namespace xmltest {

inline void append_unit(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// Well-formed UTF-8 only.
inline std::string utf16le(const std::string& utf8, bool with_mark) {
    std::string out = with_mark ? "\xFF\xFE" : "";
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<std::size_t>(length);
        if (code >= 0x10000) {
            append_unit(out, 0xD800 + ((code - 0x10000) >> 10));
            append_unit(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            append_unit(out, code);
        }
    }
    return out;
}

}  // namespace xmltest
