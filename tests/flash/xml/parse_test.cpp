// Parsing: error codes with their positions, the shapes of the returned tree,
// attributes, references, raw sections and comment folding.
#include "kelvor_xml/dom.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

namespace {

using dom::DomError;
using dom::DomNode;
using dom::DomParseResult;

DomNode parse(const char* text, DomParseResult& result, const char* root = nullptr) {
    return dom::parse_text(text, root, &result);
}

struct ErrorCase {
    const char* text;
    const char* root;
    DomError error;
    int line;
    int column;
    bool tree_kept;
};

const ErrorCase error_cases[] = {
    ErrorCase{nullptr, nullptr, DomError::NoInput, 0, 0, false},
    ErrorCase{"<a><b></a>", nullptr, DomError::UnclosedElement, 1, 11, true},
    ErrorCase{"<a>\n  <b>\n</a>", nullptr, DomError::UnclosedElement, 3, 5, true},
    ErrorCase{"<a>\n", nullptr, DomError::UnclosedElement, 2, 1, true},
    ErrorCase{"just text", nullptr, DomError::NoElement, 1, 10, true},
    ErrorCase{"", nullptr, DomError::NoElement, 1, 1, true},
    ErrorCase{"<a>< >", nullptr, DomError::TagNameExpected, 1, 7, false},
    ErrorCase{"<a></>", nullptr, DomError::EndTagNameExpected, 1, 7, false},
    ErrorCase{"<a></a b>", nullptr, DomError::EndTagNameExpected, 1, 9, false},
    ErrorCase{"<a></b>", nullptr, DomError::StrayEndTag, 1, 8, false},
    ErrorCase{"<\xC3\xA9>\n\xE2\x82\xAC\xE2\x82\xAC</b>", nullptr, DomError::StrayEndTag, 2, 7, false},
    ErrorCase{"<a><!-- x", nullptr, DomError::UnterminatedRawSection, 1, 8, false},
    ErrorCase{"<a><!DOCTYPE r [ <x>", nullptr, DomError::UnterminatedRawSection, 1, 13, false},
    ErrorCase{"<a x=>", nullptr, DomError::UnexpectedToken, 1, 7, false},
    ErrorCase{"<a \"x\">", nullptr, DomError::UnexpectedToken, 1, 7, false},
    ErrorCase{"<a <b>", nullptr, DomError::UnexpectedToken, 1, 5, false},
    ErrorCase{"<x/>", "y", DomError::RootNotFound, 0, 0, false},
    ErrorCase{"only text", "r", DomError::RootNotFound, 0, 0, false},
    ErrorCase{"<a>&foo;</a>", nullptr, DomError::BadReference, 1, 11, false},
    ErrorCase{"<a>&#12</a>", nullptr, DomError::BadReference, 1, 10, false},
    ErrorCase{"<a>&#256;</a>", nullptr, DomError::ReferenceAbove255, 1, 12, false},
    ErrorCase{"<a x='&#300;'/>", nullptr, DomError::ReferenceAbove255, 1, 14, false},
};

TEST(Parse, ErrorsReportCodeAndPosition) {
    for (const ErrorCase& c : error_cases) {
        SCOPED_TRACE(c.text != nullptr ? c.text : "(no text)");
        DomParseResult result;
        DomNode node = dom::parse_text(c.text, c.root, &result);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.line, c.line);
        EXPECT_EQ(result.column, c.column);
        EXPECT_EQ(node.empty(), !c.tree_kept);
    }
}

TEST(Parse, DeclarationHoldsTheRootUnlessTheRootIsAskedFor) {
    const char* text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Root v=\"1\"><c/></Root>";
    DomParseResult result;
    DomNode declaration = parse(text, result);
    EXPECT_EQ(result.error, DomError::None);
    ASSERT_TRUE(declaration.is_declaration());
    EXPECT_STREQ(declaration.name(), "xml");
    EXPECT_STREQ(declaration.attribute_value("version"), "1.0");
    EXPECT_STREQ(declaration.attribute_value("encoding"), "utf-8");
    EXPECT_EQ(declaration.attribute_count(), 2) << "the closing ? is no attribute";
    ASSERT_EQ(declaration.child_count(), 1);

    DomNode root = parse(text, result, "root");
    EXPECT_EQ(result.error, DomError::None);
    EXPECT_STREQ(root.name(), "Root");
    EXPECT_FALSE(root.is_declaration());
    EXPECT_EQ(root.child_count(), 1);
}

