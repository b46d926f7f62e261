// The XML writer: the exact layout of the settings files, entity encoding, and stable
// round trips (reading back what was written gives the same text).
#include <gtest/gtest.h>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
using xmltest::U8;

namespace {

// The settings tree of the store: XMLRegistry / VTL (a key) / Language = 1033.
XMLNode SettingsTree() {
  XMLNode root;
  root.name = u"XMLRegistry";
  XMLNode* vtl = root.AppendChild(u"VTL", u"");
  vtl->AppendAttr(u"IsKey", u"TRUE");
  vtl->AppendChild(u"Language", u"1033");
  return root;
}

TEST(XmlWriter, WritesTheSettingsLayout) {
  struct Case {
    const char16_t* text;  // read with the default options, then written with optDefault
    const char16_t* xml;
  } cases[] = {
      {u"<k/>", u"\n<k/>"},
      {u"<a x=\"1\"/>", u"\n<a x=\"1\" />"},
      {u"<a x='&lt;&amp;'>a&lt;b&amp;c</a>", u"\n<a x=\"&lt;&amp;\" >a&lt;b&amp;c</a>"},
      {u"<r><!--<&>--><![CDATA[<&>]]></r>", u"\n<r>\n\t<!--<&>-->\n\t<![CDATA[<&>]]>\n</r>"},
      {u"<a><b/>v</a>", u"\n<a>\n\t<b/>\n\tv\n</a>"},
      {u"<a><b><c/>w</b>v</a>", u"\n<a>\n\t<b>\n\t\t<c/>\n\t\tw\n\t</b>\n\tv\n</a>"},
  };
  for (const Case& c : cases) {
    XMLNode n;
    ParseInfo pi;
    ASSERT_NE(n.Load(c.text, &pi), nullptr) << U8(c.text);
    EXPECT_EQ(U8(n.GetXML(&optDefault)), U8(c.xml)) << U8(c.text);
  }
  EXPECT_EQ(U8(SettingsTree().GetXML(&optDefault)),
            "\n<XMLRegistry>\n\t<VTL IsKey=\"TRUE\" >\n\t\t<Language>1033</Language>\n\t</VTL>\n</XMLRegistry>");
  EXPECT_EQ(optDefault.depth, 0);
}

TEST(XmlWriter, DocumentsInstructionsAndOptions) {
  XMLDocument doc;
  ASSERT_NE(doc.Load(u"<?xml version=\"1.0\"?><r a=\"'\"><k>x</k></r>", nullptr), nullptr);
  EXPECT_EQ(U8(doc.GetXML(&optDefault)), "\n\n<?xml version=\"1.0\" ?>\n<r a=\"&apos;\" >\n\t<k>x</k>\n</r>");

  DispOption flat;
  flat.newline = 0;
  flat.encodeEntities = 0;
  flat.quote = '\'';
  EXPECT_EQ(U8(doc.GetRoot()->GetXML(&flat)), "<r a=''' ><k>x</k></r>");
  flat.depth = 2;
  flat.newline = 1;
  EXPECT_EQ(U8(doc.GetRoot()->GetChild(0u)->GetXML(&flat)), "\n\t\t<k>x</k>");
  EXPECT_EQ(flat.depth, 2);
  EXPECT_EQ(U8(doc.GetRoot()->GetAttr(0u)->GetXML(&optDefault)), "a=\"&apos;\" ");
  EXPECT_EQ(U8(doc.GetRoot()->GetAttr(0u)->GetValue(&flat)), "'");
}

TEST(XmlWriter, TextContentUsesTheGivenOptionThroughout) {
  XMLNode n;
  ParseInfo pi;
  ASSERT_NE(n.Load(u"<a><b>x&amp;y</b><!--c--><![CDATA[<z>]]>&lt;v</a>", &pi), nullptr);
  EXPECT_EQ(U8(n.GetText(&optDefault)), "x&amp;y<z>&lt;v");
  DispOption plain;
  plain.encodeEntities = 0;
  EXPECT_EQ(U8(n.GetText(&plain)), "x&y<z><v");
  EXPECT_EQ(U8(n.GetChildText(u"b", &plain)), "x&y");
  EXPECT_EQ(U8(n.GetChildText(u"none", &plain)), "");
}

TEST(XmlWriter, ReadingBackGivesTheSameText) {
  const char16_t* texts[] = {
      u"<XMLRegistry><VTL IsKey=\"TRUE\"><VTLOption IsKey=\"TRUE\"><Language>1033</Language>"
      u"<Name>a &lt;b&gt; &amp; \"c\"</Name><Empty></Empty><Blank>  </Blank></VTLOption></VTL></XMLRegistry>",
      // Values beside child elements, including ones that begin or end with layout characters.
      u"<a><b><c/>\n\tw</b><d/>v\n</a>",
      u"<a><b><c/>\tx\t</b></a>",
  };
  for (const char16_t* text : texts) {
    XMLNode first;
    ParseInfo pi;
    ASSERT_NE(first.Load(text, &pi), nullptr);
    std::u16string once = first.GetXML(&optDefault);
    XMLNode second;
    ASSERT_NE(second.Load(once.c_str(), &pi), nullptr);
    EXPECT_EQ(xmltest::Dump(second), xmltest::Dump(first)) << U8(text);
    EXPECT_EQ(U8(second.GetXML(&optDefault)), U8(once)) << U8(text);
  }
}

}  // namespace
