// Text encodings: telling UTF-16 text from 8-bit text, and converting it.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// True when the bytes read from a file are UTF-16LE text: they begin with the
// byte-order mark FF FE, or they look like UTF-16LE by their statistics. Text
// without zero bytes (any ordinary UTF-8 or ASCII text) never counts.
bool is_utf16_text(const void* bytes, std::size_t size);

// Converts UTF-16LE to UTF-8, up to the first U+0000 or the end of the bytes
// (an odd last byte is ignored). False when the text cannot be converted,
// such as when it holds a surrogate without its partner.
bool utf16le_to_utf8(const void* bytes, std::size_t size, std::string& utf8);

}  // namespace platform
