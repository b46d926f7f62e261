// The XML reader. See reader.h.
#include "reader.h"

#include <cstring>
#include <memory>

#include "xml_scan.h"
#include "xml_tree.h"

namespace Basalt::XMLDom {
namespace {

using Scan::FindOrEnd;
using Scan::IsSpace;
using Scan::SkipSpace;

bool IsBlankText(const XmlString& s) { return Scan::IsBlank(s.data(), s.data() + s.size()); }

bool StartsWith(const char16_t* p, std::u16string_view prefix) {
  for (char16_t c : prefix) {
    if (*p != c) return false;  // also stops at the terminator
    ++p;
  }
  return true;
}

// Opening markers compare without regard to ASCII case ("<![cdata[" opens a section too).
bool StartsWithAsciiI(const char16_t* p, std::u16string_view prefix) {
  for (char16_t c : prefix) {
    char16_t u = *p;
    if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - 32);
    if (u != c) return false;
    ++p;
  }
  return true;
}

// Ends of an element name in a start tag.
bool EndsStartName(char16_t c) { return c == u' ' || c == u'/' || c == u'>' || c == u'\t' || c == u'\r' || c == u'\n'; }
// Ends of the name in a closing tag.
bool EndsCloseName(char16_t c) { return c == u' ' || c == u'>' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string Cut(const XmlString& s, size_t n) { return std::u16string(std::u16string_view(s).substr(0, n)); }

constexpr std::u16string_view kCommentOpen = u"<!--";
constexpr std::u16string_view kCommentClose = u"-->";
constexpr std::u16string_view kCDataOpen = u"<![CDATA[";
constexpr std::u16string_view kCDataClose = u"]]>";

}  // namespace

Reader::Reader(ParseInfo& info, const char16_t* base)
    : info_(info),
      base_(base),
      trim_(info.trim),
      escape_(info.escapeChar),
      entities_(info.decodeEntities ? info.entities : nullptr),
      referenceLead_(0) {
  if (entities_) {
    bool first = true;
    for (const XmlEntiry& e : entities_->entries) {
      if (e.referenceLength <= 0) continue;
      if (first) {
        referenceLead_ = e.reference[0];
        first = false;
      } else if (e.reference[0] != referenceLead_) {
        referenceLead_ = 0;
        break;
      }
    }
    if (first) entities_ = nullptr;  // nothing to decode
  }
}

void Reader::Fail(int32_t code, const char16_t* at, std::u16string text) {
  if (info_.errorOccurred) return;
  info_.errorOccurred = true;
  ptrdiff_t off = at - base_;
  info_.errorOffset = off > INT32_MAX ? INT32_MAX : static_cast<int32_t>(off);
  info_.errorCode = code;
  info_.errorText = std::move(text);
}

// --- Text ---------------------------------------------------------------------------------

void Reader::Decode(XmlString& dst, const char16_t* b, const char16_t* e) {
  const auto& entries = entities_->entries;
  auto match = [&](const char16_t* p) -> const XmlEntiry* {
    for (const XmlEntiry& ent : entries) {
      int32_t len = ent.referenceLength;
      if (len <= 0 || len > kEntityReferenceUnits || e - p < len) continue;
      if (std::memcmp(p, ent.reference, static_cast<size_t>(len) * sizeof(char16_t)) == 0) return &ent;
    }
    return nullptr;
  };
  if (referenceLead_) {
    const char16_t* a = Scan::FindIn(b, e, referenceLead_);
    if (a == e) {
      dst.assign(b, e);
      return;
    }
    dst.clear();
    dst.reserve(static_cast<size_t>(e - b));
    while (a != e) {
      dst.append(b, a);
      if (const XmlEntiry* ent = match(a)) {
        dst.push_back(ent->character);
        b = a + ent->referenceLength;
      } else {
        dst.push_back(*a);
        b = a + 1;
      }
      a = Scan::FindIn(b, e, referenceLead_);
    }
    dst.append(b, e);
    return;
  }
  dst.clear();
  dst.reserve(static_cast<size_t>(e - b));
  while (b != e) {
    if (const XmlEntiry* ent = match(b)) {
      dst.push_back(ent->character);
      b += ent->referenceLength;
    } else {
      dst.push_back(*b++);
    }
  }
}

void Reader::CopyText(XmlString& dst, const char16_t* b, const char16_t* e, bool decode) {
  if (trim_) {
    while (b != e && IsSpace(*b)) ++b;
    while (e != b && IsSpace(e[-1])) --e;
  }
  if (b == e) return;
  if (escape_) {
    XmlString plain(dst.get_allocator());  // swapped into dst below: same home
    plain.reserve(static_cast<size_t>(e - b));
    for (const char16_t* p = b; p != e; ++p) {
      if (*p == escape_ && ++p == e) break;  // the escape goes, the unit after it stays
      plain.push_back(*p);
    }
    if (decode && entities_)
      Decode(dst, plain.data(), plain.data() + plain.size());
    else
      dst.swap(plain);
    return;
  }
  if (decode && entities_)
    Decode(dst, b, e);
  else
    dst.assign(b, e);
}

const char16_t* Reader::FindMarker(const char16_t* p, std::u16string_view marker) const {
  if (!escape_) {
    for (;; ++p) {
      p = FindOrEnd(p, marker[0]);
      if (!*p) return nullptr;
      if (StartsWith(p + 1, marker.substr(1))) return p;
    }
  }
  // An escape character and the unit after it never start or take part in a match.
  for (; *p; ++p) {
    if (*p == escape_) {
      if (!*++p) return nullptr;
      continue;
    }
    size_t i = 0;
    while (i < marker.size() && p[i] == marker[i] && p[i] != escape_) ++i;
    if (i == marker.size()) return p;
  }
  return nullptr;
}

// --- Markup around elements -------------------------------------------------------------

const char16_t* Reader::ProcessingInstruction(XMLNode& n, const char16_t* text) {
  const char16_t* end = FindMarker(text + 2, u"?>");
  if (!end) return nullptr;
  XMLDocument* doc = n.document;
  if (!doc) return end + 2;
  auto pi = std::make_unique<XMLNode>();
  pi->type = kXmlProcessingInstruction;
  pi->document = doc;
  const char16_t* q = text + 2;
  while (q < end && *q != u' ' && *q != u'?' && *q != u'>') ++q;
  CopyText(pi->name, text + 2, q, false);
  Attributes(*pi, q, end);
  doc->children.push_back(pi.get());
  pi.release()->parent = doc;  // the document owns it, so it is its parent
  return end + 2;
}

const char16_t* Reader::Section(XMLNode& n, const char16_t* text, std::u16string_view open, std::u16string_view close,
                                int32_t type, const char16_t* name) {
  const char16_t* body = text + open.size();
  const char16_t* end = FindMarker(body, close);
  if (!end) return nullptr;
  XMLNode* receiver = n.parent ? n.parent : n.document;
  if (!receiver) return end + close.size();
  auto node = std::make_unique<XMLNode>();
  node->document = n.document;  // first: its texts are made where its document keeps them
  node->type = type;
  node->name = name;
  node->value.assign(body, end);
  receiver->children.push_back(node.get());
  node.release()->parent = receiver;
  return end + close.size();
}

const char16_t* Reader::Comment(XMLNode& n, const char16_t* text) {
  return Section(n, text, kCommentOpen, kCommentClose, kXmlComment, u"#COMMENT");
}

const char16_t* Reader::CData(XMLNode& n, const char16_t* text) {
  return Section(n, text, kCDataOpen, kCDataClose, kXmlCDATA, u"#CDATA");
}

Reader::Markup Reader::ScanMarkup(XMLNode& n, const char16_t* p) {
  const bool parentTakesSections = n.parent && n.parent->type != kXmlDocument;
  for (bool loaded = true; loaded;) {
    loaded = false;
    p = SkipSpace(p);
    if (p[0] == u'<' && p[1] == u'?') {
      const char16_t* r = ProcessingInstruction(n, p);
      if (!r) return {Markup::kFailed, p};
      loaded = r != p;
      p = r;
    }
    p = SkipSpace(p);
    if (StartsWithAsciiI(p, kCommentOpen)) {
      const char16_t* r = Comment(n, p);
      if (!r) return {Markup::kFailed, p};
      if (parentTakesSections) return {Markup::kStoredForParent, r};
      loaded = true;
      p = r;
    }
    p = SkipSpace(p);
    if (StartsWithAsciiI(p, kCDataOpen)) {
      const char16_t* r = CData(n, p);
      if (!r) return {Markup::kFailed, p};
      if (parentTakesSections) return {Markup::kStoredForParent, r};
      loaded = true;
      p = r;
    }
  }
  return {Markup::kPosition, p};
}

// --- Attributes -------------------------------------------------------------------------

const char16_t* Reader::Attributes(XMLNode& n, const char16_t* p, const char16_t* end) {
  for (;;) {
    if (end && p >= end) return p;
    if (!*p) return nullptr;
    p = SkipSpace(p);
    if (end && p >= end) return p;
    if (*p == u'>' || *p == u'/') return p;

    // The name runs to a blank or "=" only: that is what ends it in the files we read.
    const char16_t* q = p;
    if (end) {
      while (q < end && *q != u' ' && *q != u'=') ++q;
    } else {
      while (*q && *q != u' ' && *q != u'=') ++q;
      if (!*q) {
        Fail(kXmlErrorAttribute, p, u"<" + Cut(n.name, 768) + u"> attribute has error ");
        return nullptr;
      }
    }
    if (n.attributes.capacity() == 0) n.attributes.reserve(4);
    auto attr = std::make_unique<XMLAttr>();
    XMLAttr* a = attr.get();
    a->parent = &n;  // first: its texts go where n keeps its own
    n.attributes.push_back(a);
    attr.release();
    CopyText(a->name, p, q, false);

    p = SkipSpace(q);
    if (*p != u'=' || (end && p >= end)) continue;  // no value: it stays empty
    p = SkipSpace(p + 1);
    if (*p == u'"' || *p == u'\'') {
      const char16_t quote = *p++;
      q = FindOrEnd(p, quote);
      if (end && q > end) q = end;
      CopyText(a->value, p, q, true);
      if (!*q) return nullptr;  // the text ended inside the value
      p = (q == end) ? q : q + 1;
    } else {
      q = p;
      while (*q && *q != u' ' && *q != u'>' && (!end || q < end)) ++q;
      CopyText(a->value, p, q, true);
      p = q;
    }
  }
}

// --- Elements -----------------------------------------------------------------------------

const char16_t* Reader::Element(XMLNode& n, const char16_t* text, int depth) {
  Tree::FreeChildren(&n);
  const char16_t* r = ElementBody(n, text, depth);
  // Blank text beside child nodes is layout, not a value: keeping it would make a file
  // grow by its indentation on every load and save.
  if (!n.children.empty() && IsBlankText(n.value)) n.value.clear();
  return r;
}

void Reader::TailText(XMLNode& n, const char16_t* b, const char16_t* e, int depth) {
  if (!trim_) {
    // The writer puts a value that follows child elements on a line of its own, indented
    // one tab deeper than the element, and ends it with the line of the closing tag: that
    // layout is not part of the value.
    if (*b == u'\n') {
      ++b;
      for (int i = 0; i <= depth && b != e && *b == u'\t'; ++i) ++b;
    }
    const char16_t* t = e;
    for (int i = 0; i < depth && t != b && t[-1] == u'\t'; ++i) --t;
    if (t != b && t[-1] == u'\n') e = t - 1;
  }
  CopyText(n.value, b, e, true);
}

const char16_t* Reader::ElementBody(XMLNode& n, const char16_t* text, int depth) {
  const char16_t* p = FindOrEnd(text, u'<');
  for (;;) {
    if (!*p) return nullptr;
    if (p[1] == u'/') return p;  // a closing tag: this node stays unnamed
    Markup m = ScanMarkup(n, p);
    if (m.kind == Markup::kStoredForParent) return m.pos;
    if (m.kind == Markup::kFailed) {  // an unterminated section: read its "<" as a tag
      p = m.pos;
      break;
    }
    if (m.pos == p) break;
    p = FindOrEnd(m.pos, u'<');  // text between markup and the tag is not kept
  }

  if (depth > kXmlMaxDepth) {
    Fail(kXmlErrorTooDeep, p, u"Elements are nested too deeply.");
    return nullptr;
  }
  const char16_t* q = p + 1;
  while (*q && !EndsStartName(*q)) ++q;
  if (!*q) return nullptr;
  CopyText(n.name, p + 1, q, false);

  p = Attributes(n, q, nullptr);
  if (!p) return nullptr;
  if (*p == u'/') {
    if (p[1] == u'>') return p + 2;
    Fail(kXmlErrorUnclosedEmptyTag, p + 1, u"Element must be closed.");
    return nullptr;
  }

  // At ">". A value kept from an earlier load of this node is not replaced.
  if (IsBlankText(n.value)) {
    q = FindOrEnd(p + 1, u'<');
    CopyText(n.value, p + 1, q, true);
    p = q;
  }

  while (*p) {
    if (*p != u'<') {
      q = FindOrEnd(p, u'<');
      if (IsBlankText(n.value) && !Scan::IsBlank(p, q)) TailText(n, p, q, depth);
      p = q;
      continue;
    }
    if (p[1] != u'/') {
      auto child = std::make_unique<XMLNode>();
      child->parent = &n;
      child->document = n.document;
      child->type = n.type;
      const char16_t* r = Element(*child, p, depth + 1);
      if (!child->name.empty()) {
        if (n.children.capacity() == 0) n.children.reserve(4);
        n.children.push_back(child.get());
        child.release();
      } else {
        child->parent = nullptr;
      }
      if (!r) return nullptr;
      p = r;
      continue;
    }

    // A closing tag.
    const char16_t* nameStart = SkipSpace(p + 2);
    q = nameStart;
    while (*q && !EndsCloseName(*q)) ++q;
    if (!*q) {
      Fail(kXmlErrorUnclosedEndTag, nameStart, u"it must be closed with </" + Cut(n.name, 768) + u">");
      return nullptr;
    }
    const char16_t* after = SkipSpace(q);
    if (*after == u'>') ++after;
    bool same;
    if (trim_ || escape_) {
      XmlString closing;
      CopyText(closing, nameStart, q, false);
      same = closing == n.name;
    } else {
      same = std::u16string_view(nameStart, static_cast<size_t>(q - nameStart)) == n.name;
    }
    if (same) return after;
    if (!info_.tolerateMismatch) {
      Fail(kXmlErrorMismatchedEndTag, after,
           u"'<" + Cut(n.name, 256) + u"> ... </" + std::u16string(nameStart, q).substr(0, 256) +
               u">' is not wel-formed.");
      return nullptr;
    }
    p = after;
  }
  return p;  // the text ended inside the element
}

}  // namespace Basalt::XMLDom
