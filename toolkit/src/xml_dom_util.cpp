// Helpers over the MSXML interfaces, and the indentation of saved XML files.
#include "xml_dom_util.h"

#include <string>

namespace ktk {

CString TakeText(BSTR text) {
  CString out(text, static_cast<int>(SysStringLen(text)));
  SysFreeString(text);
  return out;
}

CString NodeName(IXMLDOMNode* node) {
  BSTR name = nullptr;
  if (!node || FAILED(node->get_nodeName(&name))) return CString();
  return TakeText(name);
}

IXMLDOMElement* FindChildElement(IXMLDOMNode* parent, LPCWSTR name) {
  if (!parent) return nullptr;
  IXMLDOMNode* child = nullptr;
  parent->get_firstChild(&child);
  while (child) {
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT && (!name || !*name || NodeName(child) == name)) {
      IXMLDOMElement* element = nullptr;
      child->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element));
      child->Release();
      return element;
    }
    IXMLDOMNode* next = nullptr;
    child->get_nextSibling(&next);
    child->Release();
    child = next;
  }
  return nullptr;
}

namespace {

enum class Tag { Opening, Closing, Empty, Other };

Tag KindOf(const std::string& tag) {
  if (tag.size() >= 2 && tag[1] == '/') return Tag::Closing;
  if (tag.size() >= 2 && (tag[1] == '?' || tag[1] == '!')) return Tag::Other;
  if (tag.size() >= 2 && tag[tag.size() - 2] == '/') return Tag::Empty;
  return Tag::Opening;
}

// The end of the markup starting at `at` (one past it), or npos.
size_t MarkupEnd(const std::string& xml, size_t at) {
  auto after = [&](const char* close) {
    const size_t end = xml.find(close, at);
    return end == std::string::npos ? end : end + std::char_traits<char>::length(close);
  };
  if (xml.compare(at, 4, "<!--") == 0) return after("-->");
  if (xml.compare(at, 9, "<![CDATA[") == 0) return after("]]>");
  if (xml.compare(at, 2, "<?") == 0) return after("?>");
  // Attribute values may hold '>' only escaped in what the writer produces; quotes are
  // still skipped to be safe.
  char quote = 0;
  for (size_t i = at + 1; i < xml.size(); ++i) {
    const char c = xml[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return std::string::npos;
}

bool Blank(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

}  // namespace

std::string IndentXml(const std::string& xml) {
  std::string out;
  int depth = 0;
  bool lastWasTag = false;
  Tag last = Tag::Other;
  size_t at = 0;
  while (at < xml.size()) {
    if (xml[at] != '<') {
      size_t next = xml.find('<', at);
      if (next == std::string::npos) next = xml.size();
      std::string text = xml.substr(at, next - at);
      at = next;
      const bool closesNext = at + 1 < xml.size() && xml[at + 1] == '/';
      // Blanks between tags are layout, unless they are all an element holds.
      if (Blank(text) && !(last == Tag::Opening && closesNext)) continue;
      out += text;
      lastWasTag = false;
      continue;
    }
    const size_t end = MarkupEnd(xml, at);
    if (end == std::string::npos) {
      out += xml.substr(at);
      break;
    }
    const std::string tag = xml.substr(at, end - at);
    const Tag kind = KindOf(tag);
    if (kind == Tag::Closing && depth > 0) --depth;
    if (lastWasTag) out += "\r\n" + std::string(static_cast<size_t>(depth), '\t');
    out += tag;
    if (kind == Tag::Opening) ++depth;
    lastWasTag = true;
    last = kind;
    at = end;
  }
  out += "\r\n";
  return out;
}

}  // namespace ktk
