// Fetching the feed with libcurl. The answer is written to a temporary file beside the
// feed and renamed over it only once a complete 200 has arrived, so that the comparison
// never reads a feed cut half-way.
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <kx2/Utf.h>
#include <renewal/Renewal.h>
#include <win/crt.h>
#include <win/fileapi.h>
#include <win/kernel.h>

namespace renewal {

namespace {

constexpr size_t kMaxPath = 260;
constexpr HRESULT kDownloadFailure = static_cast<HRESULT>(0x800C0008L);  // INET_E_DOWNLOAD_FAILURE

std::string BaseAddress() {
  const char* value = std::getenv("KX2_RENEWAL_BASE");
  return value && *value ? value : "http://127.0.0.1";
}

struct Transfer {
  FILE* file = nullptr;
  IBindStatusCallback* callback = nullptr;
  std::optional<std::chrono::steady_clock::time_point> deadline;
  // When bytes (head or body) last arrived; the start counts as the first.
  std::chrono::steady_clock::time_point heard = std::chrono::steady_clock::now();
  bool aborted = false;
  bool writeFailed = false;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t bytes = size * count;
  transfer->heard = std::chrono::steady_clock::now();
  if (std::fwrite(data, 1, bytes, transfer->file) != bytes) {
    transfer->writeFailed = true;
    return 0;
  }
  return bytes;
}

size_t Header(char*, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->heard = std::chrono::steady_clock::now();
  return size * count;
}

// libcurl calls this at least once a second, also while nothing arrives.
int Progress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->deadline && std::chrono::steady_clock::now() >= *transfer->deadline) {
    transfer->aborted = true;
    return 1;
  }
  if (transfer->callback && now > 0) {
    auto clamp = [](curl_off_t v) { return static_cast<ULONG>(std::clamp<curl_off_t>(v, 0, UINT32_MAX)); };
    if (FAILED(transfer->callback->OnProgress(clamp(now), clamp(total), BINDSTATUS_DOWNLOADINGDATA, nullptr))) {
      transfer->aborted = true;
      return 1;
    }
  }
  return 0;
}

struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// How the transfer loop ended, beside libcurl's own result.
enum class Ending { Done, Cancelled, Silent };

std::u16string TemporaryName(const std::u16string& feed) {
  static std::atomic<unsigned> counter{0};
  return feed + u"." + kx2::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-" +
         kx2::Utf8ToUtf16(std::to_string(++counter)) + u".part";
}

}  // namespace

// One download from its start to its end, kept between DownloadFeed's halves.
struct OnlineUpdateVersioinCheck::Download {
  std::optional<HRESULT> ended;  // the answer of a download that ended before its transfer
  std::u16string partial;
  Transfer transfer;
  std::unique_ptr<CURL, CurlDeleter> curl;
  std::unique_ptr<CURLM, MultiDeleter> multi;
  DownloadCancel* cancel = nullptr;
  std::optional<std::chrono::milliseconds> silence;
  int running = 1;
  bool over = false;  // no more rounds to run
  Ending ending = Ending::Done;
};

namespace {

// Runs the transfer's rounds, waking for data, for a cancel and for the silence limit:
// to its end, or (given `until`) only until its request is out or that moment passed.
void RunRounds(OnlineUpdateVersioinCheck::Download& d, std::optional<std::chrono::steady_clock::time_point> until) {
  while (!d.over) {
    if (d.cancel && d.cancel->Cancelled()) {
      d.ending = Ending::Cancelled;
      d.over = true;
      break;
    }
    if (curl_multi_perform(d.multi.get(), &d.running) != CURLM_OK || !d.running) {
      d.over = true;
      break;
    }
    auto now = std::chrono::steady_clock::now();
    if (until) {
      // The first round only starts connecting; the request goes out in a later one.
      long requested = 0;
      if (curl_easy_getinfo(d.curl.get(), CURLINFO_REQUEST_SIZE, &requested) != CURLE_OK || requested > 0 ||
          now >= *until)
        return;
    }
    int waitMs = 1000;
    if (d.silence) {
      auto quiet = now - d.transfer.heard;
      if (quiet >= *d.silence) {
        d.ending = Ending::Silent;
        d.over = true;
        break;
      }
      auto left = std::chrono::ceil<std::chrono::milliseconds>(*d.silence - quiet).count();
      waitMs = static_cast<int>(std::min<int64_t>(waitMs, left));
    }
    if (until) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - now).count();
      waitMs = static_cast<int>(std::min<int64_t>(waitMs, left));
    }
    if (curl_multi_poll(d.multi.get(), nullptr, 0, waitMs, nullptr) != CURLM_OK) {
      d.over = true;
      break;
    }
  }
}

