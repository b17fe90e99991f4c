// The element grammar: parses a whole text, in place, into the children of a
// holder.
#pragma once

#include "kelvor_xml/dom.h"
#include "node.h"

#include <cstddef>
#include <string>
#include <vector>

namespace dom {

// What the parse wrote over the text beyond terminators of ordinary markup:
// the bytes it replaced, so that an error position can still be counted in
// the text as it was given. A terminator that replaces a line feed is kept
// too; any other terminator replaces one byte that counts as one column, as
// the terminator itself does.
class EditLog {
public:
    explicit EditLog(const char* text) : text_(text) {}

    // Keeps [at, at + length) as it is before being written over.
    void save(const char* at, std::size_t length);
    // The first length bytes of the text as they were before the parse.
    std::string original(std::size_t length) const;

private:
    struct Edit {
        std::size_t offset;
        std::size_t length;
        std::size_t saved;  // where the replaced bytes start in saved_
    };
    const char* text_;
    std::vector<Edit> edits_;
    std::string saved_;
};

struct ParseOutcome {
    DomError error = DomError::None;
    const char* stop_position = nullptr;      // where parsing ended
    const char* unclosed_position = nullptr;  // saved when UnclosedElement was last noted
};

// Parses text as the content of holder, a fresh nameless record whose
// storage owns the text. Names, values, texts and raw sections are
// terminated and decoded where they stand, and the records point at them.
// Elements still open when parsing stops keep what they received.
ParseOutcome parse_into_holder(char* text, DomNodeData* holder, EditLog& edits);

}  // namespace dom
