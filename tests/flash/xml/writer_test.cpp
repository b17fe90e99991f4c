// The formatted output and the file writer.
#include "kelvor_xml/dom.h"

#include "testsupport/testsupport.h"

#include <gtest/gtest.h>

namespace {

using dom::DomError;
using dom::DomNode;

const std::string byte_order_mark = "\xEF\xBB\xBF";
const std::string declaration_line = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

struct RenderCase {
    const char* text;
    const char* rendered;
};

const RenderCase render_cases[] = {
    RenderCase{"<r v=\"1\"><a/><b>x</b></r>", "<r v=\"1\">\n\t<a/>\n\t<b>x</b>\n</r>\n"},
    RenderCase{"<a>  hi  </a>", "<a>hi</a>\n"},
    RenderCase{"<a x='1' y z=\"2\"></a>", "<a x=\"1\" y z=\"2\"/>\n"},
    RenderCase{"<a v='say \"hi\" &amp; go &lt;now&gt;'/>", "<a v=\"say &quot;hi&quot; &amp; go &lt;now&gt;\"/>\n"},
    RenderCase{"<a>it&apos;s \xE2\x82\xAC 5</a>", "<a>it&apos;s \xE2\x82\xAC 5</a>\n"},
    RenderCase{"<a>x<b><c/></b>y</a>", "<a>\n\tx\n\t<b>\n\t\t<c/>\n\t</b>\n\ty\n</a>\n"},
    RenderCase{"<?xml version=\"1.0\"?><r><c/></r>", "<?xml version=\"1.0\"?>\n<r>\n\t<c/>\n</r>\n"},
    RenderCase{"<?xml version=1.0?>", "<?xml version=\"1.0\"?>\n"},
    RenderCase{"plain &amp; simple", "plain &amp; simple"},
    RenderCase{"<r><![CDATA[a<b]]></r>", "<r>\n\t<![CDATA[a<b]]>\n</r>\n"},
};

TEST(Writer, ParsedTextRendersAsExpected) {
    for (const RenderCase& c : render_cases) {
        DomNode node = dom::parse_text(c.text, nullptr, nullptr);
        EXPECT_EQ(node.to_text(), c.rendered) << c.text;
    }
}

TEST(Writer, LevelIndentsEveryLine) {
    DomNode a = dom::parse_text("<a><b/></a>", nullptr, nullptr);
    EXPECT_EQ(a.to_text(2), "\t\t<a>\n\t\t\t<b/>\n\t\t</a>\n");
}

TEST(Writer, AttributesWithoutNameAreLeftOut) {
    DomNode root = dom::create_root("r");
    root.add_attribute("", "lost");
    root.add_attribute("kept", "a\"b");
    EXPECT_EQ(root.to_text(), "<r kept=\"a&quot;b\"/>\n");
}

TEST(Writer, FileStartsWithMarkAndDeclaration) {
    testsupport::TempDir dir;
    DomNode root = dom::create_root("r");
    root.add_attribute("v", "1");
    root.add_child(dom::create_root("a"));
    root.add_child(dom::create_root("b"));
    std::string path = (dir / "out.xml").string();
    ASSERT_EQ(root.write_file(path.c_str()), DomError::None);
    EXPECT_EQ(testsupport::readFile(path), byte_order_mark + declaration_line + "<r v=\"1\">\n\t<a/>\n\t<b/>\n</r>\n");

    dom::DomParseResult result;
    DomNode back = dom::parse_file(path.c_str(), "r", &result);
    EXPECT_EQ(result.error, DomError::None);
    EXPECT_EQ(back.to_text(), root.to_text());
}

TEST(Writer, DeclarationIsNotWrittenTwice) {
    testsupport::TempDir dir;
    std::string path = (dir / "out.xml").string();
    DomNode declaration = dom::parse_text("<?xml version=\"1.0\"?><r/>", nullptr, nullptr);
    ASSERT_EQ(declaration.write_file(path.c_str()), DomError::None);
    EXPECT_EQ(testsupport::readFile(path), byte_order_mark + "<?xml version=\"1.0\"?>\n<r/>\n");

    DomNode holder = dom::create_root(nullptr);
    holder.add_child(declaration);
    ASSERT_EQ(holder.write_file(path.c_str()), DomError::None);
    EXPECT_EQ(testsupport::readFile(path), byte_order_mark + "<?xml version=\"1.0\"?>\n<r/>\n");
}

TEST(Writer, UnopenableFileFails) {
    testsupport::TempDir dir;
    std::string path = (dir / "missing" / "out.xml").string();
    EXPECT_EQ(dom::create_root("r").write_file(path.c_str()), DomError::OpenForWriteFailed);
}

}  // namespace