TEST(Parse, DeclarationInsideAnElementEndsAtItsQuestionMark) {
    DomParseResult result;
    DomNode root = parse("<r><?pi a=\"1\" ?><c/></r>", result);
    EXPECT_EQ(result.error, DomError::None);
    ASSERT_EQ(root.child_count(), 2);
    EXPECT_TRUE(root.child_at(0).is_declaration());
    EXPECT_EQ(root.child_at(0).child_count(), 0);
    EXPECT_STREQ(root.child_at(1).name(), "c");
}

TEST(Parse, SeveralTopElementsOrTextOnlyReturnTheHolder) {
    DomParseResult result;
    DomNode holder = parse("<a/><b/>", result);
    EXPECT_EQ(result.error, DomError::None);
    EXPECT_EQ(holder.name(), nullptr);
    EXPECT_EQ(holder.child_count(), 2);

    holder = parse("  some text  ", result);
    EXPECT_EQ(result.error, DomError::NoElement);
    ASSERT_EQ(holder.text_count(), 1);
    EXPECT_STREQ(holder.text_at(0), "some text");
}

TEST(Parse, EndTagOfAnAncestorClosesTheElementsInBetween) {
    DomParseResult result;
    DomNode holder = parse("<a><b><c>text</A><d/>", result);
    EXPECT_EQ(result.error, DomError::UnclosedElement);
    EXPECT_EQ(result.column, 18) << "the position of the implicit close, not of the end";
    ASSERT_EQ(holder.child_count(), 2) << "d follows the closed a";
    EXPECT_STREQ(holder.child_at(0).child_named("b").child_named("c").text_at(0), "text");
    EXPECT_STREQ(holder.child_at(1).name(), "d");
}

TEST(Parse, AttributeForms) {
    DomParseResult result;
    DomNode a = parse("<a x=1 y z='2' q=\"it's\" r='say \"hi\"' path=a/b s = \"3\"/>", result);
    EXPECT_EQ(result.error, DomError::None);
    ASSERT_EQ(a.attribute_count(), 7);
    const char* names[] = {"x", "y", "z", "q", "r", "path", "s"};
    const char* values[] = {"1", nullptr, "2", "it's", "say \"hi\"", "a/b", "3"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(a.attribute_name(i), names[i]);
        EXPECT_STREQ(a.attribute_value_at(i), values[i]) << names[i];
    }
    EXPECT_STREQ(a.attribute_value("Z"), "2");
    EXPECT_EQ(a.attribute_value("y"), nullptr) << "valueless";
    EXPECT_EQ(a.attribute_value("missing"), nullptr);
}

struct DecodeCase {
    const char* content;
    const char* decoded;  // null: the error below
    DomError error;
};

const DecodeCase decode_cases[] = {
    DecodeCase{"&#65;&#x41;&#X41;&#x4a;", "AAAJ", DomError::None},
    DecodeCase{"&amp;&LT;&Gt;&QUOT;&apos;", "&<>\"'", DomError::None},
    DecodeCase{"caf&#233; &#xE9;", "caf\xC3\xA9 \xC3\xA9", DomError::None},
    DecodeCase{"&#127;&#128;&#255;", "\x7F\xC2\x80\xC3\xBF", DomError::None},
    DecodeCase{"&#0;", nullptr, DomError::BadReference},
    DecodeCase{"&#x0;", nullptr, DomError::BadReference},
    DecodeCase{"&#;", nullptr, DomError::BadReference},
    DecodeCase{"&#1a;", nullptr, DomError::BadReference},
    DecodeCase{"&amp", nullptr, DomError::BadReference},
    DecodeCase{"a & b", nullptr, DomError::BadReference},
    DecodeCase{"&#256;", nullptr, DomError::ReferenceAbove255},
    DecodeCase{"&#99999999999999999999999;", nullptr, DomError::ReferenceAbove255},
    DecodeCase{"&#xFFFFFFFFFFFFFFFFFFFF;", nullptr, DomError::ReferenceAbove255},
};

