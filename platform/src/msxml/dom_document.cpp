// The DOMDocument object: creating nodes, loading and saving.
#include <cstdio>
#include <memory>
#include <new>
#include <string>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <win/crt.h>

#include "dom_factory.h"
#include "dom_node.h"

namespace kx2::msxml {
namespace {

// No network, no entity expansion, no messages on standard error.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

void QuietGenericError(void*, const char*, ...) {}

bool ReadWholeFile(BSTR path, std::string* bytes) {
  FILE* file = _wfopen(path, u"rb");
  if (!file) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool ReadWholeStream(IStream* stream, std::string* bytes) {
  char buffer[65536];
  for (;;) {
    ULONG got = 0;
    if (FAILED(stream->Read(buffer, sizeof buffer, &got))) return false;
    if (got == 0) return true;
    bytes->append(buffer, got);
  }
}

class Document final : public NodeImpl<IXMLDOMDocument> {
 public:
  explicit Document(StatePtr state) : NodeImpl(std::move(state)) {}

  xmlNodePtr Raw() const override { return reinterpret_cast<xmlNodePtr>(state_->Doc()); }

  HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) override {
    if (!element) return E_INVALIDARG;
    *element = nullptr;
    xmlNodePtr root = xmlDocGetRootElement(state_->Doc());
    if (!root) return S_FALSE;
    IXMLDOMNode* node = Wrap(state_, root);
    if (!node) return E_OUTOFMEMORY;
    *element = static_cast<IXMLDOMElement*>(node);  // Wrap gives an element object for an element
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE putref_documentElement(IXMLDOMElement* element) override {
    NodeAccess* access = AccessOf(element);
    if (!access) return E_INVALIDARG;
    return Guard([&] {
      xmlNodePtr doc = Raw();
      xmlNodePtr old = xmlDocGetRootElement(state_->Doc());
      if (old == access->Raw()) return S_OK;
      xmlNodePtr inserted;
      if (old) {
        xmlNodePtr next = old->next;
        HRESULT hr = RemoveChild(*state_, doc, old);
        if (FAILED(hr)) return hr;
        hr = InsertChild(*state_, doc, access->Raw(), next, &inserted);
        if (FAILED(hr)) {
          InsertChild(*state_, doc, old, next, &inserted);  // put the old one back
          return hr;
        }
        return S_OK;
      }
      return InsertChild(*state_, doc, access->Raw(), nullptr, &inserted);
    });
  }

  HRESULT STDMETHODCALLTYPE createElement(BSTR tagName, IXMLDOMElement** element) override {
    if (!element) return E_INVALIDARG;
    *element = nullptr;
    return Guard([&] {
      const std::string name = Utf8Of(tagName);
      if (xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0) return E_FAIL;
      xmlNodePtr node = xmlNewDocNode(state_->Doc(), nullptr, reinterpret_cast<const xmlChar*>(name.c_str()), nullptr);
      if (!node) return E_OUTOFMEMORY;
      state_->Orphan(node);
      *element = static_cast<IXMLDOMElement*>(Wrap(state_, node));
      return *element ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE createTextNode(BSTR data, IXMLDOMText** text) override {
    if (!text) return E_INVALIDARG;
    *text = nullptr;
    return Guard([&] {
      const std::string content = Utf8Of(data);
      xmlNodePtr node = xmlNewDocTextLen(state_->Doc(), reinterpret_cast<const xmlChar*>(content.data()),
                                         static_cast<int>(content.size()));
      if (!node) return E_OUTOFMEMORY;
      state_->Orphan(node);
      *text = static_cast<IXMLDOMText*>(Wrap(state_, node));
      return *text ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE createAttribute(BSTR name, IXMLDOMAttribute** attribute) override {
    if (!attribute) return E_INVALIDARG;
    *attribute = nullptr;
    return Guard([&] {
      const std::string key = Utf8Of(name);
      if (xmlValidateName(reinterpret_cast<const xmlChar*>(key.c_str()), 0) != 0) return E_FAIL;
      xmlAttrPtr node = xmlNewDocProp(state_->Doc(), reinterpret_cast<const xmlChar*>(key.c_str()), nullptr);
      if (!node) return E_OUTOFMEMORY;
      state_->Orphan(reinterpret_cast<xmlNodePtr>(node));
      *attribute = static_cast<IXMLDOMAttribute*>(Wrap(state_, reinterpret_cast<xmlNodePtr>(node)));
      return *attribute ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE createProcessingInstruction(BSTR target, BSTR data,
                                                        IXMLDOMProcessingInstruction** pi) override {
    if (!pi) return E_INVALIDARG;
    *pi = nullptr;
    return Guard([&] {
      const std::string name = Utf8Of(target);
      const std::string content = Utf8Of(data);
      if (xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0 ||
          content.find("?>") != std::string::npos)
        return E_FAIL;
      xmlNodePtr node = xmlNewDocPI(state_->Doc(), reinterpret_cast<const xmlChar*>(name.c_str()),
                                    reinterpret_cast<const xmlChar*>(content.c_str()));
      if (!node) return E_OUTOFMEMORY;
      state_->Orphan(node);
      *pi = static_cast<IXMLDOMProcessingInstruction*>(Wrap(state_, node));
      return *pi ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* async) override {
    if (!async) return E_INVALIDARG;
    *async = state_->async;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL async) override {
    state_->async = async;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE load(VARIANT source, VARIANT_BOOL* success) override {
    if (success) *success = VARIANT_FALSE;
    return Guard([&] {
      std::string bytes;
      bool read = false;
      if (source.vt == VT_BSTR) {
        read = source.bstrVal && ReadWholeFile(source.bstrVal, &bytes);
      } else if (source.vt == (VT_ARRAY | VT_UI1) && source.parray && source.parray->cDims == 1) {
        void* data = nullptr;
        if (SUCCEEDED(SafeArrayAccessData(source.parray, &data))) {
          bytes.assign(static_cast<const char*>(data), source.parray->rgsabound[0].cElements);
          SafeArrayUnaccessData(source.parray);
          read = true;
        }
      } else if (source.vt == VT_UNKNOWN && source.punkVal) {
        IStream* stream = nullptr;
        if (SUCCEEDED(source.punkVal->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream)))) {
          read = ReadWholeStream(stream, &bytes);
          stream->Release();
        }
      } else {
        return E_INVALIDARG;
      }
      return Parse(read ? &bytes : nullptr, nullptr, success);
    });
  }

  HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* success) override {
    if (success) *success = VARIANT_FALSE;
    return Guard([&] {
      std::string bytes = Utf8Of(xml);
      // The text is Unicode already, whatever its declaration says.
      return Parse(&bytes, "UTF-8", success);
    });
  }

  HRESULT STDMETHODCALLTYPE save(VARIANT destination) override {
    return Guard([&] {
      const std::string bytes = XmlOf(Raw());
      if (destination.vt == VT_BSTR) {
        if (!destination.bstrVal) return E_INVALIDARG;
        FILE* file = _wfopen(destination.bstrVal, u"wb");
        if (!file) return E_ACCESSDENIED;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && ok ? S_OK : E_FAIL;
      }
      if (destination.vt == VT_UNKNOWN && destination.punkVal) {
        IStream* stream = nullptr;
        HRESULT hr = destination.punkVal->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream));
        if (FAILED(hr)) return E_INVALIDARG;
        ULONG written = 0;
        hr = bytes.empty() ? S_OK : stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        stream->Release();
        return hr;
      }
      return E_INVALIDARG;
    });
  }

 private:
  // Replaces the document by the parsed bytes; an unreadable source or a parse failure
  // leaves an empty document.
  HRESULT Parse(const std::string* bytes, const char* encoding, VARIANT_BOOL* success) {
    xmlDocPtr parsed = nullptr;
    if (bytes && bytes->size() <= 0x7FFFFFFF) {
      // Encoding faults are reported through libxml2's generic handler, which the parse
      // options do not silence: quiet it for this thread while parsing, then put it back.
      const xmlGenericErrorFunc savedHandler = xmlGenericError;
      void* const savedContext = xmlGenericErrorContext;
      xmlSetGenericErrorFunc(nullptr, QuietGenericError);
      parsed = xmlReadMemory(bytes->data(), static_cast<int>(bytes->size()), nullptr, encoding, kParseOptions);
      xmlSetGenericErrorFunc(savedContext, savedHandler);
    }
    if (!parsed) {
      xmlDocPtr empty = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
      if (!empty) return E_OUTOFMEMORY;
      state_->Replace(empty);
      return S_FALSE;
    }
    state_->Replace(parsed);
    if (success) *success = VARIANT_TRUE;
    return S_OK;
  }
};

}  // namespace

IXMLDOMDocument* WrapDocument(const StatePtr& state) { return new (std::nothrow) Document(state); }

HRESULT CreateDocument(REFIID riid, void** out) {
  return Guard([&] {
    auto state = std::make_shared<DocState>();
    IXMLDOMDocument* document = WrapDocument(state);
    if (!document) return E_OUTOFMEMORY;
    const HRESULT hr = document->QueryInterface(riid, out);
    document->Release();
    return hr;
  });
}

}  // namespace kx2::msxml
