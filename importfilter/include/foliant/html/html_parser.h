// Rich text that a foreign map keeps as XHTML inside its XML (a FreeMind "richcontent"),
// turned into paragraphs of text with formatted runs, and images.
//
// The parser walks the element tree the host's XML parser has already built, so character
// and entity references are resolved when it sees the text. It is given the element that
// holds "body" (the "html" element) and reads "body"'s children in order: each yields one
// paragraph record.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <vantorel/xml_interfaces.h>

namespace HTML {

// Run flags: what the tags around a stretch of text set.
enum : DWORD {
  kRunBold = 0x01,          // b, strong
  kRunItalic = 0x02,        // i, em, cite, dfn, var
  kRunUnderline = 0x04,     // u
  kRunStrike = 0x08,        // s, strike
  kRunColor = 0x10,         // "color" of font (and of body, for the whole text)
  kRunSize = 0x40,          // "size" of font
  kRunFace = 0x80,          // "face" of font
  kRunSmaller = 0x100,      // small
  kRunBigger = 0x200,       // big
  kRunSubscript = 0x400,    // sub
  kRunSuperscript = 0x800,  // sup
};

// Paragraph flags, paragraph format flags and alignments.
enum : DWORD { kParagraphText = 0x01, kParagraphImage = 0x02 };
enum : DWORD { kFormatAlignment = 0x01 };
enum : LONG { kAlignLeft = 1, kAlignRight = 2, kAlignCenter = 3 };

// One stretch of text with one format.
struct TextRun {
  DWORD flags = 0;
  DWORD color[2] = {0, 0};  // the host colour value: 0xFFRRGGBB and 0x00FF0000
  DWORD extra[2] = {0, 0};
  std::u16string face;
  LONG size = 0;   // hundredths of a point
  LONG start = 0;  // index of the first character in the paragraph text
  LONG end = -1;   // index of the last character (inclusive)
};

// One top-level child of "body" that yields output. Its text ends with one line feed; the
// items of a list and the rows of a table are separated by line feeds inside it, the cells
// of a row by tabs.
struct Paragraph {
  DWORD flags = 0;
  DWORD formatFlags = 0;
  LONG alignment = 0;
  std::map<LONG, TextRun> runs;  // by start index
  std::u16string text;
  LONG imageWidth = 0;  // hundredths of a point
  LONG imageHeight = 0;
  std::u16string imagePath;  // as written in "src", with every "%20" a blank
};

class HTMLParser {
 public:
  // Deepest nesting of elements below "body" that is walked: a hostile note must not be
  // able to exhaust the stack. A deeper note fails the parse.
  static constexpr int kMaxDepth = 64;

  HTMLParser() = default;
  virtual ~HTMLParser();
  HTMLParser(const HTMLParser&) = delete;
  HTMLParser& operator=(const HTMLParser&) = delete;

  // Keeps the element (borrowed: it must outlive Parse) and drops the paragraphs of an
  // earlier element. 1 for an element, 0 for null.
  int SetElement(IKX2XMLElement* element);
  // 1 on success (also when the element has no "body": no paragraphs), 0 when a nesting
  // deeper than kMaxDepth stops the walk; the paragraphs made so far stay.
  virtual int Parse();

  const std::vector<Paragraph>& GetParagraphs() const { return paragraphs_; }
  // kRunColor when "body" carries a colour; the colour then is GetTextColor().
  DWORD GetTextFlags() const { return textFlags_; }
  const DWORD* GetTextColor() const { return textColor_; }

 private:
  struct Builder;

  std::vector<Paragraph> paragraphs_;
  IKX2XMLElement* element_ = nullptr;
  bool hasElement_ = false;
  DWORD textFlags_ = 0;
  DWORD textColor_[2] = {0, 0};
};

// The HTML colour names to 0xFFRRGGBB (`name` in lower case), and an HTML font size (1 to
// 6) to points.
std::optional<DWORD> NamedColor(std::u16string_view name);
std::optional<LONG> FontSizePoints(LONG htmlSize);
// A "color" attribute: lower-cased, a colour name or "#" with six hexadecimal digits;
// anything else is no colour.
std::optional<DWORD> ParseHtmlColor(std::u16string_view text);

}  // namespace HTML
