#include <foliant/mindmanager/mindmanager_notes.h>

#include <cmath>

#include <basalt/string_util.h>
#include <foliant/common/color_text.h>
#include <kx2/Ref.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>

namespace foliant::mindmanager {
namespace {

bool IsTextNode(IKX2XMLNode* node) {
  const LONG type = node->GetNodeType();
  return type == KX2XML_TEXT || type == KX2XML_CDATA;
}

std::u16string_view NodeText(IKX2XMLNode* node) {
  LPCWSTR value = node->GetNodeValue();
  return value ? std::u16string_view(value) : std::u16string_view();
}

// Tag names are compared with ASCII letters folded, as browsers and MindManager's own
// reader do: "<B>" is bold like "<b>".
std::u16string LowerTag(IKX2XMLElement* element) {
  LPCWSTR tag = element->GetTagName();
  std::u16string lower(tag ? tag : u"");
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  return lower;
}

// Blanks that hold a line break are a pretty-printed note's indentation, no text of it.
bool IsIndentation(std::u16string_view text) {
  bool lineBreak = false;
  for (char16_t c : text) {
    if (c == u'\n' || c == u'\r') {
      lineBreak = true;
    } else if (c != u' ' && c != u'\t') {
      return false;
    }
  }
  return lineBreak;
}

// Source line breaks with the blanks around them are one blank between words, and nothing
// at the start of a line.
std::u16string FlowText(std::u16string_view text, bool atLineStart) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t end = at;
    bool lineBreak = false;
    while (end < text.size() && (text[end] == u' ' || text[end] == u'\t' || text[end] == u'\n' || text[end] == u'\r')) {
      lineBreak = lineBreak || text[end] == u'\n' || text[end] == u'\r';
      ++end;
    }
    if (end == at) {
      out += text[at++];
      continue;
    }
    if (!lineBreak) {
      out.append(text.substr(at, end - at));
    } else if (!(atLineStart && out.empty())) {
      out += u' ';
    }
    at = end;
  }
  return out;
}

bool IsListTag(std::u16string_view tag) { return tag == u"ul" || tag == u"ol"; }

// The first item of a named-child list, as an element (one new reference), or null.
IKX2XMLElement* FirstNamedChild(IKX2XMLElement* parent, LPCWSTR name) {
  kx2::Ref<IKX2XMLNodeList> list(parent->GetChildren(name));
  if (!list || list->GetCount() < 1) return nullptr;
  kx2::Ref<IKX2XMLNode> item(list->GetItem(0));
  IKX2XMLElement* element = AsElement(item.get());
  if (element) element->AddRef();
  return element;
}

}  // namespace

LONG InlineTagFlag(std::u16string_view tag) {
  if (tag == u"font" || tag == u"span") return 0;
  if (tag == u"b") return HTML::kRunBold;
  if (tag == u"u") return HTML::kRunUnderline;
  if (tag == u"i") return HTML::kRunItalic;
  if (tag == u"strike") return HTML::kRunStrike;
  return -1;
}

LONG StyleFontSize(std::u16string_view style) {
  const size_t key = style.find(u"font-size:");
  if (key == std::u16string_view::npos) return -1;
  const size_t from = key + 10;
  const size_t unit = style.find(u"pt", from);
  if (unit == std::u16string_view::npos) return -1;
  const double points = _wtof(std::u16string(style.substr(from, unit - from)).c_str());
  if (!std::isfinite(points) || points <= 0 || points > 10000) return -1;
  return static_cast<LONG>(points * 100);
}

bool NotesText::Read(IKX2XMLElement* notesGroup) {
  text_.clear();
  runs_.clear();
  tooDeep_ = false;
  if (!notesGroup || !CheckNotesData(notesGroup)) return false;
  kx2::Ref<IKX2XMLElement> data(FirstNamedChild(notesGroup, u"ap:NotesXhtmlData"));
  if (!data) return true;
  // The document root of the note is its first child element; blanks before it (a
  // pretty-printed map) do not hide it.
  kx2::Ref<IKX2XMLElement> root;
  ForEachChildElement(data.get(), [&](IKX2XMLElement* element) {
    root = kx2::Ref<IKX2XMLElement>::Share(element);
    return false;
  });
  if (!root) return true;
  return WalkBody(root.get()) && !tooDeep_;
}

