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
#include <mutex>
#include <string>
#include <unordered_map>
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
  // An element's name as written, converted once per distinct name of the document: an
  // element's name and its namespace's prefix stay in place while the document lives
  // (nodes are never freed before it), so they are the key.
  LPCWSTR ElementName(const xmlNode* element);

 private:
  struct NameKey {
    const xmlChar* prefix;
    const xmlChar* name;
    bool operator==(const NameKey&) const = default;
  };
  struct NameKeyHash {
    size_t operator()(const NameKey& key) const {
      return std::hash<const void*>()(key.prefix) * 31 + std::hash<const void*>()(key.name);
    }
  };

  xmlDocPtr doc_;
  std::vector<xmlNodePtr> loose_;
  std::mutex namesLock_;
  std::unordered_map<NameKey, std::u16string, NameKeyHash> names_;
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
