#include <tendril/http_form.h>

#include <curl/curl.h>

#include <kx2/Utf.h>
#include <win/fileapi.h>
#include <win/kernel.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <new>
#include <string_view>

namespace TDRL {

namespace {

constexpr char kPartBoundary[] = "-------TDRL-BOUNDARY";  // two dashes more than the header's
constexpr char kClosingLine[] = "-------TDRL-BOUNDARY--\r\n";
constexpr char kContentType[] = "Content-Type: multipart/form-data; boundary=-----TDRL-BOUNDARY";
constexpr char kAgent[] = "tendrilAgent";
constexpr size_t kTextPartFixed = 67;
constexpr size_t kFilePartFixed = 120;
constexpr size_t kClosingFixed = 25;  // the closing line and its terminating zero
constexpr size_t kMaxRemotePath = 260;
constexpr long kConnectTimeoutMs = 30000;
constexpr long kStallSeconds = 60;

void GlobalInit() {
  static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)done;
}

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

// Bytes outside the unreserved set go as %XX, so that any name makes one path segment.
std::string EscapeSegment(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// A file's size, or the system's error (2 when it gives none); folders are refused.
DWORD ExamineFile(const std::u16string& path, int64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  SetLastError(0);
  if (!GetFileAttributesExW(reinterpret_cast<LPCWSTR>(path.c_str()), GetFileExInfoStandard, &data)) {
    return LastErrorOr(HttpError::kFileNotFound);
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 5;  // access denied, as opening a folder is
  size = static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
  return HttpError::kNone;
}

DWORD MapCurlResult(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return HttpError::kNone;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpError::kTimeout;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpError::kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
      return HttpError::kCannotConnect;
    case CURLE_OUT_OF_MEMORY:
      return HttpError::kNotEnoughMemory;
    case CURLE_SEND_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
      return HttpError::kConnectionAborted;
    default:
      // A cut-short body, a broken chunked body, a malformed header, nothing at all.
      return HttpError::kInvalidServerResponse;
  }
}

}  // namespace

// --- TransferStop ----------------------------------------------------------------------------

TransferStop::TransferStop() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TransferStop::~TransferStop() {
  if (event_) CloseHandle(event_);
}

void TransferStop::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  if (event_) SetEvent(event_);
  if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

bool TransferStop::Stopped() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

bool TransferStop::Wait(DWORD ms) const {
  if (!event_) return Stopped();
  return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0;
}

void TransferStop::Attach(void* multi) {
  std::lock_guard<std::mutex> lock(mutex_);
  multi_ = multi;
}

// --- one exchange ----------------------------------------------------------------------------

struct HttpForm::Exchange {
  // What a post sends: texts, and files streamed from disk.
  struct Segment {
    std::string text;
    std::u16string path;  // a file when not empty
    int64_t size = 0;
  };
  std::vector<Segment> segments;
  size_t segment = 0;
  int64_t offset = 0;
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD readError = 0;

  // What an answer gives.
  Answer* answer = nullptr;
  std::string kept;
  bool answerCut = false;
  HttpBodySink* sink = nullptr;
  bool sinkFailed = false;
  CURL* easy = nullptr;
  // The status of the last response, read from its status line here: libcurl reports 200 for
  // status lines it cannot read.
  long status = 0;
  bool statusValid = false;

  ~Exchange() { CloseFile(); }
  void CloseFile() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
  }

