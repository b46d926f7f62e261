// Any bytes loaded into the MSXML document stand-in either load or leave an empty
// document; a loaded document can be walked, queried, edited and saved.
#include <cstdint>
#include <cstring>

#include "win/com.h"
#include "win/msxml.h"

namespace {

void Walk(IXMLDOMNode* node, int depth) {
  if (!node || depth > 40) return;
  BSTR text = nullptr;
  if (SUCCEEDED(node->get_text(&text))) SysFreeString(text);
  IXMLDOMNamedNodeMap* attributes = nullptr;
  if (node->get_attributes(&attributes) == S_OK && attributes) {
    IXMLDOMNode* first = nullptr;
    if (attributes->get_item(0, &first) == S_OK) {
      BSTR name = nullptr;
      first->get_nodeName(&name);
      IXMLDOMNode* again = nullptr;
      attributes->getNamedItem(name, &again);
      if (again) again->Release();
      SysFreeString(name);
      first->Release();
    }
    attributes->Release();
  }
  IXMLDOMNode* child = nullptr;
  node->get_firstChild(&child);
  while (child) {
    Walk(child, depth + 1);
    IXMLDOMNode* next = nullptr;
    child->get_nextSibling(&next);
    child->Release();
    child = next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IXMLDOMDocument* doc = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              reinterpret_cast<void**>(&doc))))
    __builtin_trap();
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
  if (size) std::memcpy(array->pvData, data, size);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_ARRAY | VT_UI1;
  source.parray = array;
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->load(source, &ok);
  VariantClear(&source);
  if (ok == VARIANT_TRUE) {
    Walk(doc, 0);
    IXMLDOMElement* root = nullptr;
    if (doc->get_documentElement(&root) == S_OK) {
      BSTR query = SysAllocString(u"*[@id]");
      IXMLDOMNodeList* found = nullptr;
      if (root->selectNodes(query, &found) == S_OK) {
        IXMLDOMNode* first = nullptr;
        if (found->nextNode(&first) == S_OK) {
          IXMLDOMNode* copy = nullptr;
          first->cloneNode(VARIANT_TRUE, &copy);
          root->removeChild(first, nullptr);
          BSTR text = SysAllocString(u"x");
          first->put_text(text);
          SysFreeString(text);
          if (copy) root->appendChild(copy, nullptr), copy->Release();
          first->Release();
        }
        found->Release();
      }
      SysFreeString(query);
      root->Release();
    }
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
      VARIANT target;
      VariantInit(&target);
      target.vt = VT_UNKNOWN;
      target.punkVal = stream;
      doc->save(target);
      stream->Release();
    }
  }
  doc->Release();
  return 0;
}
