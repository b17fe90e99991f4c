// The tokens of the document grammar, read from a shared position. Defined
// here, so that the parser's loop can inline the tokenizer.
#pragma once

#include "utf8.h"

#include <cstddef>
#include <cstring>
#include <iterator>

namespace dom {

enum class TokenKind : unsigned char {
    End,         // the NUL that ends the text
    RawSection,  // one of the raw-section open markers
    Quoted,      // a quoted string, both quotes included
    Word,
    SelfClose,        // "/>"
    EndTagOpen,       // "</"
    DeclarationOpen,  // "<?"
    TagOpen,          // "<"
    Equals,           // "="
    TagClose,         // ">"
};

struct Token {
    TokenKind kind;
    const char* begin;
    const char* end;
    int marker;  // index into raw_markers for a raw-section token
};

struct RawMarker {
    const char* open;
    std::size_t open_length;
    const char* close;  // for the DOCTYPE, the close without an internal subset
};

// Tested in this order, matched case-sensitively.
inline constexpr RawMarker raw_markers[] = {
    {"<![CDATA[", 9, "]]>"},
    {"<!DOCTYPE", 9, ">"},
    {"<!--", 4, "-->"},
    {"<PRE>", 5, "</PRE>"},
};
inline constexpr int doctype_marker = 1;
inline constexpr int comment_marker = 2;
// Closes a DOCTYPE whose content has a "<" before the first ">".
inline constexpr const char* internal_subset_close = "]>";

class Tokenizer {
public:
    explicit Tokenizer(const char* text) : position_(text) {}

    Token next();
    const char* position() const { return position_; }
    void move_to(const char* position) { position_ = position; }

private:
    Token word(const char* begin, const char* scan_from);
    Token quoted(const char* begin);
    Token symbol(TokenKind kind, std::size_t length);

    const char* position_;
};

namespace tokenizer_detail {

enum CharClass : unsigned char { Plain, Blank, Stop, Slash };

struct CharClasses {
    CharClass table[128] = {};
    constexpr CharClasses() {
        table[static_cast<int>('\t')] = Blank;
        table[static_cast<int>('\n')] = Blank;
        table[static_cast<int>('\r')] = Blank;
        table[static_cast<int>(' ')] = Blank;
        table[0] = Stop;
        table[static_cast<int>('<')] = Stop;
        table[static_cast<int>('>')] = Stop;
        table[static_cast<int>('=')] = Stop;
        table[static_cast<int>('/')] = Slash;
    }
};

inline constexpr CharClasses char_classes;

inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline int raw_marker_at(const char* position) {
    // Every marker starts with "<!" or "<P"; most tags start otherwise.
    if (position[1] != '!' && position[1] != 'P') return -1;
    for (int i = 0; i < static_cast<int>(std::size(raw_markers)); ++i) {
        if (std::strncmp(position, raw_markers[i].open, raw_markers[i].open_length) == 0) return i;
    }
    return -1;
}

}  // namespace tokenizer_detail

inline Token Tokenizer::symbol(TokenKind kind, std::size_t length) {
    Token token{kind, position_, position_ + length, -1};
    position_ += length;
    return token;
}

inline Token Tokenizer::word(const char* begin, const char* scan_from) {
    const char* position = scan_from;
    for (;;) {
        auto byte = static_cast<unsigned char>(*position);
        if (byte >= 0x80) {
            position = utf8::next(position);
            continue;
        }
        tokenizer_detail::CharClass kind = tokenizer_detail::char_classes.table[byte];
        if (kind == tokenizer_detail::Plain || (kind == tokenizer_detail::Slash && position[1] != '>')) {
            ++position;
            continue;
        }
        position_ = kind == tokenizer_detail::Blank ? position + 1 : position;
        return Token{TokenKind::Word, begin, position, -1};
    }
}

inline Token Tokenizer::quoted(const char* begin) {
    char quote = *begin;
    for (const char* position = begin + 1; *position != '\0' && *position != '<';) {
        if (*position == quote) {
            position_ = position + 1;
            return Token{TokenKind::Quoted, begin, position + 1, -1};
        }
        position = utf8::next(position);
    }
    // No closing quote before markup or the end: the quote starts a word.
    return word(begin, begin + 1);
}

inline Token Tokenizer::next() {
    while (tokenizer_detail::is_blank(*position_)) ++position_;
    char c = *position_;
    switch (c) {
    case '\0':
        return Token{TokenKind::End, position_, position_, -1};
    case '<': {
        int marker = tokenizer_detail::raw_marker_at(position_);
        if (marker >= 0) {
            Token token = symbol(TokenKind::RawSection, raw_markers[marker].open_length);
            token.marker = marker;
            return token;
        }
        if (position_[1] == '/') return symbol(TokenKind::EndTagOpen, 2);
        if (position_[1] == '?') return symbol(TokenKind::DeclarationOpen, 2);
        return symbol(TokenKind::TagOpen, 1);
    }
    case '"':
    case '\'':
        return quoted(position_);
    case '/':
        if (position_[1] == '>') return symbol(TokenKind::SelfClose, 2);
        return word(position_, position_ + 1);
    case '=':
        return symbol(TokenKind::Equals, 1);
    case '>':
        return symbol(TokenKind::TagClose, 1);
    default:
        return word(position_, position_);
    }
}

}  // namespace dom
