// The update dialog's layout for each of its states (pixels; "width" is the client width
// the dialog was first laid out with).
#include <algorithm>

#include <renewal/UpdateDialogParts.h>
#include <win/gdi.h>
#include <win/user.h>

namespace renewal {

namespace {

struct StateLayout {
  int windowHeight;
  int messageHeight;
};

constexpr StateLayout kLayouts[] = {
    {353, 80},  // newer version: the update button
    {323, 60},  // the offer closed: OK
    {293, 20},  // checking: progress bar and Cancel
    {323, 60},  // network problem: OK
    {293, 20},  // latest version: OK
};

constexpr int kMessageLeft = 5;
constexpr int kMessageTop = 198;

// The height the message control needs to show all of `text` at `width` pixels: in its own
// font, wrapped as a left-aligned static text wraps it.
int MessageHeightFor(HWND message, const std::u16string& text, int width) {
  HDC dc = GetDC(message);
  if (!dc) return 0;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(message, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  RECT box{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  if (old) SelectObject(dc, old);
  ReleaseDC(message, dc);
  return box.bottom - box.top;
}

// The work area of the dialog's monitor (of the owner's, while the dialog is hidden).
RECT WorkAreaOf(HWND dialog) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  HWND owner = GetWindow(dialog, GW_OWNER);
  HMONITOR screen = MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST);
  RECT area{0, 0, 0, 0};
  if (screen && GetMonitorInfoW(screen, &monitor))
    area = monitor.rcWork;
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

void Place(HWND control, int x, int y, int width, int height) {
  if (!control) return;
  SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(control, SW_SHOW);
}

// In the middle of the owner, else of `area`, the work area of the dialog's monitor; kept
// on that work area.
void CentreOnOwner(HWND dialog, const RECT& area) {
  RECT box{};
  GetWindowRect(dialog, &box);
  int width = box.right - box.left;
  int height = box.bottom - box.top;
  HWND owner = GetWindow(dialog, GW_OWNER);
  RECT centre = area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
  int x = (centre.left + centre.right - width) / 2;
  int y = (centre.top + centre.bottom - height) / 2;
  x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width));
  y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void LayOutUpdateDialog(const UpdateDialogWindows& w, int state, int width, const std::u16string& messageText) {
  if (state < kStateNewer || state > kStateLatest) state = kStateLatest;
  for (HWND control : {w.updateButton, w.progress, w.cancel, w.ok})
    if (control) ShowWindow(control, SW_HIDE);
  const StateLayout& layout = kLayouts[state];
  // A message the table's height cannot hold (a wider face than the one the table was made
  // for wraps it into more lines) makes the dialog taller by what is missing, with the
  // controls below it moved down, rather than losing its last lines; but no taller than
  // the work area, so that its buttons stay on the screen.
  const RECT area = WorkAreaOf(w.dialog);
  const int room = std::max(0, static_cast<int>(area.bottom - area.top) - layout.windowHeight);
  const int more =
      w.message
          ? std::clamp(MessageHeightFor(w.message, messageText, width - kMessageLeft) - layout.messageHeight, 0, room)
          : 0;
  SetWindowPos(w.dialog, nullptr, 0, 0, width, layout.windowHeight + more, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (w.message) {
    SetWindowPos(w.message, nullptr, kMessageLeft, kMessageTop, width - kMessageLeft, layout.messageHeight + more,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowTextW(w.message, messageText.c_str());
  }
  switch (state) {
    case kStateNewer:
      Place(w.updateButton, 35, 288 + more, 355, 25);
      break;
    case kStateDeclined:
    case kStateNetworkProblem:
      Place(w.ok, width - 100, 258 + more, 85, 25);
      break;
    case kStateChecking:
      Place(w.progress, 10, 228 + more, width - 95, 20);
      Place(w.cancel, width - 80, 228 + more, 65, 20);
      break;
    default:
      Place(w.ok, width - 100, 228 + more, 85, 25);
      break;
  }
  CentreOnOwner(w.dialog, area);
  RedrawWindow(w.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace renewal
