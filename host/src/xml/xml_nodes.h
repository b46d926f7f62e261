// Node, element, document and node-list objects over a libxml2 tree.
//
// Every object holds the document's handle, so the tree lives while any of its objects
// does. Nodes that are made but not attached, removed, or replaced go to the handle's loose
// nodes, freed as soon as nothing can reach them, or with the document.
#pragma once

#include <libxml/tree.h>

#include <atomic>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
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
  // A node made, removed or replaced: it is kept, with its subtree, until nothing can reach
  // it any more (no object of ours names it or a node under it, and it is attached nowhere),
  // then freed at once, so that a reader who lets go of what it has read gives the memory
  // back while it goes on.
  void AddLoose(xmlNodePtr node);
  // Counts the objects of ours that name a node (an object, or a node list holding it).
  static void Named(xmlNodePtr node);
  // One such object goes: a loose subtree nobody can reach any more is freed.
  void Unnamed(xmlNodePtr node);
  // An element's name as written. A name libxml2 keeps in the document's dictionary (every
  // name of a parsed document) stays in place while the document lives, so it is converted
  // once per document; any other name is converted by the asking object.
  LPCWSTR ElementName(const xmlNode* element);

 private:
  // True when an object of ours names the node or a node under it.
  static bool Reached(xmlNodePtr node);

  xmlDocPtr doc_;
  std::unordered_set<xmlNodePtr> loose_;
  using Name = std::pair<const xmlChar* const, std::u16string>;
  std::mutex namesLock_;
  std::unordered_map<const xmlChar*, std::u16string> names_;
  // The names met last, each in the slot its address picks: a name found here is read
  // without the lock (the map's entries never move and are never changed once made).
  static constexpr size_t kRecentNames = 32;
  std::atomic<const Name*> recentNames_[kRecentNames] = {};
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
