// The caret: one per thread, a position and size its owner window moves. Nothing blinks
// or draws here; callers and tests read where it stands.
#include "kx2/ErrorBoundary.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/user.h"

namespace {

struct Caret {
  HWND owner = nullptr;
  POINT pos{0, 0};
  SIZE size{0, 0};
  int hidden = 1;  // a new caret is hidden until ShowCaret
};

thread_local Caret t_caret;
UINT g_blinkTime = 530;

// A caret whose window went away goes with it.
Caret* Live() {
  if (t_caret.owner && !IsWindow(t_caret.owner)) t_caret = Caret{};
  return t_caret.owner ? &t_caret : nullptr;
}

BOOL Refuse() {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

}  // namespace

KX2_EXPORT BOOL CreateCaret(HWND hWnd, HBITMAP, int nWidth, int nHeight) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsWindow(hWnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (GetWindowThreadProcessId(hWnd, nullptr) != GetCurrentThreadId()) return Refuse();
    t_caret = Caret{};
    t_caret.owner = hWnd;
    t_caret.size = SIZE{nWidth > 0 ? nWidth : GetSystemMetrics(SM_CXBORDER),
                        nHeight > 0 ? nHeight : GetSystemMetrics(SM_CYBORDER)};
    return TRUE;
  });
}

KX2_EXPORT BOOL DestroyCaret() {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!Live()) return Refuse();
    t_caret = Caret{};
    return TRUE;
  });
}

KX2_EXPORT BOOL SetCaretPos(int X, int Y) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Caret* c = Live();
    if (!c) return Refuse();
    c->pos = POINT{X, Y};
    return TRUE;
  });
}

KX2_EXPORT BOOL GetCaretPos(LPPOINT lpPoint) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Caret* c = Live();
    if (!c || !lpPoint) return Refuse();
    *lpPoint = c->pos;
    return TRUE;
  });
}

KX2_EXPORT BOOL ShowCaret(HWND hWnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Caret* c = Live();
    if (!c || (hWnd && hWnd != c->owner)) return Refuse();
    if (c->hidden > 0) --c->hidden;
    return TRUE;
  });
}

KX2_EXPORT BOOL HideCaret(HWND hWnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Caret* c = Live();
    if (!c || (hWnd && hWnd != c->owner)) return Refuse();
    ++c->hidden;
    return TRUE;
  });
}

KX2_EXPORT UINT GetCaretBlinkTime() { return g_blinkTime; }

KX2_EXPORT BOOL SetCaretBlinkTime(UINT uMSeconds) {
  g_blinkTime = uMSeconds;
  return TRUE;
}

KX2_EXPORT HWND Kx2GetCaretInfo(SIZE* size, BOOL* shown) {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    Caret* c = Live();
    if (size) *size = c ? c->size : SIZE{0, 0};
    if (shown) *shown = c && c->hidden == 0;
    return c ? c->owner : nullptr;
  });
}
