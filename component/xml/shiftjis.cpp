#include "shiftjis.h"

#include "platform/codepage.h"

#include <string>
#include <string_view>

namespace {

constexpr int invalid = -1;
constexpr int firstOfTwo = -2;
constexpr std::int32_t notYetDecoded = -2;
constexpr int rowCount = 32 + 31;  // first bytes 0x80-0x9F and 0xE0-0xFE

int MapEntry(int byte) {
    if (byte <= 0x08 || (byte >= 0x10 && byte <= 0x1F) || byte == 0xFF) return invalid;
    if (byte <= 0x7F) return byte;
    if (byte <= 0x9F || byte >= 0xE0) return firstOfTwo;
    return 0xFF60 + (byte - 0xA0);  // single-byte half-width katakana
}

int RowOf(unsigned char first) {
    return first <= 0x9F ? first - 0x80 : first - 0xE0 + 32;
}

}  // namespace

bool ShiftJisDecoder::Accepts(const char* name) {
    static constexpr std::string_view accepted = "SHIFT_JIS";
    if (name == nullptr) return false;
    std::size_t i = 0;
    for (; i < accepted.size(); ++i) {
        char unit = name[i];
        if (unit >= 'a' && unit <= 'z') unit = static_cast<char>(unit - 'a' + 'A');
        if (unit != accepted[i]) return false;  // also ends at a shorter name's terminator
    }
    return name[i] == '\0';
}

void ShiftJisDecoder::Describe(XML_Encoding& info) {
    for (int byte = 0; byte < 256; ++byte) info.map[byte] = MapEntry(byte);
    decoded_.assign(static_cast<std::size_t>(rowCount) * 256, notYetDecoded);
    info.data = this;
    info.convert = &ConvertCallback;
    info.release = nullptr;
}

int ShiftJisDecoder::Convert(const char* bytes) {
    auto first = static_cast<unsigned char>(bytes[0]);
    auto second = static_cast<unsigned char>(bytes[1]);
    if (MapEntry(first) != firstOfTwo || decoded_.empty()) return invalid;
    std::int32_t& entry = decoded_[static_cast<std::size_t>(RowOf(first)) * 256 + second];
    if (entry == notYetDecoded) {
        std::u16string text;
        bool decoded = platform::decode_shift_jis(std::string_view(bytes, 2), text) && text.size() == 1;
        entry = decoded ? text[0] : invalid;
    }
    return entry;
}

int XMLCALL ShiftJisDecoder::ConvertCallback(void* data, const char* bytes) {
    try {
        return static_cast<ShiftJisDecoder*>(data)->Convert(bytes);
    } catch (...) {
        return invalid;  // expat then reports the sequence as malformed
    }
}
