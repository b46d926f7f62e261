#include <plastrum/format/XmlElement.h>

namespace Present {

IKX2XMLElement* XmlListElement(IKX2XMLNodeList* list, LONG index) {
  if (!list || index < 0 || index >= list->GetCount()) return nullptr;
  IKX2XMLNode* node = list->GetItem(index);
  if (!node) return nullptr;
  auto* element = dynamic_cast<IKX2XMLElement*>(node);
  if (element) element->AddRef();
  node->Release();
  return element;
}

IKX2XMLElement* XmlChildElement(IKX2XMLElement* parent, const char16_t* name, LONG index) {
  if (!parent || !name) return nullptr;
  XmlRef<IKX2XMLNodeList> children(parent->GetChildren(name));
  return XmlListElement(children.get(), index);
}

}  // namespace Present