// The transfer's end: its result read, the answer kept only when it is a complete 200.
HRESULT Conclude(OnlineUpdateVersioinCheck::Download& d, const std::u16string& feedPath,
                 const std::function<bool()>& beforeReplacing) {
  CURLcode code = CURLE_FAILED_INIT;
  long status = 0;
  if (d.multi) {
    if (d.cancel) d.cancel->Detach();
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(d.multi.get(), &left))
      if (message->msg == CURLMSG_DONE && message->easy_handle == d.curl.get()) code = message->data.result;
    curl_multi_remove_handle(d.multi.get(), d.curl.get());
    d.multi.reset();
  }
  if (d.curl) curl_easy_getinfo(d.curl.get(), CURLINFO_RESPONSE_CODE, &status);
  const Transfer& transfer = d.transfer;
  bool closed = std::fclose(transfer.file) == 0;
  bool complete = d.ending == Ending::Done && code == CURLE_OK && status == 200 && closed && !transfer.writeFailed;
  if (complete && beforeReplacing && !beforeReplacing()) {
    d.ending = Ending::Cancelled;
    complete = false;
  }
  if (!complete || !MoveFileExW(d.partial.c_str(), feedPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(d.partial.c_str());
    if (d.ending == Ending::Silent) return kDownloadFailure;
    if (d.ending == Ending::Cancelled || transfer.aborted || code == CURLE_OPERATION_TIMEDOUT) return E_ABORT;
    return kDownloadFailure;
  }
  return S_OK;
}

}  // namespace

std::u16string LocalFeedFolder() {
  char16_t temp[kMaxPath + 1] = {};
  DWORD length = GetTempPathW(kMaxPath, temp);
  if (length == 0 || length > kMaxPath) return u"";
  std::u16string folder(temp, length);
  if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
  return folder + u"Taloria\\";
}

std::u16string LocalFeedPath(DWORD flags) {
  std::u16string folder = LocalFeedFolder();
  return folder.empty() ? folder : folder + FeedFileName(flags);
}

OnlineUpdateVersioinCheck::OnlineUpdateVersioinCheck() = default;

OnlineUpdateVersioinCheck::~OnlineUpdateVersioinCheck() {
  // A begun download never finished: its transfer is dropped and its partial file removed.
  if (download_ && !download_->ended) Conclude(*download_, feedPath_, nullptr);
}

std::unique_ptr<OnlineUpdateVersioinCheck::Download> OnlineUpdateVersioinCheck::Prepare(IBindStatusCallback* callback,
                                                                                        DWORD flags) {
  auto d = std::make_unique<Download>();
  std::string address = BaseAddress() + "//updates//" + kx2::Utf16ToUtf8(FeedFileName(flags));
  if (address.size() > kMaxPath) {
    d->ended = kDownloadFailure;
    return d;
  }

  std::u16string folder = LocalFeedFolder();
  if (folder.empty()) {
    d->ended = S_FALSE;
    return d;
  }
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      d->ended = S_FALSE;
      return d;
    }
  }
  feedPath_ = folder + FeedFileName(flags);
  // No URL cache here: every fetch goes to the server.
  OutputDebugStringW(feedPath_.c_str());

  d->partial = TemporaryName(feedPath_);
  Transfer& transfer = d->transfer;
  transfer.callback = callback;
  transfer.deadline = deadline_;
  transfer.file = _wfopen(d->partial.c_str(), u"wb");
  if (!transfer.file) {
    d->ended = kDownloadFailure;
    return d;
  }

  d->cancel = cancel_;
  d->silence = silence_;
  d->curl.reset(curl_easy_init());
  CURL* curl = d->curl.get();
  if (curl) {
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    if (deadline_) {
      // The progress callback may come up to a second apart; the transfer's own limit
      // holds the deadline to the millisecond.
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - std::chrono::steady_clock::now());
      long ms = static_cast<long>(std::max<int64_t>(left.count(), 1));
      curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, ms);
      curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ms);
    }
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    d->multi.reset(curl_multi_init());
    if (d->multi && curl_multi_add_handle(d->multi.get(), curl) != CURLM_OK) d->multi.reset();
  }
  if (!d->multi) {
    d->over = true;
  } else if (cancel_) {
    cancel_->Attach(d->multi.get());
  }
  return d;
}

HRESULT OnlineUpdateVersioinCheck::DownloadFeed(IBindStatusCallback* callback, DWORD flags) {
  std::unique_ptr<Download> d = Prepare(callback, flags);
  if (d->ended) return *d->ended;
  RunRounds(*d, std::nullopt);
  return Conclude(*d, feedPath_, beforeReplacing_);
}

void OnlineUpdateVersioinCheck::BeginDownload(IBindStatusCallback* callback, DWORD flags,
                                              std::chrono::milliseconds wait) {
  if (download_ && !download_->ended) Conclude(*download_, feedPath_, nullptr);
  download_ = Prepare(callback, flags);
  if (!download_->ended) RunRounds(*download_, std::chrono::steady_clock::now() + wait);
}

HRESULT OnlineUpdateVersioinCheck::FinishDownload() {
  if (!download_) return E_UNEXPECTED;
  std::unique_ptr<Download> d = std::move(download_);
  if (d->ended) return *d->ended;
  RunRounds(*d, std::nullopt);
  return Conclude(*d, feedPath_, beforeReplacing_);
}

void DownloadCancel::Cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void DownloadCancel::Attach(void* multi) {
  std::lock_guard lock(mutex_);
  multi_ = multi;
}

void DownloadCancel::Detach() {
  std::lock_guard lock(mutex_);
  multi_ = nullptr;
}

}  // namespace renewal
