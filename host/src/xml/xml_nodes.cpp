#include "xml/xml_nodes.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <typeinfo>

#include <libxml/dict.h>

#include <kx2/Utf.h>

#include "xml/node_memory.h"
#include "xml/text_cache.h"

namespace vantorel::detail {
namespace {

bool IsAncestorOrSelf(xmlNodePtr candidate, xmlNodePtr node) {
  for (xmlNodePtr p = node; p; p = p->parent)
    if (p == candidate) return true;
  return false;
}

// Links `child` as the last child of `parent` without merging text nodes (libxml2's
// xmlAddChild may merge and free the child, which our objects still name).
void LinkLast(xmlNodePtr parent, xmlNodePtr child) {
  child->parent = parent;
  child->prev = parent->last;
  child->next = nullptr;
  if (parent->last)
    parent->last->next = child;
  else
    parent->children = child;
  parent->last = child;
}

// The text node that alone holds a parsed attribute's value, or null (an empty value has
// none; a value set later may be several).
const xmlChar* SingleTextOf(xmlAttrPtr attr) {
  const xmlNode* first = attr->children;
  return first && !first->next && first->type == XML_TEXT_NODE ? first->content : nullptr;
}

std::u16string AttributeValue(xmlAttrPtr attr) {
  if (!attr->children) return std::u16string();
  if (const xmlChar* text = SingleTextOf(attr)) return FromXml(text);
  xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr));
  std::u16string text = FromXml(value);
  xmlFree(value);
  return text;
}

// Node objects are made and let go once per node a reader walks past: they are counted by
// kind without the census's lock.
CensusTally& NodeTally() {
  static CensusTally tally("XML node");
  return tally;
}
CensusTally& ElementTally() {
  static CensusTally tally("XML element");
  return tally;
}
CensusTally& DocumentTally() {
  static CensusTally tally("XML document");
  return tally;
}
CensusTally& NodeListTally() {
  static CensusTally tally("XML node list");
  return tally;
}

template <class Interface>
class XmlNodeBase : public RefCounted<Interface> {
 public:
  XmlNodeBase(CensusTally& tally, DocRef doc, xmlNodePtr node)
      : RefCounted<Interface>(tally), doc_(std::move(doc)), node_(node) {
    DocHandle::Named(node_);
  }
  // Node objects are made with new (std::nothrow) only.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return node_memory::Take(size); }
  static void operator delete(void* block, std::size_t size) noexcept { node_memory::Give(block, size); }
  static void operator delete(void* block, const std::nothrow_t&) noexcept { ::operator delete(block); }

  LPCWSTR GetNodeName() override {
    switch (node_->type) {
      case XML_ELEMENT_NODE:
        if (LPCWSTR name = doc_->ElementName(node_)) return name;
        return Keep({nullptr, TextCache::kName}, QualifiedName(node_->ns, node_->name));
      case XML_TEXT_NODE:
        return u"#text";
      case XML_CDATA_SECTION_NODE:
        return u"#cdata-section";
      case XML_COMMENT_NODE:
        return u"#comment";
      case XML_DOCUMENT_NODE:
        return u"#document";
      default:
        return Keep({nullptr, TextCache::kName}, FromXml(node_->name));
    }
  }
  LPCWSTR GetNodeValue() override {
    switch (node_->type) {
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        return KeepXml({nullptr, TextCache::kValue}, node_->content);
      default:
        return nullptr;
    }
  }
  IKX2XMLNode* GetParentNode() override {
    if (!node_->parent) return nullptr;
    if (node_->parent->type == XML_DOCUMENT_NODE) return WrapDocument(doc_);
    return WrapNode(doc_, node_->parent);
  }
  LONG GetNodeType() override { return static_cast<LONG>(node_->type); }
  IKX2XMLDocument* GetOwnerDocument() override { return WrapDocument(doc_); }
  IKX2XMLNodeList* GetChildNodes() override;
  IKX2XMLNode* GetFirstChild() override { return WrapNode(doc_, node_->children); }
  IKX2XMLNode* GetLastChild() override { return WrapNode(doc_, node_->last); }
  IKX2XMLNode* GetPreviousSibling() override {
    return node_->type == XML_DOCUMENT_NODE ? nullptr : WrapNode(doc_, node_->prev);
  }
  IKX2XMLNode* GetNextSibling() override {
    return node_->type == XML_DOCUMENT_NODE ? nullptr : WrapNode(doc_, node_->next);
  }
  BOOL HasChildNodes() override { return node_->children ? TRUE : FALSE; }
  BOOL AppendChild(IKX2XMLNode* child) override;
  BOOL RemoveChild(IKX2XMLNode* child) override;
  LPCWSTR GetXml() override;

