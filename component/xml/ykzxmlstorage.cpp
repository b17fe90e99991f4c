#include "ykzxmlstorage.h"

#include "tamsel_xml/ykzxmltext.h"

#include <cstdint>
#include <cstdlib>
#include <new>

// Under AddressSanitizer the unused rest of each block is poisoned, so that
// a write past the end of a node, name or text is caught as it would be in
// memory of its own.
#if defined(__SANITIZE_ADDRESS__)
#define YKZXML_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define YKZXML_ASAN 1
#endif
#endif
#if defined(YKZXML_ASAN)
#include <sanitizer/asan_interface.h>
#define YKZXML_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define YKZXML_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define YKZXML_POISON(address, size) ((void)(address), (void)(size))
#define YKZXML_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace {

constexpr std::size_t alignment = alignof(std::max_align_t);
constexpr std::size_t largestBlock = 1024 * 1024;
// Requests above this get a block of their own, so a large attribute array
// does not leave most of a shared block unused.
constexpr std::size_t ownBlockThreshold = 64 * 1024;
constexpr std::size_t headerSize = (2 * sizeof(void*) + alignment - 1) / alignment * alignment;

}  // namespace

CYkzXMLStorage::~CYkzXMLStorage() {
    for (CYkzXMLText* text : heapTexts_) std::free(text->units_);
    while (blocks_ != nullptr) {
        Block* next = blocks_->next;
        YKZXML_UNPOISON(blocks_, headerSize + blocks_->size);
        std::free(blocks_);
        blocks_ = next;
    }
}

void* CYkzXMLStorage::Allocate(std::size_t bytes) {
    // Sizes are not rounded up, so that a text just stored ends at the
    // cursor and can grow in place; the next allocation aligns the cursor.
    if (bytes == 0) bytes = 1;
    auto misalignment = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(cursor_) % alignment);
    std::size_t padding = misalignment != 0 ? alignment - misalignment : 0;
    std::size_t available = cursor_ != nullptr ? static_cast<std::size_t>(end_ - cursor_) : 0;
    if (padding <= available && bytes <= available - padding) {
        cursor_ += padding;
    } else {
        if (bytes > ownBlockThreshold) {
            if (bytes > static_cast<std::size_t>(-1) - headerSize) throw std::bad_alloc();
            auto* own = static_cast<Block*>(std::malloc(headerSize + bytes));
            if (own == nullptr) throw std::bad_alloc();
            // Linked behind the current block, which stays current.
            Block*& link = blocks_ != nullptr ? blocks_->next : blocks_;
            own->next = link;
            own->size = bytes;
            link = own;
            return reinterpret_cast<char*>(own) + headerSize;
        }
        NewBlock(bytes);
    }
    void* room = cursor_;
    cursor_ += bytes;
    YKZXML_UNPOISON(room, bytes);
    return room;
}

void CYkzXMLStorage::NewBlock(std::size_t minimum) {
    std::size_t size = nextBlockSize_ > minimum ? nextBlockSize_ : minimum;  // minimum is at most ownBlockThreshold
    auto* block = static_cast<Block*>(std::malloc(headerSize + size));
    if (block == nullptr) throw std::bad_alloc();
    block->next = blocks_;
    block->size = size;
    blocks_ = block;
    cursor_ = reinterpret_cast<char*>(block) + headerSize;
    end_ = cursor_ + size;
    YKZXML_POISON(cursor_, size);
    if (nextBlockSize_ < largestBlock) nextBlockSize_ *= 2;
}

bool CYkzXMLStorage::TryExtend(const void* end, std::size_t bytes) {
    if (end != cursor_ || bytes > static_cast<std::size_t>(end_ - cursor_)) return false;
    YKZXML_UNPOISON(cursor_, bytes);
    cursor_ += bytes;
    return true;
}

void CYkzXMLStorage::AdoptHeapText(CYkzXMLText& text) {
    heapTexts_.push_back(&text);
}
