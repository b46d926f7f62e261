// The MSXML document object model, stood in for by libxml2: the DOMDocument class that
// CoCreateInstance (win/com.h) creates, its nodes, node lists and attribute maps.
//
// The interfaces keep MSXML's names and arguments; only what the system calls is here,
// and they are plain COM-shaped interfaces (no IDispatch). Every object counts its
// references; a node keeps its document alive. Nodes taken out of the tree (removeChild,
// a replaced text) stay valid as long as the document object lives.
//
// Differences that callers may rely on:
// - Queries (selectNodes, selectSingleNode) are XPath 1.0 relative to the node.
// - get_text returns the text exactly as stored (MSXML trims white space by default).
// - The XML declaration is a processing instruction named "xml" among the document's
//   children, as in MSXML: a loaded document does not show one, and a saved document has
//   one only when such a node is present. Text is saved as UTF-8.
// - load takes a Windows file path (VT_BSTR), the bytes of a VT_ARRAY | VT_UI1 array, or
//   an IStream (VT_UNKNOWN); the parser reads the bytes' own encoding declaration.
//   loadXML takes UTF-16 text. No external entity or DTD is ever fetched.
// - A node from another document is copied when it is inserted; the copy is returned.
#pragma once

#include "win/errors.h"
#include "win/ole.h"
#include "win/oleauto.h"
#include "win/types.h"

enum DOMNodeType {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_ENTITY_REFERENCE = 5,
  NODE_ENTITY = 6,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
  NODE_DOCUMENT_TYPE = 10,
  NODE_DOCUMENT_FRAGMENT = 11,
  NODE_NOTATION = 12,
};

struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMDocument;
struct IXMLDOMAttribute;

// Results: S_OK; S_FALSE with a null out pointer when there is no such node (no parent,
// no child, no match); E_INVALIDARG or E_POINTER for bad arguments; E_FAIL when the
// operation does not fit the node (a child for an attribute, an invalid name ...).
struct IXMLDOMNode : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_nodeValue(VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** children) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) = 0;
  // Null for nodes other than elements (S_FALSE).
  virtual HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributes) = 0;
  // refChild: VT_EMPTY/VT_NULL (append) or VT_UNKNOWN holding a child of this node.
  virtual HRESULT STDMETHODCALLTYPE insertBefore(IXMLDOMNode* newChild, VARIANT refChild, IXMLDOMNode** outNew) = 0;
  virtual HRESULT STDMETHODCALLTYPE replaceChild(IXMLDOMNode* newChild, IXMLDOMNode* oldChild,
                                                 IXMLDOMNode** outOld) = 0;
  virtual HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* child, IXMLDOMNode** outOld) = 0;
  virtual HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** outNew) = 0;
  virtual HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL* has) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ownerDocument(IXMLDOMDocument** document) = 0;
  virtual HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_text(BSTR* text) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_text(BSTR text) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) = 0;
  virtual HRESULT STDMETHODCALLTYPE selectNodes(BSTR query, IXMLDOMNodeList** result) = 0;
  virtual HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR query, IXMLDOMNode** result) = 0;

 protected:
  ~IXMLDOMNode() = default;
};

struct IXMLDOMElement : IXMLDOMNode {
  virtual HRESULT STDMETHODCALLTYPE get_tagName(BSTR* name) = 0;
  // VT_BSTR, or VT_NULL and S_FALSE when absent.
  virtual HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) = 0;
  // The value is turned into text with VariantChangeType.
  virtual HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE removeAttribute(BSTR name) = 0;

 protected:
  ~IXMLDOMElement() = default;
};

struct IXMLDOMAttribute : IXMLDOMNode {
  virtual HRESULT STDMETHODCALLTYPE get_name(BSTR* name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_value(VARIANT* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_value(VARIANT value) = 0;

 protected:
  ~IXMLDOMAttribute() = default;
};

struct IXMLDOMText : IXMLDOMNode {
 protected:
  ~IXMLDOMText() = default;
};

struct IXMLDOMProcessingInstruction : IXMLDOMNode {
  virtual HRESULT STDMETHODCALLTYPE get_target(BSTR* target) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_data(BSTR* data) = 0;

 protected:
  ~IXMLDOMProcessingInstruction() = default;
};

struct IXMLDOMDocument : IXMLDOMNode {
  virtual HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE putref_documentElement(IXMLDOMElement* element) = 0;
  virtual HRESULT STDMETHODCALLTYPE createElement(BSTR tagName, IXMLDOMElement** element) = 0;
  virtual HRESULT STDMETHODCALLTYPE createTextNode(BSTR data, IXMLDOMText** text) = 0;
  virtual HRESULT STDMETHODCALLTYPE createAttribute(BSTR name, IXMLDOMAttribute** attribute) = 0;
  virtual HRESULT STDMETHODCALLTYPE createProcessingInstruction(BSTR target, BSTR data,
                                                                IXMLDOMProcessingInstruction** pi) = 0;
  // Loading is always synchronous; the flag is kept and reported.
  virtual HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* async) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL async) = 0;
  // S_OK and VARIANT_TRUE when the document was replaced by the parsed one; S_FALSE and
  // VARIANT_FALSE when the source cannot be read or parsed (the document is then empty).
  virtual HRESULT STDMETHODCALLTYPE load(VARIANT source, VARIANT_BOOL* success) = 0;
  virtual HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* success) = 0;
  // destination: a Windows file path (VT_BSTR) or an IStream (VT_UNKNOWN).
  virtual HRESULT STDMETHODCALLTYPE save(VARIANT destination) = 0;

 protected:
  ~IXMLDOMDocument() = default;
};

struct IXMLDOMNodeList : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_length(LONG* length) = 0;
  // The next node of the list (S_FALSE and null after the last), from reset's start.
  virtual HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** next) = 0;
  virtual HRESULT STDMETHODCALLTYPE reset() = 0;

 protected:
  ~IXMLDOMNodeList() = default;
};

struct IXMLDOMNamedNodeMap : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) = 0;
  // Adds an attribute made by createAttribute, replacing (and returning) one of the same
  // name; E_FAIL for an attribute that belongs to an element already.
  virtual HRESULT STDMETHODCALLTYPE setNamedItem(IXMLDOMNode* item, IXMLDOMNode** replaced) = 0;
  virtual HRESULT STDMETHODCALLTYPE removeNamedItem(BSTR name, IXMLDOMNode** removed) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_length(LONG* length) = 0;

 protected:
  ~IXMLDOMNamedNodeMap() = default;
};

inline constexpr CLSID CLSID_DOMDocument = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMDocument = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMNodeList = {
    0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMNamedNodeMap = {
    0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMAttribute = {
    0x2933BF85, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMElement = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMText = {0x2933BF87, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMProcessingInstruction = {
    0x2933BF89, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
