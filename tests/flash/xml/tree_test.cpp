// Handles, parents and the building operations.
#include "kelvor_xml/dom.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dom::DomNode;

DomNode parsed(const char* text) { return dom::parse_text(text, nullptr, nullptr); }

TEST(Tree, EmptyNodeAnswersEmpty) {
    DomNode empty;
    EXPECT_EQ(empty.name(), nullptr);
    EXPECT_EQ(empty.child_count(), 0);
    EXPECT_TRUE(empty.child_at(0).empty());
    EXPECT_TRUE(empty.child_named("x").empty());
    EXPECT_EQ(empty.attribute_value("x"), nullptr);
    EXPECT_EQ(empty.to_text(), "");
    empty.add_attribute("x", "1");
    EXPECT_TRUE(empty.add_child(dom::create_root("c")).name() != nullptr) << "the node comes back unchanged";
    EXPECT_EQ(empty.attribute_count(), 0);
}

TEST(Tree, LookupsIgnoreLetterCase) {
    DomNode root = parsed("<r><nic Name=\"x\"/><NIC/></r>");
    DomNode first = root.child_named("NIC");
    EXPECT_TRUE(first.same_node(root.child_at(0)));
    EXPECT_STREQ(first.attribute_value("name"), "x");
    EXPECT_TRUE(root.child_named("ni").empty());
    EXPECT_TRUE(root.child_at(2).empty());
    EXPECT_TRUE(root.child_at(-1).empty());
}

TEST(Tree, ChildHeldByAHandleOutlivesItsRoot) {
    DomNode root = parsed("<r><a k=\"v\"><b>deep</b></a><c/></r>");
    DomNode a = root.child_at(0);
    root = DomNode();
    EXPECT_STREQ(a.name(), "a");
    EXPECT_STREQ(a.attribute_value("k"), "v");
    EXPECT_STREQ(a.child_at(0).text_at(0), "deep");
    // a has no parent any more: adding it elsewhere gives it one.
    DomNode other = dom::create_root("other");
    other.add_child(a);
    EXPECT_EQ(other.to_text(), "<other>\n\t<a k=\"v\">\n\t\t<b>deep</b>\n\t</a>\n</other>\n");
}

// Names, values and texts point into the document's own copy of the text:
// they outlive the caller's text and the root, and go with the last handle
// (the sanitizers and valgrind see any read after that, or any leak).
TEST(Tree, StringsLiveWhileAnyHandleOfTheDocumentLives) {
    std::string text = "<r><a k=\"v&amp;w\" flag><b>deep &lt;</b></a><c/></r>";
    DomNode root = parsed(text.c_str());
    DomNode b = root.child_at(0).child_at(0);
    const char* name = root.child_at(0).attribute_name(1);
    const char* value = root.child_at(0).attribute_value("k");
    const char* deep = b.text_at(0);
    text.assign(text.size(), 'x');
    root = DomNode();
    EXPECT_STREQ(name, "flag");
    EXPECT_STREQ(value, "v&w");
    EXPECT_STREQ(deep, "deep <");
    EXPECT_STREQ(b.name(), "b");
    b.add_attribute("added", "1");
    EXPECT_EQ(b.to_text(), "<b added=\"1\">deep &lt;</b>\n");
}

TEST(Tree, AddChildMovesANodeBetweenParents) {
    DomNode first = parsed("<p>t<c/>u<d/></p>");
    DomNode second = dom::create_root("q");
    DomNode c = first.child_named("c");
    DomNode returned = second.add_child(c);
    EXPECT_TRUE(returned.same_node(c));
    EXPECT_EQ(first.child_count(), 1);
    EXPECT_EQ(first.to_text(), "<p>\n\tt\n\tu\n\t<d/>\n</p>\n");
    EXPECT_EQ(second.to_text(), "<q>\n\t<c/>\n</q>\n");
    first = DomNode();
    c = DomNode();
    EXPECT_EQ(second.child_count(), 1) << "the new parent holds its own reference";
    EXPECT_STREQ(second.child_at(0).name(), "c");
}

TEST(Tree, AddingANamelessNodeMovesItsChildren) {
    DomNode holder = parsed("<a/><b/><c/>");
    DomNode target = dom::create_root("t");
    target.add_child(dom::create_root("first"));
    DomNode returned = target.add_child(holder);
    EXPECT_TRUE(returned.same_node(holder));
    EXPECT_EQ(holder.child_count(), 0);
    EXPECT_EQ(target.to_text(), "<t>\n\t<first/>\n\t<a/>\n\t<b/>\n\t<c/>\n</t>\n");
}

TEST(Tree, AddChildNeverMakesACycle) {
    DomNode root = parsed("<r><a><b/></a></r>");
    DomNode b = root.child_at(0).child_at(0);
    b.add_child(root);
    b.add_child(b);
    EXPECT_EQ(b.child_count(), 0);
    EXPECT_EQ(root.to_text(), "<r>\n\t<a>\n\t\t<b/>\n\t</a>\n</r>\n");

    DomNode holder = parsed("<x/><y/>");
    DomNode x = holder.child_at(0);
    x.add_child(holder);  // y moves into x, x itself stays in the holder
    EXPECT_EQ(holder.child_count(), 1);
    EXPECT_EQ(x.to_text(), "<x>\n\t<y/>\n</x>\n");
    holder.add_child(holder);
    EXPECT_EQ(holder.child_count(), 1);
}

TEST(Tree, BuildingCopiesNamesAndValues) {
    char name[] = "attr";
    char value[] = "1";
    DomNode root = dom::create_root("r");
    root.add_attribute(name, value);
    root.add_attribute("flag", nullptr);
    root.add_attribute(nullptr, "ignored");
    name[0] = 'X';
    value[0] = '2';
    EXPECT_EQ(root.attribute_count(), 2);
    EXPECT_STREQ(root.attribute_value("attr"), "1");
    EXPECT_EQ(dom::create_root(nullptr).name(), nullptr);
}

}  // namespace
