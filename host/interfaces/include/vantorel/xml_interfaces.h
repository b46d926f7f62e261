// The host's XML document object model, as the modules reach it through the application
// object (`IVtlApplication::GetXMLFactory`).
//
// Names are kept as written in the document ("ap:Topic", "xlink:href"), text nodes are kept
// (also those holding only blanks), and character and entity references are resolved.
// Operations that take a name compare it exactly, code unit by code unit.
#pragma once

#include <vantorel/host_unknown.h>

class IKX2XMLNode;
class IKX2XMLElement;
class IKX2XMLDocument;

// Node types, as GetNodeType answers them.
enum : LONG {
  KX2XML_ELEMENT = 1,
  KX2XML_ATTRIBUTE = 2,
  KX2XML_TEXT = 3,
  KX2XML_CDATA = 4,
  KX2XML_PROCESSING_INSTRUCTION = 7,
  KX2XML_COMMENT = 8,
  KX2XML_DOCUMENT = 9,
};

class IKX2XMLNodeList : public IVtlUnknown {
 public:
  virtual IKX2XMLNode* GetItem(LONG index) = 0;  // 3: null past the end
  virtual LONG GetCount() = 0;                   // 4

 protected:
  ~IKX2XMLNodeList() = default;
};

class IKX2XMLNode : public IVtlUnknown {
 public:
  virtual LPCWSTR GetNodeName() = 0;                // 3: the tag of an element; "#text", "#document" ...
  virtual LPCWSTR GetNodeValue() = 0;               // 4: the text of a text, CDATA, comment node; else null
  virtual IKX2XMLNode* GetParentNode() = 0;         // 5
  virtual LONG GetNodeType() = 0;                   // 6: KX2XML_*
  virtual IKX2XMLDocument* GetOwnerDocument() = 0;  // 7
  virtual IKX2XMLNodeList* GetChildNodes() = 0;     // 8: every child node
  virtual IKX2XMLNode* GetFirstChild() = 0;         // 9
  virtual IKX2XMLNode* GetLastChild() = 0;          // 10
  virtual IKX2XMLNode* GetPreviousSibling() = 0;    // 11
  virtual IKX2XMLNode* GetNextSibling() = 0;        // 12
  virtual BOOL HasChildNodes() = 0;                 // 13
  // Appends `child` (an element or text node of the same document, not yet attached) as
  // the last child; the parent takes its own reference. FALSE when it cannot.
  virtual BOOL AppendChild(IKX2XMLNode* child) = 0;  // 14
  virtual BOOL RemoveChild(IKX2XMLNode* child) = 0;  // 15
  // The node and its subtree as XML text (UTF-16, no declaration).
  virtual LPCWSTR GetXml() = 0;  // 16
  VTL_UNUSED_SLOT(17)
  VTL_UNUSED_SLOT(18)
  VTL_UNUSED_SLOT(19)
  VTL_UNUSED_SLOT(20)
  VTL_UNUSED_SLOT(21)
  VTL_UNUSED_SLOT(22)
  VTL_UNUSED_SLOT(23)
  VTL_UNUSED_SLOT(24)
  VTL_UNUSED_SLOT(25)
  VTL_UNUSED_SLOT(26)
  VTL_UNUSED_SLOT(27)

 protected:
  ~IKX2XMLNode() = default;
};

class IKX2XMLElement : public IKX2XMLNode {
 public:
  // The text of the element: the text of every descendant text node, in document order.
  virtual LPCWSTR GetText() = 0;                               // 28
  virtual LPCWSTR GetTagName() = 0;                            // 29: as written, with its prefix
  virtual LPCWSTR GetAttribute(LPCWSTR name) = 0;              // 30: by the name as written; null when absent
  virtual BOOL SetAttribute(LPCWSTR name, LPCWSTR value) = 0;  // 31: creates or replaces
  virtual BOOL RemoveAttribute(LPCWSTR name) = 0;              // 32
  virtual LONG GetAttributeCount() = 0;                        // 33
  virtual LPCWSTR GetAttributeName(LONG index) = 0;            // 34: as written; null past the end
  virtual BOOL SetText(LPCWSTR text) = 0;                      // 35: replaces every child by one text node
  // The direct child elements whose tag equals `name`, in document order (an empty list
  // when there are none; null only when out of memory).
  virtual IKX2XMLNodeList* GetChildren(LPCWSTR name) = 0;  // 36
  // The attribute `name` in namespace `ns`. An empty or null `ns` means the name as written
  // (as GetAttribute); otherwise `ns` is matched against the attribute's namespace URI or
  // its prefix, and `name` against its local name.
  virtual LPCWSTR GetAttributeNS(LPCWSTR ns, LPCWSTR name) = 0;  // 37
  // Sets an attribute; with an empty `ns`, as SetAttribute.
  virtual BOOL SetAttributeNS(LPCWSTR ns, LPCWSTR name, LPCWSTR value) = 0;  // 38
  VTL_UNUSED_SLOT(39)
  VTL_UNUSED_SLOT(40)
  VTL_UNUSED_SLOT(41)
  VTL_UNUSED_SLOT(42)
  virtual BOOL HasAttribute(LPCWSTR name) = 0;  // 43

 protected:
  ~IKX2XMLElement() = default;
};

class IKX2XMLDocument : public IKX2XMLNode {
 public:
  VTL_UNUSED_SLOT(28)
  VTL_UNUSED_SLOT(29)
  VTL_UNUSED_SLOT(30)
  virtual IKX2XMLElement* GetDocumentElement() = 0;  // 31: the root element, or null
  // A new element of this document, not yet attached anywhere.
  virtual IKX2XMLElement* CreateElement(LPCWSTR name) = 0;                // 32
  virtual IKX2XMLElement* CreateElementNS(LPCWSTR ns, LPCWSTR name) = 0;  // 33: empty ns = CreateElement
  virtual IKX2XMLNode* CreateTextNode(LPCWSTR text) = 0;                  // 34
  // Makes an unattached element of this document its root, replacing the old root.
  virtual BOOL SetDocumentElement(IKX2XMLElement* root) = 0;  // 35

 protected:
  ~IKX2XMLDocument() = default;
};

// How GetErrorText starts when a document nests its elements deeper than the parser reads.
inline constexpr char16_t kXmlTooDeepError[] = u"nested deeper than";

class IKX2XMLParser : public IVtlUnknown {
 public:
  // Parses a document held in memory (the encoding is taken from its byte order mark or
  // declaration, UTF-8 otherwise). Null when it is not well-formed; see GetErrorText.
  virtual IKX2XMLDocument* Parse(const BYTE* bytes, ULONG length) = 0;  // 3
  // Parses the file at a Windows path. Null when it cannot be read or is not well-formed.
  virtual IKX2XMLDocument* ParseFile(LPCWSTR path) = 0;  // 4
  // What the last failed parse of this parser met, or an empty text.
  virtual LPCWSTR GetErrorText() = 0;  // 5

 protected:
  ~IKX2XMLParser() = default;
};

class IKX2XMLFactory : public IVtlUnknown {
 public:
  virtual IKX2XMLDocument* CreateDocument() = 0;  // 3: an empty document
  virtual IKX2XMLParser* CreateParser() = 0;      // 4

 protected:
  ~IKX2XMLFactory() = default;
};
