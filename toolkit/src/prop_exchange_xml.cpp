// The XML-node kind of the property exchange.
#include <toolkit/PropExchangeXMLNode.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <win/com.h>
#include <win/crt.h>
#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/resource.h>

#include <toolkit/ResourceManager.h>

#include "prop_values.h"
#include "xml_dom_util.h"

using ktk::Release;
using ktk::TempBstr;

// The children of one name of an element, in document order.
class CKtkXMLEnumerator : public CKtkPropExchangeEnumerator {
 public:
  CKtkXMLEnumerator(CKtkPropExchangeXMLNode* exchange, LPCWSTR name)
      : CKtkPropExchangeEnumerator(exchange, name), xml_(exchange) {}
  ~CKtkXMLEnumerator() override {
    for (IXMLDOMElement* e : items_) e->Release();
  }

  // Loading: the elements of the name; storing: a first position when there is a count.
  int GetPosition(DWORD count, BOOL) override {
    if (!xml_->IsLoading()) {
      m_nCount = count;
      return count > 0 ? 1 : 0;
    }
    for (IXMLDOMElement* e : items_) e->Release();
    items_.clear();
    if (xml_->EnsureOpen()) {
      IXMLDOMNode* child = nullptr;
      xml_->m_pElement->get_firstChild(&child);
      while (child) {
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        IXMLDOMElement* element = nullptr;
        if (type == NODE_ELEMENT && (m_strBaseName.IsEmpty() || ktk::NodeName(child) == m_strBaseName) &&
            SUCCEEDED(child->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element))))
          items_.push_back(element);
        IXMLDOMNode* next = nullptr;
        child->get_nextSibling(&next);
        child->Release();
        child = next;
      }
    }
    m_nCount = static_cast<DWORD>(items_.size());
    return m_nCount > 0 ? 1 : 0;
  }

  CKtkPropExchange* GetNext(int& position) override {
    if (position <= 0 || static_cast<DWORD>(position) > m_nCount || (!xml_->IsLoading() && m_strBaseName.IsEmpty())) {
      position = 0;
      return nullptr;
    }
    CKtkPropExchangeXMLNode* section;
    if (xml_->IsLoading()) {
      IXMLDOMElement* element = items_[static_cast<size_t>(position - 1)];
      section = new CKtkPropExchangeXMLNode(xml_, ktk::NodeName(element), element, FALSE);
    } else {
      // The element is made at once, so that an item whose values are all defaults is
      // still there to be counted when it is read back.
      section = new CKtkPropExchangeXMLNode(xml_, m_strBaseName, nullptr, TRUE);
      section->EnsureOpen();
    }
    position = static_cast<DWORD>(position) >= m_nCount ? 0 : position + 1;
    return section;
  }

 private:
  CKtkPropExchangeXMLNode* xml_;
  std::vector<IXMLDOMElement*> items_;
};

CKtkPropExchangeXMLNode::CKtkPropExchangeXMLNode(BOOL loading, CKtkPropExchangeXMLNode* parent, LPCWSTR sectionName)
    : CKtkPropExchange(loading), m_pParent(parent), m_strName(sectionName) {
  if (parent) {
    InheritFrom(*parent);
    parent->InternalAddRef();
  }
}

CKtkPropExchangeXMLNode::CKtkPropExchangeXMLNode(CKtkPropExchangeXMLNode* parent, LPCWSTR name, IXMLDOMElement* element,
                                                 BOOL fresh)
    : CKtkPropExchangeXMLNode(parent->IsLoading(), parent, name) {
  m_pPreset = element;
  if (element) element->AddRef();
  m_bFresh = fresh;
}

CKtkPropExchangeXMLNode::~CKtkPropExchangeXMLNode() {
  Release(m_pElement);
  Release(m_pPreset);
  Release(m_pDoc);
  if (m_pParent) m_pParent->InternalRelease();
}

BOOL CKtkPropExchangeXMLNode::EnsureDocument() {
  if (m_pDoc) return TRUE;
  if (m_pParent) return FALSE;
  const HRESULT hr =
      CoCreateInstance(CLSID_DOMDocument, nullptr,
                       CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                       IID_IXMLDOMDocument, reinterpret_cast<void**>(&m_pDoc));
  if (FAILED(hr)) {
    m_pDoc = nullptr;
    if (hr != E_NOINTERFACE) AfxCheckError(hr);
    return FALSE;
  }
  OleRun(m_pDoc);
  m_pDoc->put_async(VARIANT_FALSE);
  return TRUE;
}

void CKtkPropExchangeXMLNode::ForgetElement() {
  Release(m_pElement);
  m_bStorageOpened = FALSE;
  m_bLocaleExchanged = FALSE;
}

