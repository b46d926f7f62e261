#include <foliant/common/xml_walk.h>

#include <algorithm>
#include <iterator>
#include <string>

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

namespace {

// "xmlns" and "xmlns:p" name namespace declarations, which the element's attribute reads
// also answer but which are no plain attributes.
bool IsNamespaceName(std::u16string_view name) { return name == u"xmlns" || name.substr(0, 6) == u"xmlns:"; }
// The same for a terminated name, told apart by its first letter before it is measured.
bool IsNamespaceName(LPCWSTR name) { return name[0] == u'x' && IsNamespaceName(std::u16string_view(name)); }

}  // namespace

ElementAttributes::ElementAttributes(IKX2XMLElement* element) : element_(element) {}

bool ElementAttributes::Has(std::u16string_view name) const {
  if (!element_) return false;
  if (IsNamespaceName(name)) {
    // Only the names the element lists as its attributes.
    const LONG count = element_->GetAttributeCount();
    for (LONG i = 0; i < count; ++i)
      if (LPCWSTR listed = element_->GetAttributeName(i); listed && name == listed) return true;
    return false;
  }
  // The host takes a terminated name: short names (all an importer asks for) are
  // terminated on the stack.
  char16_t terminated[64];
  if (name.size() < std::size(terminated)) {
    std::copy(name.begin(), name.end(), terminated);
    terminated[name.size()] = 0;
    return element_->HasAttribute(terminated) != FALSE;
  }
  return element_->HasAttribute(std::u16string(name).c_str()) != FALSE;
}

bool ElementAttributes::Has(LPCWSTR name) const {
  if (!name || !element_) return false;
  if (IsNamespaceName(name)) return Has(std::u16string_view(name));
  return element_->HasAttribute(name) != FALSE;
}

LPCWSTR ElementAttributes::Get(LPCWSTR name) const {
  if (!name || !element_) return nullptr;
  // A plain name is looked up once: the element answers null for one it does not have.
  if (!IsNamespaceName(name)) return element_->GetAttribute(name);
  return Has(name) ? element_->GetAttribute(name) : nullptr;
}

}  // namespace foliant
