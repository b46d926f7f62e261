// The per-dialog state, the dialog class and font base units.
#include "DialogState.h"

#include "kx2/ErrorBoundary.h"
#include "win/userres.h"

namespace kx2::user32 {
namespace {

constexpr LPCWSTR kStateProp = u"kx2.dialog";

bool IsDialogClass(HWND hwnd) {
  WCHAR name[16] = {};
  return GetClassNameW(hwnd, name, 16) > 0 && CompareStringOrdinal(name, -1, WC_DIALOG, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

DialogState* DialogOf(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return nullptr;
  if (auto* state = static_cast<DialogState*>(GetPropW(hwnd, kStateProp))) return state;
  return IsDialogClass(hwnd) ? AttachDialogState(hwnd) : nullptr;
}

DialogState* AttachDialogState(HWND hwnd) {
  if (auto* state = static_cast<DialogState*>(GetPropW(hwnd, kStateProp))) return state;
  auto* state = new DialogState;
  state->baseUnits = FontBaseUnits(nullptr);
  if (!SetPropW(hwnd, kStateProp, state)) {
    delete state;
    return nullptr;
  }
  return state;
}

void DetachDialogState(HWND hwnd) {
  auto* state = static_cast<DialogState*>(RemovePropW(hwnd, kStateProp));
  if (!state) return;
  if (state->ownsFont && state->font) DeleteObject(state->font);
  delete state;
}

SIZE FontBaseUnits(HFONT font) {
  HDC dc = GetDC(nullptr);
  if (!dc) return SIZE{8, 16};
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  static const char16_t kLetters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{0, 0};
  TEXTMETRICW metrics{};
  SIZE base{8, 16};
  if (GetTextExtentPoint32W(dc, kLetters, 52, &extent) && GetTextMetricsW(dc, &metrics)) {
    base.cx = (extent.cx / 26 + 1) / 2;
    base.cy = metrics.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (base.cx <= 0) base.cx = 1;
  if (base.cy <= 0) base.cy = 1;
  return base;
}

void RegisterDialogClass() {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS | CS_SAVEBITS | CS_GLOBALCLASS;
  wc.lpfnWndProc = &DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = WC_DIALOG;
  RegisterClassW(&wc);
}

namespace {

// The class exists as soon as the library does, as the system's does.
struct RegisterAtLoad {
  RegisterAtLoad() {
    kx2::Guard([] { RegisterDialogClass(); });
  }
} registerAtLoad;

}  // namespace

}  // namespace kx2::user32
