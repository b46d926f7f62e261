// Tree operations of the XML object model: lookup, building, detaching and freeing.
#include <basalt/xml/node.h>

#include <algorithm>
#include <charconv>
#include <memory>

#include "xml_guard.h"
#include "xml_tree.h"

namespace Basalt::XMLDom {
namespace {

bool NameIs(const XmlString& name, const char16_t* wanted) { return wanted ? name == wanted : name.empty(); }

std::u16string Decimal(int value) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  return std::u16string(buf, r.ptr);
}

const char16_t* OrEmpty(const char16_t* s) { return s ? s : u""; }

}  // namespace

// --- Tree bookkeeping shared by the reader and the copies --------------------------------

void Tree::SetDocument(XMLNode* node, XMLDocument* doc) {
  // Iterative, so that a deep branch cannot exhaust the stack.
  std::vector<XMLNode*> pending{node};
  while (!pending.empty()) {
    XMLNode* n = pending.back();
    pending.pop_back();
    n->document = doc;
    pending.insert(pending.end(), n->children.begin(), n->children.end());
  }
}

void Tree::FreeChildren(XMLNode* node) noexcept {
  // Freeing a large tree is a walk over scattered memory: fetch the next node ahead.
  auto& kids = node->children;
  for (size_t i = 0, n = kids.size(); i < n; ++i) {
    if (i + 1 < n) __builtin_prefetch(kids[i + 1]);
    kids[i]->parent = nullptr;  // the list is going away as a whole: no need to unlink
    delete kids[i];
  }
  kids.clear();
  auto& attrs = node->attributes;
  for (size_t i = 0, n = attrs.size(); i < n; ++i) {
    if (i + 1 < n) __builtin_prefetch(attrs[i + 1]);
    attrs[i]->parent = nullptr;
    delete attrs[i];
  }
  attrs.clear();
}

bool Tree::IsSelfOrAncestor(const XMLNode* candidate, const XMLNode* node) {
  for (const XMLNode* n = node; n; n = n->parent)
    if (n == candidate) return true;
  return false;
}

// --- XMLAttr -------------------------------------------------------------------------

XMLAttr::XMLAttr(const XMLAttr& other) : name(other.name), value(other.value) {}

XMLAttr& XMLAttr::operator=(const XMLAttr& other) {
  if (this != &other) {
    name = other.name;
    value = other.value;
  }
  return *this;
}

XMLAttr::~XMLAttr() {
  if (parent) {
    auto& list = parent->attributes;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
  }
}

// --- XMLNode: lifetime ------------------------------------------------------------------

XMLNode::~XMLNode() {
  Tree::FreeChildren(this);
  if (parent) {
    auto& list = parent->children;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
  }
}

void XMLNode::Close() { Tree::FreeChildren(this); }

// --- XMLNode: children ------------------------------------------------------------------

XMLNode* XMLNode::GetChild(unsigned index) const { return index < children.size() ? children[index] : nullptr; }

XMLNode* XMLNode::operator[](int index) const { return GetChild(index); }

XMLNode* XMLNode::GetChild(const char16_t* wanted) const {
  for (XMLNode* c : children)
    if (NameIs(c->name, wanted)) return c;
  return nullptr;
}

std::vector<XMLNode*> XMLNode::GetChilds() const {
  return Guard(std::vector<XMLNode*>(), [&] { return std::vector<XMLNode*>(children.begin(), children.end()); });
}

std::vector<XMLNode*> XMLNode::GetChilds(const char16_t* wanted) const {
  return Guard(std::vector<XMLNode*>(), [&] {
    std::vector<XMLNode*> out;
    for (XMLNode* c : children)
      if (NameIs(c->name, wanted)) out.push_back(c);
    return out;
  });
}

int32_t XMLNode::GetChildCount() const { return static_cast<int32_t>(children.size()); }

const char16_t* XMLNode::GetChildValue(const char16_t* wanted) const {
  XMLNode* c = GetChild(wanted);
  return c ? c->value.c_str() : nullptr;
}

std::u16string XMLNode::GetChildText(const char16_t* wanted, DispOption* opt) const {
  XMLNode* c = GetChild(wanted);
  return c ? c->GetText(opt) : std::u16string();
}

XMLAttr* XMLNode::GetChildAttr(const char16_t* wanted, const char16_t* attrName) const {
  XMLNode* c = GetChild(wanted);
  return c ? c->GetAttr(attrName) : nullptr;
}

const char16_t* XMLNode::GetChildAttrValue(const char16_t* wanted, const char16_t* attrName) const {
  XMLAttr* a = GetChildAttr(wanted, attrName);
  return a ? a->value.c_str() : nullptr;
}

XMLNode* XMLNode::Find(const char16_t* wanted) const {
  for (XMLNode* c : children) {
    if (NameIs(c->name, wanted)) return c;
    if (XMLNode* found = c->Find(wanted)) return found;
  }
  return nullptr;
}

XMLNode* XMLNode::Find(const char16_t* wanted, const char16_t* id) const {
  for (XMLNode* c : children) {
    if (NameIs(c->name, wanted)) {
      const char16_t* v = c->GetAttrValue(u"id");
      if (v && std::u16string_view(v) == OrEmpty(id)) return c;
    }
    if (XMLNode* found = c->Find(wanted, id)) return found;
  }
  return nullptr;
}