BOOL CKtkPropExchangeXMLNode::OpenStorage() {
  m_bStorageOpened = TRUE;
  if (m_bLoadFailed) return FALSE;
  if (m_pElement) return TRUE;
  if (!m_pParent) {
    if (!EnsureDocument()) return FALSE;
    IXMLDOMElement* root = nullptr;
    m_pDoc->get_documentElement(&root);
    if (root && ktk::NodeName(root) == m_strName) {
      m_pElement = root;
    } else if (!root && !m_bLoading) {
      if (FAILED(m_pDoc->createElement(TempBstr(m_strName), &m_pElement)) ||
          FAILED(m_pDoc->appendChild(m_pElement, nullptr))) {
        Release(m_pElement);
        return FALSE;
      }
    } else {
      Release(root);
      return FALSE;
    }
    // The compact mode is always an attribute of the top-level element.
    m_bStorageUsable = TRUE;
    const BOOL mode = m_bCompact;
    const BOOL standard = FALSE;
    BOOL compact = mode;
    m_bCompact = TRUE;
    ExchangeProp(u"CompactMode", KTK_VT_BOOL, &compact, &standard);
    m_bCompact = m_bLoading ? compact : mode;
    return TRUE;
  }
  if (!m_pParent->EnsureOpen()) return FALSE;
  if (!m_pDoc) {
    m_pDoc = m_pParent->m_pDoc;
    m_pDoc->AddRef();
  }
  m_bCompact = m_pParent->m_bCompact;
  if (m_pPreset) {
    m_pElement = m_pPreset;
    m_pElement->AddRef();
    return TRUE;
  }
  if (!m_bFresh) m_pElement = ktk::FindChildElement(m_pParent->m_pElement, m_strName);
  if (m_pElement) return TRUE;
  if (m_bLoading) return FALSE;
  if (FAILED(m_pDoc->createElement(TempBstr(m_strName), &m_pElement)) ||
      FAILED(m_pParent->m_pElement->appendChild(m_pElement, nullptr))) {
    Release(m_pElement);
    return FALSE;
  }
  m_bFresh = FALSE;  // made once; later accesses find it
  m_pPreset = m_pElement;
  m_pPreset->AddRef();
  return TRUE;
}

IXMLDOMNode* CKtkPropExchangeXMLNode::FindValue(LPCWSTR name, BOOL create) {
  IXMLDOMNode* node = nullptr;
  if (m_bCompact) {
    IXMLDOMNamedNodeMap* attributes = nullptr;
    if (FAILED(m_pElement->get_attributes(&attributes)) || !attributes) return nullptr;
    attributes->getNamedItem(TempBstr(name), &node);
    if (!node && create) {
      IXMLDOMAttribute* attribute = nullptr;
      if (SUCCEEDED(m_pDoc->createAttribute(TempBstr(name), &attribute)) &&
          SUCCEEDED(attributes->setNamedItem(attribute, nullptr)))
        node = attribute;
      else
        Release(attribute);
    }
    attributes->Release();
    return node;
  }
  // Child elements are matched by name rather than by a query: a value name is not a
  // query and must not be read as one.
  node = ktk::FindChildElement(m_pElement, name);
  if (!node && create) {
    IXMLDOMElement* element = nullptr;
    if (SUCCEEDED(m_pDoc->createElement(TempBstr(name), &element)) &&
        SUCCEEDED(m_pElement->appendChild(element, nullptr)))
      node = element;
    else
      Release(element);
  }
  return node;
}

void CKtkPropExchangeXMLNode::RemoveValue(LPCWSTR name) {
  if (m_bCompact) {
    IXMLDOMNamedNodeMap* attributes = nullptr;
    if (SUCCEEDED(m_pElement->get_attributes(&attributes)) && attributes) {
      attributes->removeNamedItem(TempBstr(name), nullptr);
      attributes->Release();
    }
    return;
  }
  IXMLDOMElement* old = ktk::FindChildElement(m_pElement, name);
  if (old) {
    m_pElement->removeChild(old, nullptr);
    old->Release();
  }
}

BOOL CKtkPropExchangeXMLNode::ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue) {
  if (!value || !name) return FALSE;
  if (!EnsureOpen()) {
    if (m_bLoading) LoadDefault(type, value, defaultValue);
    return FALSE;
  }
  if (type == KTK_VT_VARIANT) ExchangeLocale();
  if (!m_bLoading) {
    if (IsDefault(type, value, defaultValue)) {
      // Nothing is written; a value stored before goes, so that reading gives the default.
      if (!m_bEmptySection) RemoveValue(name);
      return TRUE;
    }
    CString text;
    if (!ktk::ValueToText(type, value, m_lcid, text)) return FALSE;
    IXMLDOMNode* node = FindValue(name, TRUE);
    if (!node) return FALSE;
    const HRESULT hr = node->put_text(TempBstr(text));
    node->Release();
    return SUCCEEDED(hr);
  }
  IXMLDOMNode* node = FindValue(name, FALSE);
  if (!node) return LoadDefault(type, value, defaultValue);
  BSTR raw = nullptr;
  const HRESULT hr = node->get_text(&raw);
  node->Release();
  const CString text = ktk::TakeText(raw);
  if (FAILED(hr)) return LoadDefault(type, value, defaultValue);
  if (!ktk::TextToValue(type, text, m_lcid, value, defaultValue))
    return type == KTK_VT_DATE ? FALSE : LoadDefault(type, value, defaultValue);
  return TRUE;
}

