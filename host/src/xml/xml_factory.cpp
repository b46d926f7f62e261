#include "xml/xml_factory.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/dict.h>
#include <libxml/globals.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>

#include <kx2/PathMap.h>
#include <kx2/RegularFileReader.h>
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

// A parser context kept by each thread from one parse to the next: making one (its tables
// and its name dictionary) costs as much as parsing a short text, such as the rich title of
// a map's topic, and libxml2 resets it at the start of every read. Only a context whose
// parse succeeded is kept, and only while its dictionary, which the documents it made
// share, stays small: a thread that once parsed a document of many distinct names makes a
// fresh context rather than keep them all.
struct ContextDeleter {
  void operator()(xmlParserCtxtPtr ctxt) const { xmlFreeParserCtxt(ctxt); }
};
using ContextPtr = std::unique_ptr<xmlParserCtxt, ContextDeleter>;
// A context that has pushed a document is kept apart from one that has pulled one: a
// reset leaves some of the push state in place.
enum class Feed { kPull, kPush };
thread_local ContextPtr t_spareContexts[2];
constexpr size_t kMaxKeptNames = 4096;

ContextPtr TakeContext(Feed feed = Feed::kPull) {
  if (ContextPtr& spare = t_spareContexts[static_cast<int>(feed)]) return std::move(spare);
  return ContextPtr(xmlNewParserCtxt());
}

void KeepContext(ContextPtr ctxt, Feed feed = Feed::kPull) {
  if (ctxt->dict && xmlDictSize(ctxt->dict) > static_cast<int>(kMaxKeptNames)) return;
  t_spareContexts[static_cast<int>(feed)] = std::move(ctxt);
}

// How the host parses: entities and character references are replaced; blank text nodes
// are kept; CDATA sections become text. Short texts (most attribute values of a map) are
// kept inside their node instead of in a block of their own: the host never changes a text
// node's content in place, it replaces the node, which libxml2 frees either way.
constexpr int kHostOptions =
    XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

// Inputs up to this size (a rich title, a small fragment) are handed to libxml2 whole.
constexpr ULONG kShortInput = 900;

// libxml2's nesting limit for documents parsed without XML_PARSE_HUGE.
constexpr int kMaxElementDepth = 256;

