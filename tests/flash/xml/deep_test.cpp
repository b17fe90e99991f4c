// Depth is limited by memory only: parsing, freeing and rendering a tree a
// million levels deep must not exhaust the thread's stack, which under Wine
// is small.
#include "kelvor_xml/dom.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dom::DomError;
using dom::DomNode;

constexpr int depth = 1'000'000;

std::string repeated(const std::string& piece, int count) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

int depth_of(DomNode node) {
    int levels = 0;
    while (!node.empty()) {
        ++levels;
        node = node.child_at(0);
    }
    return levels;
}

TEST(Deep, UnclosedMillionLevelsKeepTheirTree) {
    std::string text = repeated("<a>", depth);
    dom::DomParseResult result;
    DomNode root = dom::parse_text(text.c_str(), "a", &result);
    EXPECT_EQ(result.error, DomError::UnclosedElement);
    EXPECT_EQ(result.column, static_cast<int>(text.size()) + 1);
    EXPECT_EQ(depth_of(root), depth);
}

TEST(Deep, ClosedMillionLevelsParseAndFree) {
    std::string text = repeated("<a>", depth) + "x" + repeated("</a>", depth);
    dom::DomParseResult result;
    DomNode root = dom::parse_text(text.c_str(), nullptr, &result);
    EXPECT_EQ(result.error, DomError::None);
    DomNode leaf = root;
    for (int i = 1; i < depth; ++i) leaf = leaf.child_at(0);
    EXPECT_STREQ(leaf.text_at(0), "x");
    root = DomNode();
    EXPECT_STREQ(leaf.name(), "a") << "the innermost element survives the rest";
}

TEST(Deep, MillionNestedDeclarationsRender) {
    // Declarations keep their children at their own level, so the text stays
    // small however deep the tree is.
    DomNode top = dom::parse_text(repeated("<?p>", depth).c_str(), nullptr, nullptr);
    EXPECT_EQ(depth_of(top), depth);
    EXPECT_EQ(top.to_text(), repeated("<?p?>\n", depth));
}

TEST(Deep, BuiltChainRendersAndFrees) {
    DomNode root = dom::create_root("a");
    DomNode tip = root;
    for (int i = 0; i < depth; ++i) tip = tip.add_child(dom::create_root("a"));
    root = DomNode();
    tip = DomNode();

    constexpr int rendered_depth = 2000;
    root = dom::create_root("a");
    tip = root;
    for (int i = 1; i < rendered_depth; ++i) tip = tip.add_child(dom::create_root("a"));
    std::string expected;
    for (int level = 0; level < rendered_depth - 1; ++level) expected += std::string(level, '\t') + "<a>\n";
    expected += std::string(rendered_depth - 1, '\t') + "<a/>\n";
    for (int level = rendered_depth - 2; level >= 0; --level) expected += std::string(level, '\t') + "</a>\n";
    EXPECT_EQ(root.to_text(), expected);
}

}  // namespace
