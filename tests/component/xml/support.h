// Shared helpers of the XML reader's tests.
#pragma once

#include "tamsel_xml/ykzxml.h"

#include <string>

namespace ykzxmltest {

inline int Load(CYkzXMLReader& reader, const std::string& document) {
    return reader.LoadBuffer(document.data(), document.size());
}

// First element of `name` in document order below the root (the tree's
// sibling order differs from it, so this walks depth first in the reader's
// order and is meant for names that occur once).
inline CYkzXMLNode* FindAnywhere(const CYkzXMLReader& reader, const char16_t* name) {
    CYkzXMLNode* node = reader.GetRoot()->GetFirstChild();
    while (node != nullptr) {
        if (std::u16string(node->GetName()) == name) return node;
        if (node->GetFirstChild() != nullptr) {
            node = node->GetFirstChild();
            continue;
        }
        while (node != nullptr && node->GetNextSibling() == nullptr) node = node->GetParent();
        if (node != nullptr) node = node->GetNextSibling();
    }
    return nullptr;
}

inline std::string Repeated(const std::string& piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
}

}  // namespace ykzxmltest
