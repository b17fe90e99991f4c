// CStr: the plug-in's growable UTF-16 string, and the bounded copy into the
// fixed-size UTF-16 buffers that records and hosts hand over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CStr {
public:
    CStr() = default;
    CStr(const char16_t* text) : text_(text != nullptr ? text : u"") {}  // null reads as empty
    CStr(std::u16string_view text) : text_(text) {}
    CStr(std::u16string text) : text_(std::move(text)) {}

    static CStr FromUtf8(std::string_view utf8);
    std::string ToUtf8() const;

    const char16_t* c_str() const { return text_.c_str(); }
    const std::u16string& str() const { return text_; }
    std::u16string& str() { return text_; }
    operator std::u16string_view() const { return text_; }
    std::size_t Length() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    char16_t operator[](std::size_t index) const { return text_[index]; }

    CStr& operator+=(std::u16string_view piece) {
        text_ += piece;
        return *this;
    }
    CStr& operator+=(char16_t unit) {
        text_ += unit;
        return *this;
    }
    friend CStr operator+(CStr left, std::u16string_view right) { return left += right; }
    friend bool operator==(const CStr& left, const CStr& right) { return left.text_ == right.text_; }
    friend bool operator==(const CStr& left, std::u16string_view right) { return left.text_ == right; }

    // Letter case ignored (ASCII letters and the Latin-1 letters; other
    // characters compare as they stand): hardware ids, service and section
    // names, options and language codes are compared this way.
    bool EqualsNoCase(std::u16string_view other) const;
    // Position of the first occurrence of `piece` with letter case ignored,
    // or npos.
    std::size_t FindNoCase(std::u16string_view piece, std::size_t from = 0) const;
    CStr ToUpper() const;
    CStr ToLower() const;

    static constexpr std::size_t npos = std::u16string::npos;

private:
    std::u16string text_;
};

using CStrList = std::vector<CStr>;

// Letter-case helpers on single units and views, as CStr uses them.
char16_t FoldCase(char16_t unit);
bool EqualsNoCase(std::u16string_view left, std::u16string_view right);
std::size_t FindNoCase(std::u16string_view text, std::u16string_view piece, std::size_t from = 0);

// Copies `text` into a buffer of `capacity` units with its terminator, cut
// to fit (never in the middle of a surrogate pair). Capacity 0 or a null
// buffer writes nothing. Answers the number of units copied.
std::size_t CopyToBuffer(char16_t* buffer, std::size_t capacity, std::u16string_view text);

// Length of a terminated UTF-16 text that may be unterminated within
// `capacity` units (the fixed-size fields that hosts and records pass).
std::size_t BoundedLength(const char16_t* text, std::size_t capacity);
