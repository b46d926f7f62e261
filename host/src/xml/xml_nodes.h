// Node, element, document and node-list objects over a libxml2 tree.
//
// Every object holds the document's handle, so the tree lives while any of its objects
// does. Nodes are never freed while the document lives: nodes that are made but not
// attached, removed, or replaced go to the handle's list of loose nodes, freed with it.
#pragma once

#include <libxml/tree.h>

#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <vantorel/xml_interfaces.h>

#include "core/census.h"

namespace vantorel::detail {

class DocHandle {
 public:
  explicit DocHandle(xmlDocPtr doc) : doc_(doc) {}
  ~DocHandle();
  DocHandle(const DocHandle&) = delete;
  DocHandle& operator=(const DocHandle&) = delete;
  xmlDocPtr doc() const { return doc_; }
  void AddLoose(xmlNodePtr node) { loose_.push_back(node); }

 private:
  xmlDocPtr doc_;
  std::vector<xmlNodePtr> loose_;
};

using DocRef = std::shared_ptr<DocHandle>;

// Wraps a node in the object of its kind (one new reference); null for null.
IKX2XMLNode* WrapNode(const DocRef& doc, xmlNodePtr node);
IKX2XMLDocument* WrapDocument(const DocRef& doc);

std::u16string FromXml(const xmlChar* text);
std::string ToXml(LPCWSTR text);
// The name as written: "prefix:local" or "local".
std::u16string QualifiedName(const xmlNs* ns, const xmlChar* name);

}  // namespace vantorel::detail
