// The shape of the tree: sibling order, lookups, text and CDATA rules, and
// trees far deeper and wider than any package file.
#include "support.h"

#include "platform/unicode.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using ykzxmltest::FindAnywhere;
using ykzxmltest::Load;
using ykzxmltest::Repeated;

std::vector<std::u16string> ChildNames(const CYkzXMLNode* parent) {
    std::vector<std::u16string> names;
    for (const CYkzXMLNode* child = parent->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
        names.emplace_back(child->GetName());
    return names;
}

std::vector<std::u16string> IdsOfChildrenNamed(const CYkzXMLNode* parent, const char16_t* name) {
    std::vector<std::u16string> ids;
    for (const CYkzXMLNode* child = parent->FindChild(name); child != nullptr; child = child->FindNextSibling(name))
        ids.emplace_back(child->GetAttribute(u"id"));
    return ids;
}

TEST(YkzXmlTree, SiblingsStandFirstThenTheRestInReverseOrderOfReading) {
    CYkzXMLReader reader;
    ASSERT_EQ(Load(reader, "<r><a/><b/><c/></r>"), 0);
    CYkzXMLNode* r = reader.FindElement(nullptr, u"r");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(ChildNames(r), (std::vector<std::u16string>{u"a", u"c", u"b"}));

    ASSERT_EQ(Load(reader, "<r><a/><b/><c/><d/></r>"), 0);
    r = reader.FindElement(nullptr, u"r");
    EXPECT_EQ(ChildNames(r), (std::vector<std::u16string>{u"a", u"d", u"c", u"b"}));
    EXPECT_EQ(r->GetParent(), reader.GetRoot());
    EXPECT_EQ(r->GetFirstChild()->GetParent(), r);

    // FindChild and FindNextSibling visit same-named children in that order,
    // passing over the others.
    ASSERT_EQ(Load(reader, R"(<r><x id="1"/><y id="y"/><x id="2"/><x id="3"/></r>)"), 0);
    r = reader.FindElement(nullptr, u"r");
    EXPECT_EQ(IdsOfChildrenNamed(r, u"x"), (std::vector<std::u16string>{u"1", u"3", u"2"}));
    EXPECT_EQ(IdsOfChildrenNamed(r, u"y"), (std::vector<std::u16string>{u"y"}));
    EXPECT_EQ(r->FindChild(u"X"), nullptr);
    EXPECT_EQ(r->FindChild(nullptr), nullptr);
}

TEST(YkzXmlTree, RootAndAttributes) {
    CYkzXMLReader reader;
    ASSERT_EQ(Load(reader, R"(<e b="2" a="1" p:c="&lt;x&gt;"/>)"), 0);
    const CYkzXMLNode* root = reader.GetRoot();
    EXPECT_EQ(std::u16string(root->GetName()), u"#DOCROOT");
    EXPECT_EQ(root->GetType(), CYkzXMLNode::TypeElement);
    EXPECT_EQ(root->GetParent(), nullptr);

    const CYkzXMLNode* e = root->GetFirstChild();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetType(), CYkzXMLNode::TypeElement);
    EXPECT_EQ(e->GetText(), nullptr);
    ASSERT_EQ(e->GetAttributeCount(), 3);
    EXPECT_EQ(std::u16string(e->GetAttributeName(0)), u"b");  // document order
    EXPECT_EQ(std::u16string(e->GetAttributeValue(2)), u"<x>");
    EXPECT_EQ(e->GetAttributeName(3), nullptr);
    EXPECT_EQ(e->GetAttributeValue(-1), nullptr);
    EXPECT_EQ(std::u16string(e->GetAttribute(u"a")), u"1");
    EXPECT_EQ(std::u16string(e->GetAttribute(u"p:c")), u"<x>");  // no namespace processing
    EXPECT_EQ(e->GetAttribute(u"A"), nullptr);
    EXPECT_EQ(e->GetAttribute(nullptr), nullptr);
}

