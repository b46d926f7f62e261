// The pieces of the update dialog that stand without the dialog itself: the progress
// callback on its progress bar, the download on a worker thread, the layout of its states,
// its texts, and the check on the address its update button opens.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <renewal/Renewal.h>
#include <win/types.h>
#include <win/urlmon.h>

namespace renewal {

// Dialog ids: the dialog, the banner bitmap, the controls and the strings.
constexpr UINT kUpdateDialogId = 7000;
constexpr UINT kBannerBitmapId = 7001;
constexpr int kIdBanner = 7007;
constexpr int kIdMessage = 7001;
constexpr int kIdProgress = 7000;
constexpr int kIdUpdateButton = 7002;
constexpr UINT kStringNewVersion = 7002;
constexpr UINT kStringDeclined = 7003;
constexpr UINT kStringChecking = 7004;
constexpr UINT kStringNetworkProblem = 7005;
constexpr UINT kStringLatest = 7006;

// The dialog's states.
constexpr int kStateNewer = 0;
constexpr int kStateDeclined = 1;
constexpr int kStateChecking = 2;
constexpr int kStateNetworkProblem = 3;
constexpr int kStateLatest = 4;

// Flag bit value that makes closing the offer of a newer version show the declined text.
constexpr DWORD kFlagConfirmClose = 8;

// Shows download progress on the dialog's progress bar. Not counted: it lives with the
// dialog.
class RENEWAL_API CBindStatusCallback final : public IBindStatusCallback {
 public:
  explicit CBindStatusCallback(HWND progress = nullptr) : progress_(progress) {}
  void SetProgressControl(HWND progress) { progress_ = progress; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  // The bar's range becomes 0 to maximum and its position the progress; a maximum past the
  // 16 bits of the range message scales both down alike. E_ABORT without a bar.
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG, LPCWSTR) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

 private:
  HWND progress_;
};

// Messages the download worker posts to the window that started it.
constexpr UINT kDownloadProgressMessage = 0x8000 + 0x71;  // WM_APP + 0x71: wParam progress, lParam maximum
constexpr UINT kDownloadDoneMessage = 0x8000 + 0x72;      // wParam: the download's HRESULT

// How long a transfer may receive nothing before it counts as a network problem:
// KX2_RENEWAL_STALL_MS, else 30 seconds.
RENEWAL_API std::chrono::milliseconds DownloadStallLimit();

// Runs the dialog's feed download on a thread of its own, posting progress and the result
// to a window, so that the window stays responsive and its Cancel is heard. Cancel (or the
// destructor) stops the transfer at once and joins the thread.
class RENEWAL_API FeedDownloadWorker {
 public:
  // Without a target, what the worker has to say is held until DeliverTo names one: the
  // download may start before the window that shows it is made.
  FeedDownloadWorker(HWND target, DWORD flags, std::chrono::milliseconds stallLimit);
  ~FeedDownloadWorker();
  FeedDownloadWorker(const FeedDownloadWorker&) = delete;
  FeedDownloadWorker& operator=(const FeedDownloadWorker&) = delete;

  // FALSE when no thread could be started (the caller then treats it as a failed download).
  BOOL Start();
  // Start with the whole transfer on the worker's thread, its request included: for a
  // caller that has a request of its own in flight and will sleep on it, so the new thread
  // runs (on this kernel, behind its creator) while the caller waits.
  BOOL StartOnItsThread();
  // Before Start: a feed that arrives whole waits to replace the feed file until
  // AllowReplacing, so that a caller fetching the same feed meanwhile reads its own answer
  // (and holds the file open) without this one landing in between.
  void HoldReplacing();
  void AllowReplacing();
  // Stops the transfer and waits for the thread; nothing is posted afterwards.
  void Cancel();
  bool Running() const { return thread_ != nullptr; }
  // Posts what was held, in its order, to `target`, and all that follows straight to it.
  void DeliverTo(HWND target);
  // The download's result when it has ended and no window took it yet (it is then not
  // posted); nothing while it runs.
  std::optional<HRESULT> TakeResultIfEnded();
  // Once the thread has been joined (Cancel): the feed file as the worker read it right
  // after its download ended, or null when it read none (no transfer ran, or it was
  // cancelled).
  const UpdateFeedInfo* FeedRead() const { return feedRead_ ? &feed_ : nullptr; }

  // What the worker's thread posts, kept in order while there is no window to take it.
  class Outbox {
   public:
    explicit Outbox(HWND target) : target_(target) {}
    void Post(UINT message, WPARAM wParam, LPARAM lParam);
    void DeliverTo(HWND target);
    // Takes the held message `message` out, with its wParam; nothing when none is held.
    std::optional<WPARAM> TakeHeld(UINT message);

   private:
    struct Held {
      UINT message;
      WPARAM wParam;
      LPARAM lParam;
    };
    std::mutex mutex_;
    HWND target_;
    std::vector<Held> held_;
  };

 private:
  class ProgressRelay;
  static DWORD WINAPI Run(void* self);

  // Begun by Start on the caller's thread, then only the worker's thread touches it.
  OnlineUpdateVersioinCheck check_;
  Outbox outbox_;
  std::unique_ptr<ProgressRelay> relay_;
  DWORD flags_;
  DownloadCancel cancel_;
  HANDLE thread_ = nullptr;
  // Set on the caller's thread before the worker's thread is made.
  bool begun_ = false;
  bool beginOnThread_ = false;
  // Written by the worker's thread before it ends.
  UpdateFeedInfo feed_;
  bool feedRead_ = false;
  // Whether Cancel stopped the worker, and whether a whole answer waits to replace the feed:
  // what the worker, ready to replace the feed, waits on.
  std::mutex replaceLock_;
  std::condition_variable replaceChanged_;
  bool stopped_ = false;
  bool replacingHeld_ = false;
};

// The layout of one state over the dialog's windows: the four buttons and the bar hidden,
// the window sized, the message placed and filled, the state's controls shown, the window
// centred on its owner and repainted.
struct UpdateDialogWindows {
  HWND dialog = nullptr;
  HWND message = nullptr;
  HWND updateButton = nullptr;
  HWND progress = nullptr;
  HWND ok = nullptr;
  HWND cancel = nullptr;
};
// `clientWidth` is the width the dialog's client had when first laid out: later layouts
// keep it, so that sizing the window to it does not narrow the dialog at each change.
RENEWAL_API void LayOutUpdateDialog(const UpdateDialogWindows& windows, int state, int clientWidth,
                                    const std::u16string& messageText);

// The message of a state, from the library's strings (module "Renewal_Enu"), "%s" taking
// the feed's version text.
RENEWAL_API std::u16string UpdateMessageText(int state, const std::u16string& versionText);

// The feed comes over plain HTTP: its url is opened only when it is a web address
// ("http://" or "https://", no control characters), never a file or a program.
RENEWAL_API bool IsWebAddress(std::u16string_view url);
// Opens a web address with the shell's "open" verb; FALSE (nothing opened) for any other.
RENEWAL_API BOOL OpenUpdateAddress(HWND owner, const std::u16string& url);

}  // namespace renewal
