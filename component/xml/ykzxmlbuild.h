// Building the reader's node tree from expat's callbacks (internal to the
// reader).
#pragma once

// The system's expat and the Windows build both have DTD support, and with
// it the limits on entity expansion that the reader sets; the header
// declares those only when told.
#ifndef XML_DTD
#define XML_DTD 1
#endif

#include "shiftjis.h"
#include "tamsel_xml/ykzxml.h"
#include "ykzxmlstorage.h"

#include <expat.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

class CYkzXMLTreeBuilder {
public:
    // Nodes go under `root`, which must be empty, and into `storage`.
    CYkzXMLTreeBuilder(CYkzXMLStorage& storage, CYkzXMLNode& root) : storage_(storage), current_(&root) {}

    // Parses `length` bytes in one call marked final. True when the document
    // is well-formed and its encoding supported; on false, the nodes built so
    // far stay in the tree.
    bool Parse(const char* bytes, int length, const std::optional<std::u16string>& encoding);

private:
    static void XMLCALL OnStartElement(void* data, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL OnEndElement(void* data, const XML_Char* name);
    static void XMLCALL OnCharacterData(void* data, const XML_Char* text, int length);
    static void XMLCALL OnStartCdata(void* data);
    static void XMLCALL OnEndCdata(void* data);
    static int XMLCALL OnUnknownEncoding(void* data, const XML_Char* name, XML_Encoding* info);

    void StartElement(const XML_Char* name, const XML_Char** attributes);
    void CharacterData(std::string_view piece);
    void StartCdata();
    CYkzXMLNode* Link(CYkzXMLNode* node);
    void Append(CYkzXMLNode& node, std::string_view piece);
    const char16_t* Store(std::string_view utf8);
    // An exception must not cross expat's C frames: it stops the parse, which
    // then fails.
    template <typename Action>
    static void Guarded(void* data, Action action);

    CYkzXMLStorage& storage_;
    XML_Parser parser_ = nullptr;
    int length_ = 0;  // bytes of the document
    CYkzXMLNode* current_;
    bool collecting_ = true;
    bool insideCdata_ = false;
    bool firstPiecePending_ = false;
    CYkzXMLNode* textNode_ = nullptr;
    ShiftJisDecoder shiftJis_;
    std::array<const char16_t*, 256> recentTexts_{};  // by hash of their UTF-8 form
};
