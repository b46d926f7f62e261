// The update dialog (dialog resource 7000 of this library): what it does with its
// windows and its download, state by state.
#pragma once

#include <memory>
#include <string>

#include <renewal/Renewal.h>
#include <renewal/UpdateDialogParts.h>
#include <win/afx.h>
#include <win/types.h>

namespace renewal {

class RENEWAL_API UpdateDlg : public CDialog {
 public:
  // The state starts at 0 (the offer) with flag bit value 8, else at 2 (checking).
  UpdateDlg(const FeedVersion& current, DWORD flags, std::u16string url, CWnd* parent = nullptr);
  // The same, with the feed its caller has just read: the url is the feed's, and the dialog
  // starts from that record instead of reading the file again.
  UpdateDlg(const FeedVersion& current, DWORD flags, const UpdateFeedInfo& feed, CWnd* parent = nullptr);
  ~UpdateDlg() override;
  UpdateDlg(const UpdateDlg&) = delete;
  UpdateDlg& operator=(const UpdateDlg&) = delete;

  // The worker the download runs on, made (and its thread started) by the caller ahead of
  // time for these flags; without one, DoModal makes its own.
  void UseWorker(std::unique_ptr<FeedDownloadWorker> worker) { worker_ = std::move(worker); }
  // Over the owner CDialog picks; IDOK or IDCANCEL, -1 when the dialog could not be made.
  // The download starts first, so that the fetch runs while the dialog is being made.
  INT_PTR DoModal() override;

  // The dialog's start: the banner widened to the client less 10 pixels, the layout of the
  // state, the marquee, and the download started on its worker.
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  int State() const { return state_; }
  const std::u16string& Url() const { return url_; }

 protected:
  // The update button; WM_CLOSE; the worker's messages; the window's end.
  void OnUpdateButton();
  void OnClose();
  LRESULT OnDownloadProgress(WPARAM progress, LPARAM maximum);
  LRESULT OnDownloadDone(WPARAM result, LPARAM);
  void OnDestroy();
  DECLARE_MESSAGE_MAP()

 private:
  // The feed as it stands read (unless the caller gave it), then the worker started; once.
  void StartDownload();
  void Finish(HRESULT result);
  // Lays the dialog out for its state with the version of the feed as last read.
  void LayOut();
  void End(int result);

  FeedVersion current_;
  DWORD flags_;
  std::u16string url_;
  int state_;
  // The feed file as read at the start and after the download: one read serves the
  // comparison, the address and the message of each.
  UpdateFeedInfo feed_;
  bool feedRead_ = false;
  bool downloadStarted_ = false;
  bool started_ = false;
  OnlineUpdateVersioinCheck check_;
  CBindStatusCallback callback_;
  std::unique_ptr<FeedDownloadWorker> worker_;
  UpdateDialogWindows windows_;
  int clientWidth_ = 0;
};

}  // namespace renewal
