// The rich-text parser over XHTML fragments parsed by the host's XML parser.
#include <gtest/gtest.h>

#include <string>

#include <kx2/Ref.h>
#include <foliant/html/html_parser.h>
#include <kx2/Utf.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>

namespace {

class HtmlParserTest : public vantorel::testing::HostLeakCheck {
 protected:
  // Parses `html` (an "html" element) and runs the parser over its root; the parse result.
  int Run(const std::string& html) {
    kx2::Ref<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
    kx2::Ref<IKX2XMLParser> parser(factory->CreateParser());
    document_.reset(parser->Parse(reinterpret_cast<const BYTE*>(html.data()), static_cast<ULONG>(html.size())));
    EXPECT_TRUE(document_) << html;
    if (!document_) return -1;
    root_.reset(document_->GetDocumentElement());
    EXPECT_EQ(html_.SetElement(root_.get()), 1);
    return html_.Parse();
  }
  // The paragraph texts, each ending in its line feed, joined by "|".
  std::string Texts() const {
    std::string out;
    for (const auto& p : html_.GetParagraphs()) out += (out.empty() ? "" : "|") + kx2::Utf16ToUtf8(p.text);
    return out;
  }
  const HTML::TextRun* RunAt(size_t paragraph, LONG start) const {
    const auto& runs = html_.GetParagraphs().at(paragraph).runs;
    auto it = runs.find(start);
    return it == runs.end() ? nullptr : &it->second;
  }
  void TearDown() override {
    html_.SetElement(nullptr);
    root_.reset();
    document_.reset();
    HostLeakCheck::TearDown();
  }

