#include <foliant/html/html_parser.h>

#include <memory>

#include <basalt/text_encoding.h>
#include <foliant/import_base.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>

namespace HTML {
namespace {

using foliant::EqualsNoCase;

// What an element is to the walk. Tags compare without regard to ASCII case, as HTML's do.
enum class Tag {
  Inline,        // b, i, u, s, strike, sub, sup, big, small, strong, em, cite, dfn, var, abbr,
                 // acronym, code, kbd, samp, q, span, a: a format added to what they hold
  Font,          // font: colour, size and face
  Break,         // br
  Image,         // img
  Block,         // p, div, blockquote, center, address: a paragraph of its own
  Heading,       // h1 to h6: a bold paragraph
  Preformatted,  // pre: its text as written
  List,          // ul, ol
  Table,         // table
  Hidden,        // head, title, script, style: nothing of them is text
  Other,         // anything else
};

struct InlineTag {
  std::u16string_view name;
  DWORD flags;
};

constexpr InlineTag kInlineTags[] = {
    {u"b", kRunBold},
    {u"strong", kRunBold},
    {u"i", kRunItalic},
    {u"em", kRunItalic},
    {u"cite", kRunItalic},
    {u"dfn", kRunItalic},
    {u"var", kRunItalic},
    {u"u", kRunUnderline},
    {u"s", kRunStrike},
    {u"strike", kRunStrike},
    {u"sub", kRunSubscript},
    {u"sup", kRunSuperscript},
    {u"big", kRunBigger},
    {u"small", kRunSmaller},
    {u"abbr", 0},
    {u"acronym", 0},
    {u"code", 0},
    {u"kbd", 0},
    {u"samp", 0},
    {u"q", 0},
    {u"span", 0},
    {u"a", 0},
};

Tag Classify(IKX2XMLElement* element, DWORD* inlineFlags) {
  *inlineFlags = 0;
  LPCWSTR name = element->GetTagName();
  const std::u16string_view tag = name ? name : u"";
  for (const InlineTag& t : kInlineTags)
    if (EqualsNoCase(tag, t.name)) {
      *inlineFlags = t.flags;
      return Tag::Inline;
    }
  struct Named {
    std::u16string_view name;
    Tag tag;
  };
  static constexpr Named kTags[] = {
      {u"font", Tag::Font},     {u"br", Tag::Break},         {u"img", Tag::Image},        {u"p", Tag::Block},
      {u"div", Tag::Block},     {u"blockquote", Tag::Block}, {u"center", Tag::Block},     {u"address", Tag::Block},
      {u"h1", Tag::Heading},    {u"h2", Tag::Heading},       {u"h3", Tag::Heading},       {u"h4", Tag::Heading},
      {u"h5", Tag::Heading},    {u"h6", Tag::Heading},       {u"pre", Tag::Preformatted}, {u"ul", Tag::List},
      {u"ol", Tag::List},       {u"table", Tag::Table},      {u"head", Tag::Hidden},      {u"title", Tag::Hidden},
      {u"script", Tag::Hidden}, {u"style", Tag::Hidden},
  };
  for (const Named& t : kTags)
    if (EqualsNoCase(tag, t.name)) return t.tag;
  return Tag::Other;
}

bool IsTrimmed(char16_t c) { return c == u'\n' || c == u' '; }

// A text node's text as it reads in a paragraph: line feeds and blanks at either end go
// (tabs and carriage returns stay), and a line feed inside, with the blanks around it, is
// one blank, since a line break in HTML source only separates words. Whether something was
// cut at either end is kept, so that the words of neighbouring text nodes stay apart.
struct Piece {
  std::u16string text;
  bool cutBefore = false;
  bool cutAfter = false;
};

Piece Normalize(std::u16string_view raw) {
  Piece piece;
  size_t begin = 0, end = raw.size();
  while (begin < end && IsTrimmed(raw[begin])) ++begin;
  while (end > begin && IsTrimmed(raw[end - 1])) --end;
  piece.cutBefore = begin > 0;
  piece.cutAfter = end < raw.size();
  piece.text.reserve(end - begin);
  for (size_t i = begin; i < end; ++i) {
    if (raw[i] != u'\n') {
      piece.text += raw[i];
      continue;
    }
    while (!piece.text.empty() && piece.text.back() == u' ') piece.text.pop_back();
    piece.text += u' ';
    while (i + 1 < end && IsTrimmed(raw[i + 1])) ++i;
  }
  return piece;
}

// "text-align" of a style text: the value after its colon, up to the next semicolon.
LONG AlignmentOfStyle(std::u16string_view style) {
  const size_t at = style.find(u"text-align");
  if (at == std::u16string_view::npos) return 0;
  std::u16string_view rest = style.substr(at + 10);
  const size_t colon = rest.find(u':');
  if (colon == std::u16string_view::npos) return 0;
  rest = rest.substr(colon + 1);
  rest = rest.substr(0, rest.find(u';'));
  LONG alignment = 0;
  if (rest.find(u"left") != std::u16string_view::npos) alignment = kAlignLeft;
  if (rest.find(u"center") != std::u16string_view::npos) alignment = kAlignCenter;
  if (rest.find(u"right") != std::u16string_view::npos) alignment = kAlignRight;
  return alignment;
}

LONG AlignmentOfWord(std::u16string_view value) {
  if (EqualsNoCase(value, u"left")) return kAlignLeft;
  if (EqualsNoCase(value, u"center")) return kAlignCenter;
  if (EqualsNoCase(value, u"right")) return kAlignRight;
  return 0;
}

// An image side in pixels at 96 per inch, in hundredths of a point; 0 when absent or too
// large for the host's 32-bit units.
LONG ImageSide(LPCWSTR text) {
  if (!text) return 0;
  const ULONG pixels = wcstoul(text, nullptr, 10);
  if (pixels > 0x7FFFFFFFu) return 0;
  const int hundredths = _Kx2IntMulDiv(static_cast<int>(pixels), 7200, 96);
  return hundredths < 0 ? 0 : hundredths;
}

std::u16string ReplaceAll(std::u16string text, std::u16string_view from, std::u16string_view to) {
  for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

// Fills one paragraph record from the elements below one child of "body".
struct HTMLParser::Builder {
  Paragraph& paragraph;
  const TextRun defaultFormat;
  bool pendingBlank = false;  // the text before ended in cut white space
  int cellDepth = 0;          // inside a table cell blocks are kept on one line
  bool failed = false;

  Builder(Paragraph& p, const TextRun& format) : paragraph(p), defaultFormat(format) {}

  bool AtWordBoundary() const {
    const std::u16string& t = paragraph.text;
    return t.empty() || t.back() == u'\n' || t.back() == u' ' || t.back() == u'\t';
  }

  void AddRun(std::u16string_view text, const TextRun& format) {
    TextRun run = format;
    run.start = static_cast<LONG>(paragraph.text.size());
    paragraph.text.append(text);
    run.end = static_cast<LONG>(paragraph.text.size()) - 1;
    paragraph.runs[run.start] = std::move(run);
    paragraph.flags |= kParagraphText;
  }

  void AppendText(std::u16string_view raw, const TextRun& format, bool preformatted) {
    if (preformatted) {
      if (!raw.empty()) AddRun(raw, format);
      pendingBlank = false;
      return;
    }
    Piece piece = Normalize(raw);
    if (piece.text.empty()) {
      pendingBlank = pendingBlank || piece.cutBefore || piece.cutAfter;
      return;
    }
    if ((pendingBlank || piece.cutBefore) && !AtWordBoundary()) paragraph.text += u' ';
    AddRun(piece.text, format);
    pendingBlank = piece.cutAfter;
  }

  void AppendBreak() {
    paragraph.text += u'\n';
    paragraph.flags |= kParagraphText;
    pendingBlank = false;
  }

  // What stands between a nested block and the text around it: a new line, or inside a
  // table cell one blank before the next text.
  void SeparateBlock() {
    if (cellDepth > 0) {
      pendingBlank = true;
      return;
    }
    pendingBlank = false;
    if (!paragraph.text.empty() && !AtWordBoundary()) AppendBreak();
  }

  void Image(IKX2XMLElement* element) {
    paragraph.flags |= kParagraphImage;
    if (LPCWSTR src = element->GetAttribute(u"src")) paragraph.imagePath = ReplaceAll(src, u"%20", u" ");
    paragraph.imageHeight = ImageSide(element->GetAttribute(u"height"));
    paragraph.imageWidth = ImageSide(element->GetAttribute(u"width"));
  }

  static void AddFontAttributes(IKX2XMLElement* element, TextRun& format) {
    if (LPCWSTR color = element->GetAttribute(u"color"))
      if (auto value = ParseHtmlColor(color)) {
        format.flags |= kRunColor;
        format.color[0] = *value;
        format.color[1] = 0x00FF0000;
      }
    if (LPCWSTR size = element->GetAttribute(u"size")) {
      std::u16string_view digits(size);
      LONG htmlSize = digits.size() == 1 && digits[0] >= u'0' && digits[0] <= u'9' ? digits[0] - u'0' : 0;
      if (auto points = FontSizePoints(htmlSize)) {
        format.flags |= kRunSize;
        format.size = *points * 100;
      }
    }
    if (LPCWSTR face = element->GetAttribute(u"face")) {
      format.flags |= kRunFace;
      format.face = face;
    }
  }

  // The children of an element that holds text, with the format in force passed down by
  // value: a nested tag adds to its ancestors' format, and the addition ends with it.
  bool Content(IKX2XMLElement* element, const TextRun& format, int depth, bool preformatted) {
    if (depth > kMaxDepth) {
      failed = true;
      return false;
    }
    return foliant::ForEachChildNode(element, [&](IKX2XMLNode* node) {
      const LONG type = node->GetNodeType();
      if (type == KX2XML_TEXT || type == KX2XML_CDATA) {
        if (LPCWSTR text = node->GetNodeValue()) AppendText(text, format, preformatted);
        return true;
      }
      IKX2XMLElement* child = foliant::AsElement(node);
      return child ? Element(child, format, depth + 1, preformatted) : true;
    });
  }

  bool Element(IKX2XMLElement* element, const TextRun& format, int depth, bool preformatted) {
    DWORD bits = 0;
    switch (Classify(element, &bits)) {
      case Tag::Inline: {
        TextRun inner = format;
        inner.flags |= bits;
        return Content(element, inner, depth, preformatted);
      }
      case Tag::Font: {
        TextRun inner = format;
        AddFontAttributes(element, inner);
        return Content(element, inner, depth, preformatted);
      }
      case Tag::Break:
        AppendBreak();
        return true;
      case Tag::Image:
        Image(element);
        return true;
      case Tag::Block:
      case Tag::Heading:
      case Tag::Preformatted:
        return NestedBlock(element, format, depth);
      case Tag::List:
        return List(element, format, depth);
      case Tag::Table:
        return Table(element, format, depth);
      case Tag::Hidden:
        return true;
      case Tag::Other:
        // Unknown markup inside a paragraph still holds the paragraph's words.
        return Content(element, format, depth, preformatted);
    }
    return true;
  }

  bool NestedBlock(IKX2XMLElement* element, const TextRun& format, int depth) {
    DWORD bits = 0;
    const Tag tag = Classify(element, &bits);
    TextRun inner = format;
    if (tag == Tag::Heading) inner.flags |= kRunBold;
    SeparateBlock();
    if (!Content(element, inner, depth, tag == Tag::Preformatted)) return false;
    SeparateBlock();
    return true;
  }

  // A paragraph of its own (a top-level block): its alignment, then its content.
  bool Block(IKX2XMLElement* element, const TextRun& format, int depth) {
    DWORD bits = 0;
    const Tag tag = Classify(element, &bits);
    LONG alignment = 0;
    if (LPCWSTR style = element->GetAttribute(u"style")) alignment = AlignmentOfStyle(style);
    if (!alignment)
      if (LPCWSTR align = element->GetAttribute(u"align")) alignment = AlignmentOfWord(align);
    if (alignment) {
      paragraph.formatFlags |= kFormatAlignment;
      paragraph.alignment = alignment;
    }
    TextRun inner = format;
    if (tag == Tag::Heading) inner.flags |= kRunBold;
    return Content(element, inner, depth, tag == Tag::Preformatted);
  }

  // Each "li" on a line of its own; an ordered list numbers its items.
  bool List(IKX2XMLElement* element, const TextRun& format, int depth) {
    if (depth > kMaxDepth) {
      failed = true;
      return false;
    }
    const bool ordered = foliant::TagIsNoCase(element, u"ol");
    int number = 0;
    return foliant::ForEachChildElement(element, [&](IKX2XMLElement* item) {
      if (!foliant::TagIsNoCase(item, u"li")) return true;
      SeparateBlock();
      if (ordered) {
        AddRun(ToDecimal(++number) + u". ", format);
      }
      return Content(item, format, depth + 1, false);
    });
  }

  static std::u16string ToDecimal(int n) {
    std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
  }

  // Rows on lines of their own ("tr", also inside "thead", "tbody" and "tfoot"), the cells
  // of a row ("td", "th") separated by tabs.
  bool Table(IKX2XMLElement* element, const TextRun& format, int depth) {
    if (depth > kMaxDepth) {
      failed = true;
      return false;
    }
    return foliant::ForEachChildElement(element, [&](IKX2XMLElement* child) {
      if (foliant::TagIsNoCase(child, u"tr")) return Row(child, format, depth + 1);
      if (foliant::TagIsNoCase(child, u"thead") || foliant::TagIsNoCase(child, u"tbody") ||
          foliant::TagIsNoCase(child, u"tfoot"))
        return Table(child, format, depth + 1);
      return true;
    });
  }

  bool Row(IKX2XMLElement* row, const TextRun& format, int depth) {
    SeparateBlock();
    bool first = true;
    return foliant::ForEachChildElement(row, [&](IKX2XMLElement* cell) {
      if (!foliant::TagIsNoCase(cell, u"td") && !foliant::TagIsNoCase(cell, u"th")) return true;
      if (!first) {
        paragraph.text += u'\t';
        pendingBlank = false;
      }
      first = false;
      ++cellDepth;
      const bool ok = Content(cell, format, depth + 1, false);
      --cellDepth;
      return ok;
    });
  }

  // One child element of "body".
  bool TopLevel(IKX2XMLElement* element, const TextRun& format) {
    DWORD bits = 0;
    switch (Classify(element, &bits)) {
      case Tag::Block:
      case Tag::Heading:
      case Tag::Preformatted:
        return Block(element, format, 1);
      case Tag::Table:
        return Table(element, format, 1);
      case Tag::List:
        return List(element, format, 1);
      case Tag::Image:
        Image(element);
        return true;
      case Tag::Font:
      case Tag::Inline:
      case Tag::Break:
        return Element(element, format, 1, false);
      case Tag::Hidden:
      case Tag::Other:
        return true;
    }
    return true;
  }
};

HTMLParser::~HTMLParser() {
  paragraphs_.clear();
  element_ = nullptr;
}

int HTMLParser::SetElement(IKX2XMLElement* element) {
  if (hasElement_) paragraphs_.clear();
  element_ = element;
  hasElement_ = element != nullptr;
  return element ? 1 : 0;
}

int HTMLParser::Parse() {
  if (!element_) return 0;
  // What an earlier parse of this parser found does not carry over.
  paragraphs_.clear();
  textFlags_ = 0;
  textColor_[0] = textColor_[1] = 0;
  ImportBase context;
  int handle = 0;
  IKX2XMLElement* body = context.FindElementByPath(element_, {u"body"}, &handle);
  if (!body) return 1;

  TextRun format;
  if (LPCWSTR color = body->GetAttribute(u"color"))
    if (auto value = ParseHtmlColor(color)) {
      textFlags_ = kRunColor;
      textColor_[0] = *value;
      textColor_[1] = 0x00FF0000;
      format.flags |= kRunColor;
      format.color[0] = textColor_[0];
      format.color[1] = textColor_[1];
    }

  // Text and inline elements directly in the body make one paragraph together, up to the
  // next block: an italic word between two plain ones stays on their line.
  std::unique_ptr<Paragraph> open;
  std::unique_ptr<Builder> openBuilder;
  auto openParagraph = [&]() -> Builder& {
    if (!open) {
      open = std::make_unique<Paragraph>();
      openBuilder = std::make_unique<Builder>(*open, format);
    }
    return *openBuilder;
  };
  auto closeParagraph = [&] {
    if (!open) return;
    openBuilder.reset();
    if (!open->text.empty() || open->flags) {
      open->text += u'\n';
      paragraphs_.push_back(std::move(*open));
    }
    open.reset();
  };
  bool ok = foliant::ForEachChildNode(body, [&](IKX2XMLNode* node) {
    const LONG type = node->GetNodeType();
    if (type == KX2XML_TEXT || type == KX2XML_CDATA) {
      LPCWSTR value = node->GetNodeValue();
      // Blanks between blocks (a pretty-printed body) start no paragraph.
      if (!open && Normalize(value ? value : u"").text.empty()) return true;
      openParagraph().AppendText(value ? value : u"", format, false);
      return true;
    }
    IKX2XMLElement* element = foliant::AsElement(node);
    if (!element) return true;
    DWORD bits = 0;
    const Tag tag = Classify(element, &bits);
    if (tag == Tag::Inline || tag == Tag::Font || (tag == Tag::Break && open)) {
      Builder& builder = openParagraph();
      return builder.Element(element, format, 1, false) && !builder.failed;
    }
    closeParagraph();
    Paragraph paragraph;
    Builder builder(paragraph, format);
    const bool handled = builder.TopLevel(element, format);
    paragraph.text += u'\n';
    paragraphs_.push_back(std::move(paragraph));
    return handled && !builder.failed;
  });
  closeParagraph();
  context.ReleasePath(handle);
  return ok ? 1 : 0;
}

}  // namespace HTML
