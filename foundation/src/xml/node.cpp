// Tree operations of the XML object model: lookup, building, detaching and freeing.
#include <basalt/xml/node.h>

#include <algorithm>
#include <charconv>
#include <memory>

#include "dom_arena.h"
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

namespace {

XMLDocument* HomeOf(const XMLNode* node) { return DomMemory::HomeOf(DomMemory::OwnerOf(node)); }

// True when the container's elements live in a block of their own (not inside the object,
// as a short text does).
template <class C>
bool HasBlock(const C& c) {
  const char* d = reinterpret_cast<const char*>(c.data());
  const char* self = reinterpret_cast<const char*>(&c);
  return d && (d < self || d >= self + sizeof c);
}

// A fresh copy from the owner's (new) home takes the place of the old block.
template <class C>
void Rehome(C& c) {
  if (!HasBlock(c)) return;
  C fresh(c.begin(), c.end(), c.get_allocator());
  c.swap(fresh);  // one owner, one allocator
}

}  // namespace

void Tree::MoveTexts(XMLNode& node) {
  Rehome(node.name);
  Rehome(node.value);
  Rehome(node.children);
  Rehome(node.attributes);
}

void Tree::MoveTexts(XMLAttr& attr) {
  Rehome(attr.name);
  Rehome(attr.value);
}

void Tree::SetDocument(XMLNode* node, XMLDocument* doc) {
  // Iterative, so that a deep branch cannot exhaust the stack.
  std::vector<XMLNode*> pending{node};
  while (!pending.empty()) {
    XMLNode* n = pending.back();
    pending.pop_back();
    XMLDocument* from = HomeOf(n);
    if (from == doc || DomDocuments::IsDocument(*n)) {
      n->document = doc;
    } else {
      DomDocuments::MoveObject(n, from, doc);
      n->document = doc;
      MoveTexts(*n);
      for (XMLAttr* a : n->attributes) {
        DomDocuments::MoveObject(a, from, doc);
        MoveTexts(*a);
      }
    }
    pending.insert(pending.end(), n->children.begin(), n->children.end());
  }
}

void Tree::DestroyAttr(XMLAttr* attr, XMLDocument* home) noexcept {
  attr->parent = nullptr;
  attr->~XMLAttr();
  DomDocuments::FreeObject(attr, home);
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
  XMLDocument* home = HomeOf(node);
  for (size_t i = 0, n = attrs.size(); i < n; ++i) {
    if (i + 1 < n) __builtin_prefetch(attrs[i + 1]);
    DestroyAttr(attrs[i], home);
  }
  attrs.clear();
}

void Tree::Clear(XMLNode* node) noexcept {
  if (!DomDocuments::IsDocument(*node)) {
    FreeChildren(node);
    return;
  }
  // Everything below a document lives in its arena; its own attributes do not.
  auto& attrs = node->attributes;
  for (XMLAttr* a : attrs) DestroyAttr(a, nullptr);
  attrs.clear();
  node->children.clear();
  DomDocuments::DropArena(*static_cast<XMLDocument*>(node));
}

bool Tree::IsSelfOrAncestor(const XMLNode* candidate, const XMLNode* node) {
  for (const XMLNode* n = node; n; n = n->parent)
    if (n == candidate) return true;
  return false;
}

// --- XMLAttr -------------------------------------------------------------------------

XMLAttr::XMLAttr(const XMLAttr& other)
    : name(other.name, XmlString::allocator_type(this)), value(other.value, XmlString::allocator_type(this)) {}

void XMLAttr::operator delete(XMLAttr* attr, std::destroying_delete_t) noexcept {
  XMLDocument* home = DomMemory::HomeOf(DomMemory::OwnerOf(attr));
  attr->~XMLAttr();
  DomDocuments::FreeObject(attr, home);
}

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

void XMLNode::operator delete(XMLNode* node, std::destroying_delete_t) noexcept {
  XMLDocument* home = HomeOf(node);
  node->~XMLNode();
  DomDocuments::FreeObject(node, home);
}

void XMLNode::Close() { Tree::Clear(this); }

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
    // Taken straight from its old parent: its memory moves at most once, below.
    if (XMLNode* old = node->parent) {
      auto it = old->GetChildIterator(node);
      if (it != old->children.end()) old->children.erase(it);
      node->parent = nullptr;
    }
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
    XMLDocument* from = DomMemory::HomeOf(DomMemory::OwnerOf(attr));
    XMLDocument* home = HomeOf(this);
    if (from != home) DomDocuments::MoveObject(attr, from, home);
    if (XMLNode* old = attr->parent) {
      auto it = old->GetAttrIterator(attr);
      if (it != old->attributes.end()) old->attributes.erase(it);
    }
    attributes.push_back(attr);
    attr->parent = this;
    if (from != home) Tree::MoveTexts(*attr);
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
  Tree::DestroyAttr(attr, HomeOf(this));
  return true;
}

XMLAttr* XMLNode::DetachAttr(XMLAttr* attr) {
  auto it = std::find(attributes.begin(), attributes.end(), attr);
  if (it == attributes.end()) return nullptr;
  XMLDocument* home = HomeOf(this);
  if (!home) {
    attributes.erase(it);
    attr->parent = nullptr;
    return attr;
  }
  // Its texts leave the document's arena: copied out first, so that nothing can fail once
  // it is out.
  return Guard<XMLAttr*>(nullptr, [&] {
    XmlString name(attr->name, XmlString::allocator_type());
    XmlString value(attr->value, XmlString::allocator_type());
    attributes.erase(it);
    DomDocuments::MoveObject(attr, home, nullptr);
    attr->parent = nullptr;
    attr->name.swap(name);  // both now at home on the heap
    attr->value.swap(value);
    return attr;
  });
}

}  // namespace Basalt::XMLDom
