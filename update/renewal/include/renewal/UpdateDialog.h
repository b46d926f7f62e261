// The update dialog: what it does with its windows and its download, state by state.
// The dialog window itself comes from the library's dialog resource 7000.
#pragma once

#include <memory>
#include <string>

#include <renewal/Renewal.h>
#include <renewal/UpdateDialogParts.h>
#include <win/types.h>

namespace renewal {

class RENEWAL_API UpdateDlg {
 public:
  // The state starts at 0 (the offer) with flag bit value 8, else at 2 (checking).
  UpdateDlg(const FeedVersion& current, DWORD flags, std::u16string url);
  ~UpdateDlg();
  UpdateDlg(const UpdateDlg&) = delete;
  UpdateDlg& operator=(const UpdateDlg&) = delete;

  // Runs the dialog modally over `owner`; the dialog's end result (IDOK, IDCANCEL; -1 when
  // it could not be made).
  INT_PTR DoModal(HWND owner);

  // The dialog's start: the banner widened to the client less 10 pixels, the layout of the
  // state, the marquee, and the download started on its worker.
  BOOL OnInitDialog(HWND dialog);
  // The update button, OK, Cancel; WM_CLOSE; the worker's messages; the window's end.
  void OnUpdateButton();
  void OnOK();
  void OnCancel();
  void OnClose();
  void OnDownloadProgress(WPARAM progress, LPARAM maximum);
  void OnDownloadDone(HRESULT result);
  void OnDestroy();

  int State() const { return state_; }
  const std::u16string& Url() const { return url_; }
  HWND Window() const { return windows_.dialog; }

 private:
  void LayOut();
  void End(INT_PTR result);

  FeedVersion current_;
  DWORD flags_;
  std::u16string url_;
  int state_;
  OnlineUpdateVersioinCheck check_;
  CBindStatusCallback callback_;
  std::unique_ptr<FeedDownloadWorker> worker_;
  UpdateDialogWindows windows_;
  int clientWidth_ = 0;
};

}  // namespace renewal
