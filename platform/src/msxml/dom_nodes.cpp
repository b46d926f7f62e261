// Node objects of each kind, node lists and attribute maps.
#include <new>
#include <vector>

#include "dom_node.h"

namespace kx2::msxml {
namespace {

// A node object of one interface; the document's own object is in dom_document.cpp.
template <class Interface>
class PlainNode : public NodeImpl<Interface> {
 public:
  PlainNode(StatePtr state, xmlNodePtr node) : NodeImpl<Interface>(std::move(state)), node_(node) {}
  xmlNodePtr Raw() const override { return node_; }

 protected:
  xmlNodePtr node_;
};

class GenericNode final : public PlainNode<IXMLDOMNode> {
 public:
  using PlainNode::PlainNode;
};

class TextNode final : public PlainNode<IXMLDOMText> {
 public:
  using PlainNode::PlainNode;
};

class PiNode final : public PlainNode<IXMLDOMProcessingInstruction> {
 public:
  using PlainNode::PlainNode;

  HRESULT STDMETHODCALLTYPE get_target(BSTR* target) override { return get_nodeName(target); }
  HRESULT STDMETHODCALLTYPE get_data(BSTR* data) override { return get_text(data); }
};

class AttributeNode final : public PlainNode<IXMLDOMAttribute> {
 public:
  using PlainNode::PlainNode;

  HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override { return get_nodeName(name); }
  HRESULT STDMETHODCALLTYPE get_value(VARIANT* value) override { return get_nodeValue(value); }
  HRESULT STDMETHODCALLTYPE put_value(VARIANT value) override { return put_nodeValue(value); }
};

class ElementNode final : public PlainNode<IXMLDOMElement> {
 public:
  using PlainNode::PlainNode;

  HRESULT STDMETHODCALLTYPE get_tagName(BSTR* name) override { return get_nodeName(name); }

  HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) override {
    if (!value) return E_INVALIDARG;
    VariantInit(value);
    return Guard([&] {
      xmlAttrPtr attribute = Find(Utf8Of(name));
      if (!attribute) {
        value->vt = VT_NULL;
        return S_FALSE;
      }
      value->bstrVal = BstrOf(TextOf(reinterpret_cast<xmlNodePtr>(attribute)));
      if (!value->bstrVal) return E_OUTOFMEMORY;
      value->vt = VT_BSTR;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value) override {
    VARIANT text;
    VariantInit(&text);
    HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    hr = Guard([&] {
      const std::string key = Utf8Of(name);
      if (xmlValidateName(reinterpret_cast<const xmlChar*>(key.c_str()), 0) != 0) return E_FAIL;
      xmlAttrPtr attribute = Find(key);
      if (!attribute) {
        attribute = xmlNewDocProp(state_->Doc(), reinterpret_cast<const xmlChar*>(key.c_str()), nullptr);
        if (!attribute) return E_OUTOFMEMORY;
        state_->Orphan(reinterpret_cast<xmlNodePtr>(attribute));
        xmlNodePtr replaced;
        const HRESULT linked = SetAttributeNode(*state_, node_, reinterpret_cast<xmlNodePtr>(attribute), &replaced);
        if (FAILED(linked)) return linked;
      }
      return SetTextOf(*state_, reinterpret_cast<xmlNodePtr>(attribute), Utf8Of(text.bstrVal));
    });
    VariantClear(&text);
    return hr;
  }

  HRESULT STDMETHODCALLTYPE removeAttribute(BSTR name) override {
    return Guard([&] {
      xmlAttrPtr attribute = Find(Utf8Of(name));
      if (!attribute) return S_FALSE;
      xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(attribute));
      state_->Orphan(reinterpret_cast<xmlNodePtr>(attribute));
      return S_OK;
    });
  }

 private:
  xmlAttrPtr Find(const std::string& name) const {
    for (xmlAttrPtr a = node_->properties; a; a = a->next)
      if (NameOf(reinterpret_cast<xmlNodePtr>(a)) == name) return a;
    return nullptr;
  }
};

// A list of nodes taken when it was asked for.
class NodeList final : public kx2::ComObject<IXMLDOMNodeList> {
 public:
  NodeList(StatePtr state, std::vector<xmlNodePtr> nodes) : state_(std::move(state)), nodes_(std::move(nodes)) {}
  ~NodeList() override = default;

  HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override {
    if (!item) return E_INVALIDARG;
    *item = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return S_FALSE;
    return Guard([&] { return WrapOut(state_, nodes_[static_cast<size_t>(index)], item); });
  }
  HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
    if (!length) return E_INVALIDARG;
    *length = static_cast<LONG>(nodes_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** next) override {
    if (!next) return E_INVALIDARG;
    *next = nullptr;
    if (cursor_ >= nodes_.size()) return S_FALSE;
    return Guard([&] { return WrapOut(state_, nodes_[cursor_++], next); });
  }
  HRESULT STDMETHODCALLTYPE reset() override {
    cursor_ = 0;
    return S_OK;
  }

 private:
  StatePtr state_;
  std::vector<xmlNodePtr> nodes_;
  size_t cursor_ = 0;
};

// The attributes of one element, read live.
class AttributeMap final : public kx2::ComObject<IXMLDOMNamedNodeMap> {
 public:
  AttributeMap(StatePtr state, xmlNodePtr element) : state_(std::move(state)), element_(element) {}
  ~AttributeMap() override = default;

  HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) override {
    if (!item) return E_INVALIDARG;
    *item = nullptr;
    return Guard([&] { return WrapOut(state_, Find(Utf8Of(name)), item); });
  }
  HRESULT STDMETHODCALLTYPE setNamedItem(IXMLDOMNode* item, IXMLDOMNode** replaced) override {
    if (replaced) *replaced = nullptr;
    NodeAccess* node = AccessOf(item);
    if (!node) return E_INVALIDARG;
    return Guard([&] {
      xmlNodePtr old = nullptr;
      const HRESULT hr = SetAttributeNode(*state_, element_, node->Raw(), &old);
      if (FAILED(hr)) return hr;
      return replaced && old ? WrapOut(state_, old, replaced) : S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE removeNamedItem(BSTR name, IXMLDOMNode** removed) override {
    if (removed) *removed = nullptr;
    return Guard([&] {
      xmlNodePtr attribute = Find(Utf8Of(name));
      if (!attribute) return S_FALSE;
      xmlUnlinkNode(attribute);
      state_->Orphan(attribute);
      return removed ? WrapOut(state_, attribute, removed) : S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override {
    if (!item) return E_INVALIDARG;
    *item = nullptr;
    xmlAttrPtr a = element_->properties;
    for (LONG i = 0; a && i < index; ++i) a = a->next;
    if (index < 0 || !a) return S_FALSE;
    return Guard([&] { return WrapOut(state_, reinterpret_cast<xmlNodePtr>(a), item); });
  }
  HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
    if (!length) return E_INVALIDARG;
    LONG n = 0;
    for (xmlAttrPtr a = element_->properties; a; a = a->next) ++n;
    *length = n;
    return S_OK;
  }

 private:
  xmlNodePtr Find(const std::string& name) const {
    for (xmlAttrPtr a = element_->properties; a; a = a->next)
      if (NameOf(reinterpret_cast<xmlNodePtr>(a)) == name) return reinterpret_cast<xmlNodePtr>(a);
    return nullptr;
  }

  StatePtr state_;
  xmlNodePtr element_;
};

}  // namespace

NodeAccess* AccessOf(IUnknown* object) { return object ? dynamic_cast<NodeAccess*>(object) : nullptr; }

IXMLDOMNode* Wrap(const StatePtr& state, xmlNodePtr node) {
  if (!node) return nullptr;
  switch (node->type) {
    case XML_ELEMENT_NODE:
      return new (std::nothrow) ElementNode(state, node);
    case XML_ATTRIBUTE_NODE:
      return new (std::nothrow) AttributeNode(state, node);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
      return new (std::nothrow) TextNode(state, node);
    case XML_PI_NODE:
      return new (std::nothrow) PiNode(state, node);
    case XML_DOCUMENT_NODE:
      return WrapDocument(state);
    default:
      return new (std::nothrow) GenericNode(state, node);
  }
}

HRESULT WrapOut(const StatePtr& state, xmlNodePtr node, IXMLDOMNode** out) {
  *out = Wrap(state, node);
  if (*out) return S_OK;
  return node ? E_OUTOFMEMORY : S_FALSE;
}

IXMLDOMNodeList* MakeNodeList(const StatePtr& state, std::vector<xmlNodePtr> nodes) {
  return new NodeList(state, std::move(nodes));
}

IXMLDOMNamedNodeMap* MakeAttributeMap(const StatePtr& state, xmlNodePtr element) {
  return new AttributeMap(state, element);
}

}  // namespace kx2::msxml
