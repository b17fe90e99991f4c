// expat's callbacks, turned into the reader's tree. expat is the system's
// UTF-8 build: every name and piece of text is converted to UTF-16 before it
// is stored.
#include "ykzxmlbuild.h"

#include "platform/unicode.h"

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <string_view>
#include <utility>

namespace {

// Package files use no entities of their own; a document whose entities
// expand beyond these bounds is refused as not well-formed.
constexpr float maximumEntityAmplification = 100.0f;
constexpr unsigned long long entityAmplificationThreshold = 1024 * 1024;

const char16_t* const textName = u"#TEXT";
const char16_t* const cdataName = u"#CDATA";

// Texts up to this length are looked up among the recently stored ones.
constexpr std::size_t sharedTextLimit = 32;

bool EqualsAscii(const char16_t* stored, std::string_view ascii) {
    for (char byte : ascii) {
        if (*stored++ != static_cast<char16_t>(byte)) return false;
    }
    return *stored == u'\0';
}

bool IsAscii(std::string_view utf8) {
    unsigned char any = 0;
    for (char byte : utf8) any |= static_cast<unsigned char>(byte);
    return any < 0x80;
}

// Appends expat's UTF-8 to a node's UTF-16 text. ASCII, which package files
// are almost entirely written in, is widened in place: the same result as the
// full conversion, without a temporary text per piece.
void AppendUtf8(CYkzXMLStorage& storage, CYkzXMLText& text, std::string_view utf8, std::size_t expected) {
    if (IsAscii(utf8))
        text.AppendAscii(storage, utf8, expected);
    else
        text.Append(storage, platform::utf8_to_utf16(utf8), expected);
}

// Whitespace as the runtime classifies it under the current locale, on the
// piece's first UTF-16 unit.
bool StartsWithWhitespace(std::string_view utf8) {
    if (utf8.empty()) return false;
    char16_t first = static_cast<unsigned char>(utf8.front());
    if (first >= 0x80) first = platform::utf8_to_utf16(utf8.substr(0, 4)).front();  // one whole sequence at most
    return std::iswspace(static_cast<std::wint_t>(first)) != 0;
}

struct ParserHandle {
    XML_Parser parser;
    explicit ParserHandle(const XML_Char* encoding) : parser(XML_ParserCreate(encoding)) {}
    ~ParserHandle() {
        if (parser != nullptr) XML_ParserFree(parser);
    }
    ParserHandle(const ParserHandle&) = delete;
    ParserHandle& operator=(const ParserHandle&) = delete;
};

}  // namespace

bool CYkzXMLTreeBuilder::Parse(const char* bytes, int length, const std::optional<std::u16string>& encoding) {
    std::string encodingName = encoding ? platform::utf16_to_utf8(*encoding) : std::string();
    ParserHandle handle(encoding ? encodingName.c_str() : nullptr);
    if (handle.parser == nullptr) return false;
    parser_ = handle.parser;
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &OnStartElement, &OnEndElement);
    XML_SetCharacterDataHandler(parser_, &OnCharacterData);
    XML_SetCdataSectionHandler(parser_, &OnStartCdata, &OnEndCdata);
    XML_SetUnknownEncodingHandler(parser_, &OnUnknownEncoding, this);
    if (!XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser_, maximumEntityAmplification) ||
        !XML_SetBillionLaughsAttackProtectionActivationThreshold(parser_, entityAmplificationThreshold))
        return false;
    length_ = length;
    bool parsed = XML_Parse(parser_, bytes, length, XML_TRUE) == XML_STATUS_OK;
    parser_ = nullptr;
    if (textNode_ != nullptr) textNode_->text_.Shrink();
    if (insideCdata_) current_->text_.Shrink();  // a failed parse may stop inside a section
    textNode_ = nullptr;
    return parsed;
}

template <typename Action>
void CYkzXMLTreeBuilder::Guarded(void* data, Action action) {
    auto* self = static_cast<CYkzXMLTreeBuilder*>(data);
    try {
        action(*self);
    } catch (...) {
        XML_StopParser(self->parser_, XML_FALSE);
    }
}

void XMLCALL CYkzXMLTreeBuilder::OnStartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    Guarded(data, [&](CYkzXMLTreeBuilder& self) { self.StartElement(name, attributes); });
}

void XMLCALL CYkzXMLTreeBuilder::OnEndElement(void* data, const XML_Char*) {
    // The text flags stay as they are: a piece after the end tag goes on to
    // the last text node.
    Guarded(data, [](CYkzXMLTreeBuilder& self) {
        if (self.current_->parent_ != nullptr) self.current_ = self.current_->parent_;
    });
}

void XMLCALL CYkzXMLTreeBuilder::OnCharacterData(void* data, const XML_Char* text, int length) {
    Guarded(data, [&](CYkzXMLTreeBuilder& self) {
        self.CharacterData(std::string_view(text, static_cast<std::size_t>(length)));
    });
}

void XMLCALL CYkzXMLTreeBuilder::OnStartCdata(void* data) {
    Guarded(data, [](CYkzXMLTreeBuilder& self) { self.StartCdata(); });
}