  xmlNodePtr node() const { return node_; }
  const DocRef& doc() const { return doc_; }

 protected:
  void Dispose() override {
    doc_->Unnamed(node_);
    doc_.reset();
  }

  LPCWSTR Keep(TextCache::Key key, std::u16string_view value) { return texts_.Keep(key, value); }
  LPCWSTR KeepXml(TextCache::Key key, const xmlChar* text) { return texts_.KeepXml(key, text); }

  DocRef doc_;
  xmlNodePtr node_;
  TextCache texts_;
};

// The libxml2 node behind one of our node objects, when it belongs to `doc`.
xmlNodePtr NodeOf(IKX2XMLNode* node, const DocRef& doc);

class XmlNodeList : public RefCounted<IKX2XMLNodeList> {
 public:
  XmlNodeList(DocRef doc, std::vector<xmlNodePtr> nodes)
      : RefCounted(NodeListTally()), doc_(std::move(doc)), nodes_(std::move(nodes)) {
    for (xmlNodePtr node : nodes_) DocHandle::Named(node);
  }
  const char* Kind() const override { return "XML node list"; }
  IKX2XMLNode* GetItem(LONG index) override {
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return nullptr;
    return WrapNode(doc_, nodes_[index]);
  }
  LONG GetCount() override { return static_cast<LONG>(nodes_.size()); }

 protected:
  void Dispose() override {
    for (xmlNodePtr node : nodes_) doc_->Unnamed(node);
    doc_.reset();
  }

 private:
  DocRef doc_;
  std::vector<xmlNodePtr> nodes_;
};

template <class Interface>
IKX2XMLNodeList* XmlNodeBase<Interface>::GetChildNodes() {
  std::vector<xmlNodePtr> nodes;
  for (xmlNodePtr c = node_->children; c; c = c->next) nodes.push_back(c);
  return new (std::nothrow) XmlNodeList(doc_, std::move(nodes));
}

template <class Interface>
BOOL XmlNodeBase<Interface>::AppendChild(IKX2XMLNode* child) {
  xmlNodePtr c = NodeOf(child, doc_);
  if (!c || c->type == XML_DOCUMENT_NODE || IsAncestorOrSelf(c, node_)) return FALSE;
  if (node_->type != XML_ELEMENT_NODE && node_->type != XML_DOCUMENT_NODE) return FALSE;
  if (c->parent) {
    xmlUnlinkNode(c);
  }
  LinkLast(node_, c);
  return TRUE;
}

template <class Interface>
BOOL XmlNodeBase<Interface>::RemoveChild(IKX2XMLNode* child) {
  xmlNodePtr c = NodeOf(child, doc_);
  if (!c || c->parent != node_) return FALSE;
  xmlUnlinkNode(c);
  doc_->AddLoose(c);
  return TRUE;
}

template <class Interface>
LPCWSTR XmlNodeBase<Interface>::GetXml() {
  xmlBufferPtr buffer = xmlBufferCreate();
  if (!buffer) return nullptr;
  if (node_->type == XML_DOCUMENT_NODE) {
    for (xmlNodePtr c = node_->children; c; c = c->next) xmlNodeDump(buffer, doc_->doc(), c, 0, 0);
  } else {
    xmlNodeDump(buffer, doc_->doc(), node_, 0, 0);
  }
  LPCWSTR text = Keep({nullptr, TextCache::kXml}, FromXml(xmlBufferContent(buffer)));
  xmlBufferFree(buffer);
  return text;
}

class XmlText final : public XmlNodeBase<IKX2XMLNode> {
 public:
  XmlText(DocRef doc, xmlNodePtr node) : XmlNodeBase(NodeTally(), std::move(doc), node) {}
  const char* Kind() const override { return "XML node"; }
};

