// The libxml2 document behind one DOMDocument object, shared by every node object made
// from it, and the tree operations the node objects are built on.
//
// Nodes are never freed while the document object lives: a node taken out of the tree is
// kept as an orphan, and a document replaced by load is retired, so that every node
// object stays valid. libxml2 functions that free or merge nodes (xmlAddChild merging
// text, xmlNodeSetContent on elements) are avoided for that reason; nodes are linked by
// hand.
#pragma once

#include "kx2/ErrorBoundary.h"
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <libxml/tree.h>

#include <win/msxml.h>

namespace kx2::msxml {

class DocState {
 public:
  DocState();
  ~DocState();
  DocState(const DocState&) = delete;
  DocState& operator=(const DocState&) = delete;

  xmlDocPtr Doc() const { return doc_; }
  // Makes doc the current document (taking it over); the old one is kept until the end.
  void Replace(xmlDocPtr doc);
  // Keeps a node that is out of the tree (or may be) until the end.
  void Orphan(xmlNodePtr node);

  VARIANT_BOOL async = VARIANT_TRUE;

 private:
  xmlDocPtr doc_;
  std::vector<xmlDocPtr> retired_;
  std::vector<xmlNodePtr> orphans_;
  std::unordered_set<xmlNodePtr> orphanSet_;
};
using StatePtr = std::shared_ptr<DocState>;

// The raw node behind any of our node objects.
struct NodeAccess {
  virtual xmlNodePtr Raw() const = 0;
  virtual const StatePtr& State() const = 0;

 protected:
  ~NodeAccess() = default;
};

// Null for an object that is not one of ours.
NodeAccess* AccessOf(IUnknown* object);

// A new node object (one reference) of the interface that fits the node's type.
IXMLDOMNode* Wrap(const StatePtr& state, xmlNodePtr node);
// *out = the wrapped node: S_OK, or S_FALSE and null for no node.
HRESULT WrapOut(const StatePtr& state, xmlNodePtr node, IXMLDOMNode** out);
IXMLDOMDocument* WrapDocument(const StatePtr& state);

// Text conversions.
std::string Utf8Of(const OLECHAR* text, size_t length);
std::string Utf8Of(BSTR text);
BSTR BstrOf(const xmlChar* utf8);
BSTR BstrOf(const std::string& utf8);

// Runs f, turning an escaping allocation failure into E_OUTOFMEMORY.
template <class F>
HRESULT Guard(F f) {
  try {
    return f();
  } catch (...) {
    return kx2::RecordCurrentComException();
  }
}

// ---- Tree operations ----------------------------------------------------------------
// Inserts child under parent before `before` (null: at the end). A child of another
// document is copied first; *inserted receives the node actually linked.
HRESULT InsertChild(DocState& state, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before, xmlNodePtr* inserted);
HRESULT RemoveChild(DocState& state, xmlNodePtr parent, xmlNodePtr child);
// Links an attribute made for this document into an element, taking out (and returning in
// *replaced) one of the same name.
HRESULT SetAttributeNode(DocState& state, xmlNodePtr element, xmlNodePtr attribute, xmlNodePtr* replaced);
std::string TextOf(xmlNodePtr node);
HRESULT SetTextOf(DocState& state, xmlNodePtr node, const std::string& utf8);
std::string NameOf(xmlNodePtr node);
// The node written as XML (the document: its children, without a declaration of ours).
std::string XmlOf(xmlNodePtr node);
// The nodes a query selects relative to node, in document order; false for a bad query.
bool Select(xmlNodePtr node, const std::string& query, std::vector<xmlNodePtr>* result);
// A new node object list over nodes.
IXMLDOMNodeList* MakeNodeList(const StatePtr& state, std::vector<xmlNodePtr> nodes);
IXMLDOMNamedNodeMap* MakeAttributeMap(const StatePtr& state, xmlNodePtr element);

}  // namespace kx2::msxml
