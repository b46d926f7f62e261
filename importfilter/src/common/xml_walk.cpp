#include <foliant/common/XmlWalk.h>

namespace foliant {
namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

}  // namespace

IKX2XMLElement* AsElement(IKX2XMLNode* node) {
  return node && node->GetNodeType() == KX2XML_ELEMENT ? dynamic_cast<IKX2XMLElement*>(node) : nullptr;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

bool TagIs(IKX2XMLElement* element, std::u16string_view name) {
  LPCWSTR tag = element ? element->GetTagName() : nullptr;
  return tag && std::u16string_view(tag) == name;
}

bool TagIsNoCase(IKX2XMLElement* element, std::u16string_view name) {
  LPCWSTR tag = element ? element->GetTagName() : nullptr;
  return tag && EqualsNoCase(tag, name);
}

IKX2XMLElement* FindChildNoCase(IKX2XMLElement* parent, std::u16string_view name) {
  IKX2XMLElement* found = nullptr;
  ForEachChildElement(parent, [&](IKX2XMLElement* child) {
    if (!TagIsNoCase(child, name)) return true;
    child->AddRef();
    found = child;
    return false;
  });
  return found;
}

}  // namespace foliant
