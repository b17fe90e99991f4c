// Fuzz target of the plug-in's XML reader: every input is loaded from memory
// and the whole tree, complete or partial, is walked with every accessor.
// Besides the sanitizers, it checks that the tree holds together: parents,
// types and texts agree, and every lookup finds what the walk saw.
#include "tamsel_xml/ykzxml.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "xmlreader fuzzer: %s\n", what);
    std::abort();
}

bool same(const char16_t* left, const char16_t* right) {
    return left != nullptr && right != nullptr && std::u16string(left) == right;
}

void check_attributes(const CYkzXMLNode& node) {
    int count = node.GetAttributeCount();
    require(count >= 0 && node.GetAttributeName(count) == nullptr, "attributes end at their count");
    for (int i = 0; i < count; ++i) {
        const char16_t* name = node.GetAttributeName(i);
        const char16_t* value = node.GetAttributeValue(i);
        require(name != nullptr && value != nullptr, "every pair has a name and a value");
        // expat refuses repeated attribute names, so the lookup finds this pair.
        require(same(node.GetAttribute(name), value), "an attribute is found by its name");
    }
}

void check_node(const CYkzXMLReader& reader, const CYkzXMLNode& node) {
    require(node.GetName() != nullptr, "every node has a name");
    bool text = node.GetType() == CYkzXMLNode::TypeText;
    require(text || node.GetType() == CYkzXMLNode::TypeElement, "every node has a type");
    require(text == (node.GetText() != nullptr), "exactly the text nodes have a text");
    require(!text || node.GetFirstChild() == nullptr, "text nodes have no children");
    require(!text || same(node.GetName(), u"#TEXT") || same(node.GetName(), u"#CDATA"), "text nodes are named");
    check_attributes(node);

    const CYkzXMLNode* next = node.FindNextSibling(node.GetName());
    require(next == nullptr || same(next->GetName(), node.GetName()), "a next sibling of the name has it");
    const CYkzXMLNode* first = node.GetFirstChild();
    if (first == nullptr) return;
    require(node.FindChild(first->GetName()) == first, "the first child is found first");
    const char16_t* attrName = first->GetAttributeName(0);
    const char16_t* attrValue = first->GetAttributeValue(0);
    const CYkzXMLNode* found =
        reader.FindElement(const_cast<CYkzXMLNode*>(&node), first->GetName(), attrName, attrValue);
    require(found == (reader.IsLoaded() ? first : nullptr), "FindElement finds the first child exactly when loaded");
}

// Pre-order walk without recursion: inputs may nest as deep as expat goes.
std::size_t walk(const CYkzXMLReader& reader) {
    const CYkzXMLNode* root = reader.GetRoot();
    require(root != nullptr && root->GetParent() == nullptr && same(root->GetName(), u"#DOCROOT"), "a root");
    std::size_t nodes = 0;
    const CYkzXMLNode* node = root;
    while (node != nullptr) {
        check_node(reader, *node);
        ++nodes;
        if (const CYkzXMLNode* child = node->GetFirstChild()) {
            require(child->GetParent() == node, "a first child knows its parent");
            node = child;
            continue;
        }
        while (node != root && node->GetNextSibling() == nullptr) node = node->GetParent();
        if (node == root) break;
        const CYkzXMLNode* sibling = node->GetNextSibling();
        require(sibling->GetParent() == node->GetParent(), "siblings share their parent");
        node = sibling;
    }
    return nodes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CYkzXMLReader reader;
    std::int32_t result = reader.LoadBuffer(data, size);
    require(result == CYkzXMLReader::LoadOk || result == CYkzXMLReader::LoadNotWellFormed, "a buffer result");
    require(reader.IsLoaded() == (result == CYkzXMLReader::LoadOk), "loaded exactly on success");
    std::size_t nodes = walk(reader);
    require(result != CYkzXMLReader::LoadOk || nodes >= 2, "a loaded document has an element");
    return 0;
}