TEST(YkzXmlTree, FindElementMatchesNamesExactlyAndValuesWithoutCase) {
    CYkzXMLReader reader;
    ASSERT_EQ(Load(reader, R"(<r><e n="0"/><e k="v1" n="1"/><e k="Value" n="2"/><E k="value" n="3"/></r>)"), 0);
    CYkzXMLNode* r = reader.FindElement(nullptr, u"r");
    ASSERT_NE(r, nullptr);
    struct Case {
        const char16_t* name;
        const char16_t* attrName;
        const char16_t* attrValue;
        const char16_t* expectedN;  // null: no match
    } cases[] = {
        {u"e", nullptr, nullptr, u"0"},   // the first in sibling order
        {u"e", u"k", nullptr, u"0"},      // a name without a value does not filter
        {u"e", u"k", u"VALUE", u"2"},     // skips the one without the attribute
        {u"e", u"k", u"v1", u"1"},        //
        {u"e", u"K", u"value", nullptr},  // attribute names compare exactly
        {u"E", nullptr, nullptr, u"3"},   // element names too
        {u"R", nullptr, nullptr, nullptr}, {u"e", u"k", u"other", nullptr}, {nullptr, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        CYkzXMLNode* found = reader.FindElement(r, c.name, c.attrName, c.attrValue);
        if (c.expectedN == nullptr) {
            EXPECT_EQ(found, nullptr);
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(std::u16string(found->GetAttribute(u"n")), c.expectedN);
        }
    }
    EXPECT_EQ(reader.FindElement(nullptr, u"e"), nullptr);  // only the root's children

    // A failed load keeps the part built so far, but finds nothing in it.
    EXPECT_EQ(Load(reader, "<r><e/>"), CYkzXMLReader::LoadNotWellFormed);
    EXPECT_FALSE(reader.IsLoaded());
    ASSERT_NE(reader.GetRoot()->GetFirstChild(), nullptr);
    EXPECT_EQ(reader.FindElement(nullptr, u"r"), nullptr);
}

struct TextCase {
    const char* label;
    std::string document;
    const char16_t* element;
    const char16_t* firstChild;  // name of a type-1 first child; null: none
    std::u16string text;
};

TEST(YkzXmlTree, TextRules) {
    const TextCase cases[] = {
        {"plain", "<e>word</e>", u"e", u"#TEXT", u"word"},
        {"leading space", "<e> word</e>", u"e", nullptr, u""},
        {"leading tab", "<e>\tword</e>", u"e", nullptr, u""},
        {"leading line break", "<e>\nword\n</e>", u"e", nullptr, u""},
        {"lines joined", "<e>first\nsecond\nthird\n</e>", u"e", u"#TEXT", u"firstsecondthird"},
        {"indented line dropped", "<e>first\n    second</e>", u"e", u"#TEXT", u"first"},
        {"reference then space", "<e>a &amp; b</e>", u"e", u"#TEXT", u"a &"},
        {"references joined", "<e>a&amp;b&#65;c&#x20AC;</e>", u"e", u"#TEXT", u"a&bAc\u20AC"},
        {"non-ASCII",
         "<e>Gr\xC3\xB6\xC3\x9F"
         "e \xF0\x9F\x98\x80</e>",
         u"e", u"#TEXT", u"Gr\u00F6\u00DFe \U0001F600"},
        {"text after a child", "<e><c/>after</e>", u"e", nullptr, u""},
        {"text around a child", "<e>before<c/>after</e>", u"e", u"#TEXT", u"before"},
        {"tail goes to the last text", "<e><c>in</c>tail</e>", u"c", u"#TEXT", u"intail"},
        {"CDATA keeps whitespace", "<e><![CDATA[  keep\r\n  <all> &amp; ]]></e>", u"e", u"#CDATA",
         u"  keep\n  <all> &amp; "},
        {"empty CDATA", "<e><![CDATA[]]></e>", u"e", u"#CDATA", u""},
        {"text after CDATA dropped", "<e><![CDATA[x]]>tail</e>", u"e", u"#CDATA", u"x"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.label);
        CYkzXMLReader reader;
        ASSERT_EQ(Load(reader, c.document), 0);
        const CYkzXMLNode* element = FindAnywhere(reader, c.element);
        ASSERT_NE(element, nullptr);
        const CYkzXMLNode* first = element->GetFirstChild();
        if (c.firstChild == nullptr) {
            EXPECT_TRUE(first == nullptr || first->GetType() != CYkzXMLNode::TypeText);
            continue;
        }
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(std::u16string(first->GetName()), c.firstChild);
        EXPECT_EQ(first->GetType(), CYkzXMLNode::TypeText);
        EXPECT_EQ(first->GetFirstChild(), nullptr);
        ASSERT_NE(first->GetText(), nullptr);
        EXPECT_EQ(std::u16string(first->GetText()), c.text);
    }
}

// Texts of many pieces grow in place, move out of the tree's blocks and are
// trimmed when finished; every piece must survive each step, and nodes
// stored after a long text must stay intact.
TEST(YkzXmlTree, LongTextsKeepEveryPiece) {
    std::string lines, references;
    std::u16string expectedLines, expectedReferences;
    for (int i = 0; i < 20'000; ++i) {
        std::string line = "line " + std::to_string(i) + "\n";
        lines += line;
        expectedLines += platform::utf8_to_utf16(line);
        references += "a&amp;";
        expectedReferences += u"a&";
    }
    CYkzXMLReader reader;
    ASSERT_EQ(Load(reader, "<r><c><![CDATA[" + lines + "]]></c><t>" + references + "</t><after k=\"v\">x</after></r>"),
              0);
    EXPECT_EQ(std::u16string(FindAnywhere(reader, u"c")->GetFirstChild()->GetText()), expectedLines);
    EXPECT_EQ(std::u16string(FindAnywhere(reader, u"t")->GetFirstChild()->GetText()), expectedReferences);
    const CYkzXMLNode* after = FindAnywhere(reader, u"after");
    EXPECT_EQ(std::u16string(after->GetAttribute(u"k")), u"v");
    EXPECT_EQ(std::u16string(after->GetFirstChild()->GetText()), u"x");
}

TEST(YkzXmlTree, MillionSiblingsAndDeepNestingLoadAndFree) {
    constexpr std::size_t siblings = 1'000'000;
    {
        CYkzXMLReader reader;
        ASSERT_EQ(Load(reader, "<r>" + Repeated("<a/>", siblings) + "</r>"), 0);
        std::size_t count = 0;
        for (const CYkzXMLNode* a = reader.FindElement(nullptr, u"r")->FindChild(u"a"); a != nullptr;
             a = a->FindNextSibling(u"a"))
            ++count;
        EXPECT_EQ(count, siblings);
    }
    constexpr std::size_t depth = 100'000;
    CYkzXMLReader reader;
    ASSERT_EQ(Load(reader, Repeated("<a>", depth) + "deep" + Repeated("</a>", depth)), 0);
    std::size_t levels = 0;
    const CYkzXMLNode* node = reader.GetRoot();
    while (node->GetFirstChild() != nullptr && node->GetFirstChild()->GetType() == CYkzXMLNode::TypeElement) {
        node = node->GetFirstChild();
        ++levels;
    }
    EXPECT_EQ(levels, depth);
    EXPECT_EQ(std::u16string(node->GetFirstChild()->GetText()), u"deep");
    reader.Reset();
    EXPECT_EQ(reader.GetRoot()->GetFirstChild(), nullptr);
}

}  // namespace