  size_t Read(char* buffer, size_t room) {
    size_t written = 0;
    while (written < room && segment < segments.size()) {
      Segment& s = segments[segment];
      if (s.path.empty()) {
        const size_t take = std::min(room - written, s.text.size() - static_cast<size_t>(offset));
        std::memcpy(buffer + written, s.text.data() + offset, take);
        written += take;
        offset += static_cast<int64_t>(take);
        if (static_cast<size_t>(offset) == s.text.size()) NextSegment();
        continue;
      }
      if (file == INVALID_HANDLE_VALUE) {
        file = CreateFileW(reinterpret_cast<LPCWSTR>(s.path.c_str()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Fail(LastErrorOr(HttpError::kFileNotFound));
      }
      if (offset == s.size) {
        // The recorded size is sent; a file that has more has grown since it was added.
        char extra;
        DWORD got = 0;
        if (ReadFile(file, &extra, 1, &got, nullptr) && got > 0) return Fail(HttpError::kBufferOverflow);
        CloseFile();
        NextSegment();
        continue;
      }
      const auto want = static_cast<DWORD>(std::min<int64_t>(static_cast<int64_t>(room - written), s.size - offset));
      DWORD got = 0;
      if (!ReadFile(file, buffer + written, want, &got, nullptr)) return Fail(LastErrorOr(HttpError::kInternalError));
      if (got == 0) return Fail(HttpError::kInternalError);  // shrank: the body no longer adds up
      written += got;
      offset += got;
    }
    return written;
  }
  void NextSegment() {
    ++segment;
    offset = 0;
  }
  size_t Fail(DWORD error) {
    readError = error;
    return CURL_READFUNC_ABORT;
  }

  void HeaderLine(const char* data, size_t size) {
    const std::string_view line(data, size);
    if (line.substr(0, 5) != "HTTP/") return;
    // "HTTP/1.0" or "HTTP/1.1", a space, three digits, then a space or the line's end.
    statusValid = size >= 12 && (line.substr(0, 9) == "HTTP/1.0 " || line.substr(0, 9) == "HTTP/1.1 ") &&
                  std::isdigit(static_cast<unsigned char>(line[9])) &&
                  std::isdigit(static_cast<unsigned char>(line[10])) &&
                  std::isdigit(static_cast<unsigned char>(line[11])) &&
                  (size == 12 || line[12] == ' ' || line[12] == '\r' || line[12] == '\n');
    status = statusValid ? (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0') : 0;
  }

  size_t Received(const char* data, size_t size) {
    if (sink) {
      if (!statusValid || status != 200) return size;  // only a 200 body is kept
      if (!sink->Write(data, size)) {
        sinkFailed = true;
        return 0;
      }
      return size;
    }
    if (!answer) return size;
    const size_t take = std::min(size, kMaxAnswer - kept.size());
    kept.append(data, take);
    if (take < size) {
      answerCut = true;  // enough of it: the rest is not read
      return 0;
    }
    return size;
  }
};

// --- HttpForm --------------------------------------------------------------------------------

HttpForm::HttpForm(UINT codePage, TransferStop* stop) : codePage_(codePage), stop_(stop) {}

HttpForm::~HttpForm() { Close(); }

DWORD HttpForm::Open(const char16_t* host) {
  if (multi_) return HttpError::kAlreadyExists;
  if (!host || !*host) return HttpError::kInvalidParameter;
  try {
    std::string text = kx2::Utf16ToUtf8(kx2::View16(host));
    port_ = 80;
    const size_t colon = text.rfind(':');
    if (colon != std::string::npos && colon + 1 < text.size() &&
        text.find_first_not_of("0123456789", colon + 1) == std::string::npos && text.size() - colon <= 6) {
      port_ = std::stol(text.substr(colon + 1));
      text.resize(colon);
    }
    if (text.empty() || port_ <= 0 || port_ > 65535) return HttpError::kInvalidParameter;
    host_ = std::move(text);
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
  GlobalInit();
  multi_ = curl_multi_init();
  easy_ = curl_easy_init();
  if (!multi_ || !easy_) {
    Close();
    return HttpError::kNotEnoughMemory;
  }
  return HttpError::kNone;
}

void HttpForm::Close() {
  if (easy_) curl_easy_cleanup(static_cast<CURL*>(easy_));
  if (multi_) curl_multi_cleanup(static_cast<CURLM*>(multi_));
  easy_ = multi_ = nullptr;
  ClearParts();
}

void HttpForm::ClearParts() {
  std::lock_guard<std::mutex> lock(partsLock_);
  parts_.clear();
}

DWORD HttpForm::AddTextField(const char16_t* value) {
  if (!value) return HttpError::kInvalidParameter;
  if (codePage_ != kUtf8) return HttpError::kNotEnoughMemory;  // no other conversion is offered
  try {
    Part part;
    part.kind = 0;
    part.name = "tendril";
    part.value = kx2::Utf16ToUtf8(kx2::View16(value));
    std::lock_guard<std::mutex> lock(partsLock_);
    parts_.push_back(std::move(part));
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
  return HttpError::kNone;
}

DWORD HttpForm::AddFileField(const char16_t* fileName, const char16_t* localPath) {
  if (!fileName || !localPath) return HttpError::kInvalidParameter;
  if (codePage_ != kUtf8) return HttpError::kNotEnoughMemory;
  try {
    Part part;
    part.kind = 1;
    part.name = "file";
    part.value = kx2::Utf16ToUtf8(kx2::View16(fileName));
    part.path = kx2::View16(localPath);
    // A path that cannot be examined or opened is refused: a field of size 0 would send
    // nothing and still count as sent.
    if (const DWORD error = ExamineFile(part.path, part.size)) return error;
    SetLastError(0);
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(localPath), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastErrorOr(HttpError::kFileNotFound);
    CloseHandle(file);
    if (part.size == 0) return HttpError::kEmptyFile;
    std::lock_guard<std::mutex> lock(partsLock_);
    parts_.push_back(std::move(part));
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
  return HttpError::kNone;
}

int64_t HttpForm::ComputedLength() const {
  auto& self = const_cast<HttpForm&>(*this);
  std::lock_guard<std::mutex> lock(self.partsLock_);
  int64_t length = kClosingFixed;
  for (const Part& part : parts_) {
    if (part.kind == 0) {
      length += static_cast<int64_t>(part.name.size() + part.value.size() + kTextPartFixed);
    } else if (part.kind == 1 && part.size >= 0) {
      length += static_cast<int64_t>(part.name.size() + part.value.size() + kFilePartFixed) + part.size;
    } else {
      return -1;
    }
  }
  return length;
}

DWORD HttpForm::Perform(Exchange& exchange) {
  auto* multi = static_cast<CURLM*>(multi_);
  auto* easy = static_cast<CURL*>(easy_);
  exchange.easy = easy;
  curl_easy_setopt(easy, CURLOPT_USERAGENT, kAgent);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
  // The system's proxy settings serve, as WinINet's preconfigured access does, but never for
  // this machine's own addresses.
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION,
                   static_cast<curl_write_callback>(+[](char* data, size_t size, size_t count, void* exchange) {
                     return static_cast<Exchange*>(exchange)->Received(data, size * count);
                   }));
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION,
                   static_cast<curl_write_callback>(+[](char* data, size_t size, size_t count, void* exchange) {
                     static_cast<Exchange*>(exchange)->HeaderLine(data, size * count);
                     return size * count;
                   }));
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
  if (curl_multi_add_handle(multi, easy) != CURLM_OK) return HttpError::kNotEnoughMemory;
  if (stop_) stop_->Attach(multi);

  bool stopped = false;
  CURLMcode failure = CURLM_OK;
  for (;;) {
    if (stop_ && stop_->Stopped()) {
      stopped = true;
      break;
    }
    int running = 0;
    failure = curl_multi_perform(multi, &running);
    if (failure != CURLM_OK || running == 0) break;
    failure = curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    if (failure != CURLM_OK) break;
  }
  if (stop_) stop_->Attach(nullptr);
  CURLcode result = CURLE_OK;
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy) result = message->data.result;
  }
  curl_multi_remove_handle(multi, easy);

  if (stopped) return HttpError::kConnectionAborted;
  if (failure != CURLM_OK)
    return failure == CURLM_OUT_OF_MEMORY ? HttpError::kNotEnoughMemory : HttpError::kInternalError;
  if (exchange.readError) return exchange.readError;
  if (result == CURLE_OK && !exchange.statusValid) return HttpError::kInvalidServerResponse;
  if (result == CURLE_WRITE_ERROR && exchange.answerCut) return HttpError::kNone;
  if (result == CURLE_WRITE_ERROR && exchange.sinkFailed) return exchange.sink->Error();
  return MapCurlResult(result);
}

DWORD HttpForm::Post(const char16_t* scriptPath, Answer* answer, bool wantText) {
  if (!multi_) return HttpError::kNotReady;
  if (!scriptPath) return HttpError::kInvalidParameter;
  Exchange exchange;
  std::string url;
  int64_t length = 0;
  try {
    length = ComputedLength();
    if (length < 0) return HttpError::kInternalError;
    std::lock_guard<std::mutex> lock(partsLock_);
    int64_t bytes = 0;
    for (const Part& part : parts_) {
      Exchange::Segment head;
      if (part.kind == 0) {
        head.text = std::string(kPartBoundary) + "\r\nContent-Disposition: form-data; name=\"" + part.name +
                    "\"\r\n\r\n" + part.value + "\r\n";
        bytes += static_cast<int64_t>(head.text.size());
        exchange.segments.push_back(std::move(head));
        continue;
      }
      head.text = std::string(kPartBoundary) + "\r\nContent-Disposition: form-data; name=\"" + part.name +
                  "\"; filename=\"" + part.value + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
      Exchange::Segment file;
      file.path = part.path;
      file.size = part.size;
      Exchange::Segment tail;
      tail.text = "\r\n";
      bytes += static_cast<int64_t>(head.text.size() + tail.text.size()) + part.size;
      exchange.segments.push_back(std::move(head));
      exchange.segments.push_back(std::move(file));
      exchange.segments.push_back(std::move(tail));
    }
    Exchange::Segment closing;
    closing.text = kClosingLine;
    bytes += static_cast<int64_t>(closing.text.size());
    exchange.segments.push_back(std::move(closing));
    // What is written plus the terminating zero must be what the parts announced.
    if (bytes + 1 != length) return HttpError::kInternalError;
    // The body's length travels as a 32-bit number.
    if (length - 1 > INT_MAX) return HttpError::kNotEnoughMemory;
    for (const auto& segment : exchange.segments) {
      if (segment.path.empty()) continue;
      int64_t now = 0;
      if (const DWORD error = ExamineFile(segment.path, now)) return error;
      if (now > segment.size) return HttpError::kBufferOverflow;
      if (now < segment.size) return HttpError::kInternalError;
    }
    std::string path = kx2::Utf16ToUtf8(kx2::View16(scriptPath));
    if (path.empty() || path[0] != '/') path.insert(path.begin(), '/');
    url = "http://" + host_ + ":" + std::to_string(port_) + path;
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }

  auto* easy = static_cast<CURL*>(easy_);
  curl_easy_reset(easy);
  curl_slist* headers = nullptr;
  for (const char* header : {kContentType, "Expect:", "Accept:"}) {
    curl_slist* grown = curl_slist_append(headers, header);
    if (!grown) {
      curl_slist_free_all(headers);
      return HttpError::kNotEnoughMemory;
    }
    headers = grown;
  }
  exchange.answer = answer;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_POST, 1L);
  curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(length - 1));
  curl_easy_setopt(easy, CURLOPT_READFUNCTION,
                   static_cast<curl_read_callback>(+[](char* buffer, size_t size, size_t count, void* exchange) {
                     return static_cast<Exchange*>(exchange)->Read(buffer, size * count);
                   }));
  curl_easy_setopt(easy, CURLOPT_READDATA, &exchange);
  // Large reads: a big file goes in few callbacks and few socket writes.
  curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024);
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  const DWORD result = Perform(exchange);
  curl_slist_free_all(headers);
  ClearParts();
  if (answer) {
    answer->status = exchange.status;
    answer->bytes = std::move(exchange.kept);
    if (wantText) answer->text = kx2::Utf8ToUtf16(answer->bytes);
  }
  return result;
}

DWORD HttpForm::Get(const char16_t* remoteName, HttpBodySink& sink) {
  if (!multi_) return HttpError::kNotReady;
  if (!remoteName) return HttpError::kInvalidParameter;
  std::string url;
  try {
    const std::u16string_view name = kx2::View16(remoteName);
    if (std::u16string_view(u"attachments/").size() + name.size() > kMaxRemotePath) {
      return HttpError::kInvalidParameter;
    }
    url = "http://" + host_ + ":" + std::to_string(port_) + "/attachments/" + EscapeSegment(kx2::Utf16ToUtf8(name));
  } catch (const std::bad_alloc&) {
    return HttpError::kNotEnoughMemory;
  }
  auto* easy = static_cast<CURL*>(easy_);
  curl_easy_reset(easy);
  Exchange exchange;
  exchange.sink = &sink;
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  // Large receives: a big attachment reaches its file in few writes.
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 512L * 1024);
  const DWORD result = Perform(exchange);
  return result != HttpError::kNone ? result : static_cast<DWORD>(exchange.status);
}

}  // namespace TDRL
