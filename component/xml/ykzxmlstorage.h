// Storage of one document's tree (internal to the reader): nodes, names,
// attribute arrays and texts are placed in large blocks that are given back
// all at once, so a tree of millions of nodes costs a handful of
// allocations to build and to free, and freeing needs no walk of the tree.
#pragma once

#include <cstddef>
#include <vector>

class CYkzXMLText;

class CYkzXMLStorage {
public:
    CYkzXMLStorage() = default;
    ~CYkzXMLStorage();
    CYkzXMLStorage(const CYkzXMLStorage&) = delete;
    CYkzXMLStorage& operator=(const CYkzXMLStorage&) = delete;

    // Uninitialised room for `bytes`, aligned for nodes and pointers. Throws
    // std::bad_alloc when memory runs out.
    void* Allocate(std::size_t bytes);

    // Grows the latest allocation, which ends at `end`, by `bytes` in place
    // when it is still the latest and its block has room.
    bool TryExtend(const void* end, std::size_t bytes);

    // A text that outgrew the blocks keeps its units in memory of its own;
    // the storage frees that memory with everything else.
    void AdoptHeapText(CYkzXMLText& text);

private:
    void NewBlock(std::size_t minimum);

    struct Block {
        Block* next;
        std::size_t size;  // usable bytes after the header
    };
    Block* blocks_ = nullptr;
    char* cursor_ = nullptr;
    char* end_ = nullptr;
    std::size_t nextBlockSize_ = 16 * 1024;
    std::vector<CYkzXMLText*> heapTexts_;
};