XMLNode::NodeList::iterator XMLNode::GetChildIterator(XMLNode* child) {
  return std::find(children.begin(), children.end(), child);
}

namespace {

// A new node or attribute with its name and value, or null when memory runs out.
template <class T>
T* NewNamed(const char16_t* name, const char16_t* value) {
  return Guard<T*>(nullptr, [&] {
    auto item = std::make_unique<T>();
    item->name = OrEmpty(name);
    item->value = OrEmpty(value);
    return item.release();
  });
}

template <class T>
T* NewNamed(const char16_t* name, int value) {
  std::u16string text = Guard(std::u16string(), [&] { return Decimal(value); });
  return text.empty() ? nullptr : NewNamed<T>(name, text.c_str());
}

}  // namespace

XMLNode* XMLNode::CreateNode(const char16_t* name, const char16_t* value) { return NewNamed<XMLNode>(name, value); }
XMLNode* XMLNode::CreateNode(const char16_t* name, int value) { return NewNamed<XMLNode>(name, value); }

XMLNode* XMLNode::AppendChild(XMLNode* node) {
  if (!node || Tree::IsSelfOrAncestor(node, this)) return nullptr;
  return Guard<XMLNode*>(nullptr, [&] {
    children.reserve(children.size() + 1);  // the only step that can fail: do it first
    if (node->parent) node->parent->DetachChild(node);
    children.push_back(node);
    node->parent = this;
    if (node->document != document) Tree::SetDocument(node, document);
    return node;
  });
}

XMLNode* XMLNode::AppendChild(const char16_t* name, const char16_t* value) {
  XMLNode* n = CreateNode(name, value);
  if (!n) return nullptr;
  if (!AppendChild(n)) {
    delete n;
    return nullptr;
  }
  return n;
}

XMLNode* XMLNode::AppendChild(const char16_t* name, int value) {
  XMLNode* n = CreateNode(name, value);
  if (!n) return nullptr;
  if (!AppendChild(n)) {
    delete n;
    return nullptr;
  }
  return n;
}

bool XMLNode::RemoveChild(XMLNode* node) {
  auto it = std::find(children.begin(), children.end(), node);
  if (it == children.end()) return false;
  children.erase(it);
  node->parent = nullptr;
  delete node;
  return true;
}

XMLNode* XMLNode::DetachChild(XMLNode* node) {
  auto it = std::find(children.begin(), children.end(), node);
  if (it == children.end()) return nullptr;
  children.erase(it);
  node->parent = nullptr;
  if (node->document) GuardVoid([&] { Tree::SetDocument(node, nullptr); });
  return node;
}

// --- XMLNode: attributes ----------------------------------------------------------------

XMLAttr* XMLNode::GetAttr(unsigned index) const { return index < attributes.size() ? attributes[index] : nullptr; }

XMLAttr* XMLNode::GetAttr(const char16_t* wanted) const {
  for (XMLAttr* a : attributes)
    if (NameIs(a->name, wanted)) return a;
  return nullptr;
}

const char16_t* XMLNode::GetAttrValue(const char16_t* wanted) const {
  XMLAttr* a = GetAttr(wanted);
  return a ? a->value.c_str() : nullptr;
}

std::vector<XMLAttr*> XMLNode::GetAttrs(const char16_t*) const { return {}; }

XMLNode::AttrList::iterator XMLNode::GetAttrIterator(XMLAttr* attr) {
  return std::find(attributes.begin(), attributes.end(), attr);
}

XMLAttr* XMLNode::CreateAttr(const char16_t* name, const char16_t* value) { return NewNamed<XMLAttr>(name, value); }
XMLAttr* XMLNode::CreateAttr(const char16_t* name, int value) { return NewNamed<XMLAttr>(name, value); }

XMLAttr* XMLNode::AppendAttr(XMLAttr* attr) {
  if (!attr) return nullptr;
  if (attr->parent == this) return attr;
  return Guard<XMLAttr*>(nullptr, [&] {
    attributes.reserve(attributes.size() + 1);
    if (attr->parent) attr->parent->DetachAttr(attr);
    attributes.push_back(attr);
    attr->parent = this;
    return attr;
  });
}

XMLAttr* XMLNode::AppendAttr(const char16_t* name, const char16_t* value) {
  XMLAttr* a = CreateAttr(name, value);
  if (a && !AppendAttr(a)) {
    delete a;
    return nullptr;
  }
  return a;
}

XMLAttr* XMLNode::AppendAttr(const char16_t* name, int value) {
  XMLAttr* a = CreateAttr(name, value);
  if (a && !AppendAttr(a)) {
    delete a;
    return nullptr;
  }
  return a;
}

bool XMLNode::RemoveAttr(XMLAttr* attr) {
  auto it = std::find(attributes.begin(), attributes.end(), attr);
  if (it == attributes.end()) return false;
  attributes.erase(it);
  attr->parent = nullptr;
  delete attr;
  return true;
}

XMLAttr* XMLNode::DetachAttr(XMLAttr* attr) {
  auto it = std::find(attributes.begin(), attributes.end(), attr);
  if (it == attributes.end()) return nullptr;
  attributes.erase(it);
  attr->parent = nullptr;
  return attr;
}

}  // namespace Basalt::XMLDom