// A byte order mark, or an "encoding" in the XML declaration.
bool DeclaresEncoding(std::string_view text) {
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
    static const char kEmpty[] = "";
    const char* text = bytes ? reinterpret_cast<const char*>(bytes) : kEmpty;
    if (length <= kShortInput)
      if (IKX2XMLDocument* document = ParseShort(text, static_cast<int>(length))) return document;
    // The parser pulls the bytes in small pieces rather than copying the whole input into
    // a buffer of its own first: a fresh copy of a large document costs more in page faults
    // than the parse itself.
    MemorySource source{text, text + length};
    return Read(std::string_view(text, std::min<ULONG>(length, 1024)), [&](xmlParserCtxtPtr ctxt, int options) {
      return xmlCtxtReadIO(ctxt, &MemorySource::ReadChunk, nullptr, &source, nullptr, nullptr, options);
    });
  }

  // A short input parsed in one push into a buffer of its size: libxml2 otherwise makes an
  // input buffer of 8 KB for it, and asking the heap for a block that large makes glibc
  // first merge every small block freed since (a reader parsing the rich title of each
  // topic pays that per title). Null when the document is not well-formed: the caller then
  // parses it the usual way, which says why.
  IKX2XMLDocument* ParseShort(const char* text, int length) {
    if (length < 4) return nullptr;
    InstallLoader();
    ContextPtr context = TakeContext(Feed::kPush);
    if (!context) return nullptr;
    xmlParserCtxtPtr ctxt = context.get();
    xmlDocPtr doc = nullptr;
    bool faulted = true;
    {
      // The input buffer is sized from libxml2's per-thread default: for this parse only.
      const int savedBufferSize = xmlDefaultBufferSize;
      xmlDefaultBufferSize = 256;
      t_hostParsing = true;
      ThreadErrorCapture capture;
      if (xmlCtxtResetPush(ctxt, text, length, nullptr, nullptr) == 0) {
        xmlCtxtUseOptions(ctxt, kHostOptions);
        xmlParseChunk(ctxt, nullptr, 0, 1);
        doc = ctxt->myDoc;
        ctxt->myDoc = nullptr;
        faulted = !capture.Fault().empty();
      }
      t_hostParsing = false;
      xmlDefaultBufferSize = savedBufferSize;
    }
    if (!doc || !ctxt->wellFormed || faulted) {
      if (doc) xmlFreeDoc(doc);
      return nullptr;
    }
    KeepContext(std::move(context), Feed::kPush);
    return WrapDocument(std::make_shared<DocHandle>(doc));
  }

  IKX2XMLDocument* ParseFile(LPCWSTR path) override {
    error_.clear();
    if (!path || !*path) return Fail(u"no path");
    auto posix = kx2::ToPosixPath(path);
    if (!posix) return Fail(u"file not found");
    // The file is handed to the parser as it is read: a large map is never held whole in
    // memory beside the tree made from it.
    FileSource source(*posix);
    if (!source.IsOpen()) {
      std::error_code ec;
      return Fail(std::filesystem::is_regular_file(*posix, ec) ? u"file cannot be read" : u"file not found");
    }
    IKX2XMLDocument* document = Read(
        std::string_view(),
        [&](xmlParserCtxtPtr ctxt, int options) {
          return xmlCtxtReadIO(ctxt, &FileSource::ReadChunk, nullptr, &source, nullptr, nullptr, options);
        },
        &source);
    if (!document && source.failed()) return Fail(u"file cannot be read");
    return document;
  }

  LPCWSTR GetErrorText() override { return error_.c_str(); }

 private:
  // Bytes in memory handed to the parser a piece at a time.
  struct MemorySource {
    const char* next;
    const char* end;
    static int ReadChunk(void* context, char* buffer, int length) {
      auto* self = static_cast<MemorySource*>(context);
      if (length <= 0) return 0;
      const size_t count = std::min(static_cast<size_t>(length), static_cast<size_t>(self->end - self->next));
      std::memcpy(buffer, self->next, count);
      self->next += count;
      return static_cast<int>(count);
    }
  };

  // A file read in pieces as the parser asks for them; the first bytes are kept for the
  // error text (whether the input declares an encoding). The file is opened and checked
  // once (no look at its path before), and read as it was when opened: up to the size it
  // had then.
  class FileSource {
   public:
    explicit FileSource(const std::string& path) : file_(path) {
      if (!file_.IsOpen()) return;
      // The parser asks for 4 KB at a time: the file is read in larger pieces (a map of up
      // to the buffer's size in one), and a small map takes no more than its size.
      capacity_ = static_cast<size_t>(std::min<uint64_t>(std::max<uint64_t>(file_.Size(), 1), kBufferBytes));
      buffer_.reset(new (std::nothrow) char[capacity_]);
    }
    bool IsOpen() const { return file_.IsOpen() && buffer_; }
    bool failed() const { return failed_; }
    std::string_view head() const { return head_; }
    static int ReadChunk(void* context, char* buffer, int length) {
      auto* self = static_cast<FileSource*>(context);
      if (length <= 0) return 0;
      if (self->next_ == self->end_ && !self->Fill()) return self->failed_ ? -1 : 0;
      const size_t count = std::min(static_cast<size_t>(length), self->end_ - self->next_);
      std::memcpy(buffer, self->buffer_.get() + self->next_, count);
      self->next_ += count;
      if (self->head_.size() < 1024) self->head_.append(buffer, std::min<size_t>(count, 1024 - self->head_.size()));
      return static_cast<int>(count);
    }

   private:
    // The next piece of the file into the buffer; false at the end or when reading fails.
    bool Fill() {
      if (offset_ >= file_.Size()) return false;
      const size_t wanted = static_cast<size_t>(std::min<uint64_t>(capacity_, file_.Size() - offset_));
      const int64_t read = file_.ReadAt(offset_, buffer_.get(), wanted);
      if (read < 0) failed_ = true;
      if (read <= 0) return false;
      offset_ += static_cast<uint64_t>(read);
      next_ = 0;
      end_ = static_cast<size_t>(read);
      return true;
    }

    static constexpr size_t kBufferBytes = 64 << 10;
    kx2::RegularFileReader file_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    uint64_t offset_ = 0;
    size_t next_ = 0;
    size_t end_ = 0;
    bool failed_ = false;
    std::string head_;
  };

  // Runs one parse (`read` with a fresh context and the host's options) and wraps its
  // document, or records why it failed. `head` is the input's first bytes, or those the
  // file source has read by the time the parse ends.
  template <class ReadDocument>
  IKX2XMLDocument* Read(std::string_view head, ReadDocument&& read, const FileSource* source = nullptr) {
    InstallLoader();
    ContextPtr context = TakeContext();
    if (!context) return Fail(u"out of memory");
    xmlParserCtxtPtr ctxt = context.get();
    t_hostParsing = true;
    const int options = kHostOptions;
    xmlDocPtr doc = nullptr;
    std::string fault;
    {
      ThreadErrorCapture capture;
      doc = read(ctxt, options);
      fault = capture.Fault();
    }
    t_hostParsing = false;
    if (source) head = source->head();
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
                 !DeclaresEncoding(head)) {
        message = kx2::Utf8ToUtf16("not valid UTF-8 and no encoding declared" + where);
      } else if (!fault.empty()) {
        // The cause (an input that does not decode) rather than what the parser saw next.
        message = kx2::Utf8ToUtf16(fault + where);
      } else if (!text.empty()) {
        message = kx2::Utf8ToUtf16(text + where);
      }
      if (doc) xmlFreeDoc(doc);
      return Fail(message);
    }
    KeepContext(std::move(context));
    return WrapDocument(std::make_shared<DocHandle>(doc));
  }

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
