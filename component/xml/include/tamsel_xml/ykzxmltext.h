// The UTF-16 text of a "#TEXT" or "#CDATA" node, grown one piece at a time
// while the document is parsed (a CDATA section of a large file by over a
// million pieces).
//
// A text lives in its tree's storage and grows in place there while nothing
// else was stored after it; a long text moves to memory of its own, which
// grows geometrically through realloc (for large blocks the system moves
// pages instead of copying them). The storage frees it in either case.
#pragma once

#include <cstddef>
#include <string_view>

class CYkzXMLStorage;

class CYkzXMLText {
public:
    // Null while the node has no text; a terminated text once anything,
    // even nothing, was appended.
    const char16_t* c_str() const { return units_; }
    std::size_t size() const { return size_; }

    // Each throws std::bad_alloc when memory runs out, leaving the text as
    // it was. `expected` is the size the text may reach (a bound known from
    // the rest of the input); a long text leaving the storage takes that
    // much room at once instead of copying itself on every doubling.
    void Append(CYkzXMLStorage& storage, std::u16string_view piece, std::size_t expected = 0);
    // Bytes below 0x80, each widened to one unit.
    void AppendAscii(CYkzXMLStorage& storage, std::string_view ascii, std::size_t expected = 0);
    // Gives back the unused room of a finished text in memory of its own.
    void Shrink();

private:
    friend class CYkzXMLStorage;

    // Room for `count` more units, the terminator written after them.
    char16_t* Extend(CYkzXMLStorage& storage, std::size_t count, std::size_t expected);
    void Grow(CYkzXMLStorage& storage, std::size_t needed, std::size_t expected);
    // The capacity obtained: `expected` when that much could be had.
    std::size_t MoveToHeap(CYkzXMLStorage& storage, std::size_t capacity, std::size_t expected);

    char16_t* units_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;  // units, the terminator's excluded
    bool onHeap_ = false;
};
