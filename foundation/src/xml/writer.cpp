// The XML writer: a tree back to text, in the layout of the settings files (each node on
// its own line, indented with tabs by depth) or on one line.
#include <basalt/xml/node.h>

#include "xml_guard.h"
#include "xml_writer.h"

namespace Basalt::XMLDom {
namespace {

class Writer {
 public:
  explicit Writer(const DispOption& opt) : opt_(opt), entities_(opt.encodeEntities ? opt.entities : nullptr) {
    if (!entities_) return;
    for (const XmlEntiry& e : entities_->entries) {
      if (e.character < 128)
        ascii_[e.character >> 6] |= uint64_t{1} << (e.character & 63);
      else
        wide_ = true;
    }
  }

  // Appends text, each character of the entity table written as its reference.
  void Encoded(std::u16string& out, std::u16string_view text) const {
    if (!entities_) {
      out += text;
      return;
    }
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    const char16_t* run = p;
    for (; p != end; ++p) {
      char16_t c = *p;
      if (c < 128 ? !(ascii_[c >> 6] >> (c & 63) & 1) : !wide_) continue;
      const XmlEntiry* e = entities_->GetEntity(c);
      if (!e) continue;
      out.append(run, p);
      int32_t len = e->referenceLength;
      if (len > 0) out.append(e->reference, len > kEntityReferenceUnits ? kEntityReferenceUnits : len);
      run = p + 1;
    }
    out.append(run, end);
  }

  void Attribute(std::u16string& out, const XMLAttr& a) const {
    out += a.name;
    out += u'=';
    out += static_cast<char16_t>(static_cast<unsigned char>(opt_.quote));
    Encoded(out, a.value);
    out += static_cast<char16_t>(static_cast<unsigned char>(opt_.quote));
    out += u' ';
  }

  void Node(std::u16string& out, const XMLNode& n, int32_t depth) const {
    if (opt_.newline) Line(out, depth);
    switch (n.type) {
      case kXmlDocument:
        for (const XMLNode* c : n.children) Node(out, *c, depth);
        return;
      case kXmlProcessingInstruction:
        out += u"<?";
        out += n.name;
        if (!n.attributes.empty()) {
          out += u' ';
          for (const XMLAttr* a : n.attributes) Attribute(out, *a);
        }
        out += u"?>";
        return;
      case kXmlComment:
        out += u"<!--";
        out += n.value;
        out += u"-->";
        return;
      case kXmlCDATA:
        out += u"<![CDATA[";
        out += n.value;
        out += u"]]>";
        return;
      default:
        Element(out, n, depth);
        return;
    }
  }

 private:
  static void Line(std::u16string& out, int32_t depth) {
    out += u'\n';
    if (depth > 0) out.append(static_cast<size_t>(depth), u'\t');
  }

  void Element(std::u16string& out, const XMLNode& n, int32_t depth) const {
    out += u'<';
    out += n.name;
    if (!n.attributes.empty()) {
      out += u' ';
      for (const XMLAttr* a : n.attributes) Attribute(out, *a);
    }
    if (n.children.empty() && n.value.empty()) {
      out += u"/>";
      return;
    }
    out += u'>';
    const bool layout = opt_.newline && !n.children.empty();
    const int32_t inner = layout ? depth + 1 : depth;
    for (const XMLNode* c : n.children) Node(out, *c, inner);
    if (!n.value.empty()) {
      if (layout) Line(out, inner);
      Encoded(out, n.value);
    }
    if (layout) Line(out, depth);
    out += u"</";
    out += n.name;
    out += u'>';
  }

  const DispOption& opt_;
  const XMLEntitys* entities_;
  uint64_t ascii_[2] = {0, 0};  // table characters below 128
  bool wide_ = false;           // some table character is 128 or above
};

// The text content of a node, all under one option.
void Text(std::u16string& out, const XMLNode& n, const Writer& w) {
  switch (n.type) {
    case kXmlCDATA:
      out += n.value;
      return;
    case kXmlDocument:
      for (const XMLNode* c : n.children) Text(out, *c, w);
      return;
    case kXmlProcessingInstruction:
    case kXmlComment:
      return;
    default:
      for (const XMLNode* c : n.children) Text(out, *c, w);
      w.Encoded(out, n.value);
      return;
  }
}

}  // namespace

std::u16string XMLAttr::GetValue(DispOption* opt) const {
  DispOption fallback;
  Writer w(opt ? *opt : fallback);
  return Guard(std::u16string(), [&] {
    std::u16string out;
    w.Encoded(out, value);
    return out;
  });
}

std::u16string XMLAttr::GetXML(DispOption* opt) const {
  DispOption fallback;
  Writer w(opt ? *opt : fallback);
  return Guard(std::u16string(), [&] {
    std::u16string out;
    w.Attribute(out, *this);
    return out;
  });
}

std::u16string WriteXml(const XMLNode& node, const DispOption& opt) {
  Writer w(opt);
  std::u16string out;
  w.Node(out, node, opt.depth);
  return out;
}

std::u16string XMLNode::GetXML(DispOption* opt) const {
  DispOption fallback;
  return Guard(std::u16string(), [&] { return WriteXml(*this, opt ? *opt : fallback); });
}

std::u16string XMLNode::GetText(DispOption* opt) const {
  DispOption fallback;
  Writer w(opt ? *opt : fallback);
  return Guard(std::u16string(), [&] {
    std::u16string out;
    Text(out, *this, w);
    return out;
  });
}

}  // namespace Basalt::XMLDom