TEST(Parse, TextAndAttributeValuesDecodeAlike) {
    for (const DecodeCase& c : decode_cases) {
        SCOPED_TRACE(c.content);
        std::string element = std::string("<a>") + c.content + "</a>";
        std::string attribute = std::string("<a v=\"") + c.content + "\"/>";
        DomParseResult in_text;
        DomParseResult in_value;
        DomNode from_text = dom::parse_text(element.c_str(), nullptr, &in_text);
        DomNode from_value = dom::parse_text(attribute.c_str(), nullptr, &in_value);
        EXPECT_EQ(in_text.error, c.error);
        EXPECT_EQ(in_value.error, c.error);
        if (c.decoded == nullptr) continue;
        EXPECT_STREQ(from_text.text_at(0), c.decoded);
        EXPECT_STREQ(from_value.attribute_value("v"), c.decoded);
    }
}

TEST(Parse, MultiByteSequencesAreNeverMarkup) {
    DomParseResult result;
    // The lead byte E2 takes the next two bytes, "<b", as part of its sequence.
    DomNode a = parse("<a>\xE2<b></a>", result);
    EXPECT_EQ(result.error, DomError::None);
    EXPECT_EQ(a.child_count(), 0);
    EXPECT_STREQ(a.text_at(0), "\xE2<b>");
    a = parse("<a v=\"\xC3\"x\"/>", result);
    EXPECT_STREQ(a.attribute_value("v"), "\xC3\"x");
    a = parse("<a>\xE2\x82\xAC<b/></a>", result);
    EXPECT_EQ(a.child_count(), 1) << "a complete sequence ends before the markup";
}

TEST(Parse, RawSectionsAreKeptVerbatim) {
    DomParseResult result;
    DomNode holder =
        parse("<!DOCTYPE r [ <!ELEMENT r ANY> ]><r><![CDATA[a &amp; <b>]]><PRE> x<y </PRE><pre/></r>", result);
    EXPECT_EQ(result.error, DomError::None);
    ASSERT_EQ(holder.raw_section_count(), 1);
    EXPECT_STREQ(holder.raw_section_open_marker(0), "<!DOCTYPE");
    EXPECT_STREQ(holder.raw_section_at(0), " r [ <!ELEMENT r ANY> ");
    DomNode r = holder.child_named("r");
    ASSERT_EQ(r.raw_section_count(), 2);
    EXPECT_STREQ(r.raw_section_at(0), "a &amp; <b>");
    EXPECT_STREQ(r.raw_section_at(1), " x<y ");
    EXPECT_EQ(r.child_count(), 1) << "<pre> in lower case is an element";

    DomNode plain = parse("<!DOCTYPE r SYSTEM \"r.dtd\"><r/>", result, "r");
    EXPECT_STREQ(plain.name(), "r");
}

TEST(Parse, CommentBetweenTwoTextsFolds) {
    struct Case {
        const char* text;
        const char* rendered;
    } cases[] = {
        {"<a>x<!-- note -->y</a>", "<a>xy</a>\n"},
        {"<a>x <!-- one --> y <!-- two --> z</a>", "<a>xyz</a>\n"},
        {"<a><!-- c -->y</a>", "<a>\n\t<!-- c -->\n\ty\n</a>\n"},
        {"<a>x<!--1--><!--2-->y</a>", "<a>\n\tx\n\t<!--1-->\n\t<!--2-->\n\ty\n</a>\n"},
        {"<a>x<![CDATA[c]]>y</a>", "<a>\n\tx\n\t<![CDATA[c]]>\n\ty\n</a>\n"},
        // Folding goes on in an element while its children fold their own.
        {"<a>x<!--1-->y<b>p<!--2-->q</b>z<!--3-->w<c>r<!--4-->s</c></a>",
         "<a>\n\txy\n\t<b>pq</b>\n\tzw\n\t<c>rs</c>\n</a>\n"},
        {"<a>x<!--1-->y<b>p<!--2-->q", "<a>\n\txy\n\t<b>pq</b>\n</a>\n"},
    };
    for (const Case& c : cases) {
        DomParseResult result;
        EXPECT_EQ(parse(c.text, result).to_text(), c.rendered) << c.text;
    }
}

