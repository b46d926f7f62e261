#include "xml/xml_factory.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <mutex>
#include <new>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>

#include "xml/xml_nodes.h"

namespace vantorel::detail {
namespace {

// While this thread parses for the host, external entities and DTDs are never fetched:
// a map file must not make the host read other files or the network. Other users of
// libxml2 in the process keep the loader they had.
thread_local bool t_hostParsing = false;
xmlExternalEntityLoader g_previousLoader = nullptr;

xmlParserInputPtr RefusingLoader(const char* url, const char* id, xmlParserCtxtPtr ctxt) {
  if (t_hostParsing) return nullptr;
  return g_previousLoader ? g_previousLoader(url, id, ctxt) : nullptr;
}

void InstallLoader() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    g_previousLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(RefusingLoader);
  });
}

class XmlParser : public RefCounted<IKX2XMLParser> {
 public:
  const char* Kind() const override { return "XML parser"; }

  IKX2XMLDocument* Parse(const BYTE* bytes, ULONG length) override {
    error_.clear();
    if (!bytes && length) return Fail(u"no data");
    if (length > static_cast<ULONG>(std::numeric_limits<int>::max())) return Fail(u"document too large");
    InstallLoader();
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return Fail(u"out of memory");
    t_hostParsing = true;
    // Entities and character references are replaced; blank text nodes are kept; CDATA
    // sections become text.
    const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    static const char kEmpty[] = "";
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes ? reinterpret_cast<const char*>(bytes) : kEmpty,
                                      static_cast<int>(length), nullptr, nullptr, options);
    t_hostParsing = false;
    if (!doc || !ctxt->wellFormed) {
      const xmlError* e = xmlCtxtGetLastError(ctxt);
      std::u16string message = u"not well-formed XML";
      if (e && e->message) {
        std::string text = e->message;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        message = kx2::Utf8ToUtf16(text + " (line " + std::to_string(e->line) + ")");
      }
      if (doc) xmlFreeDoc(doc);
      xmlFreeParserCtxt(ctxt);
      return Fail(message);
    }
    xmlFreeParserCtxt(ctxt);
    return WrapDocument(std::make_shared<DocHandle>(doc));
  }

  IKX2XMLDocument* ParseFile(LPCWSTR path) override {
    error_.clear();
    if (!path || !*path) return Fail(u"no path");
    auto posix = kx2::ToPosixPath(path);
    std::error_code ec;
    if (!posix || !std::filesystem::is_regular_file(*posix, ec)) return Fail(u"file not found");
    // Read in one piece: a map of a few hundred kilobytes is read on every probe and import.
    std::ifstream in(*posix, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size < 0) return Fail(u"file cannot be read");
    std::vector<char> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(bytes.data(), size)) return Fail(u"file cannot be read");
    return Parse(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<ULONG>(bytes.size()));
  }

  LPCWSTR GetErrorText() override { return error_.c_str(); }

 private:
  IKX2XMLDocument* Fail(std::u16string message) {
    error_ = std::move(message);
    return nullptr;
  }
  std::u16string error_;
};

class XmlFactory : public RefCounted<IKX2XMLFactory> {
 public:
  const char* Kind() const override { return "XML factory"; }
  IKX2XMLDocument* CreateDocument() override {
    InstallLoader();
    xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
    if (!doc) return nullptr;
    return WrapDocument(std::make_shared<DocHandle>(doc));
  }
  IKX2XMLParser* CreateParser() override { return new (std::nothrow) XmlParser; }
};

}  // namespace

IKX2XMLFactory* NewXmlFactory() { return new (std::nothrow) XmlFactory; }

}  // namespace vantorel::detail
