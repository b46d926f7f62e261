// The XML-node kind: an element of an XML document (the MSXML document, created through
// COM), each property an attribute (compact mode) or a child element, sections child
// elements. A top-level exchange owns the document and keeps its compact mode in the
// attribute "CompactMode" of its element; child sections share the document and take the
// compact mode of their parent.
#pragma once

#include <win/msxml.h>

#include <toolkit/PropExchange.h>

class CKtkPropExchangeXMLNode : public CKtkPropExchange {
 public:
  // parent null: a top-level exchange whose element is the document's root element.
  CKtkPropExchangeXMLNode(BOOL loading, CKtkPropExchangeXMLNode* parent, LPCWSTR sectionName);
  ~CKtkPropExchangeXMLNode() override;

  BOOL ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue = nullptr) override;
  CKtkPropExchange* GetSection(LPCWSTR name) override;
  // Takes the section's element out of its parent; the next access makes it afresh.
  void EmptySection() override;
  BOOL OpenStorage() override;
  // The element enumerator (children of one name, all children for an empty name), or,
  // when loading a node that has a "Count" value, numbered sections.
  CKtkPropExchangeEnumerator* GetEnumerator(LPCWSTR name) override;

  // Compact mode of a top-level exchange that stores (loading reads it from the file).
  void SetCompactMode(BOOL compact) { m_bCompact = compact; }
  BOOL GetCompactMode() const { return m_bCompact; }

  // Filling the document (top-level exchanges). A load that fails leaves the exchange
  // unusable; a successful one makes the section be looked up afresh.
  BOOL LoadFromFile(LPCWSTR path);
  BOOL LoadFromText(LPCWSTR xml);
  // 8-bit text in the current language's code page.
  BOOL LoadFromText(LPCSTR xml);
  // Bytes up to the first zero byte, read in their own encoding.
  BOOL LoadFromBytes(const BYTE* bytes, DWORD size);
  BOOL LoadFromResource(HINSTANCE module, LPCWSTR name, LPCWSTR type);

  // Saving: the document gets its "xml" declaration (version 1.0, UTF-8) first. indent:
  // the written file is laid out with a line end after each tag that another tag follows,
  // and one tab per level.
  BOOL SaveToFile(LPCWSTR path, BOOL indent = FALSE);
  // The document's bytes, malloc'd (the caller frees them).
  BOOL SaveToMemory(BYTE** data, DWORD* size);

  // Whether a query (XPath, relative to the section's element) finds a node.
  BOOL HasSection(LPCWSTR query);
  // A section over the element a query finds (null when none); free it with
  // ExternalRelease.
  CKtkPropExchangeXMLNode* GetSectionByQuery(LPCWSTR query);
  BOOL HasValue(LPCWSTR name);
  CString GetSectionName();
  CString GetSectionXML();
  // Copies this section's element, with everything below it, under target's element.
  BOOL CopySectionTo(CKtkPropExchangeXMLNode* target);

  IXMLDOMDocument* GetDocument() const { return m_pDoc; }
  IXMLDOMElement* GetElement() const { return m_pElement; }

 private:
  friend class CKtkXMLEnumerator;
  // A section over a given element (loading enumerators, queries) or, with fresh, over a
  // new element appended when it opens (storing enumerators).
  CKtkPropExchangeXMLNode(CKtkPropExchangeXMLNode* parent, LPCWSTR name, IXMLDOMElement* element, BOOL fresh);
  BOOL EnsureDocument();
  BOOL AfterLoad(HRESULT hr, VARIANT_BOOL ok);
  void ForgetElement();
  // The value's node (attribute or child element), a new reference; made when `create`.
  IXMLDOMNode* FindValue(LPCWSTR name, BOOL create);
  void RemoveValue(LPCWSTR name);
  BOOL AddDeclaration();

  CKtkPropExchangeXMLNode* m_pParent = nullptr;
  CString m_strName;
  IXMLDOMDocument* m_pDoc = nullptr;
  IXMLDOMElement* m_pElement = nullptr;
  IXMLDOMElement* m_pPreset = nullptr;
  BOOL m_bFresh = FALSE;
  BOOL m_bCompact = FALSE;
  BOOL m_bLoadFailed = FALSE;
};
