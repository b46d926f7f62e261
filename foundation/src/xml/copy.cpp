// Copies of nodes and branches, and the document class.
#include <basalt/xml/document.h>

#include <memory>

#include "dom_arena.h"
#include "xml_guard.h"
#include "xml_tree.h"

namespace Basalt::XMLDom {
namespace {

// Attribute copies for owner (already their parent, so that their texts find its home);
// they join out only once made.
void CopyAttributes(XMLNode::AttrList& out, const XMLNode& src, XMLNode* owner) {
  out.reserve(src.attributes.size());
  for (const XMLAttr* a : src.attributes) {
    std::unique_ptr<XMLAttr> copy(new XMLAttr);
    copy->parent = owner;
    copy->name = a->name;
    copy->value = a->value;
    out.push_back(copy.release());  // reserved: cannot throw
  }
}

// Each copy joins dst before it is filled, so a failure part-way leaves every node owned.
void CopyChildren(XMLNode::NodeList& out, XMLNode* parent, const XMLNode& src, XMLDocument* doc) {
  out.reserve(src.children.size());
  for (const XMLNode* c : src.children) {
    auto* n = new XMLNode;
    n->document = doc;  // first: where its texts go
    n->parent = parent;
    out.push_back(n);
    n->name = c->name;
    n->value = c->value;
    n->type = c->type;
    CopyAttributes(n->attributes, *c, n);
    CopyChildren(n->children, n, *c, doc);
  }
}

// The copied lists of a target until they take the place of its own; freed when the copy
// fails part-way.
struct Staged {
  explicit Staged(XMLNode& target)
      : name(XmlString::allocator_type(&target)),
        value(XmlString::allocator_type(&target)),
        children(XMLNode::NodeList::allocator_type(&target)),
        attributes(XMLNode::AttrList::allocator_type(&target)),
        home(DomMemory::HomeOf(DomMemory::OwnerOf(&target))) {}
  ~Staged() {
    for (XMLNode* c : children) {
      c->parent = nullptr;
      delete c;
    }
    for (XMLAttr* a : attributes) Tree::DestroyAttr(a, home);
  }

  XmlString name;
  XmlString value;
  XMLNode::NodeList children;
  XMLNode::AttrList attributes;
  XMLDocument* home;
};

}  // namespace

void Tree::CopyInto(XMLNode& target, const XMLNode& source, XMLDocument* doc, bool deep) {
  const bool wholeDocument = DomDocuments::IsDocument(target);
  if (doc && doc != target.document && !wholeDocument) {
    // The target changes document: its memory moves there first, so that the copy is
    // made at home.
    SetDocument(&target, doc);
  }
  XMLDocument* owner = target.document;
  const int32_t type = source.type;  // read now: freeing target's old content may free source
  // A document's copy goes to a fresh arena; its old content is then dropped whole.
  DomArena* old = wholeDocument ? DomDocuments::TakeArena(*static_cast<XMLDocument*>(&target)) : nullptr;
  try {
    Staged staged(target);
    {
      ArenaScope scope(owner);
      staged.name = source.name;
      staged.value = source.value;
      CopyAttributes(staged.attributes, source, &target);
      if (deep) CopyChildren(staged.children, nullptr, source, owner);
    }

    // Nothing below can fail. Freeing target's old content may free source: it is no
    // longer read.
    if (wholeDocument) {
      for (XMLAttr* a : target.attributes) DestroyAttr(a, staged.home);
      target.attributes.clear();
      target.children.clear();
      DomDocuments::Drop(old);
      old = nullptr;
    } else {
      FreeChildren(&target);
    }
    target.name.swap(staged.name);  // one owner, one allocator
    target.value.swap(staged.value);
    target.type = type;
    target.attributes.swap(staged.attributes);
    target.children.swap(staged.children);
    for (XMLAttr* a : target.attributes) a->parent = &target;
    for (XMLNode* c : target.children) c->parent = &target;
  } catch (...) {
    if (wholeDocument) DomDocuments::RestoreArena(*static_cast<XMLDocument*>(&target), old);
    throw;
  }
}

XMLNode::XMLNode(const XMLNode& other) {
  GuardVoid([&] { Tree::CopyInto(*this, other, nullptr, true); });
}

XMLNode& XMLNode::operator=(const XMLNode& other) {
  GuardVoid([&] { Tree::CopyInto(*this, other, nullptr, true); });
  return *this;
}

void XMLNode::CopyNode(XMLNode* source) {
  if (!source) return;
  GuardVoid([&] { Tree::CopyInto(*this, *source, nullptr, false); });
}

void XMLNode::_CopyBranch(XMLNode* source, XMLDocument* doc) {
  if (!source) return;
  GuardVoid([&] { Tree::CopyInto(*this, *source, doc, true); });
}

void XMLNode::CopyBranch(XMLNode* source) { _CopyBranch(source, nullptr); }

XMLNode* XMLNode::AppendChildBranch(XMLNode* source) {
  if (!source) return nullptr;
  return Guard<XMLNode*>(nullptr, [&] {
    XMLNode* copy;
    {
      ArenaScope scope(document);
      copy = new XMLNode;
      copy->document = document;  // at once: the node was made for that document
    }
    try {
      Tree::CopyInto(*copy, *source, nullptr, true);
      children.reserve(children.size() + 1);
    } catch (...) {
      delete copy;
      throw;
    }
    children.push_back(copy);
    copy->parent = this;
    return copy;
  });
}

// --- XMLDocument -----------------------------------------------------------------------

XMLDocument::XMLDocument() {
  type = kXmlDocument;
  document = this;
}

XMLDocument::XMLDocument(const XMLDocument& other) : XMLNode(), parseInfo(other.parseInfo) {
  type = kXmlDocument;
  document = this;
  GuardVoid([&] { Tree::CopyInto(*this, other, this, true); });
}

XMLDocument& XMLDocument::operator=(const XMLDocument& other) {
  GuardVoid([&] {
    Tree::CopyInto(*this, other, this, true);
    parseInfo = other.parseInfo;
  });
  return *this;
}

XMLDocument::~XMLDocument() { Tree::Clear(this); }

XMLNode* XMLDocument::GetRoot() const {
  for (XMLNode* c : children)
    if (c->type == kXmlElement) return c;
  return nullptr;
}

}  // namespace Basalt::XMLDom
