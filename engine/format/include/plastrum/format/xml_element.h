// The host's XML objects as the shape-format XML readers and writers use them.
//
// The readers and writers never parse or print XML themselves: they work on the host's
// element objects (IKX2XMLElement), node lists and element factory (the document,
// IKX2XMLDocument::CreateElement / CreateElementNS). Every object an operation returns
// carries a reference the caller releases; texts returned stay valid while their element
// lives. What the code relies on: names and texts are UTF-16, a set replaces an attribute of
// the same name, GetChildren keeps document order, null means absent.
#pragma once

#include <utility>

#include <vantorel/xml_interfaces.h>

namespace Present {

// An owned reference to a host XML object, released when it leaves scope.
template <class T>
class XmlRef {
 public:
  XmlRef() = default;
  explicit XmlRef(T* adopted) : p_(adopted) {}
  XmlRef(const XmlRef&) = delete;
  XmlRef& operator=(const XmlRef&) = delete;
  XmlRef(XmlRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  XmlRef& operator=(XmlRef&& o) noexcept {
    if (this != &o) reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ~XmlRef() { reset(); }
  void reset(T* adopted = nullptr) {
    if (T* old = std::exchange(p_, adopted)) old->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Item i of a node list as an element: a new reference, or null when the item is missing or
// is not an element.
IKX2XMLElement* XmlListElement(IKX2XMLNodeList* list, LONG index);
// The index-th child element of `parent` named `name` (document order): a new reference, or
// null when there are not that many.
IKX2XMLElement* XmlChildElement(IKX2XMLElement* parent, const char16_t* name, LONG index = 0);

}  // namespace Present
