// Node records: storage, reference counting, and the structural edits that
// parsing and the public building operations share.
#include "node.h"

#include "platform/ascii.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace dom {

namespace {

constexpr std::size_t largest_block_size = std::size_t{1} << 20;
// Requests above this get a block of their own, so a huge children array
// does not leave the rest of a shared block unused.
constexpr std::size_t dedicated_block_threshold = largest_block_size / 4;


template <typename T>
T* grow_heap_array(T* array, std::int32_t count, std::int32_t added, bool already_on_heap) {
    std::size_t bytes = (static_cast<std::size_t>(count) + static_cast<std::size_t>(added)) * sizeof(T);
    void* grown = already_on_heap ? std::realloc(array, bytes) : std::malloc(bytes);
    if (grown == nullptr) throw std::bad_alloc();
    if (!already_on_heap && count > 0) std::memcpy(grown, array, static_cast<std::size_t>(count) * sizeof(T));
    return static_cast<T*>(grown);
}

void free_record(DomNodeData* record) {
    if ((record->flags & (ChildrenOnHeap | AttributesOnHeap | OrderOnHeap)) == 0) {
        // Everything of a parsed record lives in its storage.
        record->storage->record_freed();
        return;
    }
    if ((record->flags & ChildrenOnHeap) != 0) std::free(record->children);
    if ((record->flags & AttributesOnHeap) != 0) std::free(record->attributes);
    if ((record->flags & OrderOnHeap) != 0) std::free(record->content->order);
    record->storage->record_freed();
}

// Drops the order entry of the child at index and renumbers later children.
void remove_child_from_order(DomContent& content, std::int32_t length, std::int32_t index) {
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < length; ++i) {
        DomContentRef ref = content.order[i];
        if (ref_kind(ref) == ChildKind) {
            std::int32_t child = ref_index(ref);
            if (child == index) continue;
            if (child > index) ref = content_ref(child - 1, ChildKind);
        }
        content.order[kept++] = ref;
    }
}

void grow_children(DomNodeData* parent, std::int32_t added) {
    parent->children =
        grow_heap_array(parent->children, parent->child_count, added, (parent->flags & ChildrenOnHeap) != 0);
    parent->flags |= ChildrenOnHeap;
    if (parent->content == nullptr) return;
    parent->content->order =
        grow_heap_array(parent->content->order, parent->order_length(), added, (parent->flags & OrderOnHeap) != 0);
    parent->flags |= OrderOnHeap;
}

// Appends into room that grow_children made.
void place_child(DomNodeData* parent, DomNodeData* child) {
    if (parent->content != nullptr)
        parent->content->order[parent->order_length()] = content_ref(parent->child_count, ChildKind);
    parent->children[parent->child_count++] = child;
    child->parent = parent;
}

}  // namespace

Storage* Storage::create(std::size_t first_block_size) { return new Storage(first_block_size); }

Storage::~Storage() {
    while (blocks_ != nullptr) {
        Block* next = blocks_->next;
        ::operator delete(blocks_);
        blocks_ = next;
    }
}

void Storage::add_block(std::size_t at_least) {
    std::size_t size = next_block_size_;
    while (size < at_least) size *= 2;
    if (next_block_size_ < largest_block_size) next_block_size_ *= 2;
    auto* block = static_cast<Block*>(::operator new(sizeof(Block) + size));
    block->next = blocks_;
    block->size = size;
    blocks_ = block;
    bottom_ = reinterpret_cast<char*>(block + 1);
    top_ = bottom_ + size;
}

void* Storage::allocate_from_new_block(std::size_t size) {
    if (size > dedicated_block_threshold) {
        auto* block = static_cast<Block*>(::operator new(sizeof(Block) + size));
        block->size = size;
        if (blocks_ == nullptr) {
            block->next = nullptr;
            blocks_ = block;
        } else {
            block->next = blocks_->next;
            blocks_->next = block;
        }
        return block + 1;
    }
    add_block(size);
    void* memory = bottom_;
    bottom_ += size;
    return memory;
}

char* Storage::allocate_string(std::size_t length) {
    std::size_t size = length + 1;
    if (static_cast<std::size_t>(top_ - bottom_) < size) {
        if (size > dedicated_block_threshold) {
            auto* text = static_cast<char*>(allocate(size));
            text[length] = '\0';
            return text;
        }
        add_block(size);
    }
    top_ -= size;
    top_[length] = '\0';
    return top_;
}

