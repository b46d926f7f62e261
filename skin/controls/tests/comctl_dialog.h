// A dialog of the common controls the skin objects paint, and a generated skin whose parts
// have a colour of their own in every state: a 30-button toolbar (split, drop-down, checked
// and disabled buttons), tabs, a header, list and tree views, a trackbar, a progress bar, a
// spin with its buddy and a status bar. Shared by the dialog's probe test and its benchmark.
#pragma once

#include <string>
#include <vector>

#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/user.h>

namespace comctl_dialog {

inline COLORREF ToolbarColour(int state) { return RGB(40 * state, 100, 200); }
inline COLORREF SplitColour(int state) { return RGB(40 * state, 200, 100); }
inline COLORREF DropColour(int state) { return RGB(40 * state, 10, 50); }
inline COLORREF TabColour(int state) { return RGB(60 * state, 0, 210); }
inline COLORREF HeaderColour(int state) { return RGB(30 * state, 210, 90); }
inline COLORREF ThumbColour(int state) { return RGB(50 * state, 50, 20); }
inline COLORREF SpinColour(int state) { return RGB(20, 50 * state, 240); }
constexpr COLORREF kPane = RGB(250, 240, 200), kHeaderFiller = RGB(250, 250, 0), kChannel = RGB(0, 0, 255);
constexpr COLORREF kBar = RGB(200, 200, 100), kChunk = RGB(0, 150, 0);
constexpr COLORREF kWindow = RGB(10, 20, 30), kWindowText = RGB(240, 230, 220), kFace = RGB(230, 220, 200);

// Control ids.
enum : int { kToolbar = 100, kTabs, kHeader, kList, kTree, kTrackbar, kProgress, kSpin, kBuddy, kStatus };
constexpr int kButtons = 30;

inline std::u16string Number(int n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}
inline std::u16string Colour(COLORREF c) {
  return Number(GetRValue(c)) + u", " + Number(GetGValue(c)) + u", " + Number(GetBValue(c));
}

// The skin's INI lines.
inline std::vector<std::u16string> SkinLines() {
  std::vector<std::u16string> lines = {u"[SysMetrics]", u"1606:4 = " + Colour(kWindow),
                                       u"1609:4 = " + Colour(kWindowText), u"1616:4 = " + Colour(kFace)};
  auto fill = [&](const std::u16string& section, COLORREF c) {
    lines.insert(lines.end(), {section, u"BgType = 1", u"BorderSize = 0", u"FillColor = " + Colour(c)});
  };
  auto state = [](const char16_t* cls, int part, int s) {
    return u"[" + std::u16string(cls) + u"." + Number(part) + u"(" + Number(s) + u")]";
  };
  for (int s = 1; s <= 5; ++s) {
    fill(state(u"Toolbar", 1, s), ToolbarColour(s));
    fill(state(u"Toolbar", 3, s), SplitColour(s));
    fill(state(u"Toolbar", 4, s), DropColour(s));
    fill(state(u"TrackBar", 4, s), ThumbColour(s));
  }
  for (int s = 1; s <= 3; ++s) {
    for (int part : {5, 6, 7}) fill(state(u"Tab", part, s), TabColour(s));
    fill(state(u"Header", 1, s), HeaderColour(s));
  }
  for (int s = 1; s <= 4; ++s)
    for (int part : {1, 2}) fill(state(u"Spin", part, s), SpinColour(s));
  fill(u"[Tab.9]", kPane);
  fill(u"[Header.0]", kHeaderFiller);
  fill(u"[TrackBar.1]", kChannel);
  fill(u"[Progress.1]", kBar);
  fill(u"[Progress.3]", kChunk);
  lines.insert(lines.end(), {u"[Progress]", u"2411:2 = 0", u"2412:2 = 0"});  // continuous
  return lines;
}

inline HWND Child(HWND dialog, const char16_t* cls, DWORD style, int x, int y, int w, int h, int id,
                  DWORD exStyle = 0) {
  return CreateWindowExW(exStyle, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// Toolbar buttons: 0 normal, 1 checked, 2 disabled, 3 split, 4 whole drop-down, then plain
// and checked ones by turns, a separator every seventh.
inline void AddToolbarButtons(HWND toolbar) {
  std::vector<TBBUTTON> buttons(kButtons);
  for (int i = 0; i < kButtons; ++i) {
    TBBUTTON& b = buttons[static_cast<size_t>(i)];
    b.idCommand = 1000 + i;
    b.iBitmap = -1;
    b.iString = -1;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
    if (i == 1 || (i > 4 && i % 2 == 0)) b.fsState |= TBSTATE_CHECKED;
    if (i == 2) b.fsState = 0;
    if (i == 3) b.fsStyle = BTNS_DROPDOWN;
    if (i == 4) b.fsStyle = BTNS_WHOLEDROPDOWN;
    if (i > 4 && i % 7 == 0) b.fsStyle = BTNS_SEP;
  }
  SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
}

// The dialog (a top-level "#32770" window) with its controls filled in.
inline HWND Create() {
  HWND dialog = CreateWindowExW(0, WC_DIALOG, u"Controls", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 900, 560, nullptr,
                                nullptr, nullptr, nullptr);
  if (!dialog) return nullptr;
  AddToolbarButtons(Child(dialog, TOOLBARCLASSNAMEW, TBSTYLE_FLAT | CCS_NORESIZE, 0, 0, 900, 36, kToolbar));
  HWND tabs = Child(dialog, WC_TABCONTROLW, 0, 10, 40, 300, 120, kTabs);
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char16_t*>(i == 0 ? u"First" : i == 1 ? u"Second" : u"Third");
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  HWND header = Child(dialog, WC_HEADERW, 0, 320, 40, 300, 24, kHeader);
  for (int i = 0; i < 2; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.cxy = 100;
    item.fmt = HDF_STRING;
    item.pszText = const_cast<char16_t*>(u"Column");
    SendMessageW(header, HDM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  HWND list = Child(dialog, WC_LISTVIEWW, LVS_LIST, 320, 70, 260, 120, kList);
  for (int i = 0; i < 5; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char16_t*>(u"Item");
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  HWND tree = Child(dialog, WC_TREEVIEWW, TVS_HASLINES, 590, 70, 260, 120, kTree);
  TVINSERTSTRUCTW insert{};
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char16_t*>(u"Root");
  SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  HWND trackbar = Child(dialog, TRACKBAR_CLASSW, TBS_AUTOTICKS, 10, 200, 300, 40, kTrackbar);
  SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageW(trackbar, TBM_SETPOS, TRUE, 30);
  HWND progress = Child(dialog, PROGRESS_CLASSW, 0, 10, 250, 300, 20, kProgress);
  SendMessageW(progress, PBM_SETRANGE32, 0, 100);
  SendMessageW(progress, PBM_SETPOS, 50, 0);
  HWND buddy = Child(dialog, u"Edit", 0, 320, 250, 60, 22, kBuddy, WS_EX_CLIENTEDGE);
  HWND spin = Child(dialog, UPDOWN_CLASSW, UDS_ALIGNRIGHT | UDS_SETBUDDYINT, 380, 250, 18, 22, kSpin);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageW(spin, UDM_SETRANGE32, 0, 10);
  Child(dialog, STATUSCLASSNAMEW, 0, 0, 510, 900, 22, kStatus);
  return dialog;
}

// Paints every control of the dialog into `dc` (each at its own place), as the dialog's
// paint reaches them.
inline void PaintControls(HWND dialog, HDC dc) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    POINT old{};
    SetViewportOrgEx(dc, r.left, r.top, &old);
    SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(child, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
}

}  // namespace comctl_dialog
