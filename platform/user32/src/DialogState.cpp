// The per-dialog state, the dialog class and font base units.
#include "DialogState.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "win/userres.h"

namespace kx2::user32 {
namespace {

// Every dialog's state, by window. A window whose procedure never lets WM_NCDESTROY reach
// DefDlgProcW (a template naming a class of another kind) leaves its entry behind; such
// entries are swept when the next dialog is made (handles are never reused).
struct StateTable {
  std::mutex lock;
  std::unordered_map<HWND, std::unique_ptr<DialogState>> states;
};

StateTable& States() {
  static auto* table = new StateTable;
  return *table;
}

void Release(std::unique_ptr<DialogState> state) {
  if (state && state->ownsFont && state->font) DeleteObject(state->font);
}

bool IsDialogClass(HWND hwnd) {
  WCHAR name[16] = {};
  return GetClassNameW(hwnd, name, 16) > 0 && CompareStringOrdinal(name, -1, WC_DIALOG, -1, TRUE) == CSTR_EQUAL;
}

DialogState* Lookup(HWND hwnd) {
  StateTable& table = States();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.states.find(hwnd);
  return it == table.states.end() ? nullptr : it->second.get();
}

}  // namespace

DialogState* DialogOf(HWND hwnd) {
  if (!hwnd || !IsWindow(hwnd)) return nullptr;
  if (DialogState* state = Lookup(hwnd)) return state;
  return IsDialogClass(hwnd) ? AttachDialogState(hwnd) : nullptr;
}

DialogState* AttachDialogState(HWND hwnd) {
  if (DialogState* state = Lookup(hwnd)) return state;
  auto made = std::make_unique<DialogState>();
  made->baseUnits = FontBaseUnits(nullptr);
  DialogState* state = made.get();
  std::vector<std::unique_ptr<DialogState>> stale;
  {
    StateTable& table = States();
    std::lock_guard<std::mutex> guard(table.lock);
    for (auto it = table.states.begin(); it != table.states.end();) {
      if (IsWindow(it->first)) {
        ++it;
        continue;
      }
      stale.push_back(std::move(it->second));
      it = table.states.erase(it);
    }
    table.states[hwnd] = std::move(made);
  }
  for (auto& old : stale) Release(std::move(old));
  return state;
}

void DetachDialogState(HWND hwnd) {
  std::unique_ptr<DialogState> state;
  {
    StateTable& table = States();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.states.find(hwnd);
    if (it == table.states.end()) return;
    state = std::move(it->second);
    table.states.erase(it);
  }
  Release(std::move(state));
}

namespace {

SIZE MeasureBaseUnits(HFONT font) {
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

}  // namespace

SIZE FontBaseUnits(HFONT font) {
  if (font && font != GetStockObject(SYSTEM_FONT)) return MeasureBaseUnits(font);
  // The system font never changes: measured once.
  static const SIZE system = MeasureBaseUnits(nullptr);
  return system;
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