void XMLCALL CYkzXMLTreeBuilder::OnEndCdata(void* data) {
    Guarded(data, [](CYkzXMLTreeBuilder& self) {
        self.current_->text_.Shrink();
        self.insideCdata_ = false;
        self.collecting_ = false;
        if (self.current_->parent_ != nullptr) self.current_ = self.current_->parent_;
    });
}

int XMLCALL CYkzXMLTreeBuilder::OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info) {
    auto* self = static_cast<CYkzXMLTreeBuilder*>(data);
    if (!ShiftJisDecoder::Accepts(name)) return XML_STATUS_ERROR;
    try {
        self->shiftJis_.Describe(*info);
    } catch (...) {
        return XML_STATUS_ERROR;
    }
    return XML_STATUS_OK;
}

void CYkzXMLTreeBuilder::StartElement(const XML_Char* name, const XML_Char** attributes) {
    collecting_ = true;
    firstPiecePending_ = true;
    CYkzXMLNode* node = CYkzXMLNode::Create(storage_, CYkzXMLNode::TypeElement, Store(name));
    std::size_t count = 0;
    while (attributes[count] != nullptr) ++count;
    if (count != 0) {
        auto** array = static_cast<const char16_t**>(storage_.Allocate((count + 1) * sizeof(const char16_t*)));
        for (std::size_t i = 0; i < count; ++i) array[i] = Store(attributes[i]);
        array[count] = nullptr;
        node->attributes_ = array;
    }
    current_ = Link(node);
}

void CYkzXMLTreeBuilder::CharacterData(std::string_view piece) {
    if (insideCdata_) {
        Append(*current_, piece);
        return;
    }
    if (!collecting_) return;
    if (firstPiecePending_) {
        if (StartsWithWhitespace(piece)) {
            collecting_ = false;
            return;
        }
        CYkzXMLNode* text = CYkzXMLNode::Create(storage_, CYkzXMLNode::TypeText, textName);
        Append(*text, piece);
        // Where the element already has a child, the text node is not linked
        // into the tree, yet it takes the pieces that follow; it stays in the
        // storage, out of reach, until the tree is freed.
        if (textNode_ != nullptr) textNode_->text_.Shrink();  // no piece reaches it any more
        textNode_ = current_->firstChild_ == nullptr ? Link(text) : text;
        firstPiecePending_ = false;
        return;
    }
    if (textNode_ != nullptr && !StartsWithWhitespace(piece)) Append(*textNode_, piece);
}

void CYkzXMLTreeBuilder::StartCdata() {
    collecting_ = true;
    insideCdata_ = true;
    CYkzXMLNode* cdata = CYkzXMLNode::Create(storage_, CYkzXMLNode::TypeText, cdataName);
    cdata->text_.Append(storage_, u"");  // an empty section still has a text
    current_ = Link(cdata);
}

// The first child stays first; every later one goes directly after it.
CYkzXMLNode* CYkzXMLTreeBuilder::Link(CYkzXMLNode* node) {
    node->parent_ = current_;
    CYkzXMLNode* first = current_->firstChild_;
    if (first == nullptr) {
        current_->firstChild_ = node;
    } else {
        node->nextSibling_ = first->nextSibling_;
        first->nextSibling_ = node;
    }
    return node;
}

// Outside entities, every byte still to be parsed yields at most one unit of
// text, so the text can grow by at most that much.
void CYkzXMLTreeBuilder::Append(CYkzXMLNode& node, std::string_view piece) {
    XML_Index position = XML_GetCurrentByteIndex(parser_);
    std::size_t remaining = position >= 0 && position <= length_ ? static_cast<std::size_t>(length_ - position) : 0;
    AppendUtf8(storage_, node.text_, piece, node.text_.size() + remaining);
}

// A terminated UTF-16 copy of a name or attribute text, in the storage.
// Names and short values repeat throughout a package file; a recent copy of
// the same ASCII text is shared instead of stored again.
const char16_t* CYkzXMLTreeBuilder::Store(std::string_view utf8) {
    if (!IsAscii(utf8)) {
        std::u16string converted = platform::utf8_to_utf16(utf8);
        auto* units = static_cast<char16_t*>(storage_.Allocate((converted.size() + 1) * sizeof(char16_t)));
        std::memcpy(units, converted.c_str(), (converted.size() + 1) * sizeof(char16_t));
        return units;
    }
    const char16_t** recent = nullptr;
    if (utf8.size() <= sharedTextLimit) {
        std::uint32_t hash = 2166136261u;  // FNV-1a
        for (char byte : utf8) hash = (hash ^ static_cast<unsigned char>(byte)) * 16777619u;
        recent = &recentTexts_[hash % recentTexts_.size()];
        if (*recent != nullptr && EqualsAscii(*recent, utf8)) return *recent;
    }
    auto* units = static_cast<char16_t*>(storage_.Allocate((utf8.size() + 1) * sizeof(char16_t)));
    for (std::size_t i = 0; i < utf8.size(); ++i) units[i] = static_cast<char16_t>(utf8[i]);
    units[utf8.size()] = u'\0';
    if (recent != nullptr) *recent = units;
    return units;
}
