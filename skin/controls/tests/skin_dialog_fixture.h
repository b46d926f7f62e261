// A dialog of the standard controls and a generated skin whose parts fill with a colour of
// their own for each class, part and state, shared by the dialog's probe test and the
// painting benchmark.
#pragma once

#include <string>
#include <vector>

#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/user.h>

#include "probe_canvas.h"

namespace ornatex_test {

// Class codes of the probe colours.
enum ProbeClass { kProbeButton = 10, kProbeScrollBar = 60, kProbeComboBox = 110, kProbeEdit = 160, kProbeList = 210 };

// One colour per class, part (up to 10) and state (up to 16).
inline COLORREF ProbeColour(int cls, int part, int state) { return RGB(cls, part * 20 + 5, state * 15); }
// The edit's and list box's borders (border fill) and the skin's window and face colours.
constexpr COLORREF kProbeEditBorder = RGB(250, 5, 5), kProbeListBorder = RGB(5, 250, 5);
constexpr COLORREF kProbeWindow = RGB(20, 30, 40), kProbeFace = RGB(90, 80, 70), kProbeTitle = RGB(130, 20, 160);

// The skin's INI lines.
inline std::vector<std::u16string> ProbeSkinLines() {
  std::vector<std::u16string> lines = {u"[SysMetrics]", u"1606:4 = " + ProbeColourText(kProbeWindow),
                                       u"1616:4 = " + ProbeColourText(kProbeFace),
                                       u"ActiveCaption = " + ProbeColourText(kProbeTitle)};
  auto fill = [&](const char16_t* name, int cls, int part, int states) {
    for (int state = 1; state <= states; ++state) {
      lines.push_back(u"[" + std::u16string(name) + u"." + ProbeNumber(part) + u"(" + ProbeNumber(state) + u")]");
      lines.push_back(u"BgType = 1");
      lines.push_back(u"BorderSize = 0");
      lines.push_back(u"FillColor = " + ProbeColourText(ProbeColour(cls, part, state)));
    }
  };
  fill(u"Button", kProbeButton, 1, 5);
  fill(u"Button", kProbeButton, 2, 8);
  fill(u"Button", kProbeButton, 3, 12);
  fill(u"Button", kProbeButton, 4, 2);
  for (int part = 1; part <= 10; ++part) fill(u"Scrollbar", kProbeScrollBar, part, 16);
  // The combo box's whole box by border fill: its border colour tells the state.
  for (int state = 1; state <= 4; ++state) {
    lines.push_back(u"[Combobox.0(" + ProbeNumber(state) + u")]");
    lines.push_back(u"BgType = 1");
    lines.push_back(u"BorderColor = " + ProbeColourText(ProbeColour(kProbeComboBox, 0, state)));
  }
  fill(u"Combobox", kProbeComboBox, 1, 4);
  lines.insert(lines.end(), {u"[Edit]", u"BgType = 1", u"BorderColor = " + ProbeColourText(kProbeEditBorder),
                             u"[Listbox]", u"BgType = 1", u"BorderColor = " + ProbeColourText(kProbeListBorder)});
  return lines;
}

// The dialog (client coordinates are window coordinates: no frame) and its controls. The
// picker is a common-controls 6.10 one without a client edge: its border is the skin's
// "COMBOBOX" box part.
struct ProbeDialog {
  ProbeDialog() {
    // A template in memory: style, extended style, no items, position and size, then no
    // menu, the dialog class and an empty title.
    std::vector<WORD> words(16, 0);
    const DWORD style = WS_POPUP | WS_VISIBLE;
    words[0] = LOWORD(style), words[1] = HIWORD(style);
    dialog = CreateDialogIndirectParamW(
        nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (!dialog) return;
    SetWindowPos(dialog, nullptr, 40, 40, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    push = Child(u"Button", u"Push", BS_PUSHBUTTON, 0, 10, 10, 100, 30);
    check = Child(u"Button", u"Check", BS_AUTOCHECKBOX, 0, 10, 50, 120, 20);
    radio = Child(u"Button", u"Radio", BS_AUTORADIOBUTTON, 0, 10, 80, 120, 20);
    group = Child(u"Button", u"Group", BS_GROUPBOX, 0, 140, 10, 130, 100);
    edit = Child(u"Edit", u"text", 0, WS_EX_CLIENTEDGE, 10, 120, 120, 24);
    vbar = Child(u"ScrollBar", u"", SBS_VERT, 0, 10, 160, 17, 120);
    hbar = Child(u"ScrollBar", u"", SBS_HORZ, 0, 40, 260, 200, 17);
    picker = Child(DATETIMEPICK_CLASSW, u"", 0, 0, 140, 120, 110, 24);
    calendar = Child(MONTHCAL_CLASSW, u"", 0, 0, 250, 120, 220, 170);
    list = Child(WC_LISTBOXW, u"", LBS_NOTIFY, WS_EX_CLIENTEDGE, 480, 10, 110, 80);
    simple = Child(WC_COMBOBOXW, u"", CBS_SIMPLE, 0, 480, 100, 110, 90);
    dropDown = Child(WC_COMBOBOXW, u"", CBS_DROPDOWN, 0, 480, 200, 110, 150);
    dropList = Child(WC_COMBOBOXW, u"", CBS_DROPDOWNLIST, 0, 480, 240, 110, 150);
    for (HWND box : {list}) {
      SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one"));
      SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"two"));
    }
    for (HWND box : {simple, dropDown, dropList}) {
      SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one"));
      SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"two"));
      SendMessageW(box, CB_SETCURSEL, 0, 0);
    }
    for (HWND bar : {vbar, hbar}) {
      SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 10, 0, 0};
      SetScrollInfo(bar, SB_CTL, &si, TRUE);
    }
  }
  ~ProbeDialog() {
    if (dialog) DestroyWindow(dialog);
  }
  ProbeDialog(const ProbeDialog&) = delete;
  ProbeDialog& operator=(const ProbeDialog&) = delete;

  HWND Child(const char16_t* cls, const char16_t* text, DWORD style, DWORD exStyle, int x, int y, int w, int h) {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + ++count)), nullptr, nullptr);
  }
  void Paint() const {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

  HWND dialog = nullptr;
  HWND push = nullptr, check = nullptr, radio = nullptr, group = nullptr, edit = nullptr;
  HWND vbar = nullptr, hbar = nullptr, picker = nullptr, calendar = nullptr;
  HWND list = nullptr, simple = nullptr, dropDown = nullptr, dropList = nullptr;
  int count = 0;
};

}  // namespace ornatex_test
