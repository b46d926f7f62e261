// Copies of nodes and branches, and the document class.
#include <basalt/xml/document.h>

#include "xml_guard.h"
#include "xml_tree.h"

namespace Basalt::XMLDom {
namespace {

void CopyAttributes(XMLNode& dst, const XMLNode& src) {
  dst.attributes.reserve(src.attributes.size());
  for (const XMLAttr* a : src.attributes) {
    auto* copy = new XMLAttr(*a);
    copy->parent = &dst;
    dst.attributes.push_back(copy);  // reserved: cannot throw
  }
}

// Each copy joins dst before it is filled, so a failure part-way leaves every node owned.
void CopyChildren(XMLNode& dst, const XMLNode& src, XMLDocument* doc) {
  dst.children.reserve(src.children.size());
  for (const XMLNode* c : src.children) {
    auto* n = new XMLNode;
    n->parent = &dst;
    n->document = doc;
    dst.children.push_back(n);
    n->name = c->name;
    n->value = c->value;
    n->type = c->type;
    CopyAttributes(*n, *c);
    CopyChildren(*n, *c, doc);
  }
}

}  // namespace

void Tree::CopyInto(XMLNode& target, const XMLNode& source, XMLDocument* doc, bool deep) {
  XMLDocument* owner = doc ? doc : target.document;
  DomMemory::BulkScope bulk;
  XMLNode staging;
  staging.name = source.name;
  staging.value = source.value;
  staging.type = source.type;
  CopyAttributes(staging, source);
  if (deep) CopyChildren(staging, source, owner);

  // Nothing below can fail. Freeing target's old content may free source: it is no longer read.
  FreeChildren(&target);
  target.name.swap(staging.name);
  target.value.swap(staging.value);
  target.type = staging.type;
  target.attributes.swap(staging.attributes);
  target.children.swap(staging.children);
  for (XMLAttr* a : target.attributes) a->parent = &target;
  for (XMLNode* c : target.children) c->parent = &target;
  if (doc) target.document = doc;
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
    auto* copy = new XMLNode;
    try {
      copy->document = document;
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

XMLDocument::~XMLDocument() = default;

XMLNode* XMLDocument::GetRoot() const {
  for (XMLNode* c : children)
    if (c->type == kXmlElement) return c;
  return nullptr;
}

}  // namespace Basalt::XMLDom
