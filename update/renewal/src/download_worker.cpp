// The dialog's download on a thread of its own. The thread never calls into the dialog:
// it posts progress and its result, and its progress relay asks the transfer to stop once
// the dialog cancelled it.
#include <cstdlib>
#include <string>

#include <renewal/UpdateDialogParts.h>
#include <win/kernel.h>
#include <win/user.h>

namespace renewal {

namespace {

constexpr std::chrono::milliseconds kDefaultStallLimit{30000};

}  // namespace

// Passes the transfer's progress to the dialog's queue.
class FeedDownloadWorker::ProgressRelay final : public IBindStatusCallback {
 public:
  ProgressRelay(FeedDownloadWorker::Outbox& outbox, const DownloadCancel& cancel) : outbox_(outbox), cancel_(cancel) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG, LPCWSTR) override {
    if (cancel_.Cancelled()) return E_ABORT;
    outbox_.Post(kDownloadProgressMessage, progress, static_cast<LPARAM>(maximum));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

 private:
  FeedDownloadWorker::Outbox& outbox_;
  const DownloadCancel& cancel_;
};

std::chrono::milliseconds DownloadStallLimit() {
  const char* value = std::getenv("KX2_RENEWAL_STALL_MS");
  if (!value || !*value) return kDefaultStallLimit;
  char* end = nullptr;
  long long ms = std::strtoll(value, &end, 10);
  if (*end || ms <= 0) return kDefaultStallLimit;
  return std::chrono::milliseconds(ms);
}

void FeedDownloadWorker::Outbox::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard lock(mutex_);
  if (target_)
    PostMessageW(target_, message, wParam, lParam);
  else
    held_.push_back(Held{message, wParam, lParam});
}

std::optional<WPARAM> FeedDownloadWorker::Outbox::TakeHeld(UINT message) {
  std::lock_guard lock(mutex_);
  for (auto it = held_.begin(); it != held_.end(); ++it)
    if (it->message == message) {
      const WPARAM wParam = it->wParam;
      held_.erase(it);
      return wParam;
    }
  return std::nullopt;
}

void FeedDownloadWorker::Outbox::DeliverTo(HWND target) {
  std::lock_guard lock(mutex_);
  target_ = target;
  for (const Held& held : held_) PostMessageW(target_, held.message, held.wParam, held.lParam);
  held_.clear();
}

FeedDownloadWorker::FeedDownloadWorker(HWND target, DWORD flags, std::chrono::milliseconds stallLimit)
    : outbox_(target), relay_(std::make_unique<ProgressRelay>(outbox_, cancel_)), flags_(flags) {
  check_.LimitSilenceTo(stallLimit);
  check_.StopWhen(&cancel_);
  check_.WaitBeforeReplacing([this] {
    std::unique_lock lock(replaceLock_);
    replaceChanged_.wait(lock, [&] { return !replacingHeld_ || stopped_; });
    return !stopped_;
  });
}

FeedDownloadWorker::~FeedDownloadWorker() { Cancel(); }

BOOL FeedDownloadWorker::Start() {
  if (begun_) return thread_ != nullptr;
  // The request goes out from here (a tenth of a millisecond), so the server works while
  // the thread gets going: this kernel queues a new thread behind its busy creator, and it
  // started only once the dialog had been made. A server slow to accept (or a name slow to
  // resolve) holds the caller back only briefly.
  check_.BeginDownload(relay_.get(), flags_, OnlineUpdateVersioinCheck::kRequestWait);
  begun_ = true;
  thread_ = CreateThread(nullptr, 0, &FeedDownloadWorker::Run, this, 0, nullptr);
  if (thread_) return TRUE;
  // No thread to finish it: the transfer begun is dropped with its partial file.
  cancel_.Cancel();
  check_.FinishDownload();
  return FALSE;
}

BOOL FeedDownloadWorker::StartOnItsThread() {
  if (begun_) return thread_ != nullptr;
  begun_ = true;
  beginOnThread_ = true;
  thread_ = CreateThread(nullptr, 0, &FeedDownloadWorker::Run, this, 0, nullptr);
  return thread_ != nullptr;
}

void FeedDownloadWorker::DeliverTo(HWND target) { outbox_.DeliverTo(target); }

std::optional<HRESULT> FeedDownloadWorker::TakeResultIfEnded() {
  std::optional<WPARAM> done = outbox_.TakeHeld(kDownloadDoneMessage);
  if (!done) return std::nullopt;
  return static_cast<HRESULT>(static_cast<uint32_t>(*done));
}

void FeedDownloadWorker::HoldReplacing() {
  std::lock_guard lock(replaceLock_);
  replacingHeld_ = true;
}

void FeedDownloadWorker::AllowReplacing() {
  {
    std::lock_guard lock(replaceLock_);
    replacingHeld_ = false;
  }
  replaceChanged_.notify_all();
}

void FeedDownloadWorker::Cancel() {
  if (!thread_) return;
  // Cancelled before the held answer is let go: a thread woken by the stop must find the
  // transfer cancelled, or it reports an ending nobody waits for.
  cancel_.Cancel();
  {
    std::lock_guard lock(replaceLock_);
    stopped_ = true;
  }
  replaceChanged_.notify_all();
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI FeedDownloadWorker::Run(void* self) {
  auto* worker = static_cast<FeedDownloadWorker*>(self);
  HRESULT result = E_FAIL;
  try {
    result = worker->beginOnThread_ ? worker->check_.DownloadFeed(worker->relay_.get(), worker->flags_)
                                    : worker->check_.FinishDownload();
  } catch (...) {
    result = E_OUTOFMEMORY;
  }
  // A cancelled download is not reported: the dialog that cancelled it is closing.
  if (worker->cancel_.Cancelled()) return 0;
  // The feed is read here, beside the dialog's making, rather than by the dialog once the
  // result reaches it: the file is the one this download left either way.
  try {
    worker->check_.ReadFeed(&worker->feed_);
    worker->feedRead_ = true;
  } catch (...) {
    worker->feed_ = UpdateFeedInfo{};
  }
  worker->outbox_.Post(kDownloadDoneMessage, static_cast<WPARAM>(static_cast<uint32_t>(result)), 0);
  return 0;
}

}  // namespace renewal
