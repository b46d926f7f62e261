// An XML document: a node of type kXmlDocument whose children are the root element and
// the processing instructions and comments around it.
#pragma once

#include <basalt/xml/node.h>

namespace Basalt::XMLDom {

class BASALT_API XMLDocument : public XMLNode {
 public:
  XMLDocument();
  // Deep copies whose every node belongs to the new document; the parse options are copied.
  XMLDocument(const XMLDocument& other);
  XMLDocument& operator=(const XMLDocument& other);
  ~XMLDocument();

  // The first element child, or null.
  XMLNode* GetRoot() const;

  // Parses a root element, with the processing instructions and comments around it, and
  // appends it (a document loaded twice holds two roots). A null pi means parseInfo.
  const char16_t* Load(const char16_t* text, ParseInfo* pi);

  ParseInfo parseInfo;
};

}  // namespace Basalt::XMLDom
