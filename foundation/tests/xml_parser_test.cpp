// The XML reader: the lenient grammar, the first-error report, and the mends (blank layout
// text is not a value, each parse reports its own error, nesting is bounded).
#include <gtest/gtest.h>

#include <string>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
using xmltest::Dump;
using xmltest::U8;

namespace {

struct LoadCase {
  const char16_t* text;
  const char* tree;     // Dump() of the node after the load
  int stop;             // units from the start where parsing stopped; -1 for a null result
  int32_t error;        // errorCode, 0 for none
  int32_t errorOffset;  // -1 for none
  const char* message;  // errorText, or null not to check
};

class LoadTable : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadTable, BuildsTreeAndReportsFirstError) {
  const LoadCase& c = GetParam();
  ParseInfo pi;
  XMLNode node;
  const char16_t* r = node.Load(c.text, &pi);
  EXPECT_EQ(Dump(node), c.tree);
  EXPECT_EQ(r ? static_cast<int>(r - c.text) : -1, c.stop);
  EXPECT_EQ(pi.errorCode, c.error);
  EXPECT_EQ(pi.errorOccurred, c.error != 0);
  EXPECT_EQ(pi.errorOffset, c.errorOffset);
  if (c.message) {
    EXPECT_EQ(U8(pi.errorText), c.message);
  }
  EXPECT_TRUE(xmltest::Consistent(node));
}

const int kEnd = -2;  // placeholder replaced by the text's length below

std::vector<LoadCase> Cases() {
  std::vector<LoadCase> v = {
      {u"<a x=\"1\" y='2' z=3>t</a>", "a[x=1 y=2 z=3]{t}", kEnd, 0, -1, nullptr},
      {u"<a><b/>tail</a>", "a{tail}(b)", kEnd, 0, -1, nullptr},
      {u"<a>head<b/>tail</a>", "a{head}(b)", kEnd, 0, -1, nullptr},
      // Blank layout beside child elements is not a value (it used to grow the files).
      {u"<a>\n\t<b/>\n</a>", "a(b)", kEnd, 0, -1, nullptr},
      {u"<a>\n\t<b>\n\t\t<c/>\n\t</b>\n</a>", "a(b(c))", kEnd, 0, -1, nullptr},
      // Without children a blank value is the value.
      {u"<a>  </a>", "a{  }", kEnd, 0, -1, nullptr},
      {u"<a><b></a>", "a(b)", -1, 3, 10, "'<b> ... </a>' is not wel-formed."},
      {u"<a x >t</a>", "a[x=]{t}", kEnd, 0, -1, nullptr},
      {u"<a x/>", "a", -1, 4, 3, "<a> attribute has error "},
      {u"<a x=1/>", "a[x=1/]", kEnd, 0, -1, nullptr},
      {u"<a/ >", "a", -1, 1, 3, "Element must be closed."},
      {u"<a>text", "a{text}", kEnd, 0, -1, nullptr},
      {u"</x>", "", 0, 0, -1, nullptr},
      {u"no markup at all", "", -1, 0, -1, nullptr},
      {u"<abc", "", -1, 0, -1, nullptr},
      {u"<a><b></b", "a(b)", -1, 2, 8, "it must be closed with </b>"},
      {u"<a t=\"x", "a[t=x]", -1, 0, -1, nullptr},
      {u"<r><!--c--><k/></r>", "r(#COMMENT{c},k)", kEnd, 0, -1, nullptr},
      {u"<r><!-- a -- b --></r>", "r(#COMMENT{ a -- b })", kEnd, 0, -1, nullptr},
      {u"<r><![CDATA[<x>&amp;]]></r>", "r(#CDATA{<x>&amp;})", kEnd, 0, -1, nullptr},
      {u"<r><![cdata[x]]></r>", "r(#CDATA{x})", kEnd, 0, -1, nullptr},
      {u"<a t=\"&lt;b&gt;\">a &lt;b&gt; &amp;amp; &#65; &amp &ampX</a>", "a[t=<b>]{a <b> &amp; &#65; &amp &ampX}", kEnd,
       0, -1, nullptr},
      // A closing tag may carry white space before its ">".
      {u"<r><a></a ></r>", "r(a)", kEnd, 0, -1, nullptr},
      {u"<r><a></a\n></r>", "r(a)", kEnd, 0, -1, nullptr},
      {u"<a\tx=\"1\"\n/>", "a[x=1]", kEnd, 0, -1, nullptr},
      // An unterminated comment is read as a tag, which then fails.
      {u"<r><!-- c</r>", "r(!--)", -1, 4, 8, nullptr},
      // Text between the closing tag of a child and the next child after a value.
      {u"<a>v<b/>x<c/>y</a>", "a{v}(b,c)", kEnd, 0, -1, nullptr},
      {u"<a><b/>x", "a{x}(b)", kEnd, 0, -1, nullptr},
  };
  for (auto& c : v)
    if (c.stop == kEnd) c.stop = static_cast<int>(std::u16string_view(c.text).size());
  return v;
}

