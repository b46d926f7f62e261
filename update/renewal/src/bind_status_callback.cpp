// The dialog's progress callback: each notification moves the dialog's progress bar.
#include <renewal/UpdateDialogParts.h>
#include <win/commctrl.h>
#include <win/user.h>

namespace renewal {

HRESULT CBindStatusCallback::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT CBindStatusCallback::OnProgress(ULONG progress, ULONG maximum, ULONG, LPCWSTR) {
  if (!progress_) return E_ABORT;
  // The range message carries the maximum in 16 bits: a larger transfer is shown in
  // proportion instead of wrapping round.
  while (maximum > 0xFFFF) {
    maximum >>= 1;
    progress >>= 1;
  }
  SendMessageW(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
  SendMessageW(progress_, PBM_SETPOS, progress, 0);
  return S_OK;
}

}  // namespace renewal
