// HTML as FreeMind 0.8 writes it, made well-formed XML.
#include <gtest/gtest.h>

#include <foliant/html/html_repair.h>

namespace {

TEST(HtmlRepair, MarkupBecomesWellFormed) {
  const struct {
    const char16_t* html;
    const char* xml;  // between the fragment's root tags
  } cases[] = {
      {u"<html><body><p>a<br>b</p></body></html>", "<html><body><p>a<br/>b</p></body></html>"},
      {u"<HTML><Body><P ALIGN=center>x", "<html><body><p align=\"center\">x</p></body></html>"},
      {u"<html><img src=\"a b.png\">", "<html><body><img src=\"a b.png\"/></body></html>"},
      {u"<html>\n<head><title>t</title></head>\n<body>s</body></html>",
       "<html>\n<head><title>t</title></head>\n<body>s</body></html>"},
      {u"<p>one<p>two<ul><li>a<li>b</ul>", "<p>one</p><p>two</p><ul><li>a</li><li>b</li></ul>"},
      {u"<table><tr><td>1<td>2<tr><td>3</table>", "<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table>"},
      // A reference to a character XML cannot hold gives nothing.
      {u"&#12391;&#x41;&nbsp;&amp;&bogus; &#0; &#xFFFFFFFFF;", "\u3067A\u00a0&amp;&amp;bogus;  &amp;#xFFFFFFFFF;"},
      {u"a < b > c & d", "a &lt; b &gt; c &amp; d"},
      {u"x]]>y", "x]]&gt;y"},  // "]]>" may not stand in character data
      {u"<b>x</i>y</b></b>", "<b>xy</b>"},
      {u"<span a=1 a=2 b='q\"' 9x=3 =4 c>t", "<span a=\"1\" b=\"q&quot;\" c=\"\">t</span>"},
      {u"<!-- note --><!DOCTYPE html><?pi?><o:p>w</o:p>", "<p>w</p>"},
      {u"<p title=\"&lt;&#65;&\">", "<p title=\"&lt;A&amp;\"></p>"},
      {u"x\u0001y", "xy"},
      // Halves of surrogate pairs standing alone go, in text and in values; pairs stay.
      {u"a\xD800"
       u"b\U0001F600<i t='\xDC00q'>c\xDBFF",
       "ab\xF0\x9F\x98\x80<i t=\"q\">c</i>"},
      // A local part that is no name leaves the prefix as the name.
      {u"<h:2h:>t", "<h>t</h>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HTML::RepairHtml(c.html), std::string("<html-fragment>") + c.xml + "</html-fragment>")
        << std::u16string_view(c.html).size();
  }
}

TEST(HtmlRepair, OnlyTextStartingWithTheHtmlTagIsHtml) {
  EXPECT_TRUE(HTML::IsHtmlText(u"<html><body>x"));
  EXPECT_TRUE(HTML::IsHtmlText(u"\n  <HTML>"));
  EXPECT_TRUE(HTML::IsHtmlText(u"<html lang=en>"));
  EXPECT_FALSE(HTML::IsHtmlText(u"<htmlx>"));
  EXPECT_FALSE(HTML::IsHtmlText(u"text <html>"));
  EXPECT_FALSE(HTML::IsHtmlText(u"<htm"));
}

}  // namespace
