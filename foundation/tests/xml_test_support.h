// Helpers of the XML tests: a compact, readable dump of a tree so that a whole parse result
// fits in one expected string.
#pragma once

#include <string>
#include <string_view>

#include <basalt/xml_dom.h>
#include <kx2/Utf.h>

namespace xmltest {

inline std::string U8(std::u16string_view s) { return kx2::Utf16ToUtf8(s); }

inline std::string Shown(std::u16string_view s) {
  std::string out;
  for (char c : U8(s)) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out;
}

// name[attr=value attr=value]{value}(child,child)
inline std::string Dump(const Basalt::XMLDom::XMLNode& n) {
  std::string out = Shown(n.name);
  if (!n.attributes.empty()) {
    out += '[';
    for (size_t i = 0; i < n.attributes.size(); ++i) {
      if (i) out += ' ';
      out += Shown(n.attributes[i]->name) + "=" + Shown(n.attributes[i]->value);
    }
    out += ']';
  }
  if (!n.value.empty()) out += "{" + Shown(n.value) + "}";
  if (!n.children.empty()) {
    out += '(';
    for (size_t i = 0; i < n.children.size(); ++i) {
      if (i) out += ',';
      out += Dump(*n.children[i]);
    }
    out += ')';
  }
  return out;
}

// True when every node below n names its parent and document correctly.
inline bool Consistent(const Basalt::XMLDom::XMLNode& n) {
  for (auto* a : n.attributes)
    if (a->parent != &n) return false;
  for (auto* c : n.children)
    if (c->parent != &n || c->document != n.document || !Consistent(*c)) return false;
  return true;
}

}  // namespace xmltest
