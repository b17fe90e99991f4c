// The node records behind DomNode handles, the storage they live in, and the
// operations that build and dismantle them. Private to the library.
#pragma once

#include "kelvor_xml/dom.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace dom {

struct DomAttribute {
    const char* name;
    const char* value;  // null for an attribute written without "="
};

struct DomRawSection {
    const char* content;       // verbatim
    const char* open_marker;   // one of the fixed marker strings, never freed
    const char* close_marker;  // the close marker actually used
};

// index * 4 + kind, pointing into the array of that kind.
using DomContentRef = std::int32_t;

enum ContentKind : std::int32_t { ChildKind = 0, TextKind = 2, RawSectionKind = 3 };

constexpr DomContentRef content_ref(std::int32_t index, ContentKind kind) { return index * 4 + kind; }
constexpr std::int32_t ref_index(DomContentRef ref) { return ref / 4; }
constexpr ContentKind ref_kind(DomContentRef ref) { return static_cast<ContentKind>(ref % 4); }

// Text runs, raw sections and the order list. Most elements hold child
// elements only; they carry no content record, and their order list is
// simply their children in sequence.
struct DomContent {
    const char** texts;
    DomRawSection* raw_sections;
    DomContentRef* order;  // child count + text count + raw-section count entries
    std::int32_t text_count;
    std::int32_t raw_section_count;
};

class Storage;

// Flags of a record: which arrays were reallocated on the heap by the public
// building operations (everything else lives in the record's storage).
enum RecordFlag : std::uint8_t {
    DeclarationFlag = 1,
    ChildrenOnHeap = 2,
    AttributesOnHeap = 4,
    OrderOnHeap = 8,
};

struct DomNodeData {
    const char* name;        // null for a nameless node
    DomNodeData* parent;     // not a counted reference; while a record is being freed, the next one to free
    DomNodeData** children;  // each entry counts as one reference
    DomAttribute* attributes;
    DomContent* content;  // null: child elements only
    Storage* storage;
    std::int32_t child_count;
    std::int32_t attribute_count;
    std::int32_t reference_count;
    std::uint8_t flags;

    bool is_declaration() const { return (flags & DeclarationFlag) != 0; }
    std::int32_t text_count() const { return content != nullptr ? content->text_count : 0; }
    std::int32_t raw_section_count() const { return content != nullptr ? content->raw_section_count : 0; }
    std::int32_t order_length() const { return child_count + text_count() + raw_section_count(); }
    DomContentRef order_at(std::int32_t position) const {
        return content != nullptr ? content->order[position] : content_ref(position, ChildKind);
    }
};

// The memory of the records of one parse or one create_root, and of every
// string and exact-size array that they hold. Memory is handed out from
// large blocks and given back all at once, when the last record that lives
// in it is freed; records that outlive their parent keep it alive. A parsed
// document's text lives here too: its names, values and texts point into it.
class Storage {
public:
    // A storage whose first block takes about first_block_size bytes.
    static Storage* create(std::size_t first_block_size);
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // Memory aligned for pointers and integers. Parsing asks for it once or
    // twice per element, so the common case is inline.
    void* allocate(std::size_t size) {
        size = (size + alignof(void*) - 1) & ~(alignof(void*) - 1);
        if (static_cast<std::size_t>(top_ - bottom_) >= size) {
            void* memory = bottom_;
            bottom_ += size;
            return memory;
        }
        return allocate_from_new_block(size);
    }
    template <typename T>
    T* allocate_array(std::size_t count) {
        return static_cast<T*>(allocate(count * sizeof(T)));
    }
    // A NUL-terminated copy of length bytes.
    char* copy_string(const char* text, std::size_t length);
    // Room for length bytes and a NUL, which the caller fills.
    char* allocate_string(std::size_t length);

    // Takes over the text of a document; it lives as long as the storage.
    char* own_text(std::string&& text) {
        text_ = std::move(text);
        return text_.data();
    }

    // A record with a count of 1, no parent and no entries. The name, null
    // for a nameless node, must already live in this storage.
    DomNodeData* new_record(const char* stored_name, bool declaration) {
        auto* record = static_cast<DomNodeData*>(allocate(sizeof(DomNodeData)));
        record->name = stored_name;
        record->parent = nullptr;
        record->children = nullptr;
        record->attributes = nullptr;
        record->content = nullptr;
        record->storage = this;
        record->child_count = 0;
        record->attribute_count = 0;
        record->reference_count = 1;
        record->flags = declaration ? DeclarationFlag : 0;
        ++live_records_;
        return record;
    }
    // Called once per record when it is freed; the last one frees the storage.
    void record_freed();

private:
    struct Block {
        Block* next;
        std::size_t size;
    };
    explicit Storage(std::size_t first_block_size) : next_block_size_(first_block_size) {}
    ~Storage();
    void add_block(std::size_t at_least);
    // An aligned size that the current block cannot hold.
    void* allocate_from_new_block(std::size_t size);

    Block* blocks_ = nullptr;
    // Aligned objects fill a block from the bottom, strings from the top, so
    // strings never cost alignment padding.
    char* bottom_ = nullptr;
    char* top_ = nullptr;
    std::size_t next_block_size_;
    std::size_t live_records_ = 0;
    std::string text_;
};

// Frees a record whose last reference is gone, and with it every child that
// nothing else holds. Never recursive, so any depth is safe.
void free_unreferenced(DomNodeData* record);

// Drops one reference; at zero the record is freed. Every handle that goes
// out of scope comes here, so the common case is inline.
inline void release(DomNodeData* record) {
    if (record != nullptr && --record->reference_count <= 0) free_unreferenced(record);
}

// Removes a child from its parent's children and order lists. The parent's
// reference to it passes to the caller.
void detach_from_parent(DomNodeData* child);

// Appends a child that the caller has given one reference to.
void append_child(DomNodeData* parent, DomNodeData* child);

// Moves the children of a nameless node to the end of target's children,
// in order. A child that contains target stays where it is.
void move_children(DomNodeData* target, DomNodeData* source);

// Appends an attribute holding copies of both strings.
void append_attribute(DomNodeData* record, const char* name, const char* value);

// True when candidate is record or one of its ancestors.
bool is_self_or_ancestor(const DomNodeData* candidate, const DomNodeData* record);

// ASCII letters compare without regard to case; the whole name must match.
bool names_equal(const char* a, const char* b, std::size_t b_length);
// The same for the rest of two names whose earlier bytes matched exactly.
bool name_rests_equal(const char* a, const char* b);
// Every lookup by name compares this way. Names nearly always match byte
// for byte when they match at all, so that is tried first, inline.
inline bool names_equal(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    for (; *a == *b; ++a, ++b)
        if (*a == '\0') return true;
    return name_rests_equal(a, b);
}

// Creates handles from records and reaches the record of a handle.
struct DomAccess {
    static DomNode adopt(DomNodeData* record) { return DomNode(record); }
    static DomNodeData* data(const DomNode& node) { return node.data_; }
};

}  // namespace dom