  HTML::HTMLParser html_;
  kx2::Ref<IKX2XMLDocument> document_;
  kx2::Ref<IKX2XMLElement> root_;
};

struct TextCase {
  const char* body;
  const char* texts;  // paragraph texts joined by "|"
};

TEST_F(HtmlParserTest, ParagraphTexts) {
  const TextCase cases[] = {
      {"\n  Hello \n", "Hello\n"},
      {"\n\tHello\n", "\tHello\n"},  // a leading tab stays
      {"<unknown>lost</unknown>", "\n"},
      {"<p>Plan for <b>three</b> days</p>", "Plan for three days\n"},
      {"<p>\n      Wrapped\n      line</p>", "Wrapped line\n"},
      {"<p>one</p><p>two</p>", "one\n|two\n"},
      {"<p>a<br/>b</p>", "a\nb\n"},
      {"<ul><li>a</li><li>b<ul><li>c</li></ul></li></ul>", "a\nb\nc\n"},
      {"<ol><li>x</li><li>y</li></ol>", "1. x\n2. y\n"},
      {"<table><tr><td><p>a</p></td><td>b</td></tr><tbody><tr><td>c</td></tr></tbody></table>", "a\tb\nc\n"},
      {"<pre>  keep\n\tthis</pre>", "  keep\n\tthis\n"},
      {"<h3>\n  Title\n</h3><p>text</p>", "Title\n|text\n"},
      {"<p>x<span>y</span> <i>z</i></p>", "xy z\n"},
      {"<head><title>t</title></head><p>body</p>", "\n|body\n"},
      {"<b>bold</b>", "bold\n"},
      {"   ", ""},
      // Text and inline elements directly in the body join one paragraph up to a block.
      {"Start <i>italic</i> end<br/>next<p>p</p>\n  tail", "Start italic end\nnext\n|p\n|tail\n"},
  };
  for (const TextCase& c : cases) {
    ASSERT_EQ(Run(std::string("<html><body>") + c.body + "</body></html>"), 1) << c.body;
    EXPECT_EQ(Texts(), c.texts) << c.body;
  }
}

TEST_F(HtmlParserTest, RunFormats) {
  ASSERT_EQ(Run("<html><body><p>a <b>b<i>c</i></b><font color='teal' size='3' face='Arial'>d</font>"
                "<font color='#336699' size='7'>e</font><small>f</small><sub>g</sub></p></body></html>"),
            1);
  ASSERT_EQ(Texts(), "a bcdefg\n");
  struct Expect {
    LONG start;
    DWORD flags;
  } expected[] = {{0, 0},
                  {2, HTML::kRunBold},
                  {3, HTML::kRunBold | HTML::kRunItalic},
                  {4, HTML::kRunColor | HTML::kRunSize | HTML::kRunFace},
                  {5, HTML::kRunColor},
                  {6, HTML::kRunSmaller},
                  {7, HTML::kRunSubscript}};
  for (const Expect& e : expected) {
    const HTML::TextRun* run = RunAt(0, e.start);
    ASSERT_TRUE(run) << e.start;
    EXPECT_EQ(run->flags, e.flags) << e.start;
    EXPECT_EQ(run->end, e.start) << "one character each";
  }
  EXPECT_EQ(RunAt(0, 4)->color[0], 0xFF008080u) << "teal";
  EXPECT_EQ(RunAt(0, 4)->color[1], 0x00FF0000u);
  EXPECT_EQ(RunAt(0, 4)->size, 1200) << "size 3 is 12 points";
  EXPECT_EQ(RunAt(0, 4)->face, u"Arial");
  EXPECT_EQ(RunAt(0, 5)->color[0], 0xFF336699u);
  EXPECT_FALSE(RunAt(0, 5)->flags & HTML::kRunSize) << "size 7 has no entry";
}

TEST_F(HtmlParserTest, ColoursNeedANameOrSixDigits) {
  const struct {
    const char* color;
    DWORD value;  // 0: no colour
  } cases[] = {{"teal", 0xFF008080}, {"Teal", 0xFF008080}, {"#336699", 0xFF336699}, {"#fff", 0},
               {"#808080ff", 0},     {"336699", 0},        {"#33669g", 0},          {"", 0}};
  for (const auto& c : cases) {
    ASSERT_EQ(
        Run(std::string("<html><body color='") + c.color + "'><font color='" + c.color + "'>x</font></body></html>"),
        1);
    EXPECT_EQ(html_.GetTextFlags(), c.value ? HTML::kRunColor : 0u) << c.color;
    EXPECT_EQ(html_.GetTextColor()[0], c.value) << c.color;
    ASSERT_TRUE(RunAt(0, 0));
    EXPECT_EQ(RunAt(0, 0)->flags, c.value ? HTML::kRunColor : 0u) << c.color;
    EXPECT_EQ(RunAt(0, 0)->color[0], c.value) << "the body colour is the default format: " << c.color;
  }
}

TEST_F(HtmlParserTest, ImagesAndAlignment) {
  ASSERT_EQ(Run("<html><body><img src='my%20picture.png' width='96' height='48'/>"
                "<p style='margin-left: 4px; text-align: center'>c</p><p align='right'>r</p>"
                "<p><img src='x.png' width='99999999999'/></p></body></html>"),
            1);
  const auto& p = html_.GetParagraphs();
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0].flags, HTML::kParagraphImage);
  EXPECT_EQ(p[0].imagePath, u"my picture.png");
  EXPECT_EQ(p[0].imageWidth, 7200);
  EXPECT_EQ(p[0].imageHeight, 3600);
  EXPECT_EQ(p[1].formatFlags, HTML::kFormatAlignment);
  EXPECT_EQ(p[1].alignment, HTML::kAlignCenter) << "only the text-align value counts, not margin-left";
  EXPECT_EQ(p[2].alignment, HTML::kAlignRight);
  EXPECT_EQ(p[3].imagePath, u"x.png");
  EXPECT_EQ(p[3].imageWidth, 0) << "a size beyond the host's units is left out";
  EXPECT_EQ(p[3].imageHeight, 0) << "a missing side is 0";
}

TEST_F(HtmlParserTest, BodyAndElementEdges) {
  EXPECT_EQ(html_.SetElement(nullptr), 0);
  EXPECT_EQ(html_.Parse(), 0) << "nothing to parse";
  ASSERT_EQ(Run("<html><head/></html>"), 1) << "no body: success without paragraphs";
  EXPECT_TRUE(html_.GetParagraphs().empty());
  ASSERT_EQ(Run("<richcontent><body><p>direct</p></body></richcontent>"), 1);
  EXPECT_EQ(Texts(), "direct\n");
}

TEST_F(HtmlParserTest, DeepNestingFailsInsteadOfOverflowing) {
  auto nested = [](int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) open += "<b>", close = "</b>" + close;
    return "<html><body><p>" + open + "deep" + close + "</p></body></html>";
  };
  EXPECT_EQ(Run(nested(HTML::HTMLParser::kMaxDepth - 2)), 1);
  EXPECT_EQ(Texts(), "deep\n");
  EXPECT_EQ(Run(nested(HTML::HTMLParser::kMaxDepth + 5)), 0);
}

}  // namespace
