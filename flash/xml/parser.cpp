// The element grammar, driven by an explicit stack of open elements rather
// than by recursion, so that the depth of a document is limited by memory
// only. Entries of open elements collect on shared stacks and are copied
// into exact-size arrays of the element's storage when it is finished.
//
// The text is the document's own copy, and it is parsed in place: each name,
// value, text and raw section ends in a NUL written over the byte after it,
// and decoded text is written where it stood. A byte is only written once
// the tokenizer has read past it.
#include "parser.h"
#include "entities.h"
#include "tokenizer.h"
#include "utf8.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace dom {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

const char* find_marker(const char* position, const char* marker) {
    std::size_t length = std::strlen(marker);
    for (; *position != '\0'; position = utf8::next(position)) {
        if (*position == marker[0] && std::strncmp(position, marker, length) == 0) return position;
    }
    return nullptr;
}

struct RawClose {
    const char* at = nullptr;  // null when missing
    const char* marker = nullptr;
};

// A DOCTYPE ends at the first ">" unless a "<" comes first: then it holds an
// internal subset and ends at "]>".
RawClose find_raw_close(int marker, const char* content) {
    if (marker != doctype_marker)
        return RawClose{find_marker(content, raw_markers[marker].close), raw_markers[marker].close};
    for (const char* position = content; *position != '\0'; position = utf8::next(position)) {
        if (*position == '>') return RawClose{position, raw_markers[marker].close};
        if (*position == '<') return RawClose{find_marker(content, internal_subset_close), internal_subset_close};
    }
    return RawClose{};
}

}  // namespace

void EditLog::save(const char* at, std::size_t length) {
    edits_.push_back(Edit{static_cast<std::size_t>(at - text_), length, saved_.size()});
    saved_.append(at, length);
}

std::string EditLog::original(std::size_t length) const {
    std::string text(text_, length);
    // Later edits may cover earlier ones, so they are undone first.
    for (auto edit = edits_.rbegin(); edit != edits_.rend(); ++edit) {
        if (edit->offset >= length) continue;
        std::size_t count = std::min(edit->length, length - edit->offset);
        text.replace(edit->offset, count, saved_, edit->saved, count);
    }
    return text;
}

namespace {

class Parser {
public:
    Parser(char* text, DomNodeData* holder, EditLog& edits)
        : tokens_(text), text_(text), storage_(*holder->storage), holder_(holder), edits_(edits),
          pending_text_(text) {}
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    ParseOutcome run();

private:
    enum class Mode : unsigned char { ExpectName, HaveName, HaveEquals, Content };
    struct Frame {
        DomNodeData* node;
        std::size_t children_base;
        std::size_t texts_base;
        std::size_t raw_sections_base;
        std::size_t order_base;
        Mode mode;
        bool ordered;  // holds text or raw sections, so the order list is recorded
    };

    void start_tag_token(const Token& token);
    void name_token(const Token& token);
    void tag_end_token(const Token& token);
    void value_token(const Token& token);
    void content_token(const Token& token);
    void open_child(bool declaration);
    void push_child(const char* name, bool declaration);
    void end_tag();
    void close_element(const char* name, std::size_t length);
    bool markup_fast();
    struct TagEnd {
        enum Kind : unsigned char { Open, SelfClosing, Unusual } kind;
        const char* after;  // for Unusual, where the general grammar reads on
    };
    bool start_tag_fast(const char* open);
    bool end_tag_fast(const char* open);
    TagEnd attributes_fast(const char* position);
    void link_child(DomNodeData* child);
    void give_attributes(DomNodeData* node);
    void raw_section(const Token& token);
    void end_of_input(const Token& token);

    Token next_token();
    void write_passed_terminators();
    char* writable(const char* position) const { return text_ + (position - text_); }
    void terminate(const char* position);
    void write_terminator(char* position);
    DomError decode(const char* begin, const char* end, std::size_t& length);

