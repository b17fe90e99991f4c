// Entity and character-reference decoding of text runs and attribute values.
#pragma once

#include "xml/dom.h"

#include <cstddef>

namespace dom {

class Storage;

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

// Decodes [begin, end) into a NUL-terminated copy in storage. A character
// reference from 128 to 255 becomes its two-byte UTF-8 sequence, so stored
// text stays valid UTF-8. Returns None, BadReference or ReferenceAbove255.
DomError decode_text(const char* begin, const char* end, Storage& storage, const char*& decoded);

}  // namespace dom
