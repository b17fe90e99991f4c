// The element grammar: parses a whole text into the children of a holder.
#pragma once

#include "xml/dom.h"
#include "node.h"

namespace dom {

struct ParseOutcome {
    DomError error = DomError::None;
    const char* stop_position = nullptr;      // where parsing ended
    const char* unclosed_position = nullptr;  // saved when UnclosedElement was last noted
};

// Parses text as the content of holder, a fresh nameless record. Elements
// still open when parsing stops keep what they received.
ParseOutcome parse_into_holder(const char* text, DomNodeData* holder);

}  // namespace dom