char* Storage::copy_string(const char* text, std::size_t length) {
    char* copy = allocate_string(length);
    if (length > 0) std::memcpy(copy, text, length);
    return copy;
}

void Storage::record_freed() {
    if (--live_records_ == 0) delete this;
}

void free_unreferenced(DomNodeData* record) {
    if (record->parent != nullptr) detach_from_parent(record);
    // Records waiting to be freed are chained through their parent links,
    // which they no longer need: no recursion and no allocation.
    record->parent = nullptr;
    DomNodeData* pending = record;
    while (pending != nullptr) {
        DomNodeData* current = pending;
        pending = current->parent;
        for (std::int32_t i = 0; i < current->child_count; ++i) {
            DomNodeData* child = current->children[i];
            child->parent = nullptr;
            if (--child->reference_count == 0) {
                child->parent = pending;
                pending = child;
            }
        }
        free_record(current);
    }
}

void detach_from_parent(DomNodeData* child) {
    DomNodeData* parent = child->parent;
    if (parent == nullptr) return;
    std::int32_t index = 0;
    while (index < parent->child_count && parent->children[index] != child) ++index;
    if (index == parent->child_count) return;
    std::int32_t length = parent->order_length();
    std::memmove(parent->children + index, parent->children + index + 1,
                 static_cast<std::size_t>(parent->child_count - index - 1) * sizeof(DomNodeData*));
    if (parent->content != nullptr) remove_child_from_order(*parent->content, length, index);
    --parent->child_count;
    child->parent = nullptr;
}

void append_child(DomNodeData* parent, DomNodeData* child) {
    grow_children(parent, 1);
    place_child(parent, child);
}

void move_children(DomNodeData* target, DomNodeData* source) {
    // If target lies inside source, the child of source on that path stays.
    DomNodeData* staying = target;
    while (staying != nullptr && staying->parent != source) staying = staying->parent;
    std::int32_t moving = source->child_count - (staying != nullptr ? 1 : 0);
    if (moving <= 0) return;
    grow_children(target, moving);
    for (std::int32_t i = 0; i < source->child_count; ++i) {
        if (source->children[i] != staying) place_child(target, source->children[i]);
    }
    std::int32_t length = source->order_length();
    std::int32_t staying_index = -1;
    for (std::int32_t i = 0; i < source->child_count; ++i)
        if (source->children[i] == staying) staying_index = i;
    if (source->content != nullptr) {
        // Keep the texts and raw sections and at most the staying child.
        DomContent& content = *source->content;
        std::int32_t kept = 0;
        for (std::int32_t i = 0; i < length; ++i) {
            DomContentRef ref = content.order[i];
            if (ref_kind(ref) == ChildKind && ref_index(ref) != staying_index) continue;
            content.order[kept++] = ref_kind(ref) == ChildKind ? content_ref(0, ChildKind) : ref;
        }
    }
    if (staying != nullptr) source->children[0] = staying;
    source->child_count = staying != nullptr ? 1 : 0;
}

void append_attribute(DomNodeData* record, const char* name, const char* value) {
    DomAttribute attribute{};
    attribute.name = record->storage->copy_string(name, std::strlen(name));
    attribute.value = value != nullptr ? record->storage->copy_string(value, std::strlen(value)) : nullptr;
    record->attributes =
        grow_heap_array(record->attributes, record->attribute_count, 1, (record->flags & AttributesOnHeap) != 0);
    record->flags |= AttributesOnHeap;
    record->attributes[record->attribute_count++] = attribute;
}

bool is_self_or_ancestor(const DomNodeData* candidate, const DomNodeData* record) {
    for (const DomNodeData* node = record; node != nullptr; node = node->parent)
        if (node == candidate) return true;
    return false;
}

// Walks both names once instead of measuring them first.
bool name_rests_equal(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (platform::ascii_lower(*a) != platform::ascii_lower(*b)) return false;
        if (*a == '\0') return true;
    }
}

bool names_equal(const char* a, const char* b, std::size_t b_length) {
    if (a == nullptr) return false;
    // End tags nearly always repeat their start tag's name byte for byte, so
    // the exact comparison runs first; a NUL of a ends it.
    std::size_t i = 0;
    while (i < b_length && a[i] == b[i] && a[i] != '\0') ++i;
    for (; i < b_length; ++i)
        if (a[i] == '\0' || platform::ascii_lower(a[i]) != platform::ascii_lower(b[i])) return false;
    return a[b_length] == '\0';
}

}  // namespace dom
