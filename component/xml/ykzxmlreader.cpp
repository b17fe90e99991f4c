#include "tamsel_xml/ykzxml.h"

#include "cmplog/cstr.h"
#include "platform/wholefile.h"
#include "ykzxmlbuild.h"
#include "ykzxmlstorage.h"

#include <climits>
#include <clocale>
#include <new>
#include <string>
#include <string_view>

namespace {

const char16_t* const rootName = u"#DOCROOT";

}  // namespace

CYkzXMLReader::CYkzXMLReader() {
    Reset();
}

CYkzXMLReader::~CYkzXMLReader() {
    Release();
}

void CYkzXMLReader::Release() {
    root_ = nullptr;
    storage_.reset();
    encoding_.reset();
    loaded_ = 0;
}

void CYkzXMLReader::Reset() {
    Release();
    try {
        storage_ = std::make_unique<CYkzXMLStorage>();
        root_ = CYkzXMLNode::Create(*storage_, CYkzXMLNode::TypeElement, rootName);
    } catch (const std::bad_alloc&) {
        root_ = nullptr;  // the next load answers LoadNoRoot
    }
    std::setlocale(LC_ALL, "");
}

std::int32_t CYkzXMLReader::LoadFile(const char16_t* path) {
    Reset();
    if (!root_) return LoadNoRoot;
    if (path == nullptr) return LoadCannotOpen;
    std::string bytes;
    platform::WholeFileStatus status = platform::WholeFileStatus::cannot_read;
    try {
        status = platform::read_whole_file(std::u16string_view(path), bytes);
    } catch (const std::bad_alloc&) {
        // No room for the file: it cannot be read.
    }
    switch (status) {
        case platform::WholeFileStatus::ok:
            break;
        case platform::WholeFileStatus::cannot_open:
            return LoadCannotOpen;
        case platform::WholeFileStatus::cannot_read:
        case platform::WholeFileStatus::too_large:
            return LoadCannotRead;
    }
    return Parse(bytes.data(), bytes.size());
}

std::int32_t CYkzXMLReader::LoadBuffer(const void* bytes, std::size_t length) {
    Reset();
    if (!root_ || (bytes == nullptr && length != 0)) return LoadNotWellFormed;
    return Parse(static_cast<const char*>(bytes), length);
}

std::int32_t CYkzXMLReader::Parse(const char* bytes, std::size_t length) {
    // One parse call over the whole text: expat's pieces of text, which the
    // text rules depend on, are then those of the document alone.
    if (length > static_cast<std::size_t>(INT_MAX)) return LoadNotWellFormed;
    try {
        CYkzXMLTreeBuilder builder(*storage_, *root_);
        if (!builder.Parse(bytes, static_cast<int>(length), encoding_)) return LoadNotWellFormed;
    } catch (const std::bad_alloc&) {
        return LoadNotWellFormed;  // the callbacks stop the parse themselves; this is the set-up
    }
    loaded_ = 1;
    return LoadOk;
}

CYkzXMLNode* CYkzXMLReader::FindElement(CYkzXMLNode* parent, const char16_t* name, const char16_t* attrName,
                                        const char16_t* attrValue) const {
    if (!IsLoaded() || name == nullptr) return nullptr;
    if (parent == nullptr) parent = root_;
    bool filtered = attrName != nullptr && attrValue != nullptr;
    for (CYkzXMLNode* child = parent->FindChild(name); child != nullptr; child = child->FindNextSibling(name)) {
        if (!filtered) return child;
        const char16_t* value = child->GetAttribute(attrName);
        if (value != nullptr && EqualsNoCase(value, attrValue)) return child;
    }
    return nullptr;
}
