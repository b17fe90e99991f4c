// Portable code: no system headers here.
#include "platform/unicode.h"

#include <cstdint>

namespace platform {

namespace {

bool is_high_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

void append_utf16(std::u16string& out, std::uint32_t code_point) {
    if (code_point < 0x10000) {
        out += static_cast<char16_t>(code_point);
    } else {
        code_point -= 0x10000;
        out += static_cast<char16_t>(0xD800 | (code_point >> 10));
        out += static_cast<char16_t>(0xDC00 | (code_point & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at `pos`; advances `pos` past what it consumed
// (at least one byte) and answers false for a malformed sequence.
bool decode_utf8(std::string_view text, std::size_t& pos, std::uint32_t& code_point) {
    auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) {
        code_point = lead;
        return true;
    }
    std::size_t extra;
    std::uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, minimum = 0x80, code_point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, minimum = 0x800, code_point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, minimum = 0x10000, code_point = lead & 0x07;
    } else {
        return false;
    }
    for (std::size_t i = 0; i < extra; ++i) {
        if (pos >= text.size()) return false;
        auto next = static_cast<unsigned char>(text[pos]);
        if ((next & 0xC0) != 0x80) return false;  // the byte starts the next sequence
        code_point = (code_point << 6) | (next & 0x3F);
        ++pos;
    }
    return code_point >= minimum && code_point <= 0x10FFFF && !is_high_surrogate(code_point) &&
           !is_low_surrogate(code_point);
}

// Decodes one UTF-16 code point at `pos`, as decode_utf8 does.
bool decode_utf16(std::u16string_view text, std::size_t& pos, std::uint32_t& code_point) {
    std::uint32_t unit = text[pos++];
    if (is_low_surrogate(unit)) return false;
    if (!is_high_surrogate(unit)) {
        code_point = unit;
        return true;
    }
    if (pos >= text.size() || !is_low_surrogate(text[pos])) return false;
    code_point = 0x10000 + ((unit - 0xD800) << 10) + (text[pos++] - 0xDC00);
    return true;
}

template <typename Input, typename Output, typename Decode, typename Append>
bool convert(Input input, Output& output, bool strict, Decode decode, Append append) {
    output.clear();
    output.reserve(input.size());
    std::size_t pos = 0;
    bool clean = true;
    while (pos < input.size()) {
        std::uint32_t code_point = 0;
        if (!decode(input, pos, code_point)) {
            if (strict) return false;
            clean = false;
            code_point = replacement_character;
        }
        append(output, code_point);
    }
    return clean;
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view utf8) {
    std::u16string out;
    convert(utf8, out, false, decode_utf8, append_utf16);
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    std::string out;
    convert(utf16, out, false, decode_utf16, append_utf8);
    return out;
}

bool utf8_to_utf16_strict(std::string_view utf8, std::u16string& utf16) {
    return convert(utf8, utf16, true, decode_utf8, append_utf16);
}

bool utf16_to_utf8_strict(std::u16string_view utf16, std::string& utf8) {
    return convert(utf16, utf8, true, decode_utf16, append_utf8);
}

std::size_t utf16_cut_length(std::u16string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    if (limit > 0 && is_high_surrogate(text[limit - 1]) && is_low_surrogate(text[limit])) return limit - 1;
    return limit;
}

}  // namespace platform
