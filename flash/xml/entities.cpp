// Entity decoding: a first pass checks the text and measures the result, the
// second writes it where the text stood.
#include "entities.h"
#include "utf8.h"

#include "platform/ascii.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace dom {

namespace {

// Anything at or above this is refused, so a long digit run cannot overflow.
constexpr std::uint32_t reference_limit = 256;

struct Reference {
    DomError error = DomError::None;
    std::uint32_t value = 0;
    const char* after = nullptr;
};

bool starts_with_ignoring_case(const char* text, const char* end, const char* name, std::size_t length) {
    if (static_cast<std::size_t>(end - text) < length) return false;
    return platform::equals_ignoring_case(std::string_view(text, length), std::string_view(name, length));
}

int digit_value(char c, bool hexadecimal) {
    if (hexadecimal) return platform::hex_digit_value(c);
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

// "&#" or "&#x" is behind position; digits and ";" must follow.
Reference read_character_reference(const char* position, const char* end, bool hexadecimal) {
    Reference reference;
    std::uint32_t value = 0;
    for (; position < end && *position != ';'; ++position) {
        int digit = digit_value(*position, hexadecimal);
        if (digit < 0) {
            reference.error = DomError::BadReference;
            return reference;
        }
        value = value * (hexadecimal ? 16 : 10) + static_cast<std::uint32_t>(digit);
        if (value >= reference_limit) value = reference_limit;
    }
    if (position == end || value == 0) {
        // No ";", or a NUL that would cut the text short.
        reference.error = DomError::BadReference;
        return reference;
    }
    if (value >= reference_limit) reference.error = DomError::ReferenceAbove255;
    reference.value = value;
    reference.after = position + 1;
    return reference;
}

// position is at an "&".
Reference read_reference(const char* position, const char* end) {
    if (end - position >= 2 && position[1] == '#') {
        bool hexadecimal = end - position >= 3 && (position[2] == 'x' || position[2] == 'X');
        return read_character_reference(position + (hexadecimal ? 3 : 2), end, hexadecimal);
    }
    for (const Entity& entity : entity_table) {
        if (starts_with_ignoring_case(position, end, entity.text, entity.length)) {
            Reference reference;
            reference.value = static_cast<unsigned char>(entity.character);
            reference.after = position + entity.length;
            return reference;
        }
    }
    Reference reference;
    reference.error = DomError::BadReference;
    return reference;
}

std::size_t encoded_length(std::uint32_t value) { return value < 0x80 ? 1 : 2; }

char* write_encoded(char* out, std::uint32_t value) {
    if (value < 0x80) {
        *out++ = static_cast<char>(value);
    } else {
        *out++ = static_cast<char>(0xC0 | (value >> 6));
        *out++ = static_cast<char>(0x80 | (value & 0x3F));
    }
    return out;
}

}  // namespace

DomError measure_decoded(const char* begin, const char* end, std::size_t& length) {
    length = 0;
    for (const char* position = begin; position < end;) {
        if (*position != '&') {
            const char* after = utf8::next(position, end);
            length += static_cast<std::size_t>(after - position);
            position = after;
            continue;
        }
        Reference reference = read_reference(position, end);
        if (reference.error != DomError::None) return reference.error;
        length += encoded_length(reference.value);
        position = reference.after;
    }
    return DomError::None;
}

// The output never overtakes the input: a reference is read whole before
// its one or two bytes are written at or behind its start.
void decode_in_place(char* begin, const char* end) {
    char* out = begin;
    for (const char* position = begin; position < end;) {
        if (*position != '&') {
            const char* after = utf8::next(position, end);
            while (position < after) *out++ = *position++;
            continue;
        }
        Reference reference = read_reference(position, end);
        out = write_encoded(out, reference.value);
        position = reference.after;
    }
}

}  // namespace dom
