// The XML object model: elements with attributes, and the processing instructions,
// comments and CDATA sections around them, all text in UTF-16.
//
// A node owns its children and attributes. `parent` is set exactly while a node sits in
// its parent's `children` (or an attribute in `attributes`), so ownership can always be
// read off the tree: appending a node that belongs elsewhere moves it, and deleting a
// node that still has a parent first takes it out of that parent. `document` and `parent`
// are for reading: the tree operations that change them also move the node's memory to its
// new home (see dom_memory.h), so a node must not be re-parented by writing them.
#pragma once

#include <concepts>
#include <new>
#include <type_traits>
#include <cstdint>
#include <string>
#include <vector>

#include <basalt/export.h>
#include <basalt/xml/dom_memory.h>
#include <basalt/xml/options.h>

namespace Basalt::XMLDom {

class XMLNode;
class XMLDocument;

// Node types.
enum : int32_t {
  kXmlElement = 0,
  kXmlProcessingInstruction = 1,
  kXmlComment = 2,
  kXmlCDATA = 3,
  kXmlDocument = 4,
};

class BASALT_API XMLAttr {
 public:
  static void* operator new(size_t bytes) { return DomMemory::AllocateObject(bytes); }
  // Freeing an attribute depends on the document it belongs to, read before it goes.
  static void operator delete(XMLAttr* attr, std::destroying_delete_t) noexcept;
  // Only for a constructor that fails.
  static void operator delete(void* p) noexcept { DomMemory::Free(p); }

  XMLAttr() = default;
  // A copy is not attached to any node: only the owning node sets `parent`.
  XMLAttr(const XMLAttr& other);
  XMLAttr& operator=(const XMLAttr& other);
  ~XMLAttr();

  // The value, encoded when the option asks for references.
  std::u16string GetValue(DispOption* opt) const;
  // name="value" followed by one blank.
  std::u16string GetXML(DispOption* opt) const;

  XmlString name{XmlString::allocator_type(this)};
  XmlString value{XmlString::allocator_type(this)};
  XMLNode* parent = nullptr;  // the owning node, not owned
};

// Any integer index, with negative and oversized ones mapped to an index past every list.
template <std::integral I>
constexpr unsigned ClampIndex(I index) {
  if constexpr (std::is_signed_v<I>) {
    if (index < 0) return UINT32_MAX;
  }
  return static_cast<uint64_t>(index) > UINT32_MAX ? UINT32_MAX : static_cast<unsigned>(index);
}

class BASALT_API XMLNode {
 public:
  using NodeList = std::vector<XMLNode*, DomAllocator<XMLNode*>>;
  using AttrList = std::vector<XMLAttr*, DomAllocator<XMLAttr*>>;

  static void* operator new(size_t bytes) { return DomMemory::AllocateObject(bytes); }
  // Freeing a node depends on the document it belongs to, read before it goes.
  static void operator delete(XMLNode* node, std::destroying_delete_t) noexcept;
  // Only for a constructor that fails.
  static void operator delete(void* p) noexcept { DomMemory::Free(p); }

  XMLNode() = default;
  // Deep copies. A copy keeps its own place: `parent` and `document` of the target stay,
  // and the copied descendants belong to the target's document.
  XMLNode(const XMLNode& other);
  XMLNode& operator=(const XMLNode& other);
  ~XMLNode();

  // Frees every child and attribute; name, value, type, parent and document stay.
  void Close();

  // --- Children -----------------------------------------------------------------------
  XMLNode* GetChild(unsigned index) const;
  template <std::integral I>
  XMLNode* GetChild(I index) const {
    return GetChild(ClampIndex(index));
  }
  XMLNode* operator[](int index) const;
  XMLNode* GetChild(const char16_t* name) const;
  std::vector<XMLNode*> GetChilds() const;
  std::vector<XMLNode*> GetChilds(const char16_t* name) const;
  int32_t GetChildCount() const;
  // Value of the first child of that name, or null when there is none.
  const char16_t* GetChildValue(const char16_t* name) const;
  std::u16string GetChildText(const char16_t* name, DispOption* opt) const;
  XMLAttr* GetChildAttr(const char16_t* name, const char16_t* attrName) const;
  const char16_t* GetChildAttrValue(const char16_t* name, const char16_t* attrName) const;
  // First descendant of that name in document order (the node itself excluded).
  XMLNode* Find(const char16_t* name) const;
  // The same, also needing an attribute "id" of that value.
  XMLNode* Find(const char16_t* name, const char16_t* id) const;
  NodeList::iterator GetChildIterator(XMLNode* child);

