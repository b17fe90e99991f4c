#include "tamsel_xml/ykzxml.h"

#include "ykzxmlstorage.h"

#include <new>
#include <string_view>

CYkzXMLNode* CYkzXMLNode::Create(CYkzXMLStorage& storage, std::int32_t type, const char16_t* name) {
    return new (storage.Allocate(sizeof(CYkzXMLNode))) CYkzXMLNode(type, name);
}

const char16_t* CYkzXMLNode::GetAttribute(const char16_t* name) const {
    if (name == nullptr || attributes_ == nullptr) return nullptr;
    std::u16string_view wanted(name);
    for (const char16_t* const* pair = attributes_; pair[0] != nullptr; pair += 2) {
        if (wanted == pair[0]) return pair[1];
    }
    return nullptr;
}

int CYkzXMLNode::GetAttributeCount() const {
    int count = 0;
    if (attributes_ != nullptr) {
        while (attributes_[2 * count] != nullptr) ++count;
    }
    return count;
}

const char16_t* const* CYkzXMLNode::Pair(int index) const {
    if (index < 0 || attributes_ == nullptr) return nullptr;
    for (int i = 0; i < index; ++i) {
        if (attributes_[2 * i] == nullptr) return nullptr;
    }
    return attributes_[2 * index] != nullptr ? attributes_ + 2 * index : nullptr;
}

const char16_t* CYkzXMLNode::GetAttributeName(int index) const {
    const char16_t* const* pair = Pair(index);
    return pair != nullptr ? pair[0] : nullptr;
}

const char16_t* CYkzXMLNode::GetAttributeValue(int index) const {
    const char16_t* const* pair = Pair(index);
    return pair != nullptr ? pair[1] : nullptr;
}

CYkzXMLNode* CYkzXMLNode::FindChild(const char16_t* name) const {
    if (name == nullptr || firstChild_ == nullptr) return nullptr;
    if (std::u16string_view(firstChild_->name_) == name) return firstChild_;
    return firstChild_->FindNextSibling(name);
}

CYkzXMLNode* CYkzXMLNode::FindNextSibling(const char16_t* name) const {
    if (name == nullptr) return nullptr;
    std::u16string_view wanted(name);
    for (CYkzXMLNode* node = nextSibling_; node != nullptr; node = node->nextSibling_) {
        if (wanted == node->name_) return node;
    }
    return nullptr;
}