    bool add_pending_text(const char* token_begin);
    void append_text(char* text, std::size_t length);
    void ensure_ordered(Frame& frame);
    void add_attribute(const char* value);
    void flush_attributes();
    void complete_top();
    void finish_top();
    void fail(DomError error);

    Tokenizer tokens_;
    char* text_;
    Storage& storage_;
    DomNodeData* holder_;
    EditLog& edits_;
    // Terminators that fall on a byte the tokenizer has not read yet: the
    // "<", ">", "=" or "/" that ends a word. They all wait at the tokenizer's
    // position, so one place would do.
    static constexpr int most_deferred = 4;
    char* deferred_[most_deferred] = {};
    int deferred_count_ = 0;
    std::vector<Frame> frames_;
    std::vector<DomNodeData*> children_;
    std::vector<DomAttribute> attributes_;  // of the one element in start-tag mode
    std::vector<const char*> texts_;
    std::vector<DomRawSection> raw_sections_;
    std::vector<DomContentRef> order_;
    // The terminator of the last text run, where a text folded into it goes.
    char* last_text_end_ = nullptr;
    const char* pending_text_;
    const char* attribute_name_ = nullptr;
    std::size_t attribute_name_length_ = 0;
    const char* end_tag_name_ = nullptr;  // an end tag that closed an element implicitly
    std::size_t end_tag_name_length_ = 0;
    DomError error_ = DomError::None;
    const char* unclosed_position_ = nullptr;
    bool over_ = false;
};

Parser::~Parser() {
    // Only an exception leaves children here; their parents never took them.
    for (DomNodeData* child : children_) release(child);
}

ParseOutcome Parser::run() {
    frames_.push_back(Frame{holder_, 0, 0, 0, 0, Mode::Content, false});
    while (!over_) {
        if (frames_.back().mode == Mode::Content && markup_fast()) continue;
        Token token = next_token();
        if (token.kind == TokenKind::End) {
            end_of_input(token);
        } else if (frames_.back().mode == Mode::Content) {
            content_token(token);
        } else {
            start_tag_token(token);
        }
    }
    while (!frames_.empty()) finish_top();
    // What is still deferred stands at the end of the text, already a NUL.
    for (int i = 0; i < deferred_count_; ++i) write_terminator(deferred_[i]);
    deferred_count_ = 0;
    return ParseOutcome{error_, tokens_.position(), unclosed_position_};
}

inline Token Parser::next_token() {
    Token token = tokens_.next();
    if (deferred_count_ > 0) write_passed_terminators();
    return token;
}

void Parser::write_passed_terminators() {
    int kept = 0;
    for (int i = 0; i < deferred_count_; ++i) {
        if (deferred_[i] < tokens_.position())
            write_terminator(deferred_[i]);
        else
            deferred_[kept++] = deferred_[i];
    }
    deferred_count_ = kept;
}

void Parser::terminate(const char* position) {
    char* at = writable(position);
    if (at < tokens_.position()) {
        write_terminator(at);
        return;
    }
    // The end of the text is a NUL already. Anything else waiting is the one
    // byte at the tokenizer's position, which the next token reads.
    if (*at == '\0') return;
    for (int i = 0; i < deferred_count_; ++i)
        if (deferred_[i] == at) return;
    if (deferred_count_ < most_deferred) deferred_[deferred_count_++] = at;
}

void Parser::write_terminator(char* position) {
    if (*position == '\n') edits_.save(position, 1);
    *position = '\0';
}

// Text without references stays as it is; decoded text is written over its
// source, which the edit log keeps.
DomError Parser::decode(const char* begin, const char* end, std::size_t& length) {
    auto size = static_cast<std::size_t>(end - begin);
    if (std::memchr(begin, '&', size) == nullptr) {
        length = size;
        return DomError::None;
    }
    DomError error = measure_decoded(begin, end, length);
    if (error != DomError::None) return error;
    edits_.save(begin, size);
    decode_in_place(writable(begin), end);
    return DomError::None;
}

void Parser::fail(DomError error) {
    error_ = error;
    over_ = true;
}

void Parser::end_of_input(const Token& token) {
    const DomNodeData* node = frames_.back().node;
    if (!node->is_declaration() && node->parent != nullptr) {
        error_ = DomError::UnclosedElement;
        unclosed_position_ = token.begin;
    }
    add_pending_text(token.begin);
    over_ = true;
}

void Parser::start_tag_token(const Token& token) {
    switch (frames_.back().mode) {
    case Mode::ExpectName:
        if (token.kind == TokenKind::Word) {
            attribute_name_ = token.begin;
            attribute_name_length_ = static_cast<std::size_t>(token.end - token.begin);
            frames_.back().mode = Mode::HaveName;
        } else if (token.kind == TokenKind::TagClose || token.kind == TokenKind::SelfClose) {
            attribute_name_ = nullptr;
            attribute_name_length_ = 0;
            tag_end_token(token);
        } else {
            fail(DomError::UnexpectedToken);
        }
        return;
    case Mode::HaveName:
        name_token(token);
        return;
    default:
        value_token(token);
        return;
    }
}

void Parser::name_token(const Token& token) {
    if (token.kind == TokenKind::Word) {
        add_attribute(nullptr);
        attribute_name_ = token.begin;
        attribute_name_length_ = static_cast<std::size_t>(token.end - token.begin);
    } else if (token.kind == TokenKind::TagClose || token.kind == TokenKind::SelfClose) {
        tag_end_token(token);
    } else if (token.kind == TokenKind::Equals) {
        frames_.back().mode = Mode::HaveEquals;
    } else {
        fail(DomError::UnexpectedToken);
    }
}

// ">" or "/>" ends the start tag. A declaration's closing "?" arrives as (the
// end of) an attribute name; a declaration inside an element ends with it.
void Parser::tag_end_token(const Token& token) {
    pending_text_ = tokens_.position();
    bool self_closing = token.kind == TokenKind::SelfClose;
    DomNodeData* node = frames_.back().node;
    if (node->is_declaration() && utf8::ends_with(attribute_name_, attribute_name_ + attribute_name_length_, '?')) {
        --attribute_name_length_;
        if (node->parent->parent != nullptr) self_closing = true;
    }
    if (attribute_name_length_ > 0) add_attribute(nullptr);
    flush_attributes();
    if (self_closing) {
        complete_top();
    } else {
        frames_.back().mode = Mode::Content;
    }
}

void Parser::value_token(const Token& token) {
    if (token.kind != TokenKind::Word && token.kind != TokenKind::Quoted) {
        fail(DomError::UnexpectedToken);
        return;
    }
    const char* begin = token.begin;
    const char* end = token.end;
    if (frames_.back().node->is_declaration() && utf8::ends_with(begin, end, '?')) --end;
    if (token.kind == TokenKind::Quoted) {
        ++begin;
        --end;
    }
    std::size_t length = static_cast<std::size_t>(end - begin);
    DomError error = token.may_hold_reference ? decode(begin, end, length) : DomError::None;
    if (error != DomError::None) {
        fail(error);
        return;
    }
    if (attribute_name_length_ > 0) {
        terminate(begin + length);
        add_attribute(begin);
    }
    frames_.back().mode = Mode::ExpectName;
}

void Parser::add_attribute(const char* value) {
    terminate(attribute_name_ + attribute_name_length_);
    attributes_.push_back(DomAttribute{attribute_name_, value});
    attribute_name_length_ = 0;
}

void Parser::flush_attributes() {
    if (attributes_.empty()) return;
    give_attributes(frames_.back().node);
}

// Moves the collected attributes into an exact-size array of the node.
inline void Parser::give_attributes(DomNodeData* node) {
    std::size_t count = attributes_.size();
    if (count == 0) return;
    auto* array = storage_.allocate_array<DomAttribute>(count);
    for (std::size_t i = 0; i < count; ++i) array[i] = attributes_[i];
    node->attributes = array;
    node->attribute_count = static_cast<std::int32_t>(count);
    attributes_.clear();
}

void Parser::content_token(const Token& token) {
    switch (token.kind) {
    case TokenKind::TagOpen:
    case TokenKind::DeclarationOpen:
        if (add_pending_text(token.begin)) open_child(token.kind == TokenKind::DeclarationOpen);
        return;
    case TokenKind::EndTagOpen:
        if (add_pending_text(token.begin)) end_tag();
        return;
    case TokenKind::RawSection:
        if (add_pending_text(token.begin)) raw_section(token);
        return;
    default:
        return;  // part of the content text
    }
}

void Parser::open_child(bool declaration) {
    Token name = next_token();
    if (name.kind != TokenKind::Word) {
        fail(DomError::TagNameExpected);
        return;
    }
    push_child(name.begin, declaration);
    terminate(name.end);
}

// The new element is open in start-tag mode; its name's terminator is the
// caller's.
void Parser::push_child(const char* name, bool declaration) {
    DomNodeData* child = storage_.new_record(name, declaration);
    link_child(child);
    frames_.push_back(
        Frame{child, children_.size(), texts_.size(), raw_sections_.size(), order_.size(), Mode::ExpectName, false});
    attribute_name_length_ = 0;
}

// Makes the child the last of the open element's children.
inline void Parser::link_child(DomNodeData* child) {
    Frame& parent = frames_.back();
    child->parent = parent.node;
    if (parent.ordered) {
        auto index = static_cast<std::int32_t>(children_.size() - parent.children_base);
        order_.push_back(content_ref(index, ChildKind));
    }
    children_.push_back(child);
}

void Parser::end_tag() {
    Token name = next_token();
    if (name.kind != TokenKind::Word || next_token().kind != TokenKind::TagClose) {
        fail(DomError::EndTagNameExpected);
        return;
    }
    close_element(name.begin, static_cast<std::size_t>(name.end - name.begin));
}

// An end tag of that name has been read up to its ">".
void Parser::close_element(const char* name, std::size_t length) {
    pending_text_ = tokens_.position();
    if (!names_equal(frames_.back().node->name, name, length)) {
        error_ = DomError::UnclosedElement;
        unclosed_position_ = tokens_.position();
        end_tag_name_ = name;
        end_tag_name_length_ = length;
    }
    complete_top();
}

// The markup of ordinary documents, read without the token round trip: a
// start tag whose attributes are all name="value" pairs, and an end tag,
// each after nothing but blanks. Anything else, or anything unusual met on
// the way, goes back to the general grammar at a token boundary, in the
// state that the general grammar would have reached there, so that the two
// build the same tree and report the same errors at the same positions.
// Returns false when it read nothing.
bool Parser::markup_fast() {
    const char* position = tokens_.position();
    if (deferred_count_ > 0 || pending_text_ != position) return false;
    while (is_blank(*position)) ++position;
    if (*position != '<') return false;
    if (position[1] == '/') return end_tag_fast(position);
    if (position[1] == '?' || tokenizer_detail::raw_marker_at(position) >= 0) return false;
    return start_tag_fast(position);
}

namespace {

// A byte that may start a name: a quote would start a quoted string.
bool starts_word(const char* position) {
    return tokenizer_detail::word_class(position) == tokenizer_detail::Plain && *position != '"' &&
           *position != '\'';
}

const char* skip_word(const char* position) {
    while (tokenizer_detail::word_class(position) == tokenizer_detail::Plain) ++position;
    return position;
}

}  // namespace

bool Parser::start_tag_fast(const char* open) {
    const char* name = open + 1;
    if (!starts_word(name)) return false;
    const char* end = skip_word(name + 1);
    bool blank = tokenizer_detail::word_class(end) == tokenizer_detail::Blank;
    if (!blank && *end != '>' && !(*end == '/' && end[1] == '>')) return false;
    pending_text_ = nullptr;  // nothing but blanks before the tag
    TagEnd tag_end{};
    if (blank) {
        write_terminator(writable(end));
        tag_end = attributes_fast(end + 1);
    } else {
        tag_end = TagEnd{*end == '/' ? TagEnd::SelfClosing : TagEnd::Open, end + (*end == '/' ? 2 : 1)};
        *writable(end) = '\0';
    }
    DomNodeData* child = storage_.new_record(name, false);
    link_child(child);
    if (tag_end.kind == TagEnd::SelfClosing) {
        // An empty element needs no frame: it is finished where it stands.
        give_attributes(child);
        tokens_.move_to(tag_end.after);
        pending_text_ = tag_end.after;
        return true;
    }
    frames_.push_back(Frame{child, children_.size(), texts_.size(), raw_sections_.size(), order_.size(),
                            Mode::ExpectName, false});
    attribute_name_length_ = 0;
    tokens_.move_to(tag_end.after);
    if (tag_end.kind == TagEnd::Open) {
        give_attributes(child);
        frames_.back().mode = Mode::Content;
        pending_text_ = tag_end.after;
    }
    return true;
}

// Reads name="value" pairs up to the ">" or "/>" that ends the start tag,
// into the attribute stack. Where something else comes, it stops before
// that attribute's name, nothing of which has been written, for the general
// grammar to read on from there.
Parser::TagEnd Parser::attributes_fast(const char* position) {
    using namespace tokenizer_detail;
    for (;;) {
        while (dom::is_blank(*position)) ++position;
        if (*position == '>') return TagEnd{TagEnd::Open, position + 1};
        if (*position == '/' && position[1] == '>') return TagEnd{TagEnd::SelfClosing, position + 2};
        const char* name = position;
        if (!starts_word(name)) break;
        const char* equals = skip_word(name + 1);
        if (*equals != '=') break;
        char quote = equals[1];
        if (quote != '"' && quote != '\'') break;
        const char* value = equals + 2;
        const char* close = value;
        bool reference = false;
        for (;;) {
            while (quoted_class(close) == Plain) ++close;
            CharClass kind = quoted_class(close);
            if (kind == Lead) {
                close = utf8::next(close);
            } else if (kind == Ampersand) {
                reference = true;
                ++close;
            } else if (kind == Quote && *close != quote) {
                ++close;
            } else {
                break;
            }
        }
        if (*close != quote) break;  // markup or the end before the closing quote
        auto length = static_cast<std::size_t>(close - value);
        if (!reference) {
            *writable(close) = '\0';  // over the closing quote
        } else if (decode(value, close, length) == DomError::None) {
            write_terminator(writable(value + length));
        } else {
            break;
        }
        *writable(equals) = '\0';
        attributes_.push_back(DomAttribute{name, value});
        position = close + 1;
    }
    return TagEnd{TagEnd::Unusual, position};
}

bool Parser::end_tag_fast(const char* open) {
    const char* name = open + 2;
    if (!starts_word(name)) return false;
    const char* end = skip_word(name + 1);
    const char* close = end;
    while (is_blank(*close)) ++close;
    if (*close != '>') return false;
    pending_text_ = nullptr;
    tokens_.move_to(close + 1);
    close_element(name, static_cast<std::size_t>(end - name));
    return true;
}

void Parser::raw_section(const Token& token) {
    RawClose close = find_raw_close(token.marker, token.end);
    if (close.at == nullptr) {
        fail(DomError::UnterminatedRawSection);
        return;
    }
    Frame& frame = frames_.back();
    ensure_ordered(frame);
    auto index = static_cast<std::int32_t>(raw_sections_.size() - frame.raw_sections_base);
    order_.push_back(content_ref(index, RawSectionKind));
    raw_sections_.push_back(DomRawSection{token.end, raw_markers[token.marker].open, close.marker});
    tokens_.move_to(close.at + std::strlen(close.marker));
    terminate(close.at);
    pending_text_ = tokens_.position();
}

bool Parser::add_pending_text(const char* token_begin) {
    if (pending_text_ == nullptr) return true;
    const char* begin = pending_text_;
    const char* end = token_begin;
    pending_text_ = nullptr;
    while (begin < end && is_blank(*begin)) ++begin;
    // A blank byte inside a multi-byte sequence stays: cutting the sequence
    // would leave a lead byte that swallows the markup after it when the
    // text is written out again.
    while (end > begin && is_blank(end[-1]) && utf8::last_sequence(begin, end) == end - 1) --end;
    if (begin == end) return true;
    std::size_t length = 0;
    DomError error = decode(begin, end, length);
    if (error != DomError::None) {
        fail(error);
        return false;
    }
    terminate(begin + length);
    append_text(writable(begin), length);
    return true;
}

// A comment between two pieces of text disappears, and the pieces join: the
// new piece moves back to follow the earlier one directly, over that text's
// terminator and the comment, which nothing refers to any more.
void Parser::append_text(char* text, std::size_t length) {
    Frame& frame = frames_.back();
    ensure_ordered(frame);
    std::size_t entries = order_.size() - frame.order_base;
    if (entries >= 2 && ref_kind(order_[order_.size() - 2]) == TextKind && ref_kind(order_.back()) == RawSectionKind &&
        raw_sections_.back().open_marker == raw_markers[comment_marker].open) {
        raw_sections_.pop_back();
        order_.pop_back();
        char* joined = last_text_end_;
        edits_.save(joined, length + 1);
        std::memmove(joined, text, length);
        joined[length] = '\0';
        last_text_end_ = joined + length;
        return;
    }
    order_.push_back(content_ref(static_cast<std::int32_t>(texts_.size() - frame.texts_base), TextKind));
    texts_.push_back(text);
    last_text_end_ = text + length;
}

void Parser::ensure_ordered(Frame& frame) {
    if (frame.ordered) return;
    frame.ordered = true;
    auto children = static_cast<std::int32_t>(children_.size() - frame.children_base);
    for (std::int32_t i = 0; i < children; ++i) order_.push_back(content_ref(i, ChildKind));
}

// The element is closed. An end tag that belonged to an ancestor closes
// every element up to that ancestor; one that matches no open element is an
// error of the whole document.
void Parser::complete_top() {
    finish_top();
    while (end_tag_name_ != nullptr && !frames_.empty()) {
        DomNodeData* parent = frames_.back().node;
        if (parent == holder_) {
            fail(DomError::StrayEndTag);
            return;
        }
        if (names_equal(parent->name, end_tag_name_, end_tag_name_length_)) end_tag_name_ = nullptr;
        finish_top();
    }
    if (frames_.empty()) over_ = true;
}

template <typename T>
T* exact_copy(Storage& storage, std::vector<T>& stack, std::size_t base) {
    std::size_t count = stack.size() - base;
    if (count == 0) return nullptr;
    T* array = storage.allocate_array<T>(count);
    std::memcpy(array, stack.data() + base, count * sizeof(T));
    stack.resize(base);
    return array;
}

// Moves the entries collected for the top element into exact-size arrays.
void Parser::finish_top() {
    flush_attributes();
    Frame frame = frames_.back();
    frames_.pop_back();
    DomNodeData* node = frame.node;
    node->child_count = static_cast<std::int32_t>(children_.size() - frame.children_base);
    node->children = exact_copy(storage_, children_, frame.children_base);
    if (!frame.ordered) return;
    auto* content = storage_.allocate_array<DomContent>(1);
    content->text_count = static_cast<std::int32_t>(texts_.size() - frame.texts_base);
    content->raw_section_count = static_cast<std::int32_t>(raw_sections_.size() - frame.raw_sections_base);
    content->texts = exact_copy(storage_, texts_, frame.texts_base);
    content->raw_sections = exact_copy(storage_, raw_sections_, frame.raw_sections_base);
    content->order = exact_copy(storage_, order_, frame.order_base);
    node->content = content;
}

}  // namespace

ParseOutcome parse_into_holder(char* text, DomNodeData* holder, EditLog& edits) {
    Parser parser(text, holder, edits);
    return parser.run();
}

}  // namespace dom
