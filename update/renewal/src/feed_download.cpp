// Fetching the feed with libcurl. The answer is written to a temporary file beside the
// feed and renamed over it only once a complete 200 has arrived, so that the comparison
// never reads a feed cut half-way.
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
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

// How the transfer loop ended, beside libcurl's own result.
enum class Ending { Done, Cancelled, Silent };

// Runs one transfer to its end, waking for data, for a cancel and for the silence limit.
Ending Perform(CURL* curl, Transfer& transfer, DownloadCancel* cancel, std::optional<std::chrono::milliseconds> silence,
               CURLcode* code) {
  *code = CURLE_FAILED_INIT;
  std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), curl) != CURLM_OK) return Ending::Done;
  if (cancel) cancel->Attach(multi.get());
  Ending ending = Ending::Done;
  bool sent = false;
  for (int running = 1; running;) {
    if (cancel && cancel->Cancelled()) {
      ending = Ending::Cancelled;
      break;
    }
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
    // The first round only starts connecting; the request goes out in a later one.
    if (cancel && !sent) {
      long requested = 0;
      sent = curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &requested) != CURLE_OK || requested > 0 || !running;
      if (sent) cancel->Underway();
    }
    if (!running) break;
    int waitMs = 1000;
    if (silence) {
      auto quiet = std::chrono::steady_clock::now() - transfer.heard;
      if (quiet >= *silence) {
        ending = Ending::Silent;
        break;
      }
      auto left = std::chrono::ceil<std::chrono::milliseconds>(*silence - quiet).count();
      waitMs = static_cast<int>(std::min<int64_t>(waitMs, left));
    }
    if (curl_multi_poll(multi.get(), nullptr, 0, waitMs, nullptr) != CURLM_OK) break;
  }
  if (cancel) cancel->Detach();
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
    if (message->msg == CURLMSG_DONE && message->easy_handle == curl) *code = message->data.result;
  curl_multi_remove_handle(multi.get(), curl);
  return ending;
}

struct CurlDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

std::u16string TemporaryName(const std::u16string& feed) {
  static std::atomic<unsigned> counter{0};
  return feed + u"." + kx2::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-" +
         kx2::Utf8ToUtf16(std::to_string(++counter)) + u".part";
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

HRESULT OnlineUpdateVersioinCheck::DownloadFeed(IBindStatusCallback* callback, DWORD flags) {
  std::string address = BaseAddress() + "//updates//" + kx2::Utf16ToUtf8(FeedFileName(flags));
  if (address.size() > kMaxPath) return kDownloadFailure;

  std::u16string folder = LocalFeedFolder();
  if (folder.empty()) return S_FALSE;
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return S_FALSE;
  }
  feedPath_ = folder + FeedFileName(flags);
  // No URL cache here: every fetch goes to the server.
  OutputDebugStringW(feedPath_.c_str());

  std::u16string partial = TemporaryName(feedPath_);
  Transfer transfer;
  transfer.callback = callback;
  transfer.deadline = deadline_;
  transfer.file = _wfopen(partial.c_str(), u"wb");
  if (!transfer.file) return kDownloadFailure;

  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  CURLcode code = CURLE_FAILED_INIT;
  Ending ending = Ending::Done;
  long status = 0;
  if (curl) {
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Write);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &transfer);
    if (deadline_) {
      // The progress callback may come up to a second apart; the transfer's own limit
      // holds the deadline to the millisecond.
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - std::chrono::steady_clock::now());
      long ms = static_cast<long>(std::max<int64_t>(left.count(), 1));
      curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, ms);
      curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, ms);
    }
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, Header);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &transfer);
    ending = Perform(curl.get(), transfer, cancel_, silence_, &code);
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  }
  bool closed = std::fclose(transfer.file) == 0;
  bool complete = ending == Ending::Done && code == CURLE_OK && status == 200 && closed && !transfer.writeFailed;
  if (!complete || !MoveFileExW(partial.c_str(), feedPath_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(partial.c_str());
    if (ending == Ending::Silent) return kDownloadFailure;
    if (ending == Ending::Cancelled || transfer.aborted || code == CURLE_OPERATION_TIMEDOUT) return E_ABORT;
    return kDownloadFailure;
  }
  return S_OK;
}

void DownloadCancel::Cancel() {
  std::lock_guard lock(mutex_);
  cancelled_ = true;
  if (multi_) curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void DownloadCancel::Underway() {
  {
    std::lock_guard lock(mutex_);
    if (underway_) return;
    underway_ = true;
  }
  underwayChanged_.notify_all();
}

void DownloadCancel::WaitUntilUnderway(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  underwayChanged_.wait_for(lock, limit, [&] { return underway_; });
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
