// The update dialog. Its download runs on a worker thread, so the dialog shows "checking"
// with a live Cancel while the feed arrives, and a transfer that goes silent ends as a
// network problem instead of holding the dialog.
#include <optional>

#include <kx2/Module.h>
#include <renewal/UpdateDialog.h>
#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/user.h>

namespace renewal {

namespace {

constexpr UINT kMarqueeMs = 70;
constexpr int kBannerMargin = 10;

// This library's module serves the application's resources while it lives.
class ResourcesOfThisLibrary {
 public:
  ResourcesOfThisLibrary() : previous_(AfxGetResourceHandle()) { AfxSetResourceHandle(Kx2ThisModule()); }
  ~ResourcesOfThisLibrary() { AfxSetResourceHandle(previous_); }
  ResourcesOfThisLibrary(const ResourcesOfThisLibrary&) = delete;
  ResourcesOfThisLibrary& operator=(const ResourcesOfThisLibrary&) = delete;

 private:
  HINSTANCE previous_;
};

}  // namespace

BEGIN_MESSAGE_MAP(UpdateDlg, CDialog)
ON_BN_CLICKED(kIdUpdateButton, OnUpdateButton)
ON_WM_CLOSE()
ON_WM_DESTROY()
ON_MESSAGE(kDownloadProgressMessage, OnDownloadProgress)
ON_MESSAGE(kDownloadDoneMessage, OnDownloadDone)
END_MESSAGE_MAP()

UpdateDlg::UpdateDlg(const FeedVersion& current, DWORD flags, std::u16string url, CWnd* parent)
    : CDialog(kUpdateDialogId, parent),
      current_(current),
      flags_(flags),
      url_(std::move(url)),
      state_(flags & kFlagConfirmClose ? kStateNewer : kStateChecking) {
  // The feed the export read, until the dialog's own download brings it anew.
  check_.SetFeedPath(LocalFeedPath(flags));
}

UpdateDlg::UpdateDlg(const FeedVersion& current, DWORD flags, const UpdateFeedInfo& feed, CWnd* parent)
    : UpdateDlg(current, flags, feed.url, parent) {
  feed_ = feed;
  feedRead_ = true;
}

UpdateDlg::~UpdateDlg() = default;

INT_PTR UpdateDlg::DoModal() {
  // The progress bar's class, before the template asks for it.
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  // The template, its bitmap and texts are this library's: its module serves the
  // resources while the dialog runs, whatever the host's chain holds.
  ResourcesOfThisLibrary resources;
  StartDownload();
  const INT_PTR result = CDialog::DoModal();
  // A dialog that could not be made leaves no download behind.
  worker_.reset();
  downloadStarted_ = false;
  return result;
}

void UpdateDlg::StartDownload() {
  if (downloadStarted_) return;
  downloadStarted_ = true;
  // The feed as the export left it, read before the worker may rename a new one over it:
  // a reader holding the file open would also make that rename fail.
  if (!feedRead_) check_.ReadFeed(&feed_);
  feedRead_ = true;
  // The worker holds what it posts until OnInitDialog hands it the dialog; the modal loop
  // reads it only after that, so the user sees the same order of states.
  if (!worker_) worker_ = std::make_unique<FeedDownloadWorker>(nullptr, flags_, DownloadStallLimit());
  started_ = worker_->Start() != FALSE;
}

BOOL UpdateDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  HWND dialog = m_hWnd;
  // Started by DoModal already; here only when the dialog is made some other way.
  StartDownload();
  windows_.dialog = dialog;
  windows_.message = ::GetDlgItem(dialog, kIdMessage);
  windows_.updateButton = ::GetDlgItem(dialog, kIdUpdateButton);
  windows_.progress = ::GetDlgItem(dialog, kIdProgress);
  windows_.ok = ::GetDlgItem(dialog, IDOK);
  windows_.cancel = ::GetDlgItem(dialog, IDCANCEL);
  RECT client{};
  ::GetClientRect(dialog, &client);
  clientWidth_ = client.right;
  if (HWND banner = ::GetDlgItem(dialog, kIdBanner)) {
    RECT box{};
    ::GetWindowRect(banner, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    ::SetWindowPos(banner, nullptr, box.left, box.top, clientWidth_ - kBannerMargin, box.bottom - box.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // A download that has already ended decides the state now: laying out "checking" first
  // would only be undone before anything is painted, as when the transfer ran here.
  const std::optional<HRESULT> ended = worker_->TakeResultIfEnded();
  if (!ended) LayOut();

  if (windows_.progress) {
    SetWindowLongPtrW(windows_.progress, GWL_STYLE, GetWindowLongPtrW(windows_.progress, GWL_STYLE) | PBS_MARQUEE);
    SendMessageW(windows_.progress, PBM_SETMARQUEE, TRUE, kMarqueeMs);
  }
  callback_.SetProgressControl(windows_.progress);
  worker_->DeliverTo(dialog);
  if (!started_)
    Finish(E_FAIL);
  else if (ended)
    Finish(*ended);
  return TRUE;
}

LRESULT UpdateDlg::OnDownloadProgress(WPARAM progress, LPARAM maximum) {
  callback_.OnProgress(static_cast<ULONG>(progress), static_cast<ULONG>(maximum), BINDSTATUS_DOWNLOADINGDATA, nullptr);
  return 0;
}

LRESULT UpdateDlg::OnDownloadDone(WPARAM result, LPARAM) {
  Finish(static_cast<HRESULT>(static_cast<uint32_t>(result)));
  return 0;
}

void UpdateDlg::Finish(HRESULT result) {
  if (worker_) worker_->Cancel();  // joins the thread, which has ended
  // Someone who already closed the offer has answered; the result changes nothing then.
  if (state_ == kStateDeclined) return;
  feed_ = UpdateFeedInfo{};
  if (const UpdateFeedInfo* read = worker_ ? worker_->FeedRead() : nullptr)
    feed_ = *read;
  else
    check_.ReadFeed(&feed_);
  if (result != S_OK) {
    state_ = kStateNetworkProblem;
  } else {
    state_ = CompareFeedVersion(feed_, current_) == 0 ? kStateNewer : kStateLatest;
    url_ = feed_.url;
  }
  LayOut();
}

void UpdateDlg::LayOut() {
  LayOutUpdateDialog(windows_, state_, clientWidth_, UpdateMessageText(state_, FeedVersionText(feed_)));
}

void UpdateDlg::OnUpdateButton() {
  OpenUpdateAddress(windows_.dialog, url_);
  OnOK();
}

void UpdateDlg::OnOK() { End(IDOK); }

void UpdateDlg::OnCancel() { End(IDCANCEL); }

void UpdateDlg::OnClose() {
  if (state_ == kStateNewer && (flags_ & kFlagConfirmClose)) {
    state_ = kStateDeclined;
    LayOut();
    return;
  }
  End(IDCANCEL);
}

void UpdateDlg::End(int result) {
  // A download still running is stopped now, so the dialog closes at once.
  worker_.reset();
  EndDialog(result);
}

void UpdateDlg::OnDestroy() {
  worker_.reset();
  CDialog::OnDestroy();
}

}  // namespace renewal