INSTANTIATE_TEST_SUITE_P(Xml, LoadTable, ::testing::ValuesIn(Cases()));

TEST(XmlParser, ToleratedMismatchSkipsStrayClosingTag) {
  ParseInfo pi;
  pi.tolerateMismatch = true;
  XMLNode node;
  const char16_t* text = u"<a></b></a>";
  EXPECT_EQ(node.Load(text, &pi), text + 11);
  EXPECT_EQ(Dump(node), "a");
  EXPECT_FALSE(pi.errorOccurred);
}

TEST(XmlParser, OptionsTrimEscapeAndDecoding) {
  struct Case {
    bool trim, decode;
    char16_t escape;
    const char16_t* text;
    const char* tree;
  } cases[] = {
      {true, true, 0, u"<a x=\" 1 \">  t  </a>", "a[x=1]{t}"},
      {false, false, 0, u"<a x=\"&lt;\">&amp;</a>", "a[x=&lt;]{&amp;}"},
      // The escape character is dropped and the unit after it kept; doubled it stays once.
      {false, true, u'\\', u"<a>x\\\\y\\z</a>", "a{x\\yz}"},
      // An escaped marker does not end a comment; the comment keeps its text as it stands.
      {false, true, u'\\', u"<r><!--a\\-->b--></r>", "r(#COMMENT{a\\-->b})"},
  };
  for (const Case& c : cases) {
    ParseInfo pi;
    pi.trim = c.trim;
    pi.decodeEntities = c.decode;
    pi.escapeChar = c.escape;
    XMLNode node;
    EXPECT_NE(node.Load(c.text, &pi), nullptr) << U8(c.text);
    EXPECT_EQ(Dump(node), c.tree) << U8(c.text);
  }
}

TEST(XmlParser, DocumentKeepsMarkupAroundRoot) {
  XMLDocument doc;
  const char16_t* text = u"<?xml version=\"1.0\"?><!-- c --><r><?inner a='1'?></r><!--after-->";
  EXPECT_EQ(doc.Load(text, nullptr), text + std::u16string_view(text).size());
  EXPECT_FALSE(doc.parseInfo.errorOccurred);
  EXPECT_EQ(Dump(doc), "(xml[version=1.0],#COMMENT{ c },inner[a=1],r,#COMMENT{after})");
  ASSERT_NE(doc.GetRoot(), nullptr);
  EXPECT_EQ(U8(doc.GetRoot()->name), "r");
  EXPECT_EQ(doc.children[0]->type, kXmlProcessingInstruction);
  EXPECT_TRUE(xmltest::Consistent(doc));

  // A second load adds a second root; a failed one adds nothing.
  EXPECT_NE(doc.Load(u"<s/>", nullptr), nullptr);
  EXPECT_EQ(doc.GetChildCount(), 6);
  EXPECT_EQ(doc.Load(u"<t x/>", nullptr), nullptr);
  EXPECT_EQ(doc.GetChildCount(), 6);
  EXPECT_EQ(doc.parseInfo.errorCode, kXmlErrorAttribute);
}

