// Bookkeeping of the XML tree shared by the node operations, the copies and the reader.
#pragma once

#include <basalt/xml/document.h>
#include <basalt/xml/node.h>

namespace Basalt::XMLDom {

struct Tree {
  // Sets the document of node and of everything below it, and moves their memory to the
  // new document's home (see dom_memory.h).
  static void SetDocument(XMLNode* node, XMLDocument* doc);
  // Frees node's children and attributes, one by one.
  static void FreeChildren(XMLNode* node) noexcept;
  // The same, but a document drops its whole arena instead of visiting its nodes.
  static void Clear(XMLNode* node) noexcept;
  // Frees an attribute that belonged to a node at home in `home`.
  static void DestroyAttr(XMLAttr* attr, XMLDocument* home) noexcept;
  // Copies the texts and lists of an owner whose home changed into the new home.
  static void MoveTexts(XMLNode& node);
  static void MoveTexts(XMLAttr& attr);
  // True when candidate is node or one of node's ancestors.
  static bool IsSelfOrAncestor(const XMLNode* candidate, const XMLNode* node);
  // target becomes a copy of source (with its children when deep). Everything is copied
  // before target changes, so source may be target or lie below it; on failure (an
  // exception) target is unchanged. The copied descendants belong to doc when it is
  // non-null (target too), else to target's document; target keeps its parent.
  static void CopyInto(XMLNode& target, const XMLNode& source, XMLDocument* doc, bool deep);
};

}  // namespace Basalt::XMLDom
