// The update check: the feed object, the bind callback with its deadline and the library's
// exports (C convention).
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <win/types.h>
#include <win/urlmon.h>

#define RENEWAL_API __attribute__((visibility("default")))

namespace renewal {

// The feed as read: a missing or unreadable feed reads as 0.0.0.0 with an empty url.
struct UpdateFeedInfo {
  int32_t major = 0;
  int32_t minor = 0;
  int32_t patch = 0;
  int32_t revision = 0;
  std::u16string url;
};

struct FeedVersion {
  int32_t major = 0;
  int32_t minor = 0;
  int32_t patch = 0;
  int32_t revision = 0;
};

// Flag bit values that pick the feed file.
constexpr DWORD kFeedCollabBeta = 4;
constexpr DWORD kFeedStarter = 2;
constexpr DWORD kFeedYearly = 1;

// The feed file name the flags pick.
RENEWAL_API const char16_t* FeedFileName(DWORD flags);
// Where downloads keep the feed: the temporary folder's "Taloria\" (empty when there is no
// temporary folder), and the feed file the flags pick in it.
RENEWAL_API std::u16string LocalFeedFolder();
RENEWAL_API std::u16string LocalFeedPath(DWORD flags);

// Stops a download running on another thread at once: the transfer waits on a handle that
// Cancel wakes.
class RENEWAL_API DownloadCancel {
 public:
  DownloadCancel() = default;
  DownloadCancel(const DownloadCancel&) = delete;
  DownloadCancel& operator=(const DownloadCancel&) = delete;

  void Cancel();
  bool Cancelled() const { return cancelled_.load(); }
  // For the transfer: the waiting handle Cancel wakes while it runs.
  void Attach(void* multi);
  void Detach();

 private:
  std::mutex mutex_;
  void* multi_ = nullptr;
  std::atomic<bool> cancelled_{false};
};

// A feed record's version as "%d.%d.%d.%d", and its comparison with the current version
// (0 when the feed's is newer, else 1): what GetFeedVersionText and CompareWithFeed give
// for a feed once read.
RENEWAL_API std::u16string FeedVersionText(const UpdateFeedInfo& feed);
RENEWAL_API int CompareFeedVersion(const UpdateFeedInfo& feed, const FeedVersion& current);

// IUnknown-shaped but not counted: the object lives on its caller's stack.
struct IOnlineUpdateVersionCheck : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE DownloadFeed(IBindStatusCallback* callback, DWORD flags) = 0;
  virtual int STDMETHODCALLTYPE ReadFeed(UpdateFeedInfo* info) = 0;
  virtual void STDMETHODCALLTYPE GetFeedVersionText(char16_t* buffer) = 0;
  virtual int STDMETHODCALLTYPE Reserved1() = 0;
  virtual int STDMETHODCALLTYPE Reserved2() = 0;
  virtual int STDMETHODCALLTYPE Reserved3() = 0;
  virtual int STDMETHODCALLTYPE Reserved4() = 0;
  virtual int STDMETHODCALLTYPE CompareWithFeed(const FeedVersion* current) = 0;
  virtual int STDMETHODCALLTYPE Reserved5(void* argument) = 0;

 protected:
  ~IOnlineUpdateVersionCheck() = default;
};

