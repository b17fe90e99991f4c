// Shift-JIS for expat: documents that declare "SHIFT_JIS" (an encoding expat
// does not know itself) are decoded through a byte map and a converter of
// two-byte sequences, as code page 932 whatever the user's locale.
#pragma once

#include <expat.h>

#include <cstdint>
#include <vector>

class ShiftJisDecoder {
public:
    // True for the encoding name "SHIFT_JIS" in any letter case.
    static bool Accepts(const char* name);

    // Fills expat's description of the encoding: the fixed byte map, and this
    // decoder as the converter of two-byte sequences. The decoder must
    // outlive the parse.
    void Describe(XML_Encoding& info);

    // The character of the two-byte sequence at `bytes`, or -1 when the pair
    // is not valid Shift-JIS.
    int Convert(const char* bytes);

private:
    static int XMLCALL ConvertCallback(void* data, const char* bytes);

    // Decoded pairs, filled as they are met: every first byte of a pair has
    // a row of 256 entries for the second byte.
    std::vector<std::int32_t> decoded_;
};
