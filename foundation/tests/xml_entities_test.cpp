// The entity table: decoding and encoding, in string and bounded-buffer forms.
#include <gtest/gtest.h>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
using xmltest::U8;

namespace {

TEST(XmlEntities, DecodesOnlyTheTablesReferences) {
  struct Case {
    const char16_t* in;
    const char* out;
  } cases[] = {
      {u"a &lt;b&gt; &amp;amp; &#65;", "a <b> &amp; &#65;"},
      {u"&amp", "&amp"},
      {u"&ampX", "&ampX"},
      {u"&quot;&apos;", "\"'"},
      {u"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(entityDefault.RefToEntity(c.in)), c.out) << c.out;
  EXPECT_EQ(entityDefault.RefToEntity(nullptr), u"");

  // Counted and bounded forms.
  std::u16string out = u">";
  EXPECT_EQ(entityDefault.RefToEntity(u"&lt;&lt;x", out, 4), 1);  // the second reference is cut off
  EXPECT_EQ(out, u"><");
  EXPECT_EQ(entityDefault.RefToEntity(u"&lt;&lt;x", out, -1), 3);
  char16_t buf[3];
  EXPECT_EQ(entityDefault.RefToEntity(u"&lt;ab", buf, 2), 2);
  EXPECT_EQ(std::u16string(buf), u"<a");
}

TEST(XmlEntities, EncodesTheTablesCharacters) {
  EXPECT_EQ(entityDefault.EntityToRef(u"x"), u"x");
  EXPECT_EQ(entityDefault.EntityToRef(u"a<b"), u"a&lt;b");
  EXPECT_EQ(entityDefault.EntityToRef(nullptr), u"");
  EXPECT_EQ(entityDefault.GetEntityCount(u"<a&\"'>"), 5);
  std::u16string out;
  EXPECT_EQ(entityDefault.EntityToRef(u"&&", out, 1), 5);
  EXPECT_EQ(out, u"&amp;");
  // A buffer takes whole references only.
  char16_t buf[8];
  EXPECT_EQ(entityDefault.EntityToRef(u"ab<c", buf, 5), 2);
  EXPECT_EQ(std::u16string(buf), u"ab");
  EXPECT_EQ(entityDefault.EntityToRef(u"ab<c", buf, 7), 7);
  EXPECT_EQ(std::u16string(buf), u"ab&lt;c");

  EXPECT_EQ(entityDefault.GetEntity(u'>')->referenceLength, 4);
  EXPECT_EQ(entityDefault.GetEntity(u'x'), nullptr);
  EXPECT_EQ(entityDefault.GetEntity(u"&gt;rest")->character, u'>');
  EXPECT_EQ(entityDefault.GetEntity(u"&g"), nullptr);
}

TEST(XmlEntities, CustomTablesDriveReaderAndWriter) {
  const XmlEntiry custom[] = {{u'\u00e9', u"#eacute;", 8}, {u'&', u"&amp;", 5}};
  XMLEntitys table(custom, 2);
  ParseInfo pi;
  pi.entities = &table;
  XMLNode n;
  ASSERT_NE(n.Load(u"<a t=\"#eacute;\">&amp;#eacute;&lt;</a>", &pi), nullptr);
  EXPECT_EQ(U8(n.GetAttrValue(u"t")), "\u00e9");
  EXPECT_EQ(U8(n.value), "&\u00e9&lt;");
  DispOption opt;
  opt.newline = 0;
  opt.entities = &table;
  EXPECT_EQ(U8(n.GetXML(&opt)), "<a t=\"#eacute;\" >&amp;#eacute;&amp;lt;</a>");
}

}  // namespace
