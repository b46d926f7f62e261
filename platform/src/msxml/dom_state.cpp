// The shared document state, text conversions and the tree operations of the node objects.
#include "dom_state.h"

#include <mutex>

#include <libxml/parser.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <kx2/Utf.h>

namespace kx2::msxml {
namespace {

void InitLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

xmlDocPtr NewEmptyDocument() {
  InitLibrary();
  xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  if (!doc) throw std::bad_alloc();
  return doc;
}

bool IsAncestorOrSelf(xmlNodePtr candidate, xmlNodePtr node) {
  for (xmlNodePtr n = node; n; n = n->parent)
    if (n == candidate) return true;
  return false;
}

xmlNodePtr RootElementOf(xmlNodePtr document) {
  for (xmlNodePtr c = document->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE) return c;
  return nullptr;
}

void SilentError(void*, xmlErrorPtr) {}

}  // namespace

DocState::DocState() : doc_(NewEmptyDocument()) {}

DocState::~DocState() {
  // Orphans first: they may use the dictionary of their document. Only the roots of
  // detached trees are freed; nodes below them go with them.
  std::vector<xmlNodePtr> roots;
  for (xmlNodePtr node : orphans_)
    if (!node->parent) roots.push_back(node);
  for (xmlNodePtr node : roots) {
    if (node->type == XML_ATTRIBUTE_NODE)
      xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
    else
      xmlFreeNode(node);
  }
  for (xmlDocPtr doc : retired_) xmlFreeDoc(doc);
  xmlFreeDoc(doc_);
}

void DocState::Replace(xmlDocPtr doc) {
  retired_.push_back(doc_);
  doc_ = doc;
}

void DocState::Orphan(xmlNodePtr node) {
  if (node && orphanSet_.insert(node).second) orphans_.push_back(node);
}

std::string Utf8Of(const OLECHAR* text, size_t length) {
  return Utf16ToUtf8(std::u16string_view(text ? text : u"", text ? length : 0));
}

std::string Utf8Of(BSTR text) { return Utf8Of(text, text ? SysStringLen(text) : 0); }

BSTR BstrOf(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

BSTR BstrOf(const xmlChar* utf8) { return BstrOf(std::string(utf8 ? reinterpret_cast<const char*>(utf8) : "")); }

HRESULT InsertChild(DocState& state, xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before, xmlNodePtr* inserted) {
  if (!parent || !child) return E_INVALIDARG;
  const bool parentIsDocument = parent->type == XML_DOCUMENT_NODE;
  if (parent->type != XML_ELEMENT_NODE && !parentIsDocument && parent->type != XML_DOCUMENT_FRAG_NODE) return E_FAIL;
  if (child->type == XML_ATTRIBUTE_NODE || child->type == XML_DOCUMENT_NODE) return E_FAIL;
  if (parentIsDocument && (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)) return E_FAIL;
  if (before && before->parent != parent) return E_INVALIDARG;
  if (child->doc != state.Doc()) {
    // A node of another document (or of one this object replaced): insert a copy.
    child = xmlDocCopyNode(child, state.Doc(), 1);
    if (!child) return E_OUTOFMEMORY;
    state.Orphan(child);
  }
  if (IsAncestorOrSelf(child, parent)) return E_FAIL;
  if (parentIsDocument && child->type == XML_ELEMENT_NODE) {
    xmlNodePtr root = RootElementOf(parent);
    if (root && root != child) return E_FAIL;  // one document element
  }
  if (child == before) {
    *inserted = child;
    return S_OK;
  }
  if (child->parent || child->prev || child->next) xmlUnlinkNode(child);
  state.Orphan(child);  // should it leave the tree again, it stays owned
  child->parent = parent;
  child->doc = state.Doc();
  if (before) {
    child->next = before;
    child->prev = before->prev;
    if (before->prev)
      before->prev->next = child;
    else
      parent->children = child;
    before->prev = child;
  } else {
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last)
      parent->last->next = child;
    else
      parent->children = child;
    parent->last = child;
  }
  *inserted = child;
  return S_OK;
}

HRESULT RemoveChild(DocState& state, xmlNodePtr parent, xmlNodePtr child) {
  if (!parent || !child || child->type == XML_ATTRIBUTE_NODE || child->parent != parent) return E_INVALIDARG;
  xmlUnlinkNode(child);
  state.Orphan(child);
  return S_OK;
}

HRESULT SetAttributeNode(DocState& state, xmlNodePtr element, xmlNodePtr node, xmlNodePtr* replaced) {
  *replaced = nullptr;
  if (!element || element->type != XML_ELEMENT_NODE || !node || node->type != XML_ATTRIBUTE_NODE) return E_INVALIDARG;
  auto* attribute = reinterpret_cast<xmlAttrPtr>(node);
  if (attribute->parent == element) return S_OK;
  if (attribute->parent) return E_FAIL;  // in use by another element
  if (attribute->doc != state.Doc()) {
    attribute = xmlCopyProp(nullptr, attribute);
    if (!attribute) return E_OUTOFMEMORY;
    attribute->doc = state.Doc();
    state.Orphan(reinterpret_cast<xmlNodePtr>(attribute));
  }
  for (xmlAttrPtr a = element->properties; a; a = a->next) {
    if (xmlStrEqual(a->name, attribute->name) && a->ns == attribute->ns) {
      xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(a));
      state.Orphan(reinterpret_cast<xmlNodePtr>(a));
      *replaced = reinterpret_cast<xmlNodePtr>(a);
      break;
    }
  }
  attribute->parent = element;
  attribute->next = nullptr;
  attribute->prev = nullptr;
  if (!element->properties) {
    element->properties = attribute;
  } else {
    xmlAttrPtr last = element->properties;
    while (last->next) last = last->next;
    last->next = attribute;
    attribute->prev = last;
  }
  return S_OK;
}

