// The plug-in's XML reader: CYkzXMLReader reads a file or a byte buffer with
// expat and builds a read-only tree of CYkzXMLNode objects under a
// "#DOCROOT" pseudo-node. Every package file the plug-in reads (the package
// definition, install.xml, dependency.xml) goes through it.
//
// The tree keeps element names (as written, prefixes included), attributes in
// document order, text and CDATA content; nothing else of the document.
// Lookups are by exact element name, optionally narrowed by one attribute
// value compared without regard to case.
//
// Callers rely on how the tree is shaped, so it is kept as the package files
// have always been read:
// - Children stand as the first one read, then the others in reverse order
//   of reading (children read A, B, C, D stand as A, D, C, B).
// - An element's text is its first child when that child has type 1: a
//   "#TEXT" node, or the "#CDATA" node of a leading CDATA section.
// - Text arrives in pieces (a piece ends at a line break and at every entity
//   or character reference). A first piece that begins with whitespace gives
//   the element no text at all; later pieces that begin with whitespace are
//   dropped; text after a child element is not kept. So "a &amp; b" reads as
//   "a &", and lines of text are joined without their line breaks.
// - CDATA content is kept whole, whitespace and line breaks included.
//
// Nodes belong to the reader: they stay valid until its next load, Reset or
// destruction.
#pragma once

#include "tamsel_xml/ykzxmltext.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CYkzXMLStorage;

class CYkzXMLNode {
public:
    static constexpr std::int32_t TypeElement = 0;  // elements and "#DOCROOT"
    static constexpr std::int32_t TypeText = 1;     // "#TEXT" and "#CDATA"
    static constexpr std::int32_t TypeUnset = -1;

    CYkzXMLNode(const CYkzXMLNode&) = delete;
    CYkzXMLNode& operator=(const CYkzXMLNode&) = delete;

    const char16_t* GetName() const { return name_; }
    std::int32_t GetType() const { return type_; }
    // Null for elements; a "#TEXT" or "#CDATA" node always has a text, an
    // empty CDATA section an empty one.
    const char16_t* GetText() const { return text_.c_str(); }
    CYkzXMLNode* GetFirstChild() const { return firstChild_; }
    CYkzXMLNode* GetNextSibling() const { return nextSibling_; }
    CYkzXMLNode* GetParent() const { return parent_; }

    // Value of the first attribute whose name equals `name` exactly; null when
    // there is none or `name` is null.
    const char16_t* GetAttribute(const char16_t* name) const;
    // Number of name/value pairs.
    int GetAttributeCount() const;
    // The pair at `index` in document order; null outside 0..count-1.
    const char16_t* GetAttributeName(int index) const;
    const char16_t* GetAttributeValue(int index) const;

    // First child in sibling order named exactly `name`; then the next
    // sibling after this node of that name. Together they walk all children
    // of one name. Null when there is none or `name` is null.
    CYkzXMLNode* FindChild(const char16_t* name) const;
    CYkzXMLNode* FindNextSibling(const char16_t* name) const;

protected:
    // Nodes are never destroyed one by one: a tree, whatever its depth or
    // width, is freed at once with its reader's storage.
    virtual ~CYkzXMLNode() = default;

private:
    friend class CYkzXMLTreeBuilder;
    friend class CYkzXMLReader;

    // A node placed in `storage`, which owns it from then on.
    static CYkzXMLNode* Create(CYkzXMLStorage& storage, std::int32_t type, const char16_t* name);
    CYkzXMLNode(std::int32_t type, const char16_t* name) : type_(type), name_(name) {}
    const char16_t* const* Pair(int index) const;  // the pair at `index`, or null

    std::int32_t type_ = TypeUnset;
    const char16_t* name_;
    const char16_t* const* attributes_ = nullptr;  // name, value, ..., null; null without attributes
    CYkzXMLText text_;
    CYkzXMLNode* nextSibling_ = nullptr;
    CYkzXMLNode* firstChild_ = nullptr;
    CYkzXMLNode* parent_ = nullptr;
};

class CYkzXMLReader {
public:
    // Results of LoadFile and LoadBuffer.
    static constexpr std::int32_t LoadOk = 0;
    static constexpr std::int32_t LoadNoRoot = 1;         // the "#DOCROOT" node could not be created
    static constexpr std::int32_t LoadCannotOpen = 3;     // missing, no access, or not a regular file
    static constexpr std::int32_t LoadCannotRead = 4;     // unreadable, or beyond the size limit of whole-file reads
    static constexpr std::int32_t LoadNotWellFormed = 5;  // not XML, an unsupported encoding, empty, or refused

    CYkzXMLReader();
    virtual ~CYkzXMLReader();
    CYkzXMLReader(const CYkzXMLReader&) = delete;
    CYkzXMLReader& operator=(const CYkzXMLReader&) = delete;

    // Drops the tree, starts a new empty "#DOCROOT" and sets the process's
    // runtime locale to the user's default for all categories (whitespace in
    // text is classified under it). Not loaded afterwards.
    void Reset();

    // Reads a whole file (a Windows path) and builds its tree. A failed parse
    // leaves the part of the tree built so far, but not loaded.
    std::int32_t LoadFile(const char16_t* path);
    // The same over bytes in memory: LoadOk or LoadNotWellFormed. Buffers of
    // more than 2 GiB are refused, since expat takes its length as an int.
    std::int32_t LoadBuffer(const void* bytes, std::size_t length);

    CYkzXMLNode* GetRoot() const { return root_; }
    bool IsLoaded() const { return loaded_ != 0; }

    // First child of `parent` (null: the root) in sibling order named exactly
    // `name` and, when both attrName and attrValue are given, whose attribute
    // attrName exists and equals attrValue without regard to case. Null when
    // none matches or nothing is loaded.
    CYkzXMLNode* FindElement(CYkzXMLNode* parent, const char16_t* name, const char16_t* attrName = nullptr,
                             const char16_t* attrValue = nullptr) const;

private:
    std::int32_t Parse(const char* bytes, std::size_t length);
    void Release();

    CYkzXMLNode* root_ = nullptr;             // in storage_
    std::optional<std::u16string> encoding_;  // handed to the parser; none lets the document decide
    std::uint8_t loaded_ = 0;
    std::unique_ptr<CYkzXMLStorage> storage_;  // everything of the tree
};