class XmlElement final : public XmlNodeBase<IKX2XMLElement> {
 public:
  XmlElement(DocRef doc, xmlNodePtr node) : XmlNodeBase(ElementTally(), std::move(doc), node) {}
  const char* Kind() const override { return "XML element"; }

  LPCWSTR GetText() override {
    xmlChar* content = xmlNodeGetContent(node_);
    LPCWSTR text = Keep({nullptr, TextCache::kText}, FromXml(content));
    xmlFree(content);
    return text;
  }
  LPCWSTR GetTagName() override { return GetNodeName(); }

  LPCWSTR GetAttribute(LPCWSTR name) override {
    if (!name) return nullptr;
    const std::u16string_view wanted(name);
    if (xmlAttrPtr attr = FindAttribute(wanted)) {
      // A parsed attribute is one text node: read in place rather than through a copy.
      if (const xmlChar* text = SingleTextOf(attr)) return KeepXml({attr, TextCache::kAttribute}, text);
      return Keep({attr, TextCache::kAttribute}, AttributeValue(attr));
    }
    if (const xmlNs* ns = FindNamespaceDeclaration(wanted)) return Keep({ns, TextCache::kNamespace}, FromXml(ns->href));
    return nullptr;
  }
  BOOL SetAttribute(LPCWSTR name, LPCWSTR value) override {
    if (!name || !*name) return FALSE;
    std::string n = ToXml(name), v = ToXml(value ? value : u"");
    if (xmlAttrPtr attr = FindAttribute(name)) {
      // Replace the value of the attribute as written, whatever its namespace.
      return xmlSetNsProp(node_, attr->ns, attr->name, BAD_CAST v.c_str()) ? TRUE : FALSE;
    }
    return xmlSetProp(node_, BAD_CAST n.c_str(), BAD_CAST v.c_str()) ? TRUE : FALSE;
  }
  BOOL RemoveAttribute(LPCWSTR name) override {
    if (!name) return FALSE;
    xmlAttrPtr attr = FindAttribute(name);
    return attr && xmlRemoveProp(attr) == 0 ? TRUE : FALSE;
  }
  LONG GetAttributeCount() override {
    LONG n = 0;
    for (xmlAttrPtr a = node_->properties; a; a = a->next) ++n;
    return n;
  }
  LPCWSTR GetAttributeName(LONG index) override {
    LONG i = 0;
    for (xmlAttrPtr a = node_->properties; a; a = a->next, ++i)
      if (i == index) return Keep({a, TextCache::kAttributeName}, QualifiedName(a->ns, a->name));
    return nullptr;
  }
  BOOL SetText(LPCWSTR text) override {
    for (xmlNodePtr c = node_->children; c;) {
      xmlNodePtr next = c->next;
      xmlUnlinkNode(c);
      doc_->AddLoose(c);
      c = next;
    }
    if (!text || !*text) return TRUE;
    std::string t = ToXml(text);
    xmlNodePtr node = xmlNewDocText(doc_->doc(), BAD_CAST t.c_str());
    if (!node) return FALSE;
    LinkLast(node_, node);
    return TRUE;
  }
  IKX2XMLNodeList* GetChildren(LPCWSTR name) override {
    std::vector<xmlNodePtr> nodes;
    if (name) {
      std::u16string wanted(name);
      for (xmlNodePtr c = node_->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && QualifiedName(c->ns, c->name) == wanted) nodes.push_back(c);
    }
    return new (std::nothrow) XmlNodeList(doc_, std::move(nodes));
  }
  LPCWSTR GetAttributeNS(LPCWSTR ns, LPCWSTR name) override {
    if (!ns || !*ns) return GetAttribute(name);
    if (!name) return nullptr;
    std::u16string uri(ns), local(name);
    for (xmlAttrPtr a = node_->properties; a; a = a->next) {
      if (!a->ns || FromXml(a->name) != local) continue;
      if (FromXml(a->ns->href) == uri || FromXml(a->ns->prefix) == uri)
        return Keep({a, TextCache::kAttribute}, AttributeValue(a));
    }
    return nullptr;
  }
  BOOL SetAttributeNS(LPCWSTR ns, LPCWSTR name, LPCWSTR value) override {
    if (!ns || !*ns) return SetAttribute(name, value);
    if (!name || !*name) return FALSE;
    std::string uri = ToXml(ns), local = ToXml(name), v = ToXml(value ? value : u"");
    xmlNsPtr space = xmlSearchNsByHref(doc_->doc(), node_, BAD_CAST uri.c_str());
    if (!space) space = xmlSearchNs(doc_->doc(), node_, BAD_CAST uri.c_str());
    if (!space) {
      // Declares the namespace here under a prefix of its own.
      std::string prefix = "ns";
      for (int i = 1; xmlSearchNs(doc_->doc(), node_, BAD_CAST(prefix = "ns" + std::to_string(i)).c_str()); ++i) {}
      space = xmlNewNs(node_, BAD_CAST uri.c_str(), BAD_CAST prefix.c_str());
      if (!space) return FALSE;
    }
    return xmlSetNsProp(node_, space, BAD_CAST local.c_str(), BAD_CAST v.c_str()) ? TRUE : FALSE;
  }
  BOOL HasAttribute(LPCWSTR name) override {
    if (!name) return FALSE;
    const std::u16string_view wanted(name);
    return (FindAttribute(wanted) || FindNamespaceDeclaration(wanted)) ? TRUE : FALSE;
  }