// Each fold must not copy the text folded so far: 100,000 folds of 900 KB
// would otherwise need gigabytes.
TEST(Parse, ManyFoldsMakeOneText) {
    std::string text = "<a>";
    for (int i = 0; i < 100000; ++i) text += "t<!--c-->";
    text += "</a>";
    DomParseResult result;
    DomNode a = parse(text.c_str(), result);
    EXPECT_EQ(result.error, DomError::None);
    ASSERT_EQ(a.text_count(), 1);
    EXPECT_EQ(std::string(a.text_at(0)), std::string(100000, 't'));
    ASSERT_EQ(a.raw_section_count(), 1) << "the last comment has no text after it";
    EXPECT_STREQ(a.raw_section_at(0), "c");
}

// The whole tree and the parse result as one line of text.
std::string quoted(const char* text) {
    if (text == nullptr) return "-";
    std::string out = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
        auto byte = static_cast<unsigned char>(*p);
        if (byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += *p;
        }
    }
    return out + "\"";
}

std::string dump(const dom::DomNode& node) {
    if (node.empty()) return "()";
    std::string out = "(" + quoted(node.name()) + (node.is_declaration() ? "?" : "");
    for (int i = 0; i < node.attribute_count(); ++i)
        out += " @" + quoted(node.attribute_name(i)) + "=" + quoted(node.attribute_value_at(i));
    for (int i = 0; i < node.text_count(); ++i) out += " t" + quoted(node.text_at(i));
    for (int i = 0; i < node.raw_section_count(); ++i)
        out += " r" + quoted(node.raw_section_open_marker(i)) + quoted(node.raw_section_at(i));
    for (int i = 0; i < node.child_count(); ++i) out += " " + dump(node.child_at(i));
    return out + ")";
}

std::string dump_parse(const char* text) {
    dom::DomParseResult result;
    dom::DomNode tree = dom::parse_text(text, nullptr, &result);
    return std::to_string(static_cast<int>(result.error)) + ":" + std::to_string(result.line) + ":" +
           std::to_string(result.column) + " " + dump(tree);
}

// Documents whose parse writes over its own text in every way there is.
const char* const recorded_documents[] = {
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<r a=1 b='x&amp;y' c=\"&#65;&#x42;\"><k/><m n=v/>t&lt;u<![CDATA[c&amp;]]>w</r>",
    "<r\nname\n=\nv\n>\n text \n</r\n>",
    "<a>x&amp;<!-- c -->y&gt;<!-- d -->z</a>",
    "<a x='&amp;'>\n&lt;b\n",
    "<a>&amp;\n&amp;\n<b>\n</c>",
    "<a k=\"&#10;\">\n<b>&#10;&#10;</b>\n</a",
    "<?xml version=\"1.0\"?>\n<r>\n<?pi a=b?>\n<x y=\"1\"?/>\n</r>",
    "<!DOCTYPE r [ <!ELEMENT r ANY> ]>\n<r><PRE>a<b</PRE>\xC3\xA9&#233;</r>",
    "<a b=c/><d e=f>g</d>",
    "<a b=\"x\"c='y'd=z>text</a>",
    "<a>x<!-- c -->&bad;</a>",
    "  hello &amp; world  ",
    "<a>\n<!-- one -->\n<!-- two -->x<!-- three -->y&quot;\n<!-- four --></a>",
    "<a b=\">\" c='<'>",
    "<a\n/><b\n>&apos;\n</b\n><c\n\n",
    "<r>\xE2\x82\xAC&amp;\xE2\x82\xAC\n</r>\n<s>",
    "<a x=&amp; y=&lt;>&#x41;&#66;&#67;<b/>\n&gt;\n</A>\n<c></d>",
    "<a\nb\n=\n'1'\n>\n<c\n/>\n&lt;\n<!-- x\n-->\n&gt;</a>\n</z>",
    // Start tags that leave the name="value" form part-way through.
    "<r a=\"1\" b c = \"2\" d='x&amp;y' e=f>\n<s g=\"1\"/></r>",
    "<r>\n<t h=\"1\" i=\"&bad;\"/></r>",
    "<r a=\"1\"\n\"b\"=\"2\">",
    "<r a=\"1\" b=\"x<y\">t</r>",
    "<r a=\"1\" \xC3\xA9=\"2\" c/d=\"3\" e=\"\xC3\xA9\"/>",
    "<r>\n x <a b=\"1\"/> y <!--c--> z <d e=\"2\">f</d>\n</r>",
    "<r a=\"1\" b=\"2\"",
    "<r a=\"1\"\n\n/>\n</x>",
    "<r a=\"&#10;\" b=\"&lt;\n&gt;\"\n/>",
    "<r><a b=\"1\"></b></r>",
};

