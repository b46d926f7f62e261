// Entry points of the XML reader, and the shared default options.
#include <memory>

#include "dom_arena.h"
#include "reader.h"
#include "xml_guard.h"

namespace Basalt::XMLDom {

DispOption optDefault;
ParseInfo piDefault;

void ParseInfo::ClearError() {
  errorOccurred = false;
  errorOffset = -1;
  errorCode = kXmlErrorNone;
  errorText.clear();
}

namespace {

// The options a node parses with when the caller gives none.
ParseInfo& OptionsFor(XMLNode& node, ParseInfo* pi) {
  if (pi) return *pi;
  return node.document ? node.document->parseInfo : piDefault;
}

// Runs one parse into node: every parse reports its own first error. What it makes is
// carved from the memory of node's document.
template <class F>
const char16_t* Parse(XMLNode& node, ParseInfo& info, const char16_t* text, F&& body) {
  if (!text) return nullptr;
  info.ClearError();
  return Guard<const char16_t*>(nullptr, [&] {
    ArenaScope scope(node.document);
    Reader reader(info, text);
    return body(reader);
  });
}

bool Opens(const char16_t* text, std::u16string_view marker, bool anyCase) {
  for (char16_t c : marker) {
    char16_t u = *text++;
    if (anyCase && u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - 32);
    if (u != c) return false;
  }
  return true;
}

}  // namespace

const char16_t* XMLNode::Load(const char16_t* text, ParseInfo* pi) {
  return Parse(*this, OptionsFor(*this, pi), text, [&](Reader& r) { return r.Element(*this, text, 0); });
}

const char16_t* XMLNode::LoadAttributes(const char16_t* text, ParseInfo* pi) {
  return Parse(*this, OptionsFor(*this, pi), text, [&](Reader& r) { return r.Attributes(*this, text, nullptr); });
}

const char16_t* XMLNode::LoadAttributes(const char16_t* text, const char16_t* end, ParseInfo* pi) {
  if (end && end < text) end = text;
  return Parse(*this, OptionsFor(*this, pi), text, [&](Reader& r) { return r.Attributes(*this, text, end); });
}

const char16_t* XMLNode::LoadProcessingInstrunction(const char16_t* text, ParseInfo* pi) {
  if (!text || !Opens(text, u"<?", false)) return nullptr;
  return Parse(*this, OptionsFor(*this, pi), text, [&](Reader& r) { return r.ProcessingInstruction(*this, text); });
}

const char16_t* XMLNode::LoadComment(const char16_t* text, ParseInfo* pi) {
  if (!text || !Opens(text, u"<!--", true)) return nullptr;
  return Parse(*this, OptionsFor(*this, pi), text, [&](Reader& r) { return r.Comment(*this, text); });
}

const char16_t* XMLNode::LoadCDATA(const char16_t* text, ParseInfo* pi) {
  if (!text || !Opens(text, u"<![CDATA[", true)) return nullptr;
  return Parse(*this, OptionsFor(*this, pi), text, [&](Reader& r) { return r.CData(*this, text); });
}

const char16_t* XMLDocument::Load(const char16_t* text, ParseInfo* pi) {
  return Parse(*this, pi ? *pi : parseInfo, text, [&](Reader& r) -> const char16_t* {
    auto root = std::make_unique<XMLNode>();
    root->parent = this;
    root->document = this;
    const char16_t* p = r.Element(*root, text, 0);
    if (!p) {
      root->parent = nullptr;
      return nullptr;
    }
    children.push_back(root.get());
    XMLNode* kept = root.release();
    // Processing instructions and comments after the root belong to the document.
    return r.ScanMarkup(*kept, p).pos;
  });
}

}  // namespace Basalt::XMLDom