TEST(XmlParser, EachParseReportsItsOwnFirstError) {
  ParseInfo pi;
  XMLNode a, b, c;
  EXPECT_EQ(a.Load(u"<a/ >", &pi), nullptr);
  EXPECT_EQ(pi.errorCode, kXmlErrorUnclosedEmptyTag);
  EXPECT_NE(b.Load(u"<b/>", &pi), nullptr);
  EXPECT_FALSE(pi.errorOccurred);
  EXPECT_EQ(pi.errorOffset, -1);
  // Within one parse only the first error counts.
  EXPECT_EQ(c.Load(u"<c><d></e>", &pi), nullptr);
  EXPECT_EQ(pi.errorCode, kXmlErrorMismatchedEndTag);
  EXPECT_EQ(pi.errorOffset, 10);
  EXPECT_EQ(U8(pi.errorText), "'<d> ... </e>' is not wel-formed.");
}

TEST(XmlParser, LongNamesAreCutInMessages) {
  std::u16string name(1000, u'n');
  std::u16string text = u"<" + name + u" x/>";
  ParseInfo pi;
  XMLNode node;
  EXPECT_EQ(node.Load(text.c_str(), &pi), nullptr);
  EXPECT_EQ(pi.errorText, u"<" + name.substr(0, 768) + u"> attribute has error ");
}

TEST(XmlParser, NestingDepthIsBounded) {
  for (int levels : {kXmlMaxDepth + 1, kXmlMaxDepth + 2, 200000}) {
    std::u16string text;
    for (int i = 0; i < levels; ++i) text += u"<a>";
    ParseInfo pi;
    XMLNode node;
    const char16_t* r = node.Load(text.c_str(), &pi);
    if (levels == kXmlMaxDepth + 1) {
      EXPECT_NE(r, nullptr);  // the deepest level accepted
      EXPECT_FALSE(pi.errorOccurred);
    } else {
      EXPECT_EQ(r, nullptr);
      EXPECT_EQ(pi.errorCode, kXmlErrorTooDeep);
      EXPECT_EQ(pi.errorOffset, 3 * (kXmlMaxDepth + 1));
    }
  }
}

TEST(XmlParser, PartialTreeStaysOnFailure) {
  ParseInfo pi;
  XMLNode node;
  EXPECT_EQ(node.Load(u"<r a=\"1\"><k/><m><n x/></m></r>", &pi), nullptr);
  EXPECT_EQ(Dump(node), "r[a=1](k,m(n))");
  EXPECT_TRUE(xmltest::Consistent(node));
}

TEST(XmlParser, SectionLoadersCheckTheirOpeningMarker) {
  XMLDocument doc;
  XMLNode* r = doc.AppendChild(u"r", u"");
  EXPECT_EQ(r->LoadComment(u"<!", nullptr), nullptr);
  EXPECT_EQ(r->LoadCDATA(u"<!--x-->", nullptr), nullptr);
  EXPECT_EQ(r->LoadProcessingInstrunction(u"<", nullptr), nullptr);
  const char16_t* pi = u"<?target a=\"1\" b?>rest";
  EXPECT_EQ(r->LoadProcessingInstrunction(pi, nullptr), pi + 18);
  EXPECT_EQ(Dump(doc), "(r,target[a=1 b=])");
  const char16_t* attrs = u" p=\"1\" q='2'>";
  XMLNode n;
  EXPECT_EQ(n.LoadAttributes(attrs, nullptr), attrs + 12);
  EXPECT_EQ(Dump(n), "[p=1 q=2]");
}

}  // namespace