 private:
  xmlAttrPtr FindAttribute(std::u16string_view name) const {
    // An ASCII name (nearly every name asked for) is compared as it stands; any other
    // is compared in UTF-8, so that a look-up converts the one name asked for rather than
    // every name of the element; a name with surrogates is compared the long way.
    if (std::all_of(name.begin(), name.end(), [](char16_t c) { return c < 0x80; })) {
      for (xmlAttrPtr a = node_->properties; a; a = a->next)
        if (SameQualifiedName(a, name)) return a;
      return nullptr;
    }
    if (std::none_of(name.begin(), name.end(), [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; })) {
      const std::string wanted = kx2::Utf16ToUtf8(name);
      for (xmlAttrPtr a = node_->properties; a; a = a->next)
        if (SameQualifiedName(a, std::string_view(wanted))) return a;
      return nullptr;
    }
    for (xmlAttrPtr a = node_->properties; a; a = a->next)
      if (QualifiedName(a->ns, a->name) == name) return a;
    return nullptr;
  }
  // `wanted` is UTF-8, or UTF-16 holding ASCII only (unit for unit the same as UTF-8).
  template <class Char>
  static bool SameQualifiedName(const xmlAttr* a, std::basic_string_view<Char> wanted) {
    auto same = [](std::basic_string_view<Char> w, const xmlChar* text) {
      size_t i = 0;
      for (; text[i]; ++i)
        if (i == w.size() || static_cast<xmlChar>(w[i]) != text[i]) return false;
      return i == w.size();
    };
    if (!a->ns || !a->ns->prefix) return same(wanted, a->name);
    const size_t prefixLength = xmlStrlen(a->ns->prefix);
    return wanted.size() > prefixLength && wanted[prefixLength] == ':' &&
           same(wanted.substr(0, prefixLength), a->ns->prefix) && same(wanted.substr(prefixLength + 1), a->name);
  }
  // "xmlns" and "xmlns:p" are namespace declarations to libxml2, attributes to the reader.
  const xmlNs* FindNamespaceDeclaration(std::u16string_view name) const {
    // Most names asked for and not found are plain ones: told apart by their first letter.
    if (name.empty() || name[0] != u'x' || !node_->nsDef) return nullptr;
    if (name == u"xmlns") {
      for (xmlNsPtr ns = node_->nsDef; ns; ns = ns->next)
        if (!ns->prefix) return ns;
    } else if (name.rfind(u"xmlns:", 0) == 0) {
      const std::u16string_view prefix = name.substr(6);
      for (xmlNsPtr ns = node_->nsDef; ns; ns = ns->next)
        if (ns->prefix && FromXml(ns->prefix) == prefix) return ns;
    }
    return nullptr;
  }
};

class XmlDocument : public XmlNodeBase<IKX2XMLDocument> {
 public:
  explicit XmlDocument(DocRef doc) : XmlNodeBase(DocumentTally(), doc, reinterpret_cast<xmlNodePtr>(doc->doc())) {}
  const char* Kind() const override { return "XML document"; }