// Error, line, column and tree of each document above, as the parser gave
// them when it still copied every string out of the text.
const char* const recorded_trees[] = {
    "0:0:0 (\"xml\"? @\"version\"=\"1.0\" @\"encoding\"=\"utf-8\" (\"r\" @\"a\"=\"1\" @\"b\"=\"x&y\" @\"c\"=\"AB\" t\"t<u\" t\"w\" r\"<![CDATA[\"\"c&amp;\" (\"k\") (\"m\" @\"n\"=\"v\")))",
    "0:0:0 (\"r\" @\"name\"=\"v\" t\"text\")",
    "0:0:0 (\"a\" t\"x&y>z\")",
    "1:3:1 (\"a\" @\"x\"=\"&\" t\"<b\")",
    "6:4:5 ()",
    "5:3:4 ()",
    "1:5:5 (\"xml\"? @\"version\"=\"1.0\" (\"r\" (\"pi\"? @\"a\"=\"b\" (\"x\" @\"y\"=\"1\" @\"?\"=-))))",
    "0:0:0 (- r\"<!DOCTYPE\"\" r [ <!ELEMENT r ANY> \" (\"r\" t\"\\xC3\\xA9\\xC3\\xA9\" r\"<PRE>\"\"a<b\"))",
    "0:0:0 (- (\"a\" @\"b\"=\"c\") (\"d\" @\"e\"=\"f\" t\"g\"))",
    "0:0:0 (\"a\" @\"b\"=\"x\" @\"c\"=\"y\" @\"d\"=\"z\" t\"text\")",
    "12:1:22 ()",
    "2:1:22 (- t\"hello & world\")",
    "0:0:0 (\"a\" t\"xy\\x22\" r\"<!--\"\" one \" r\"<!--\"\" two \" r\"<!--\"\" four \")",
    "8:1:14 ()",
    "1:7:1 (- (\"a\") (\"b\" t\"'\") (\"c\"))",
    "1:3:4 (- (\"r\" t\"\\xE2\\x82\\xAC&\\xE2\\x82\\xAC\") (\"s\"))",
    "6:4:8 ()",
    "1:12:5 (\"a\" @\"b\"=\"1\" t\"<>\" (\"c\"))",
    // From here on, as the in-place parser gave them before start tags had a
    // loop of their own.
    "0:0:0 (\"r\" @\"a\"=\"1\" @\"b\"=- @\"c\"=\"2\" @\"d\"=\"x&y\" @\"e\"=\"f\" (\"s\" @\"g\"=\"1\"))",
    "12:2:19 ()",
    "8:2:4 ()",
    "8:1:15 ()",
    "0:0:0 (\"r\" @\"a\"=\"1\" @\"\\xC3\\xA9\"=\"2\" @\"c/d\"=\"3\" @\"e\"=\"\\xC3\\xA9\")",
    "0:0:0 (\"r\" t\"x\" t\"yz\" (\"a\" @\"b\"=\"1\") (\"d\" @\"e\"=\"2\" t\"f\"))",
    "1:1:15 (\"r\" @\"a\"=\"1\" @\"b\"=\"2\")",
    "1:4:5 (\"r\" @\"a\"=\"1\")",
    "0:0:0 (\"r\" @\"a\"=\"\\x0A\" @\"b\"=\"<\\x0A>\")",
    "6:1:17 ()",
};

TEST(Parse, InPlaceEditsGiveTheRecordedTreesAndPositions) {
    static_assert(std::size(recorded_documents) == std::size(recorded_trees));
    for (std::size_t i = 0; i < std::size(recorded_documents); ++i) {
        SCOPED_TRACE(recorded_documents[i]);
        EXPECT_EQ(dump_parse(recorded_documents[i]), recorded_trees[i]);
    }
}

}  // namespace
