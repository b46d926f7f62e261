// The IXMLDOMNode operations shared by every node object, over one libxml2 node.
#pragma once

#include <kx2/ComObject.h>

#include "dom_state.h"

// Each node interface extends IXMLDOMNode, so every node answers for that one too.
KX2_IID(IXMLDOMNode, IID_IXMLDOMNode)
KX2_IID_DERIVED(IXMLDOMElement, IID_IXMLDOMElement, IXMLDOMNode)
KX2_IID_DERIVED(IXMLDOMAttribute, IID_IXMLDOMAttribute, IXMLDOMNode)
KX2_IID_DERIVED(IXMLDOMText, IID_IXMLDOMText, IXMLDOMNode)
KX2_IID_DERIVED(IXMLDOMProcessingInstruction, IID_IXMLDOMProcessingInstruction, IXMLDOMNode)
KX2_IID_DERIVED(IXMLDOMDocument, IID_IXMLDOMDocument, IXMLDOMNode)
KX2_IID(IXMLDOMNodeList, IID_IXMLDOMNodeList)
KX2_IID(IXMLDOMNamedNodeMap, IID_IXMLDOMNamedNodeMap)

namespace kx2::msxml {

template <class Interface>
class NodeImpl : public kx2::ComObject<Interface>, public NodeAccess {
 public:
  explicit NodeImpl(StatePtr state) : state_(std::move(state)) {}
  ~NodeImpl() override = default;

  const StatePtr& State() const override { return state_; }

