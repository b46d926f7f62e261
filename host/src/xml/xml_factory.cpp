#include "xml/xml_factory.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <mutex>
#include <new>
#include <string_view>
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

// libxml2's nesting limit for documents parsed without XML_PARSE_HUGE.
constexpr int kMaxElementDepth = 256;

// A byte order mark, or an "encoding" in the XML declaration.
bool DeclaresEncoding(const BYTE* bytes, ULONG length) {
  if (!bytes) return false;
  const std::string_view text(reinterpret_cast<const char*>(bytes), std::min<ULONG>(length, 1024));
  if (text.rfind("\xEF\xBB\xBF", 0) == 0 || text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0)
    return true;
  if (text.rfind("<?xml", 0) != 0) return false;
  const std::string_view declaration = text.substr(0, text.find("?>"));
  return declaration.find("encoding") != std::string_view::npos;
}

// The second parameter of libxml2's structured handler (its constness changed between
// versions).
template <class F>
struct ErrorParameter;
template <class R, class A, class B>
struct ErrorParameter<R (*)(A, B)> {
  using type = B;
};

// libxml2 reports some faults (the input's encoding, reading it) to the thread's handler
// rather than to the parse, whatever the parse options ask: while the host parses, every
// message of this thread comes here, and the first one becomes the parser's error text.
// Standard error never sees them.
class ThreadErrorCapture {
 public:
  ThreadErrorCapture() : savedHandler_(xmlStructuredError), savedContext_(xmlStructuredErrorContext) {
    xmlSetStructuredErrorFunc(this, &Collect);
  }
  ~ThreadErrorCapture() { xmlSetStructuredErrorFunc(savedContext_, savedHandler_); }
  ThreadErrorCapture(const ThreadErrorCapture&) = delete;
  ThreadErrorCapture& operator=(const ThreadErrorCapture&) = delete;

  // The first fault reported outside the parser's own checks (encoding, input), or empty.
  const std::string& Fault() const { return fault_; }

 private:
  static void Collect(void* self, ErrorParameter<xmlStructuredErrorFunc>::type error) {
    auto* capture = static_cast<ThreadErrorCapture*>(self);
    if (!error || !error->message || !capture->fault_.empty()) return;
    if (error->domain == XML_FROM_PARSER || error->level == XML_ERR_WARNING) return;
    std::string text = error->message;
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    capture->fault_ = std::move(text);
  }

  xmlStructuredErrorFunc savedHandler_;
  void* savedContext_;
  std::string fault_;
};

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
    xmlDocPtr doc = nullptr;
    std::string fault;
    {
      ThreadErrorCapture capture;
      doc = xmlCtxtReadMemory(ctxt, bytes ? reinterpret_cast<const char*>(bytes) : kEmpty, static_cast<int>(length),
                              nullptr, nullptr, options);
      fault = capture.Fault();
    }
    t_hostParsing = false;
    if (!doc || !ctxt->wellFormed) {
      const xmlError* e = xmlCtxtGetLastError(ctxt);
      const std::string where =
          e ? " (line " + std::to_string(e->line) + ", column " + std::to_string(e->int2) + ")" : std::string();
      std::string text = e && e->message ? e->message : "";
      while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
      std::u16string message = u"not well-formed XML";
      if (e && e->code == XML_ERR_INTERNAL_ERROR && text.rfind("Excessive depth", 0) == 0) {
        message = kXmlTooDeepError + kx2::Utf8ToUtf16(" " + std::to_string(kMaxElementDepth) + " elements" + where);
      } else if (e && e->code == XML_ERR_INVALID_CHAR && text.rfind("Input is not proper UTF-8", 0) == 0 &&
                 !DeclaresEncoding(bytes, length)) {
        message = kx2::Utf8ToUtf16("not valid UTF-8 and no encoding declared" + where);
      } else if (!fault.empty()) {
        // The cause (an input that does not decode) rather than what the parser saw next.
        message = kx2::Utf8ToUtf16(fault + where);
      } else if (!text.empty()) {
        message = kx2::Utf8ToUtf16(text + where);
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