CKtkPropExchange* CKtkPropExchangeXMLNode::GetSection(LPCWSTR name) {
  return new CKtkPropExchangeXMLNode(m_bLoading, this, name);
}

void CKtkPropExchangeXMLNode::EmptySection() {
  if (EnsureOpen() && m_pElement) {
    IXMLDOMNode* parent = nullptr;
    if (SUCCEEDED(m_pElement->get_parentNode(&parent)) && parent) {
      parent->removeChild(m_pElement, nullptr);
      parent->Release();
    }
  }
  Release(m_pPreset);
  ForgetElement();
  CKtkPropExchange::EmptySection();
}

CKtkPropExchangeEnumerator* CKtkPropExchangeXMLNode::GetEnumerator(LPCWSTR name) {
  if (m_bLoading && HasValue(u"Count")) return new CKtkPropExchangeEnumerator(this, name);
  return new CKtkXMLEnumerator(this, name);
}

// ---- Loading -------------------------------------------------------------------------------

BOOL CKtkPropExchangeXMLNode::AfterLoad(HRESULT hr, VARIANT_BOOL ok) {
  const BOOL loaded = SUCCEEDED(hr) && ok == VARIANT_TRUE;
  m_bLoadFailed = !loaded;
  ForgetElement();
  return loaded;
}

BOOL CKtkPropExchangeXMLNode::LoadFromFile(LPCWSTR path) {
  if (m_pParent) return FALSE;
  const DWORD attributes = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return AfterLoad(E_FAIL, 0);
  if (!EnsureDocument()) return AfterLoad(E_FAIL, 0);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(path);
  VARIANT_BOOL ok = VARIANT_FALSE;
  const HRESULT hr = m_pDoc->load(source, &ok);
  VariantClear(&source);
  return AfterLoad(hr, ok);
}

BOOL CKtkPropExchangeXMLNode::LoadFromText(LPCWSTR xml) {
  if (m_pParent || !EnsureDocument()) return FALSE;
  VARIANT_BOOL ok = VARIANT_FALSE;
  const HRESULT hr = m_pDoc->loadXML(TempBstr(xml), &ok);
  return AfterLoad(hr, ok);
}

BOOL CKtkPropExchangeXMLNode::LoadFromText(LPCSTR xml) { return LoadFromText(static_cast<LPCWSTR>(CKtkA2W(xml))); }

BOOL CKtkPropExchangeXMLNode::LoadFromBytes(const BYTE* bytes, DWORD size) {
  if (m_pParent || !EnsureDocument()) return FALSE;
  const void* zero = bytes ? std::memchr(bytes, 0, size) : nullptr;
  const DWORD length = zero ? static_cast<DWORD>(static_cast<const BYTE*>(zero) - bytes) : (bytes ? size : 0);
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, length);
  if (!array) AfxThrowMemoryException();
  if (length) std::memcpy(array->pvData, bytes, length);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_UI1;
  source.parray = array;
  VARIANT_BOOL ok = VARIANT_FALSE;
  const HRESULT hr = m_pDoc->load(source, &ok);
  VariantClear(&source);
  return AfterLoad(hr, ok);
}

BOOL CKtkPropExchangeXMLNode::LoadFromResource(HINSTANCE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  const DWORD size = data ? SizeofResource(module, found) : 0;
  if (!data || size == 0) return AfterLoad(E_FAIL, 0);
  std::vector<BYTE> copy(data, data + size);
  copy.push_back(0);
  return LoadFromBytes(copy.data(), static_cast<DWORD>(copy.size()));
}

// ---- Saving ----------------------------------------------------------------------------

BOOL CKtkPropExchangeXMLNode::AddDeclaration() {
  if (!EnsureDocument()) return FALSE;
  IXMLDOMProcessingInstruction* declaration = nullptr;
  if (FAILED(m_pDoc->createProcessingInstruction(TempBstr(u"xml"), TempBstr(u"version=\"1.0\" encoding=\"UTF-8\""),
                                                 &declaration)))
    return FALSE;
  IXMLDOMNode* first = nullptr;
  m_pDoc->get_firstChild(&first);
  DOMNodeType type = NODE_INVALID;
  if (first) first->get_nodeType(&type);
  HRESULT hr;
  if (first && type == NODE_PROCESSING_INSTRUCTION && ktk::NodeName(first) == u"xml") {
    hr = m_pDoc->replaceChild(declaration, first, nullptr);
  } else {
    VARIANT before;
    VariantInit(&before);
    if (first) {
      before.vt = VT_UNKNOWN;
      before.punkVal = first;
    }
    hr = m_pDoc->insertBefore(declaration, before, nullptr);
  }
  Release(first);
  declaration->Release();
  return SUCCEEDED(hr);
}

