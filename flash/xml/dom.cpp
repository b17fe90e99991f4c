// Handles, accessors and the operations that build a tree.
#include "kelvor_xml/dom.h"
#include "node.h"

#include <cstring>

namespace dom {

DomNode::DomNode(const DomNode& other) : data_(other.data_) {
    if (data_ != nullptr) ++data_->reference_count;
}

DomNode::DomNode(DomNode&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }

DomNode& DomNode::operator=(const DomNode& other) {
    if (other.data_ != nullptr) ++other.data_->reference_count;
    release(data_);
    data_ = other.data_;
    return *this;
}

DomNode& DomNode::operator=(DomNode&& other) noexcept {
    if (this != &other) {
        release(data_);
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

DomNode::~DomNode() { release(data_); }

const char* DomNode::name() const { return data_ != nullptr ? data_->name : nullptr; }

bool DomNode::is_declaration() const { return data_ != nullptr && data_->is_declaration(); }

int DomNode::child_count() const { return data_ != nullptr ? data_->child_count : 0; }

namespace {

DomNode handle_to(DomNodeData* record) {
    ++record->reference_count;
    return DomAccess::adopt(record);
}

}  // namespace

DomNode DomNode::child_at(int index) const {
    if (data_ == nullptr || index < 0 || index >= data_->child_count) return DomNode();
    return handle_to(data_->children[index]);
}

DomNode DomNode::child_named(const char* name) const {
    if (data_ == nullptr || name == nullptr) return DomNode();
    for (std::int32_t i = 0; i < data_->child_count; ++i)
        if (names_equal(data_->children[i]->name, name)) return handle_to(data_->children[i]);
    return DomNode();
}

int DomNode::attribute_count() const { return data_ != nullptr ? data_->attribute_count : 0; }

const char* DomNode::attribute_name(int index) const {
    if (data_ == nullptr || index < 0 || index >= data_->attribute_count) return nullptr;
    return data_->attributes[index].name;
}

const char* DomNode::attribute_value_at(int index) const {
    if (data_ == nullptr || index < 0 || index >= data_->attribute_count) return nullptr;
    return data_->attributes[index].value;
}

const char* DomNode::attribute_value(const char* name) const {
    if (data_ == nullptr || name == nullptr) return nullptr;
    for (std::int32_t i = 0; i < data_->attribute_count; ++i)
        if (names_equal(data_->attributes[i].name, name)) return data_->attributes[i].value;
    return nullptr;
}

int DomNode::text_count() const { return data_ != nullptr ? data_->text_count() : 0; }

const char* DomNode::text_at(int index) const {
    if (data_ == nullptr || index < 0 || index >= data_->text_count()) return nullptr;
    return data_->content->texts[index];
}

int DomNode::raw_section_count() const { return data_ != nullptr ? data_->raw_section_count() : 0; }

const char* DomNode::raw_section_at(int index) const {
    if (data_ == nullptr || index < 0 || index >= data_->raw_section_count()) return nullptr;
    return data_->content->raw_sections[index].content;
}

const char* DomNode::raw_section_open_marker(int index) const {
    if (data_ == nullptr || index < 0 || index >= data_->raw_section_count()) return nullptr;
    return data_->content->raw_sections[index].open_marker;
}

void DomNode::add_attribute(const char* name, const char* value) {
    if (data_ == nullptr || name == nullptr) return;
    append_attribute(data_, name, value);
}

DomNode DomNode::add_child(const DomNode& node) {
    DomNodeData* child = node.data_;
    // Adding a node to itself changes nothing, a nameless one included.
    if (data_ == nullptr || child == nullptr || child == data_) return node;
    if (child->name == nullptr) {
        move_children(data_, child);
        return node;
    }
    // A node never becomes its own descendant: the cycle would keep the
    // records alive for ever and make every walk of the tree endless.
    // Only a node with children can be an ancestor, which keeps building a
    // deep chain from fresh nodes linear.
    if (child->child_count > 0 && is_self_or_ancestor(child, data_)) return node;
    if (child->parent != nullptr) {
        detach_from_parent(child);
    } else {
        ++child->reference_count;
    }
    try {
        append_child(data_, child);
    } catch (...) {
        release(child);
        throw;
    }
    return node;
}

DomNode create_root(const char* name) {
    Storage* storage = Storage::create(256);
    const char* stored_name = name != nullptr ? storage->copy_string(name, std::strlen(name)) : nullptr;
    return DomAccess::adopt(storage->new_record(stored_name, false));
}

}  // namespace dom