// Images of the note ("ap:NotesData") are not imported, but each must be whole: an
// "ImageUri" and, when it starts with an element, that element's text.
bool NotesText::CheckNotesData(IKX2XMLElement* group) {
  return ForEachChildElement(group, [](IKX2XMLElement* element) {
    if (!TagIsNoCase(element, u"ap:NotesData")) return true;
    if (!element->HasAttribute(u"ImageUri")) return false;
    kx2::Ref<IKX2XMLNode> first(element->GetFirstChild());
    if (IKX2XMLElement* inner = AsElement(first.get())) {
      LPCWSTR text = inner->GetText();
      if (!text || !*text) return false;
    }
    return true;
  });
}

bool NotesText::WalkBody(IKX2XMLElement* root) {
  kx2::Ref<IKX2XMLElement> body(FirstNamedChild(root, u"body"));
  IKX2XMLElement* container = body ? body.get() : root;
  // Text and inline elements directly in the body make one paragraph until the next block.
  bool open = false;
  auto close = [&] {
    if (open) AppendText(u"\n");
    open = false;
  };
  const bool walked = ForEachChildNode(container, [&](IKX2XMLNode* node) {
    if (IsTextNode(node)) {
      const std::u16string_view text = NodeText(node);
      if (text.empty() || IsIndentation(text) || (!open && text.find_first_not_of(u" \t") == text.npos)) return true;
      AppendFlow(text);
      open = true;
      return true;
    }
    IKX2XMLElement* element = AsElement(node);
    if (!element) return true;
    const std::u16string tag = LowerTag(element);
    if (tag == u"br") {
      AppendText(u"\n");
      open = false;
      return true;
    }
    if (tag == u"a" || InlineTagFlag(tag) >= 0) {
      open = true;
      return tag == u"a" ? Link(element, 1) : Inline(element, HTML::TextRun{}, 1);
    }
    close();
    return Block(element, 1);
  });
  if (!walked) return false;
  close();
  return true;
}

// Any block: lists, quotes and tables by their own walks, every other block ("p", "div",
// "h1"...) as a paragraph.
bool NotesText::Block(IKX2XMLElement* element, int depth) {
  const std::u16string tag = LowerTag(element);
  if (IsListTag(tag)) return List(element, depth);
  if (tag == u"blockquote") return BlockQuote(element, depth);
  if (tag == u"table") return Table(element, depth);
  return Paragraph(element, depth);
}

bool NotesText::Deeper(int depth) {
  if (depth <= kMaxDepth) return false;
  tooDeep_ = true;
  return true;
}

void NotesText::AppendText(std::u16string_view text) { text_.append(text); }

void NotesText::AppendFlow(std::u16string_view text) {
  if (IsIndentation(text)) return;
  text_.append(FlowText(text, text_.empty() || text_.back() == u'\n'));
}

void NotesText::AppendRun(std::u16string_view text, const HTML::TextRun& run) {
  if (text.empty()) return;
  HTML::TextRun placed = run;
  placed.start = static_cast<LONG>(text_.size());
  text_.append(FlowText(text, text_.empty() || text_.back() == u'\n'));
  if (static_cast<LONG>(text_.size()) == placed.start) return;
  placed.end = static_cast<LONG>(text_.size()) - 1;
  runs_[placed.start] = std::move(placed);
}

bool NotesText::Paragraph(IKX2XMLElement* element, int depth) {
  if (Deeper(depth)) return false;
  const bool walked = ForEachChildNode(element, [&](IKX2XMLNode* node) {
    if (IsTextNode(node)) {
      AppendFlow(NodeText(node));
      return true;
    }
    IKX2XMLElement* child = AsElement(node);
    if (!child) return true;
    const std::u16string tag = LowerTag(child);
    if (tag == u"a") return Link(child, depth + 1);
    // A line break inside the paragraph; the text after it belongs to the paragraph too.
    if (tag == u"br") {
      AppendText(u"\n");
      return true;
    }
    if (IsListTag(tag) || tag == u"blockquote" || tag == u"table") {
      if (!text_.empty() && text_.back() != u'\n') AppendText(u"\n");
      return Block(child, depth + 1);
    }
    // Inline elements, and any other element, keep their text.
    return Inline(child, HTML::TextRun{}, depth + 1);
  });
  if (!walked) return false;
  AppendText(u"\n");
  return true;
}

bool NotesText::List(IKX2XMLElement* element, int depth) {
  if (Deeper(depth)) return false;
  return ForEachChildElement(
      element, [&](IKX2XMLElement* child) { return LowerTag(child) == u"li" ? ListItem(child, depth + 1) : true; });
}

