// The utility's XML document tree: parse a whole document into
// reference-counted nodes, look up children and attributes by name, build a
// tree, and write it back as tab-indented UTF-8 behind an XML declaration.
//
// Parsers return a result value and never throw. All text is UTF-8. A parsed
// document keeps one copy of its text, and the names, values and texts that
// its nodes give out point into it: they stay valid while any handle to any
// node of the document lives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dom {

enum class DomError : std::int32_t {
    None = 0,
    UnclosedElement = 1,  // warning: the tree is kept
    NoElement = 2,        // warning: the tree is kept
    EmptyFile = 3,
    TagNameExpected = 4,
    EndTagNameExpected = 5,
    StrayEndTag = 6,
    UnterminatedRawSection = 7,
    UnexpectedToken = 8,
    NoInput = 9,
    FileNotFound = 10,
    RootNotFound = 11,
    BadReference = 12,
    ReferenceAbove255 = 13,
    Utf16ConversionFailed = 14,
    OpenForWriteFailed = 15,
    WriteFailed = 16,
    OutOfMemory = 17,  // the document needs more memory than there is
};

struct DomParseResult {
    DomError error = DomError::None;
    std::int32_t line = 0;    // from 1; 0 when not set
    std::int32_t column = 0;  // from 1, one per UTF-8 sequence; 0 when not set
};

struct DomNodeData;

// A handle to a node record, or the empty node. Copies share the record.
class DomNode {
public:
    DomNode() = default;
    DomNode(const DomNode& other);
    DomNode(DomNode&& other) noexcept;
    DomNode& operator=(const DomNode& other);
    DomNode& operator=(DomNode&& other) noexcept;
    ~DomNode();

    bool empty() const { return data_ == nullptr; }
    explicit operator bool() const { return data_ != nullptr; }

    // Element name; null for the empty node and for a nameless node.
    const char* name() const;
    bool is_declaration() const;

    int child_count() const;
    DomNode child_at(int index) const;           // empty node when out of range
    DomNode child_named(const char* name) const;  // first child, name compared case-insensitively

    int attribute_count() const;
    const char* attribute_name(int index) const;   // null when out of range
    const char* attribute_value_at(int index) const;  // null when out of range or valueless
    // Value of the first attribute of that name (case-insensitive); null when
    // it is missing or has no value.
    const char* attribute_value(const char* name) const;

    int text_count() const;
    const char* text_at(int index) const;
    int raw_section_count() const;
    const char* raw_section_at(int index) const;        // content, verbatim
    const char* raw_section_open_marker(int index) const;

    // Appends an attribute with copies of name and value (value may be null).
    void add_attribute(const char* name, const char* value);
    // Appends node as the last child and returns a handle to it. A nameless
    // node hands over its children instead; a node with a parent is moved.
    DomNode add_child(const DomNode& node);

    // Formatted text of this node at the given indentation level.
    std::string to_text(int level = 0) const;
    // Byte-order mark, declaration line (unless this is a declaration or a
    // holder of one) and to_text(0). Returns None, OpenForWriteFailed or
    // WriteFailed.
    DomError write_file(const char* path) const;

    // True when both handles refer to the same record.
    bool same_node(const DomNode& other) const { return data_ == other.data_; }

private:
    friend struct DomAccess;
    explicit DomNode(DomNodeData* adopted) : data_(adopted) {}
    DomNodeData* data_ = nullptr;
};

// A new parentless element; with a null name, a nameless node.
DomNode create_root(const char* name);

// Parses a whole file (UTF-8 with or without a byte-order mark, or UTF-16LE).
// With an expected root, the result is that element. Only a regular file
// within the platform's size limit is read; anything else (a directory, a
// pipe, a device) reads as FileNotFound.
DomNode parse_file(const char* path, const char* expected_root, DomParseResult* result);

// Parses the bytes of a whole file already in memory, exactly as parse_file
// parses what it reads: empty bytes are EmptyFile, UTF-16LE is converted,
// a byte-order mark is skipped, and a NUL ends UTF-8 text.
DomNode parse_bytes(std::string_view bytes, const char* expected_root, DomParseResult* result);

// Parses NUL-terminated UTF-8 text. The document takes a copy of it, so the
// caller's text is free as soon as this returns.
DomNode parse_text(const char* text, const char* expected_root, DomParseResult* result);

}  // namespace dom