  IKX2XMLElement* GetDocumentElement() override {
    xmlNodePtr root = xmlDocGetRootElement(doc_->doc());
    return root ? static_cast<IKX2XMLElement*>(new (std::nothrow) XmlElement(doc_, root)) : nullptr;
  }
  IKX2XMLElement* CreateElement(LPCWSTR name) override {
    if (!name || !*name) return nullptr;
    std::string n = ToXml(name);
    xmlNodePtr node = xmlNewDocNode(doc_->doc(), nullptr, BAD_CAST n.c_str(), nullptr);
    if (!node) return nullptr;
    doc_->AddLoose(node);
    return new (std::nothrow) XmlElement(doc_, node);
  }
  IKX2XMLElement* CreateElementNS(LPCWSTR ns, LPCWSTR name) override {
    if (!ns || !*ns) return CreateElement(name);
    if (!name || !*name) return nullptr;
    std::string qname = ToXml(name), uri = ToXml(ns), prefix, local = qname;
    if (auto colon = qname.find(':'); colon != std::string::npos)
      prefix = qname.substr(0, colon), local = qname.substr(colon + 1);
    xmlNodePtr node = xmlNewDocNode(doc_->doc(), nullptr, BAD_CAST local.c_str(), nullptr);
    if (!node) return nullptr;
    doc_->AddLoose(node);
    xmlNsPtr space = xmlNewNs(node, BAD_CAST uri.c_str(), prefix.empty() ? nullptr : BAD_CAST prefix.c_str());
    if (space) xmlSetNs(node, space);
    return new (std::nothrow) XmlElement(doc_, node);
  }
  IKX2XMLNode* CreateTextNode(LPCWSTR text) override {
    std::string t = ToXml(text ? text : u"");
    xmlNodePtr node = xmlNewDocText(doc_->doc(), BAD_CAST t.c_str());
    if (!node) return nullptr;
    doc_->AddLoose(node);
    return new (std::nothrow) XmlText(doc_, node);
  }
  BOOL SetDocumentElement(IKX2XMLElement* root) override {
    xmlNodePtr node = NodeOf(root, doc_);
    if (!node || node->type != XML_ELEMENT_NODE) return FALSE;
    if (node->parent) xmlUnlinkNode(node);
    xmlNodePtr old = xmlDocSetRootElement(doc_->doc(), node);
    if (old && old != node) doc_->AddLoose(old);
    return TRUE;
  }
};

static_assert(sizeof(XmlElement) <= node_memory::kBlockBytes && sizeof(XmlText) <= node_memory::kBlockBytes &&
                  sizeof(XmlDocument) <= node_memory::kBlockBytes,
              "node objects fit the blocks their memory keeps");

xmlNodePtr NodeOf(IKX2XMLNode* node, const DocRef& doc) {
  if (!node) return nullptr;
  // Our own node objects are told by their exact class, which costs less than a search of
  // the class tree (an object of any other class is no node of ours).
  const std::type_info& type = typeid(*node);
  if (type == typeid(XmlElement)) {
    auto* e = static_cast<XmlElement*>(node);
    return e->doc() == doc ? e->node() : nullptr;
  }
  if (type == typeid(XmlText)) {
    auto* t = static_cast<XmlText*>(node);
    return t->doc() == doc ? t->node() : nullptr;
  }
  return nullptr;
}

}  // namespace

namespace {

// The count of our objects naming a node lives in the node's application slot, which
// libxml2 leaves to its users.
std::atomic_ref<void*> NameCount(xmlNodePtr node) { return std::atomic_ref<void*>(node->_private); }

void AddToNameCount(xmlNodePtr node, std::ptrdiff_t step) {
  std::atomic_ref<void*> count = NameCount(node);
  void* now = count.load(std::memory_order_relaxed);
  // The count is kept as an integer in the pointer's bits: arithmetic on the pointer itself
  // would start from null.
  auto next = [&] { return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(now) + std::uintptr_t(step)); };
  while (!count.compare_exchange_weak(now, next(), std::memory_order_relaxed)) {}
}