bool NotesText::ListItem(IKX2XMLElement* element, int depth) {
  if (Deeper(depth)) return false;
  bool nested = false;
  const bool walked = ForEachChildNode(element, [&](IKX2XMLNode* node) {
    if (IsTextNode(node)) {
      AppendFlow(NodeText(node));
      return true;
    }
    IKX2XMLElement* child = AsElement(node);
    if (!child) return true;
    const std::u16string tag = LowerTag(child);
    if (IsListTag(tag)) {
      AppendText(u"\n");
      nested = true;
      return List(child, depth + 1);
    }
    if (tag == u"a") return Link(child, depth + 1);
    if (tag == u"blockquote") return BlockQuote(child, depth + 1);
    if (tag == u"br") {
      AppendText(u"\n");
      return true;
    }
    return Inline(child, HTML::TextRun{}, depth + 1);
  });
  if (!walked) return false;
  if (!nested) AppendText(u"\n");
  return true;
}

bool NotesText::BlockQuote(IKX2XMLElement* element, int depth) {
  if (Deeper(depth)) return false;
  // A failure inside a quote ends the quote only; a nesting too deep still fails the note
  // (TooDeep stays set).
  ForEachChildElement(element, [&](IKX2XMLElement* child) { return Block(child, depth + 1); });
  return true;
}

// The cells of a table: "td" (and "th") directly under it, in its rows, and in the rows of
// its head, body and foot.
bool NotesText::Table(IKX2XMLElement* element, int depth) {
  if (Deeper(depth)) return false;
  auto isCell = [](const std::u16string& tag) { return tag == u"td" || tag == u"th"; };
  return ForEachChildElement(element, [&](IKX2XMLElement* child) {
    const std::u16string tag = LowerTag(child);
    if (isCell(tag)) return TableCell(child, depth + 1);
    auto row = [&](IKX2XMLElement* tr, int rowDepth) {
      if (Deeper(rowDepth)) return false;
      return ForEachChildElement(
          tr, [&](IKX2XMLElement* cell) { return isCell(LowerTag(cell)) ? TableCell(cell, rowDepth + 1) : true; });
    };
    if (tag == u"tr") return row(child, depth + 1);
    if (tag == u"thead" || tag == u"tbody" || tag == u"tfoot") {
      if (Deeper(depth + 1)) return false;
      return ForEachChildElement(child,
                                 [&](IKX2XMLElement* tr) { return LowerTag(tr) == u"tr" ? row(tr, depth + 2) : true; });
    }
    return true;
  });
}

bool NotesText::TableCell(IKX2XMLElement* cell, int depth) {
  if (Deeper(depth)) return false;
  return ForEachChildElement(cell, [&](IKX2XMLElement* child) { return Block(child, depth + 1); });
}

// The text of a link, with the format of its inline elements; the target is not imported.
bool NotesText::Link(IKX2XMLElement* element, int depth) {
  if (Deeper(depth)) return false;
  return ForEachChildNode(element, [&](IKX2XMLNode* node) {
    if (IsTextNode(node)) {
      AppendFlow(NodeText(node));
      return true;
    }
    IKX2XMLElement* child = AsElement(node);
    return child ? Inline(child, HTML::TextRun{}, depth + 1) : true;
  });
}

bool NotesText::Inline(IKX2XMLElement* element, HTML::TextRun run, int depth) {
  if (Deeper(depth)) return false;
  const std::u16string tag = LowerTag(element);
  if (tag == u"br") {
    AppendText(u"\n");
    return true;
  }
  if (const LONG flag = InlineTagFlag(tag); flag > 0) run.flags |= static_cast<DWORD>(flag);
  if (LPCWSTR color = element->GetAttribute(u"color"))
    if (auto value = ParseHashColor(color)) {
      run.flags |= HTML::kRunColor;
      run.color[0] = *value;
      run.color[1] = kHostColorSecondWord;
    }
  if (LPCWSTR face = element->GetAttribute(u"face")) {
    run.flags |= HTML::kRunFace;
    run.face = face;
  }
  if (tag == u"span")
    if (LPCWSTR style = element->GetAttribute(u"style"))
      if (const LONG size = StyleFontSize(style); size > 0) {
        run.flags |= HTML::kRunSize;
        run.size = size;
      }
  return ForEachChildNode(element, [&](IKX2XMLNode* node) {
    if (IsTextNode(node)) {
      if (!IsIndentation(NodeText(node))) AppendRun(NodeText(node), run);
      return true;
    }
    IKX2XMLElement* child = AsElement(node);
    return child ? Inline(child, run, depth + 1) : true;
  });
}

}  // namespace foliant::mindmanager
