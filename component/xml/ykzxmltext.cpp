#include "tamsel_xml/ykzxmltext.h"

#include "ykzxmlstorage.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t minimumCapacity = 7;
// Longer texts leave the shared blocks: copying them there on every
// doubling would waste as much again of the storage.
constexpr std::size_t storageTextLimit = 4096;
constexpr std::size_t maximumUnits = static_cast<std::size_t>(-1) / sizeof(char16_t) / 2 - 1;

}  // namespace

char16_t* CYkzXMLText::Extend(CYkzXMLStorage& storage, std::size_t count, std::size_t expected) {
    if (count > maximumUnits - size_) throw std::bad_alloc();
    std::size_t needed = size_ + count;
    if (units_ == nullptr || needed > capacity_) Grow(storage, needed, expected);
    char16_t* room = units_ + size_;
    size_ = needed;
    units_[size_] = u'\0';
    return room;
}

void CYkzXMLText::Grow(CYkzXMLStorage& storage, std::size_t needed, std::size_t expected) {
    if (units_ != nullptr && !onHeap_ &&
        storage.TryExtend(units_ + capacity_ + 1, (needed - capacity_) * sizeof(char16_t))) {
        capacity_ = needed;
        return;
    }
    std::size_t capacity = capacity_ <= maximumUnits / 2 && capacity_ * 2 > needed ? capacity_ * 2 : needed;
    if (capacity < minimumCapacity) capacity = minimumCapacity;
    if (onHeap_) {
        void* grown = std::realloc(units_, (capacity + 1) * sizeof(char16_t));
        if (grown == nullptr) throw std::bad_alloc();
        units_ = static_cast<char16_t*>(grown);
    } else if (capacity > storageTextLimit) {
        capacity = MoveToHeap(storage, capacity, expected);
    } else {
        auto* moved = static_cast<char16_t*>(storage.Allocate((capacity + 1) * sizeof(char16_t)));
        if (size_ != 0) std::memcpy(moved, units_, size_ * sizeof(char16_t));
        units_ = moved;
    }
    capacity_ = capacity;
}

std::size_t CYkzXMLText::MoveToHeap(CYkzXMLStorage& storage, std::size_t capacity, std::size_t expected) {
    char16_t* own = nullptr;
    if (expected > capacity && expected <= maximumUnits) {
        own = static_cast<char16_t*>(std::malloc((expected + 1) * sizeof(char16_t)));
        if (own != nullptr) capacity = expected;
    }
    if (own == nullptr) own = static_cast<char16_t*>(std::malloc((capacity + 1) * sizeof(char16_t)));
    if (own == nullptr) throw std::bad_alloc();
    try {
        storage.AdoptHeapText(*this);
    } catch (...) {
        std::free(own);
        throw;
    }
    if (size_ != 0) std::memcpy(own, units_, size_ * sizeof(char16_t));
    units_ = own;
    onHeap_ = true;
    return capacity;
}

void CYkzXMLText::Shrink() {
    if (!onHeap_ || capacity_ - size_ <= size_ / 2) return;
    void* shrunk = std::realloc(units_, (size_ + 1) * sizeof(char16_t));
    if (shrunk == nullptr) return;  // the text stays as it is, only larger
    units_ = static_cast<char16_t*>(shrunk);
    capacity_ = size_;
}

void CYkzXMLText::Append(CYkzXMLStorage& storage, std::u16string_view piece, std::size_t expected) {
    char16_t* room = Extend(storage, piece.size(), expected);
    if (!piece.empty()) std::memcpy(room, piece.data(), piece.size() * sizeof(char16_t));
}

void CYkzXMLText::AppendAscii(CYkzXMLStorage& storage, std::string_view ascii, std::size_t expected) {
    char16_t* room = Extend(storage, ascii.size(), expected);
    for (char byte : ascii) *room++ = static_cast<char16_t>(byte);
}