BOOL CKtkPropExchangeXMLNode::SaveToFile(LPCWSTR path, BOOL indent) {
  if (!path || m_pParent || !AddDeclaration()) return FALSE;
  VARIANT target;
  VariantInit(&target);
  target.vt = VT_BSTR;
  target.bstrVal = SysAllocString(path);
  const HRESULT hr = m_pDoc->save(target);
  VariantClear(&target);
  if (FAILED(hr)) return FALSE;
  if (!indent) return TRUE;
  std::string text;
  FILE* file = _wfopen(path, u"rb");
  if (!file) return FALSE;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  const std::string laidOut = ktk::IndentXml(text);
  file = _wfopen(path, u"wb");
  if (!file) return FALSE;
  const bool written = std::fwrite(laidOut.data(), 1, laidOut.size(), file) == laidOut.size();
  return std::fclose(file) == 0 && written;
}

BOOL CKtkPropExchangeXMLNode::SaveToMemory(BYTE** data, DWORD* size) {
  if (!data || !size || m_pParent || !AddDeclaration()) return FALSE;
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return FALSE;
  VARIANT target;
  VariantInit(&target);
  target.vt = VT_UNKNOWN;
  target.punkVal = stream;
  BOOL done = FALSE;
  STATSTG stat{};
  HGLOBAL memory = nullptr;
  if (SUCCEEDED(m_pDoc->save(target)) && SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
      SUCCEEDED(GetHGlobalFromStream(stream, &memory))) {
    const auto length = static_cast<DWORD>(stat.cbSize.QuadPart);
    BYTE* out = static_cast<BYTE*>(std::malloc(length ? length : 1));
    const void* bytes = GlobalLock(memory);
    if (out && (bytes || length == 0)) {
      if (length) std::memcpy(out, bytes, length);
      *data = out;
      *size = length;
      done = TRUE;
    } else {
      std::free(out);
    }
    if (bytes) GlobalUnlock(memory);
  }
  stream->Release();
  return done;
}

// ---- Sections and values by query ---------------------------------------------------------

BOOL CKtkPropExchangeXMLNode::HasSection(LPCWSTR query) {
  if (!query || !EnsureOpen()) return FALSE;
  IXMLDOMNode* node = nullptr;
  const HRESULT hr = m_pElement->selectSingleNode(TempBstr(query), &node);
  const BOOL found = hr == S_OK && node;
  Release(node);
  return found;
}

CKtkPropExchangeXMLNode* CKtkPropExchangeXMLNode::GetSectionByQuery(LPCWSTR query) {
  if (!query || !EnsureOpen()) return nullptr;
  IXMLDOMNode* node = nullptr;
  if (m_pElement->selectSingleNode(TempBstr(query), &node) != S_OK || !node) return nullptr;
  IXMLDOMElement* element = nullptr;
  node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(&element));
  node->Release();
  if (!element) return nullptr;
  auto* section = new CKtkPropExchangeXMLNode(this, ktk::NodeName(element), element, FALSE);
  element->Release();
  return section;
}

BOOL CKtkPropExchangeXMLNode::HasValue(LPCWSTR name) {
  if (!name || !EnsureOpen()) return FALSE;
  IXMLDOMNode* node = FindValue(name, FALSE);
  const BOOL found = node != nullptr;
  Release(node);
  return found;
}

CString CKtkPropExchangeXMLNode::GetSectionName() { return EnsureOpen() ? ktk::NodeName(m_pElement) : m_strName; }

CString CKtkPropExchangeXMLNode::GetSectionXML() {
  BSTR xml = nullptr;
  if (!EnsureOpen() || FAILED(m_pElement->get_xml(&xml))) return CString();
  return ktk::TakeText(xml);
}

BOOL CKtkPropExchangeXMLNode::CopySectionTo(CKtkPropExchangeXMLNode* target) {
  if (!target || !EnsureOpen() || !target->EnsureOpen()) return FALSE;
  IXMLDOMNode* copy = nullptr;
  if (FAILED(m_pElement->cloneNode(VARIANT_TRUE, &copy))) return FALSE;
  const HRESULT hr = target->m_pElement->appendChild(copy, nullptr);
  copy->Release();
  return SUCCEEDED(hr);
}
