// Fuzz target of the document parser: every input is parsed, the tree is
// rendered and the rendering is parsed again. Besides the sanitizers, it
// checks that results are consistent and that what the writer produces from
// a clean parse reads back without a hard error.
#include "kelvor_xml/dom.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "dom fuzzer: %s\n", what);
    std::abort();
}

bool is_warning(dom::DomError error) {
    return error == dom::DomError::None || error == dom::DomError::UnclosedElement || error == dom::DomError::NoElement;
}

void check_result(const dom::DomNode& tree, const dom::DomParseResult& result) {
    require(is_warning(result.error) == !tree.empty(), "a tree comes back exactly for the warnings");
    bool positioned = result.error != dom::DomError::None && result.error != dom::DomError::RootNotFound;
    require(positioned ? result.line >= 1 && result.column >= 1 : result.line == 0 && result.column == 0,
            "positions are set exactly for errors found in the text");
}

// Names are written as they were read, so a name that the writer's output
// would turn into other markup (a quote, "!", "?" or "/" in front, a "/" at
// the end that makes "/>", or a "PRE" that reads as a raw section) cannot
// come back the same.
bool is_plain_name(const char* name) {
    if (name == nullptr || *name == '\0') return true;
    char first = name[0];
    if (first == '"' || first == '\'' || first == '!' || first == '?' || first == '/') return false;
    if (name[std::strlen(name) - 1] == '/') return false;
    return std::string(name) != "PRE";
}

bool has_plain_names(const dom::DomNode& root) {
    // Iterative, like the library itself: fuzz inputs may nest deeply.
    std::vector<dom::DomNode> pending{root};
    while (!pending.empty()) {
        dom::DomNode node = pending.back();
        pending.pop_back();
        if (!is_plain_name(node.name())) return false;
        for (int i = 0; i < node.attribute_count(); ++i)
            if (!is_plain_name(node.attribute_name(i))) return false;
        for (int i = 0; i < node.child_count(); ++i) pending.push_back(node.child_at(i));
    }
    return true;
}

std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

// A multi-byte sequence that the end of the text cuts short stays in the name
// or text that it ends; written out again, it takes the markup after it.
bool ends_inside_sequence(const char* text) {
    std::size_t length = std::strlen(text);
    std::size_t position = 0;
    while (position < length) {
        std::size_t next = position + sequence_length(static_cast<unsigned char>(text[position]));
        if (next > length) return true;
        position = next;
    }
    return false;
}

void check_round_trip(const char* text, const dom::DomNode& tree, const dom::DomParseResult& result) {
    std::string rendered = tree.to_text();
    dom::DomParseResult again;
    dom::DomNode reparsed = dom::parse_text(rendered.c_str(), nullptr, &again);
    check_result(reparsed, again);
    if (result.error == dom::DomError::None && has_plain_names(tree) && !ends_inside_sequence(text))
        require(is_warning(again.error), "the rendering of a clean parse reads back without a hard error");
}

// Moving children to a new root exercises detaching and the order lists of
// both parents.
void check_moves(const dom::DomNode& tree) {
    dom::DomNode first = tree.child_at(0);
    if (first.empty()) return;
    int before = tree.child_count();
    dom::DomNode root = dom::create_root("moved");
    root.add_child(first);
    require(tree.child_count() == before - 1 && root.child_count() == 1, "a moved child changes parents");
    root.add_child(tree);
    require(tree.name() != nullptr || tree.child_count() == 0, "a nameless node hands over all its children");
    require(root.child_count() == (tree.name() != nullptr ? 2 : before), "every child arrives");
    (void)root.to_text();
}

bool is_named_a(const dom::DomNode& node) {
    const char* name = node.name();
    return name != nullptr && (std::string(name) == "a" || std::string(name) == "A");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    dom::DomParseResult result;
    dom::DomNode tree = dom::parse_text(text.c_str(), nullptr, &result);
    check_result(tree, result);
    if (!tree.empty()) {
        check_round_trip(text.c_str(), tree, result);
        check_moves(tree);
    }
    dom::DomParseResult rooted;
    dom::DomNode root = dom::parse_text(text.c_str(), "a", &rooted);
    check_result(root, rooted);
    require(root.empty() || is_named_a(root), "an expected root comes back under its own name");
    return 0;
}
