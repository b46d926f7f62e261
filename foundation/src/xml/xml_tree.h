// Bookkeeping of the XML tree shared by the node operations, the copies and the reader.
#pragma once

#include <basalt/xml/document.h>
#include <basalt/xml/node.h>

namespace Basalt::XMLDom {

struct Tree {
  // Sets the document of node and of everything below it.
  static void SetDocument(XMLNode* node, XMLDocument* doc);
  // Frees node's children and attributes.
  static void FreeChildren(XMLNode* node) noexcept;
  // True when candidate is node or one of node's ancestors.
  static bool IsSelfOrAncestor(const XMLNode* candidate, const XMLNode* node);
  // target becomes a copy of source (with its children when deep). Everything is copied
  // before target changes, so source may be target or lie below it; on failure (an
  // exception) target is unchanged. The copied descendants belong to doc when it is
  // non-null (target too), else to target's document; target keeps its parent.
  static void CopyInto(XMLNode& target, const XMLNode& source, XMLDocument* doc, bool deep);
};

}  // namespace Basalt::XMLDom