  // ---- IXMLDOMNode ----
  HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override {
    if (!name) return E_INVALIDARG;
    return Guard([&] {
      *name = BstrOf(NameOf(Raw()));
      return *name ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override {
    if (!value) return E_INVALIDARG;
    VariantInit(value);
    const xmlElementType type = Raw()->type;
    if (type == XML_ELEMENT_NODE || type == XML_DOCUMENT_NODE) {
      value->vt = VT_NULL;
      return S_FALSE;
    }
    return Guard([&] {
      value->bstrVal = BstrOf(TextOf(Raw()));
      if (!value->bstrVal) return E_OUTOFMEMORY;
      value->vt = VT_BSTR;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE put_nodeValue(VARIANT value) override {
    const xmlElementType type = Raw()->type;
    if (type == XML_ELEMENT_NODE || type == XML_DOCUMENT_NODE) return E_FAIL;
    VARIANT text;
    VariantInit(&text);
    HRESULT hr = VariantChangeType(&text, &value, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    hr = Guard([&] { return SetTextOf(*state_, Raw(), Utf8Of(text.bstrVal)); });
    VariantClear(&text);
    return hr;
  }
  HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override {
    if (!type) return E_INVALIDARG;
    switch (Raw()->type) {
      case XML_ELEMENT_NODE:
        *type = NODE_ELEMENT;
        break;
      case XML_ATTRIBUTE_NODE:
        *type = NODE_ATTRIBUTE;
        break;
      case XML_TEXT_NODE:
        *type = NODE_TEXT;
        break;
      case XML_CDATA_SECTION_NODE:
        *type = NODE_CDATA_SECTION;
        break;
      case XML_ENTITY_REF_NODE:
        *type = NODE_ENTITY_REFERENCE;
        break;
      case XML_PI_NODE:
        *type = NODE_PROCESSING_INSTRUCTION;
        break;
      case XML_COMMENT_NODE:
        *type = NODE_COMMENT;
        break;
      case XML_DOCUMENT_NODE:
        *type = NODE_DOCUMENT;
        break;
      case XML_DTD_NODE:
        *type = NODE_DOCUMENT_TYPE;
        break;
      case XML_DOCUMENT_FRAG_NODE:
        *type = NODE_DOCUMENT_FRAGMENT;
        break;
      default:
        *type = NODE_INVALID;
        break;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override {
    if (!parent) return E_INVALIDARG;
    xmlNodePtr node = Raw();
    // An attribute has no parent node in the DOM; its element is its owner.
    return WrapOut(state_, node->type == XML_ATTRIBUTE_NODE ? nullptr : node->parent, parent);
  }
  HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** children) override {
    if (!children) return E_INVALIDARG;
    return Guard([&] {
      std::vector<xmlNodePtr> nodes;
      for (xmlNodePtr c = Raw()->children; c; c = c->next) nodes.push_back(c);
      *children = MakeNodeList(state_, std::move(nodes));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) override {
    if (!child) return E_INVALIDARG;
    return WrapOut(state_, Raw()->children, child);
  }
  HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) override {
    if (!child) return E_INVALIDARG;
    return WrapOut(state_, Raw()->last, child);
  }
  HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) override {
    if (!sibling) return E_INVALIDARG;
    return WrapOut(state_, Raw()->type == XML_ATTRIBUTE_NODE ? nullptr : Raw()->prev, sibling);
  }
  HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) override {
    if (!sibling) return E_INVALIDARG;
    return WrapOut(state_, Raw()->type == XML_ATTRIBUTE_NODE ? nullptr : Raw()->next, sibling);
  }
  HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributes) override {
    if (!attributes) return E_INVALIDARG;
    *attributes = nullptr;
    if (Raw()->type != XML_ELEMENT_NODE) return S_FALSE;
    return Guard([&] {
      *attributes = MakeAttributeMap(state_, Raw());
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE insertBefore(IXMLDOMNode* newChild, VARIANT refChild, IXMLDOMNode** outNew) override {
    if (outNew) *outNew = nullptr;
    NodeAccess* child = AccessOf(newChild);
    if (!child) return E_INVALIDARG;
    xmlNodePtr before = nullptr;
    if (refChild.vt == VT_UNKNOWN || refChild.vt == VT_DISPATCH) {
      NodeAccess* ref = AccessOf(refChild.punkVal);
      if (refChild.punkVal && !ref) return E_INVALIDARG;
      before = ref ? ref->Raw() : nullptr;
    } else if (refChild.vt != VT_EMPTY && refChild.vt != VT_NULL) {
      return E_INVALIDARG;
    }
    return Link(child->Raw(), before, outNew);
  }
  HRESULT STDMETHODCALLTYPE replaceChild(IXMLDOMNode* newChild, IXMLDOMNode* oldChild, IXMLDOMNode** outOld) override {
    if (outOld) *outOld = nullptr;
    NodeAccess* fresh = AccessOf(newChild);
    NodeAccess* old = AccessOf(oldChild);
    if (!fresh || !old || old->Raw()->parent != Raw()) return E_INVALIDARG;
    xmlNodePtr oldNode = old->Raw();
    if (fresh->Raw() == oldNode) return outOld ? WrapOut(state_, oldNode, outOld) : S_OK;
    HRESULT hr = Link(fresh->Raw(), oldNode, nullptr);
    if (FAILED(hr)) return hr;
    hr = RemoveChild(*state_, Raw(), oldNode);
    if (FAILED(hr)) return hr;
    return outOld ? WrapOut(state_, oldNode, outOld) : S_OK;
  }
  HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* child, IXMLDOMNode** outOld) override {
    if (outOld) *outOld = nullptr;
    NodeAccess* node = AccessOf(child);
    if (!node) return E_INVALIDARG;
    const HRESULT hr = Guard([&] { return RemoveChild(*state_, Raw(), node->Raw()); });
    if (FAILED(hr)) return hr;
    return outOld ? WrapOut(state_, node->Raw(), outOld) : S_OK;
  }
  HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNew) override {
    if (outNew) *outNew = nullptr;
    NodeAccess* child = AccessOf(newChild);
    if (!child) return E_INVALIDARG;
    return Link(child->Raw(), nullptr, outNew);
  }
  HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL* has) override {
    if (!has) return E_INVALIDARG;
    *has = Raw()->children ? VARIANT_TRUE : VARIANT_FALSE;
    return *has ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_ownerDocument(IXMLDOMDocument** document) override {
    if (!document) return E_INVALIDARG;
    *document = nullptr;
    if (Raw()->type == XML_DOCUMENT_NODE) return S_FALSE;
    return Guard([&] {
      *document = WrapDocument(state_);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) override {
    if (!clone) return E_INVALIDARG;
    *clone = nullptr;
    if (Raw()->type == XML_DOCUMENT_NODE) return E_NOTIMPL;
    return Guard([&] {
      xmlNodePtr copy = Raw()->type == XML_ATTRIBUTE_NODE
                            ? reinterpret_cast<xmlNodePtr>(xmlCopyProp(nullptr, reinterpret_cast<xmlAttrPtr>(Raw())))
                            : xmlDocCopyNode(Raw(), state_->Doc(), deep ? 1 : 0);
      if (!copy) return E_OUTOFMEMORY;
      state_->Orphan(copy);
      return WrapOut(state_, copy, clone);
    });
  }
  HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override {
    if (!text) return E_INVALIDARG;
    return Guard([&] {
      *text = BstrOf(TextOf(Raw()));
      return *text ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT STDMETHODCALLTYPE put_text(BSTR text) override {
    return Guard([&] { return SetTextOf(*state_, Raw(), Utf8Of(text)); });
  }
  HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) override {
    if (!xml) return E_INVALIDARG;
    return Guard([&] {
      *xml = BstrOf(XmlOf(Raw()));
      return *xml ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT STDMETHODCALLTYPE selectNodes(BSTR query, IXMLDOMNodeList** result) override {
    if (!result) return E_INVALIDARG;
    *result = nullptr;
    return Guard([&] {
      std::vector<xmlNodePtr> nodes;
      if (!Select(Raw(), Utf8Of(query), &nodes)) return E_FAIL;
      *result = MakeNodeList(state_, std::move(nodes));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR query, IXMLDOMNode** result) override {
    if (!result) return E_INVALIDARG;
    *result = nullptr;
    return Guard([&] {
      std::vector<xmlNodePtr> nodes;
      if (!Select(Raw(), Utf8Of(query), &nodes)) return E_FAIL;
      return WrapOut(state_, nodes.empty() ? nullptr : nodes.front(), result);
    });
  }

 protected:
  HRESULT Link(xmlNodePtr child, xmlNodePtr before, IXMLDOMNode** outNew) {
    return Guard([&] {
      xmlNodePtr inserted = nullptr;
      const HRESULT hr = InsertChild(*state_, Raw(), child, before, &inserted);
      if (FAILED(hr)) return hr;
      return outNew ? WrapOut(state_, inserted, outNew) : S_OK;
    });
  }

  StatePtr state_;
};

}  // namespace kx2::msxml
