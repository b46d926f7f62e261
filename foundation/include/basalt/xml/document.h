// An XML document: a node of type kXmlDocument whose children are the root element and
// the processing instructions and comments around it.
#pragma once

#include <basalt/xml/node.h>

namespace Basalt::XMLDom {

struct DomArena;

class BASALT_API XMLDocument : public XMLNode {
 public:
  // A document is not carved from an arena: it owns one.
  static void* operator new(size_t bytes) { return ::operator new(bytes); }
  static void operator delete(void* p) noexcept { ::operator delete(p); }

  XMLDocument();
  // Deep copies whose every node belongs to the new document; the parse options are copied.
  XMLDocument(const XMLDocument& other);
  XMLDocument& operator=(const XMLDocument& other);
  // Drops every node of the document at once (see dom_memory.h).
  ~XMLDocument();

  // The first element child, or null.
  XMLNode* GetRoot() const;

  // Parses a root element, with the processing instructions and comments around it, and
  // appends it (a document loaded twice holds two roots). A null pi means parseInfo.
  const char16_t* Load(const char16_t* text, ParseInfo* pi);

  ParseInfo parseInfo;

 private:
  friend struct DomDocuments;
  DomArena* arena_ = nullptr;  // made at the first block the document needs
};

}  // namespace Basalt::XMLDom