std::string TextOf(xmlNodePtr node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

HRESULT SetTextOf(DocState& state, xmlNodePtr node, const std::string& utf8) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_FRAG_NODE: {
      while (xmlNodePtr child = node->children) {
        xmlUnlinkNode(child);
        state.Orphan(child);
      }
      if (utf8.empty()) return S_OK;
      xmlNodePtr text =
          xmlNewDocTextLen(state.Doc(), reinterpret_cast<const xmlChar*>(utf8.data()), static_cast<int>(utf8.size()));
      if (!text) return E_OUTOFMEMORY;
      text->parent = node;
      node->children = node->last = text;
      return S_OK;
    }
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      xmlNodeSetContentLen(node, reinterpret_cast<const xmlChar*>(utf8.data()), static_cast<int>(utf8.size()));
      return S_OK;
    default:
      return E_FAIL;
  }
}

std::string NameOf(xmlNodePtr node) {
  switch (node->type) {
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
      return "#document";
    case XML_DOCUMENT_FRAG_NODE:
      return "#document-fragment";
    default:
      break;
  }
  std::string name;
  if ((node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) && node->ns && node->ns->prefix)
    name = std::string(reinterpret_cast<const char*>(node->ns->prefix)) + ":";
  if (node->name) name += reinterpret_cast<const char*>(node->name);
  return name;
}

std::string XmlOf(xmlNodePtr node) {
  std::string out;
  xmlBufferPtr buffer = xmlBufferCreate();
  if (!buffer) throw std::bad_alloc();
  if (node->type == XML_DOCUMENT_NODE) {
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
    if (save) {
      xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
      xmlSaveClose(save);
    }
  } else {
    xmlNodeDump(buffer, node->doc, node, 0, 0);
  }
  out.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  if (node->type == XML_ATTRIBUTE_NODE && !out.empty() && out.front() == ' ') out.erase(0, 1);
  return out;
}

bool Select(xmlNodePtr node, const std::string& query, std::vector<xmlNodePtr>* result) {
  result->clear();
  xmlDocPtr doc = node->type == XML_DOCUMENT_NODE ? reinterpret_cast<xmlDocPtr>(node) : node->doc;
  xmlXPathContextPtr context = xmlXPathNewContext(doc);
  if (!context) throw std::bad_alloc();
  context->node = node;
  context->error = SilentError;
  xmlXPathObjectPtr found = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), context);
  bool ok = found && found->type == XPATH_NODESET;
  if (ok && found->nodesetval) {
    for (int i = 0; i < found->nodesetval->nodeNr; ++i) {
      xmlNodePtr n = found->nodesetval->nodeTab[i];
      if (n && n->type != XML_NAMESPACE_DECL) result->push_back(n);
    }
  }
  xmlXPathFreeObject(found);
  xmlXPathFreeContext(context);
  return ok;
}

}  // namespace kx2::msxml