class RENEWAL_API OnlineUpdateVersioinCheck final : public IOnlineUpdateVersionCheck {
 public:
  OnlineUpdateVersioinCheck();
  ~OnlineUpdateVersioinCheck();
  OnlineUpdateVersioinCheck(const OnlineUpdateVersioinCheck&) = delete;
  OnlineUpdateVersioinCheck& operator=(const OnlineUpdateVersioinCheck&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // The feed goes to a temporary file beside the feed file and replaces it only after a
  // complete answer 200, so a cut or failed download leaves the earlier feed as it was.
  // E_ABORT when the callback or the time limit stopped it; S_FALSE when the local folder
  // cannot be made.
  HRESULT STDMETHODCALLTYPE DownloadFeed(IBindStatusCallback* callback, DWORD flags) override;
  // DownloadFeed in two halves, for a caller that starts the transfer on its own thread and
  // has another finish it: BeginDownload returns once the request is out (or the transfer
  // ended, or `wait` passed), FinishDownload runs it to its end and answers as DownloadFeed
  // would. The callback serves both halves.
  void BeginDownload(IBindStatusCallback* callback, DWORD flags, std::chrono::milliseconds wait);
  // The wait the library's own callers give BeginDownload: a server slow to accept (or a
  // name slow to resolve) holds them back only this long.
  static constexpr std::chrono::milliseconds kRequestWait{10};
  HRESULT FinishDownload();
  int STDMETHODCALLTYPE ReadFeed(UpdateFeedInfo* info) override;
  void STDMETHODCALLTYPE GetFeedVersionText(char16_t* buffer) override;
  int STDMETHODCALLTYPE Reserved1() override { return -1; }
  int STDMETHODCALLTYPE Reserved2() override { return -1; }
  int STDMETHODCALLTYPE Reserved3() override { return -1; }
  int STDMETHODCALLTYPE Reserved4() override { return -1; }
  // 0 when the feed announces a newer version than current, else 1.
  int STDMETHODCALLTYPE CompareWithFeed(const FeedVersion* current) override;
  int STDMETHODCALLTYPE Reserved5(void*) override { return 0; }

  // A download ends by this moment whatever the server does (real time).
  void LimitDownloadTo(std::chrono::steady_clock::time_point deadline) { deadline_ = deadline; }
  // A transfer that receives nothing for this long fails as a network problem.
  void LimitSilenceTo(std::chrono::milliseconds silence) { silence_ = silence; }
  // A download stops (E_ABORT) as soon as this is cancelled.
  void StopWhen(DownloadCancel* cancel) { cancel_ = cancel; }
  // Called by a download that arrived whole, right before it replaces the feed file, for a
  // caller that must finish with the earlier feed first; answering false drops the download
  // as cancelled (E_ABORT).
  void WaitBeforeReplacing(std::function<bool()> wait) { beforeReplacing_ = std::move(wait); }
  // The local feed path (kept by DownloadFeed, or set directly to read a given file).
  const std::u16string& FeedPath() const { return feedPath_; }
  void SetFeedPath(std::u16string path) { feedPath_ = std::move(path); }

  // A download between its halves (known to its implementation only).
  struct Download;

 private:
  std::unique_ptr<Download> Prepare(IBindStatusCallback* callback, DWORD flags);

  std::u16string feedPath_;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  std::optional<std::chrono::milliseconds> silence_;
  DownloadCancel* cancel_ = nullptr;
  std::function<bool()> beforeReplacing_;
  std::unique_ptr<Download> download_;
};

// Stops a silent download at the first progress notification past its deadline (seconds
// since 1970). Not counted: it lives on the caller's stack.
class RENEWAL_API BindCallback final : public IBindStatusCallback {
 public:
  explicit BindCallback(int64_t deadline) : deadline_(deadline) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
  ULONG STDMETHODCALLTYPE Release() override { return 0; }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

 private:
  int64_t deadline_;
};

// The library's entry, callable directly by tests (attach TRUE/FALSE).
RENEWAL_API BOOL RenewalProcessAttach();
RENEWAL_API void RenewalProcessDetach();

}  // namespace renewal

extern "C" {
// Shows the modal update dialog for the feed the flags pick; 1 once it has closed.
RENEWAL_API int StartOnlineUpdate(int major, int minor, int patch, int revision, int flags);
// 0 when the feed announces a newer version than the one given, else 1.
RENEWAL_API int CheckOnlineUpdate(int major, int minor, int patch, int revision, int flags);
// Hands the usage report to the launcher library: 1 after Fennic_Run ran, 0 when the
// library or its export is missing, the folder look-up's failure otherwise.
RENEWAL_API HRESULT InitOnlineUpdate(void* ignored, LPCWSTR version, LPCWSTR type);
}
