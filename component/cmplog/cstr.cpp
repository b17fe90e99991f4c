#include "cmplog/cstr.h"

#include "platform/unicode.h"

CStr CStr::FromUtf8(std::string_view utf8) { return CStr(platform::utf8_to_utf16(utf8)); }

std::string CStr::ToUtf8() const { return platform::utf16_to_utf8(text_); }

bool CStr::EqualsNoCase(std::u16string_view other) const { return ::EqualsNoCase(text_, other); }

std::size_t CStr::FindNoCase(std::u16string_view piece, std::size_t from) const {
    return ::FindNoCase(text_, piece, from);
}

CStr CStr::ToUpper() const {
    std::u16string out = text_;
    for (auto& unit : out) {
        if ((unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7)) unit -= 0x20;
    }
    return CStr(std::move(out));
}

CStr CStr::ToLower() const {
    std::u16string out = text_;
    for (auto& unit : out) unit = FoldCase(unit);
    return CStr(std::move(out));
}

char16_t FoldCase(char16_t unit) {
    if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7)) return unit + 0x20;
    return unit;
}

bool EqualsNoCase(std::u16string_view left, std::u16string_view right) {
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (FoldCase(left[i]) != FoldCase(right[i])) return false;
    }
    return true;
}

std::size_t FindNoCase(std::u16string_view text, std::u16string_view piece, std::size_t from) {
    if (piece.size() > text.size()) return CStr::npos;
    for (std::size_t start = from; start + piece.size() <= text.size(); ++start) {
        if (EqualsNoCase(text.substr(start, piece.size()), piece)) return start;
    }
    return CStr::npos;
}

std::size_t CopyToBuffer(char16_t* buffer, std::size_t capacity, std::u16string_view text) {
    if (buffer == nullptr || capacity == 0) return 0;
    std::size_t count = platform::utf16_cut_length(text, capacity - 1);
    text.copy(buffer, count);
    buffer[count] = u'\0';
    return count;
}

std::size_t BoundedLength(const char16_t* text, std::size_t capacity) {
    if (text == nullptr) return 0;
    std::size_t length = 0;
    while (length < capacity && text[length] != u'\0') ++length;
    return length;
}
