// Walking the host's XML element tree: the child nodes of an element in document order,
// each released once the walk has moved past it, and tag and attribute tests that the
// importers and the HTML parser share.
#pragma once

#include <string_view>
#include <vector>

#include <vantorel/xml_interfaces.h>

namespace foliant {

// The element a node is, or null for any other kind of node (no reference is taken).
IKX2XMLElement* AsElement(IKX2XMLNode* node);

// Calls visit(node) for every child node of `parent` in document order; the node is
// borrowed for the call. Stops early, returning false, when visit returns false.
template <class Visit>
bool ForEachChildNode(IKX2XMLNode* parent, Visit&& visit) {
  if (!parent) return true;
  IKX2XMLNode* node = parent->GetFirstChild();
  while (node) {
    if (!visit(node)) {
      node->Release();
      return false;
    }
    IKX2XMLNode* next = node->GetNextSibling();
    node->Release();
    node = next;
  }
  return true;
}

// The same over the child elements only.
template <class Visit>
bool ForEachChildElement(IKX2XMLNode* parent, Visit&& visit) {
  return ForEachChildNode(parent, [&](IKX2XMLNode* node) {
    IKX2XMLElement* element = AsElement(node);
    return element ? visit(element) : true;
  });
}

// Tag tests: exactly, or with ASCII letters folded.
bool TagIs(IKX2XMLElement* element, std::u16string_view name);
bool TagIsNoCase(IKX2XMLElement* element, std::u16string_view name);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

// The first child element whose tag equals `name` with ASCII letters folded (one new
// reference), or null.
IKX2XMLElement* FindChildNoCase(IKX2XMLElement* parent, std::u16string_view name);

// An element's plain attributes: presence is asked without reading the text (most names an
// importer asks for are absent, and every text read is a copy the element keeps), and a
// text is read only for a name that is there.
class ElementAttributes {
 public:
  explicit ElementAttributes(IKX2XMLElement* element);
  bool Has(std::u16string_view name) const;
  // The same for a terminated name, handed to the element as it stands.
  bool Has(LPCWSTR name) const;
  // The plain attribute's text (valid while the element lives), or null when absent.
  LPCWSTR Get(LPCWSTR name) const;

 private:
  IKX2XMLElement* element_;
};

// A plain attribute's text, or null when absent (valid while the element lives).
inline LPCWSTR Attribute(IKX2XMLElement* element, LPCWSTR name) {
  return element ? element->GetAttribute(name) : nullptr;
}

}  // namespace foliant
