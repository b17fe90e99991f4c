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
    // False when a quoted string certainly holds no "&", so its value needs
    // no decoding; true (possibly) otherwise.
    bool may_hold_reference = true;
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

// What a byte means to the scans of words and quoted strings. Lead bytes of
// multi-byte sequences take their sequence along, so that none of its bytes
// is taken for markup; every other byte above 0x7F is plain.
enum CharClass : unsigned char { Plain, Blank, Stop, Slash, Lead, Quote, Ampersand };

struct CharClasses {
    CharClass word[256] = {};    // how a byte ends (or does not end) a word
    CharClass quoted[256] = {};  // the same inside a quoted string
    constexpr CharClasses() {
        for (int byte = 0xC2; byte <= 0xF4; ++byte) {
            word[byte] = Lead;
            quoted[byte] = Lead;
        }
        for (char c : {'\t', '\n', '\r', ' '}) word[static_cast<unsigned char>(c)] = Blank;
        for (char c : {'\0', '<', '>', '='}) word[static_cast<unsigned char>(c)] = Stop;
        word[static_cast<unsigned char>('/')] = Slash;
        quoted[0] = Stop;
        quoted[static_cast<unsigned char>('<')] = Stop;
        quoted[static_cast<unsigned char>('"')] = Quote;
        quoted[static_cast<unsigned char>('\'')] = Quote;
        quoted[static_cast<unsigned char>('&')] = Ampersand;
    }
};

inline constexpr CharClasses char_classes;

inline CharClass word_class(const char* position) { return char_classes.word[static_cast<unsigned char>(*position)]; }
inline CharClass quoted_class(const char* position) {
    return char_classes.quoted[static_cast<unsigned char>(*position)];
}

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
    using namespace tokenizer_detail;
    const char* position = scan_from;
    for (;;) {
        while (word_class(position) == Plain) ++position;
        CharClass kind = word_class(position);
        if (kind == Lead) {
            position = utf8::next(position);
        } else if (kind == Slash && position[1] != '>') {
            ++position;
        } else {
            position_ = kind == Blank ? position + 1 : position;
            return Token{TokenKind::Word, begin, position, -1};
        }
    }
}

inline Token Tokenizer::quoted(const char* begin) {
    using namespace tokenizer_detail;
    char quote = *begin;
    bool reference = false;
    const char* position = begin + 1;
    for (;;) {
        while (quoted_class(position) == Plain) ++position;
        switch (quoted_class(position)) {
        case Lead:
            position = utf8::next(position);
            break;
        case Ampersand:
            reference = true;
            ++position;
            break;
        case Quote:
            if (*position == quote) {
                position_ = position + 1;
                Token token{TokenKind::Quoted, begin, position + 1, -1};
                token.may_hold_reference = reference;
                return token;
            }
            ++position;
            break;
        default:
            // No closing quote before markup or the end: the quote starts a word.
            return word(begin, begin + 1);
        }
    }
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
