// Entity and character-reference decoding of text runs and attribute values.
#pragma once

#include "kelvor_xml/dom.h"

#include <cstddef>

namespace dom {

struct Entity {
    const char* text;  // with its "&" and ";"
    std::size_t length;
    char character;
};

// Decoding compares the names without regard to case; output uses them as
// written here.
inline constexpr Entity entity_table[] = {
    {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''},
};

// Checks the references of [begin, end) and gives the length of the decoded
// text, which is never longer: the shortest reference takes four bytes and
// decodes to at most two. A character reference from 128 to 255 becomes its
// two-byte UTF-8 sequence, so decoded text stays valid UTF-8. Returns None,
// BadReference or ReferenceAbove255.
DomError measure_decoded(const char* begin, const char* end, std::size_t& length);

// Writes the decoded text of [begin, end), which measure_decoded accepted,
// over its own start. No terminator is written.
void decode_in_place(char* begin, const char* end);

}  // namespace dom