  // A new, unattached element (null texts count as empty); null when memory fails.
  static XMLNode* CreateNode(const char16_t* name, const char16_t* value);
  static XMLNode* CreateNode(const char16_t* name, int value);

  // Appends node as the last child and returns it. A node that belongs to another parent
  // is taken out of it first; null (and nothing changes) for null, this node itself or one
  // of its ancestors.
  XMLNode* AppendChild(XMLNode* node);
  // A new child element; null when it cannot be made.
  XMLNode* AppendChild(const char16_t* name, const char16_t* value);
  XMLNode* AppendChild(const char16_t* name, int value);
  // Appends a deep copy of source; null when source is null or memory fails.
  XMLNode* AppendChildBranch(XMLNode* source);
  // Frees the child; false (and nothing is freed) when node is not a child.
  bool RemoveChild(XMLNode* node);
  // Takes the child out without freeing it: it becomes the caller's, with no parent and no
  // document. Null when node is not a child.
  XMLNode* DetachChild(XMLNode* node);

  // --- Attributes -----------------------------------------------------------------------
  XMLAttr* GetAttr(unsigned index) const;
  template <std::integral I>
  XMLAttr* GetAttr(I index) const {
    return GetAttr(ClampIndex(index));
  }
  XMLAttr* GetAttr(const char16_t* name) const;
  const char16_t* GetAttrValue(const char16_t* name) const;
  // Kept for callers of the old interface: always empty.
  std::vector<XMLAttr*> GetAttrs(const char16_t* name) const;
  AttrList::iterator GetAttrIterator(XMLAttr* attr);
  static XMLAttr* CreateAttr(const char16_t* name, const char16_t* value);
  static XMLAttr* CreateAttr(const char16_t* name, int value);
  // Appends attr (taken out of another node first); null for null.
  XMLAttr* AppendAttr(XMLAttr* attr);
  XMLAttr* AppendAttr(const char16_t* name, const char16_t* value);
  XMLAttr* AppendAttr(const char16_t* name, int value);
  bool RemoveAttr(XMLAttr* attr);
  XMLAttr* DetachAttr(XMLAttr* attr);

  // --- Copies -------------------------------------------------------------------------
  // This node becomes a copy of source's name, value, type and attributes (no children).
  // Safe when source is this node or one of its descendants.
  void CopyNode(XMLNode* source);
  // This node becomes a deep copy of source; when doc is non-null the copy belongs to doc.
  void _CopyBranch(XMLNode* source, XMLDocument* doc);
  void CopyBranch(XMLNode* source);

  // --- Reading (xml parser) -----------------------------------------------------------
  // Each returns where parsing stopped, or null on failure (the reason is in the
  // ParseInfo; a null ParseInfo means the document's own, else piDefault).
  const char16_t* Load(const char16_t* text, ParseInfo* pi);
  const char16_t* LoadAttributes(const char16_t* text, ParseInfo* pi);
  const char16_t* LoadAttributes(const char16_t* text, const char16_t* end, ParseInfo* pi);
  const char16_t* LoadProcessingInstrunction(const char16_t* text, ParseInfo* pi);
  const char16_t* LoadComment(const char16_t* text, ParseInfo* pi);
  const char16_t* LoadCDATA(const char16_t* text, ParseInfo* pi);

  // --- Writing --------------------------------------------------------------------------
  std::u16string GetXML(DispOption* opt) const;
  std::u16string GetText(DispOption* opt) const;
  // Writes GetXML(optDefault) as UTF-16LE without a byte-order mark. The file is replaced
  // only when the whole text was written: 1, or 0 when it could not be.
  int SaveFile(const char16_t* path) const;
  // Reads a UTF-16LE file and parses it into this node with piDefault's options (the
  // error report goes to piDefault); 1 when it parsed, 0 when it could not be read or did
  // not parse.
  int LoadFile(const char16_t* path);

  XmlString name{XmlString::allocator_type(this)};
  XmlString value{XmlString::allocator_type(this)};
  XMLNode* parent = nullptr;                            // not owned
  NodeList children{NodeList::allocator_type(this)};    // owned
  AttrList attributes{AttrList::allocator_type(this)};  // owned
  int32_t type = kXmlElement;
  XMLDocument* document = nullptr;  // not owned
};

}  // namespace Basalt::XMLDom
