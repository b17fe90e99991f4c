// Walking UTF-8 text one sequence at a time. Every scan of the library steps
// this way, so a byte inside a multi-byte sequence is never taken for markup.
#pragma once

#include <cstddef>

namespace dom::utf8 {

// 0xC2-0xDF lead 2 bytes, 0xE0-0xEF 3, 0xF0-0xF4 4; every other byte is one.
inline std::size_t sequence_length(char lead) {
    auto byte = static_cast<unsigned char>(lead);
    if (byte < 0xC2) return 1;
    if (byte <= 0xDF) return 2;
    if (byte <= 0xEF) return 3;
    if (byte <= 0xF4) return 4;
    return 1;
}

// The start of the next sequence in NUL-terminated text; a sequence that the
// NUL cuts short ends at the NUL.
inline const char* next(const char* position) {
    std::size_t length = sequence_length(*position);
    for (std::size_t i = 1; i < length; ++i)
        if (position[i] == '\0') return position + i;
    return position + length;
}

// The same within [position, end): a sequence never reaches past end.
inline const char* next(const char* position, const char* end) {
    const char* after = next(position);
    return after > end ? end : after;
}

// The start of the last sequence of [begin, end), where begin starts a
// sequence and end > begin. A byte can only belong to a sequence that starts
// at most three bytes earlier, so plain text needs no walk from the start.
inline const char* last_sequence(const char* begin, const char* end) {
    const char* window = end - begin > 4 ? end - 4 : begin;
    bool lead_nearby = false;
    for (const char* position = window; position < end - 1; ++position)
        if (static_cast<unsigned char>(*position) >= 0xC2) lead_nearby = true;
    if (!lead_nearby) return end - 1;
    const char* last = begin;
    for (const char* position = begin; position < end; position = next(position, end)) last = position;
    return last;
}

// True when [begin, end) ends in c as a sequence of its own, rather than as
// a byte inside a multi-byte sequence.
inline bool ends_with(const char* begin, const char* end, char c) {
    return end > begin && end[-1] == c && last_sequence(begin, end) == end - 1;
}

}  // namespace dom::utf8
