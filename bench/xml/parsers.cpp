// The four tree builders. The expat one builds what a caller of a streaming
// parser has to build for itself: elements owning copies of their names,
// attributes and text.
#include "parsers.h"

#include "kelvor_xml/dom.h"

#include <expat.h>
#include <tinyxml2.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <utility>

namespace xmlbench {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

namespace {

std::size_t count_dom(const dom::DomNode& root) {
    std::size_t count = 0;
    std::vector<dom::DomNode> pending{root};
    while (!pending.empty()) {
        dom::DomNode node = pending.back();
        pending.pop_back();
        if (node.name() != nullptr && !node.is_declaration()) ++count;
        for (int i = 0; i < node.child_count(); ++i) pending.push_back(node.child_at(i));
    }
    return count;
}

class DomTreeParser : public TreeParser {
public:
    const char* name() const override { return "kelvor_xml"; }
    bool parse(const std::string& text) override {
        dom::DomParseResult result;
        root_ = dom::parse_text(text.c_str(), nullptr, &result);
        return result.error == dom::DomError::None;
    }
    bool parse_file(const std::string& path) override {
        dom::DomParseResult result;
        root_ = dom::parse_file(path.c_str(), nullptr, &result);
        return result.error == dom::DomError::None;
    }
    void free_tree() override { root_ = dom::DomNode(); }
    std::size_t element_count() const override { return count_dom(root_); }

private:
    dom::DomNode root_;
};

struct ExpatElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::unique_ptr<ExpatElement>> children;
    std::string text;
};

class ExpatTreeParser : public TreeParser {
public:
    const char* name() const override { return "expat tree"; }
    bool parse(const std::string& text) override;
    bool parse_file(const std::string& path) override;
    void free_tree() override { root_.reset(); }
    std::size_t element_count() const override;

private:
    XML_Parser create();
    static void start(void* data, const XML_Char* name, const XML_Char** attributes);
    static void end(void* data, const XML_Char*);
    static void characters(void* data, const XML_Char* text, int length);

    std::unique_ptr<ExpatElement> root_;
    std::vector<ExpatElement*> open_;
};

void ExpatTreeParser::start(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* self = static_cast<ExpatTreeParser*>(data);
    auto element = std::make_unique<ExpatElement>();
    element->name = name;
    for (const XML_Char** attribute = attributes; *attribute != nullptr; attribute += 2)
        element->attributes.emplace_back(attribute[0], attribute[1]);
    ExpatElement* raw = element.get();
    if (self->open_.empty())
        self->root_ = std::move(element);
    else
        self->open_.back()->children.push_back(std::move(element));
    self->open_.push_back(raw);
}

void ExpatTreeParser::end(void* data, const XML_Char*) { static_cast<ExpatTreeParser*>(data)->open_.pop_back(); }

void ExpatTreeParser::characters(void* data, const XML_Char* text, int length) {
    auto* self = static_cast<ExpatTreeParser*>(data);
    if (!self->open_.empty()) self->open_.back()->text.append(text, static_cast<std::size_t>(length));
}

XML_Parser ExpatTreeParser::create() {
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, start, end);
    XML_SetCharacterDataHandler(parser, characters);
    open_.clear();
    return parser;
}

bool ExpatTreeParser::parse(const std::string& text) {
    XML_Parser parser = create();
    bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

// A streaming parser needs no copy of the whole file: it reads in pieces.
bool ExpatTreeParser::parse_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    XML_Parser parser = create();
    std::vector<char> piece(1 << 16);
    bool ok = true;
    while (ok && in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        ok = XML_Parse(parser, piece.data(), static_cast<int>(in.gcount()), in.eof()) == XML_STATUS_OK;
    }
    XML_ParserFree(parser);
    return ok;
}

std::size_t ExpatTreeParser::element_count() const {
    std::size_t count = 0;
    std::vector<const ExpatElement*> pending;
    if (root_) pending.push_back(root_.get());
    while (!pending.empty()) {
        const ExpatElement* element = pending.back();
        pending.pop_back();
        ++count;
        for (const auto& child : element->children) pending.push_back(child.get());
    }
    return count;
}

class TinyXml2Parser : public TreeParser {
public:
    const char* name() const override { return "tinyxml2"; }
    bool parse(const std::string& text) override {
        document_ = std::make_unique<tinyxml2::XMLDocument>();
        return document_->Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS;
    }
    bool parse_file(const std::string& path) override {
        document_ = std::make_unique<tinyxml2::XMLDocument>();
        return document_->LoadFile(path.c_str()) == tinyxml2::XML_SUCCESS;
    }
    void free_tree() override { document_.reset(); }
    std::size_t element_count() const override {
        std::size_t count = 0;
        std::vector<const tinyxml2::XMLElement*> pending{document_->RootElement()};
        while (!pending.empty()) {
            const tinyxml2::XMLElement* element = pending.back();
            pending.pop_back();
            ++count;
            for (auto* child = element->FirstChildElement(); child != nullptr; child = child->NextSiblingElement())
                pending.push_back(child);
        }
        return count;
    }

private:
    std::unique_ptr<tinyxml2::XMLDocument> document_;
};

class PugiParser : public TreeParser {
public:
    const char* name() const override { return "pugixml"; }
    bool parse(const std::string& text) override {
        document_ = std::make_unique<pugi::xml_document>();
        return document_->load_buffer(text.data(), text.size());
    }
    bool parse_file(const std::string& path) override {
        document_ = std::make_unique<pugi::xml_document>();
        return document_->load_file(path.c_str());
    }
    void free_tree() override { document_.reset(); }
    std::size_t element_count() const override {
        std::size_t count = 0;
        std::vector<pugi::xml_node> pending{document_->document_element()};
        while (!pending.empty()) {
            pugi::xml_node node = pending.back();
            pending.pop_back();
            ++count;
            for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
                if (child.type() == pugi::node_element) pending.push_back(child);
        }
        return count;
    }

private:
    std::unique_ptr<pugi::xml_document> document_;
};

}  // namespace

std::vector<std::unique_ptr<TreeParser>> all_parsers() {
    std::vector<std::unique_ptr<TreeParser>> parsers;
    parsers.push_back(std::make_unique<DomTreeParser>());
    parsers.push_back(std::make_unique<TinyXml2Parser>());
    parsers.push_back(std::make_unique<PugiParser>());
    parsers.push_back(std::make_unique<ExpatTreeParser>());
    return parsers;
}

}  // namespace xmlbench