// Calls visit(node) for a node and every node under it, without recursing.
template <class Visit>
bool EveryNodeOf(xmlNodePtr top, Visit&& visit) {
  for (xmlNodePtr node = top; node;) {
    if (!visit(node)) return false;
    if (node->children && node->type != XML_ENTITY_REF_NODE) {
      node = node->children;
      continue;
    }
    while (node != top && !node->next) node = node->parent;
    node = node == top ? nullptr : node->next;
  }
  return true;
}

}  // namespace

DocHandle::~DocHandle() {
  // Only loose nodes that are still detached are freed here (a loose node attached again
  // belongs to the tree); every parent link is read before anything is freed.
  std::vector<xmlNodePtr> detached;
  for (xmlNodePtr n : loose_)
    if (!n->parent) detached.push_back(n);
  for (xmlNodePtr n : detached) xmlFreeNode(n);
  xmlFreeDoc(doc_);
}

void DocHandle::AddLoose(xmlNodePtr node) { loose_.insert(node); }

void DocHandle::Named(xmlNodePtr node) { AddToNameCount(node, 1); }

bool DocHandle::Reached(xmlNodePtr node) {
  return !EveryNodeOf(node, [](xmlNodePtr n) { return NameCount(n).load(std::memory_order_relaxed) == nullptr; });
}

void DocHandle::Unnamed(xmlNodePtr node) {
  AddToNameCount(node, -1);
  if (loose_.empty() || NameCount(node).load(std::memory_order_relaxed) != nullptr) return;
  xmlNodePtr top = node;
  while (top->parent) top = top->parent;
  if (top == reinterpret_cast<xmlNodePtr>(doc_) || !loose_.count(top) || Reached(top)) return;
  // Nothing names the subtree and it hangs nowhere: it goes now, and so do the loose marks
  // of nodes that were attached into it.
  if (loose_.size() == 1) {
    // The subtree's own mark is the only one (a reader letting go of what it took out).
    loose_.clear();
  } else {
    EveryNodeOf(top, [this](xmlNodePtr n) {
      loose_.erase(n);
      return true;
    });
  }
  xmlFreeNode(top);
}

LPCWSTR DocHandle::ElementName(const xmlNode* element) {
  if (element->ns && element->ns->prefix) return nullptr;
  std::atomic<const Name*>& recent =
      recentNames_[(reinterpret_cast<std::uintptr_t>(element->name) >> 3) % kRecentNames];
  if (const Name* name = recent.load(std::memory_order_acquire); name && name->first == element->name)
    return name->second.c_str();
  std::lock_guard<std::mutex> guard(namesLock_);
  auto found = names_.find(element->name);
  if (found == names_.end()) {
    if (!doc_->dict || xmlDictOwns(doc_->dict, element->name) != 1) return nullptr;
    found = names_.emplace(element->name, FromXml(element->name)).first;
  }
  recent.store(&*found, std::memory_order_release);
  return found->second.c_str();
}

IKX2XMLNode* WrapNode(const DocRef& doc, xmlNodePtr node) {
  if (!node) return nullptr;
  switch (node->type) {
    case XML_ELEMENT_NODE:
      return new (std::nothrow) XmlElement(doc, node);
    case XML_DOCUMENT_NODE:
      return WrapDocument(doc);
    default:
      return new (std::nothrow) XmlText(doc, node);
  }
}

IKX2XMLDocument* WrapDocument(const DocRef& doc) { return new (std::nothrow) XmlDocument(doc); }

std::u16string FromXml(const xmlChar* text) {
  if (!text) return std::u16string();
  // Names and most values of a map are ASCII: widened in one pass, without decoding.
  const xmlChar* end = text;
  while (*end && *end < 0x80) ++end;
  if (!*end) return std::u16string(text, end);
  return kx2::Utf8ToUtf16(reinterpret_cast<const char*>(text));
}

std::string ToXml(LPCWSTR text) { return text ? kx2::Utf16ToUtf8(text) : std::string(); }

std::u16string QualifiedName(const xmlNs* ns, const xmlChar* name) {
  std::u16string local = FromXml(name);
  if (ns && ns->prefix) return FromXml(ns->prefix) + u":" + local;
  return local;
}

}  // namespace vantorel::detail
