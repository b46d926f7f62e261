// The notes of a MindManager topic ("ap:NotesGroup"): the XHTML body of "ap:NotesXhtmlData"
// turned into one text with formatted runs, ready for the host's rich text.
//
// Paragraphs and list items end in a line feed; a "br" is a line feed inside its paragraph.
// Every stretch of text inside an inline element ("font", "span", "b", "u", "i", "strike")
// is a run of its own carrying the whole format around it, so that no format leaks from
// one stretch into the next; text outside them has no run (the base style).
#pragma once

#include <map>
#include <string>

#include <foliant/html/html_parser.h>
#include <vantorel/xml_interfaces.h>

namespace foliant::mindmanager {

class NotesText {
 public:
  // Deepest nesting of XHTML elements walked; a deeper note fails.
  static constexpr int kMaxDepth = 64;

  // Reads the notes of an "ap:NotesGroup". False when an element from the first
  // "ap:NotesData" on lacks "ImageUri" (or its first child element has no text), or when
  // the XHTML nests deeper than kMaxDepth.
  bool Read(IKX2XMLElement* notesGroup);

  const std::u16string& Text() const { return text_; }
  const std::map<LONG, HTML::TextRun>& Runs() const { return runs_; }
  // True when a nesting deeper than kMaxDepth was met.
  bool TooDeep() const { return tooDeep_; }

 private:
  bool CheckNotesData(IKX2XMLElement* group);
  bool WalkBody(IKX2XMLElement* root);
  bool Block(IKX2XMLElement* element, int depth);
  bool Paragraph(IKX2XMLElement* element, int depth);
  bool List(IKX2XMLElement* element, int depth);
  bool ListItem(IKX2XMLElement* element, int depth);
  bool BlockQuote(IKX2XMLElement* element, int depth);
  bool Table(IKX2XMLElement* element, int depth);
  bool TableCell(IKX2XMLElement* cell, int depth);
  bool Link(IKX2XMLElement* element, int depth);
  bool Inline(IKX2XMLElement* element, HTML::TextRun run, int depth);
  bool Deeper(int depth);
  void AppendText(std::u16string_view text);
  // Text as written in the source: its line breaks only separate words.
  void AppendFlow(std::u16string_view text);
  void AppendRun(std::u16string_view text, const HTML::TextRun& run);

  std::u16string text_;
  std::map<LONG, HTML::TextRun> runs_;
  bool tooDeep_ = false;
};

// Inline tags and the run flag each adds (0 for "font" and "span"); -1 for other tags.
LONG InlineTagFlag(std::u16string_view tag);
// The font size of a "style" attribute ("font-size:12pt" gives 1200 hundredths of a point),
// or -1 when it names none or no usable number.
LONG StyleFontSize(std::u16string_view style);

}  // namespace foliant::mindmanager
