// MindManager notes: the XHTML of "ap:NotesXhtmlData" to text and runs, read from XML the
// host parses; and the value readers of the importer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <kx2/Ref.h>
#include <foliant/mindmanager/mindmanager_notes.h>
#include <vantorel/exports.h>

#include "mindmanager/mm_values.h"

namespace {

using foliant::mindmanager::NotesText;

// A run as the tests write it: the text it covers, its flags, size and first colour word.
struct NoteRun {
  std::u16string text;
  DWORD flags;
  LONG size = 0;
  DWORD color = 0;
  bool operator==(const NoteRun&) const = default;
};

std::ostream& operator<<(std::ostream& out, const NoteRun& r) {
  return out << "{" << std::string(r.text.begin(), r.text.end()) << ", flags " << std::hex << r.flags << std::dec
             << ", size " << r.size << ", color " << std::hex << r.color << std::dec << "}";
}

struct Notes {
  bool ok = false;
  bool tooDeep = false;
  std::u16string text;
  std::vector<NoteRun> runs;
};

// Reads the notes of an "ap:NotesGroup" whose inner XML is given.
Notes Read(const std::string& inner) {
  const std::string xml = R"(<ap:NotesGroup xmlns:ap="urn:ap" xmlns:cor="urn:cor">)" + inner + "</ap:NotesGroup>";
  kx2::Ref<IKX2XMLFactory> factory(VtlGetApplication()->GetXMLFactory());
  kx2::Ref<IKX2XMLParser> parser(factory->CreateParser());
  kx2::Ref<IKX2XMLDocument> document(
      parser->Parse(reinterpret_cast<const BYTE*>(xml.data()), static_cast<ULONG>(xml.size())));
  kx2::Ref<IKX2XMLElement> root(document ? document->GetDocumentElement() : nullptr);
  Notes out;
  if (!root) return out;
  NotesText notes;
  out.ok = notes.Read(root.get());
  out.tooDeep = notes.TooDeep();
  out.text = notes.Text();
  for (const auto& [start, run] : notes.Runs())
    out.runs.push_back({out.text.substr(static_cast<size_t>(start), static_cast<size_t>(run.end - start + 1)),
                        run.flags, run.flags & HTML::kRunSize ? run.size : 0,
                        run.flags & HTML::kRunColor ? run.color[0] : 0});
  return out;
}

std::string Xhtml(const std::string& body) {
  return R"(<ap:NotesXhtmlData><html xmlns="http://www.w3.org/1999/xhtml"><body>)" + body +
         "</body></html></ap:NotesXhtmlData>";
}

TEST(MindManagerNotes, BlocksBecomeLinesAndInlineElementsRuns) {
  struct Case {
    const char* name;
    std::string body;
    std::u16string text;
    std::vector<NoteRun> runs;
  } cases[] = {
      {"two paragraphs", "<p>One</p><p>Two</p>", u"One\nTwo\n", {}},
      // A line break splits its paragraph; the text after it is kept, and the paragraph
      // still ends in a line feed.
      {"line break", "<p>First<br/>second</p><p>x</p>", u"First\nsecond\nx\n", {}},
      {"nested list", "<ul><li>item<ul><li>inner</li></ul></li><li>next</li></ul>", u"item\ninner\nnext\n", {}},
      {"size inside bold",
       "<p><b><span style=\"font-size:12pt\">big</span></b></p>",
       u"big\n",
       {{u"big", HTML::kRunBold | HTML::kRunSize, 1200}}},
      // A span's own size counts directly under a paragraph too.
      {"span size",
       "<p><span style=\"color:red; font-size: 9.5pt\">s</span></p>",
       u"s\n",
       {{u"s", HTML::kRunSize, 950}}},
      // Every stretch is a run of its own: a plain font after bold is not bold.
      {"font after bold", "<p><b>B</b><font>F</font>t</p>", u"BFt\n", {{u"B", HTML::kRunBold}, {u"F", 0}}},
      {"white stays white",
       "<p><font color=\"#FFFFFF\">w</font><font color=\"#336699\">c</font></p>",
       u"wc\n",
       {{u"w", HTML::kRunColor, 0, 0xFFFFFFFF}, {u"c", HTML::kRunColor, 0, 0xFF336699}}},
      {"colour not of six digits",
       "<p><font color=\"#abc\">a</font><font color=\"ff336699\">b</font></p>",
       u"ab\n",
       {{u"a", 0}, {u"b", 0}}},
      // A link whose first child is text keeps its formatted children as well.
      {"link text and font",
       "<p><a href=\"http://x\">go <font color=\"#00ff00\">here</font></a></p>",
       u"go here\n",
       {{u"here", HTML::kRunColor, 0, 0xFF00FF00}}},
      {"link of spans",
       "<p><a href=\"x\"><span>a</span><i>b</i></a></p>",
       u"ab\n",
       {{u"a", 0}, {u"b", HTML::kRunItalic}}},
      {"underline and strike",
       "<p><u>u<strike>s</strike></u></p>",
       u"us\n",
       {{u"u", HTML::kRunUnderline}, {u"s", HTML::kRunUnderline | HTML::kRunStrike}}},
      // Tag names compare without regard to ASCII case, at the top of the body and inside.
      {"tag case", "<P>a<B>b</B>c</P>", u"abc\n", {{u"b", HTML::kRunBold}}},
      {"ordered list", "<ol><li>one</li><li>two<OL><li>inner</li></OL></li></ol>", u"one\ntwo\ninner\n", {}},
      // A pretty-printed note's indentation is no text; a blank between words stays.
      {"indentation",
       "\n  <p>\n    a <b>b</b>\n  </p>\n  <ul>\n    <li>c</li>\n  </ul>\n",
       u"a b\nc\n",
       {{u"b", HTML::kRunBold}}},
      // Text and inline elements directly in the body join one paragraph up to the next block.
      {"inline in body", "<p>a</p>x <i>y</i> z<br/>w<p>b</p>", u"a\nx y z\nw\nb\n", {{u"y", HTML::kRunItalic}}},
      {"quote", "<blockquote><p>q</p><blockquote><ul><li>l</li></ul></blockquote></blockquote>", u"q\nl\n", {}},
      {"table rows",
       "<table><tr><td><div>a</div></td><td><p>b</p></td></tr><tbody><tr><td><ul><li>c</li></ul></td></tr></tbody></"
       "table>",
       u"a\nb\nc\n",
       {}},
      {"other blocks as paragraphs",
       "<div>d</div><h1>h</h1><p>p</p><blockquote><h2>q</h2></blockquote>",
       u"d\nh\np\nq\n",
       {}},
  };
  for (const Case& c : cases) {
    const Notes notes = Read(Xhtml(c.body));
    EXPECT_TRUE(notes.ok) << c.name;
    EXPECT_EQ(notes.text, c.text) << c.name;
    EXPECT_EQ(notes.runs, c.runs) << c.name;
  }
}

TEST(MindManagerNotes, FaceAndBodyRoot) {
  Notes notes = Read(Xhtml("<p><font face=\"Verdana\">v</font></p>"));
  ASSERT_EQ(notes.runs.size(), 1u);
  EXPECT_EQ(notes.runs[0].flags, HTML::kRunFace);
  // Without "body" the root's own children are read; blanks before the root do not hide it.
  notes = Read("<ap:NotesXhtmlData>\n  <html><p>plain</p></html></ap:NotesXhtmlData>");
  EXPECT_EQ(notes.text, u"plain\n");
  notes = Read("<ap:NotesXhtmlData/>");
  EXPECT_TRUE(notes.ok);
  EXPECT_EQ(notes.text, u"");
}

TEST(MindManagerNotes, NotesDataMustBeWhole) {
  const std::string image =
      "<ap:NotesData ImageUri=\"mmarch://bin/a.png\"><cor:Uri>mmarch://bin/a.png</cor:Uri></ap:NotesData>";
  EXPECT_TRUE(Read(image + Xhtml("<p>x</p>")).ok);
  EXPECT_TRUE(Read(Xhtml("<p>x</p>") + image).ok) << "the XHTML after image data is no image data";
  EXPECT_FALSE(Read("<ap:NotesData><cor:Uri>x</cor:Uri></ap:NotesData>").ok) << "no ImageUri";
  EXPECT_FALSE(Read("<ap:NotesData ImageUri=\"a\"><cor:Uri/></ap:NotesData>").ok) << "an empty first element";
  EXPECT_TRUE(Read("<ap:NotesData ImageUri=\"a\">text first</ap:NotesData>").ok);
}

TEST(MindManagerNotes, NestingBeyondTheLimitFails) {
  auto nested = [](int levels) {
    std::string xml;
    for (int i = 0; i < levels; ++i) xml += "<blockquote>";
    xml += "<p>deep</p>";
    for (int i = 0; i < levels; ++i) xml += "</blockquote>";
    return xml;
  };
  const Notes fits = Read(Xhtml(nested(NotesText::kMaxDepth - 1)));
  EXPECT_TRUE(fits.ok);
  EXPECT_EQ(fits.text, u"deep\n");
  // A quote swallows the failures inside it, but not a nesting too deep.
  const Notes deep = Read(Xhtml(nested(NotesText::kMaxDepth + 1)));
  EXPECT_FALSE(deep.ok);
  EXPECT_TRUE(deep.tooDeep);
  std::string spans;
  for (int i = 0; i < 200; ++i) spans += "<span>";
  spans += "x";
  for (int i = 0; i < 200; ++i) spans += "</span>";
  EXPECT_FALSE(Read(Xhtml("<p>" + spans + "</p>")).ok);
}

TEST(MindManagerValues, AttributeColoursLengthsDatesAndFlags) {
  using namespace foliant::mindmanager;
  EXPECT_EQ(ParseArgbColor(u"ffc6c6c6"), 0xFFC6C6C6u);
  EXPECT_EQ(ParseArgbColor(u"00000000"), 0u);
  for (const char16_t* bad : {u"#c6c6c6", u"c6c6c6", u"ffc6c6c6 ", u"ffc6c6cg", u"", u"#ffc6c6c6"})
    EXPECT_FALSE(ParseArgbColor(bad)) << std::u16string(bad).size();
  EXPECT_EQ(ColorWord(0x80336699), 0xFF336699u);
  EXPECT_EQ(TransparencyOf(0x80336699), 498);
  EXPECT_EQ(TransparencyOf(0xFF000000), 0);
  EXPECT_EQ(TransparencyOf(0x00000000), 1000);

  EXPECT_EQ(MillimetresToHundredths(2.5), 708);
  EXPECT_EQ(MillimetresToHundredths(-2.5), -708);
  EXPECT_EQ(MillimetresToHundredths(30), 8504);
  EXPECT_EQ(MillimetresToHundredths(1e30), MillimetresToHundredths(700000));
  EXPECT_GT(MillimetresToHundredths(700000), 0) << "held at the host's limit, not wrapped";
  EXPECT_EQ(HundredthsOf(u"12."), 1200);
  EXPECT_FALSE(HundredthsOf(u""));
  EXPECT_FALSE(HundredthsOf(u"1e300"));

  EXPECT_TRUE(ParseDateTime(u"2011-06-28T22:29:53"));
  for (const char16_t* bad :
       {u"2011-06-28", u"2011-06-28T22:29:53.5", u"2011-13-28T22:29:53", u"", u"99999999999-1-1T1:1:1"})
    EXPECT_FALSE(ParseDateTime(bad));

  EXPECT_EQ(ParseFlag(u"true"), true);
  EXPECT_EQ(ParseFlag(u"FALSE"), false);
  EXPECT_EQ(ParseFlag(u"0000000000000001"), true);
  EXPECT_EQ(ParseFlag(u"0000000000000000"), false);
  EXPECT_FALSE(ParseFlag(u"True"));
  EXPECT_FALSE(ParseFlag(u"yes"));

  EXPECT_EQ(PackageEntryOf(u"mmarch://bin/a.png"), u"bin\\a.png");
  EXPECT_EQ(PackageEntryOf(u"icons/b.png"), u"icons\\b.png");
  EXPECT_EQ(PackageEntryOf(u"mmarch:///"), u"");
}

}  // namespace
