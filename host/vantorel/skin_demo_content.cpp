#include "skin_demo_content.h"

#include <vector>

#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>

namespace vantorel::cli {
namespace {

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

template <class T>
LPARAM Ptr(T* p) {
  return reinterpret_cast<LPARAM>(p);
}

char16_t* Text(const char16_t* text) { return const_cast<char16_t*>(text); }

// Four 16x16 images in a strip, each a coloured square on the magenta key.
HIMAGELIST ToolbarImages() {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP strip = CreateCompatibleBitmap(screen, 64, 16);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, strip);
  const COLORREF key = RGB(255, 0, 255);
  const COLORREF colours[] = {RGB(30, 110, 200), RGB(200, 60, 40), RGB(40, 160, 70), RGB(220, 170, 30)};
  HBRUSH keyBrush = CreateSolidBrush(key);
  RECT all{0, 0, 64, 16};
  FillRect(dc, &all, keyBrush);
  DeleteObject(keyBrush);
  for (int i = 0; i < 4; ++i) {
    HBRUSH brush = CreateSolidBrush(colours[i]);
    RECT square{i * 16 + 3, 3, i * 16 + 13, 13};
    FillRect(dc, &square, brush);
    DeleteObject(brush);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  ImageList_AddMasked(images, strip, key);
  DeleteObject(strip);
  return images;
}

void FillToolbar(HWND dialog) {
  HWND toolbar = GetDlgItem(dialog, kDemoToolbar);
  if (!toolbar) return;
  SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  // The toolbar keeps the list; the dialog's end destroys it with the toolbar's.
  SendMessageW(toolbar, TB_SETIMAGELIST, 0, Ptr(ToolbarImages()));
  SendMessageW(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  std::vector<TBBUTTON> buttons(6);
  for (int i = 0; i < 6; ++i) {
    TBBUTTON& b = buttons[static_cast<size_t>(i)];
    b.idCommand = 400 + i;
    b.iBitmap = i % 4;
    b.iString = -1;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_BUTTON;
  }
  buttons[1].fsState |= TBSTATE_CHECKED;
  buttons[2].fsState = 0;  // disabled
  buttons[3].fsStyle = BTNS_SEP;
  buttons[3].iBitmap = 6;
  buttons[4].fsStyle = BTNS_DROPDOWN;
  SendMessageW(toolbar, TB_ADDBUTTONSW, buttons.size(), Ptr(buttons.data()));
}

void FillViews(HWND dialog) {
  const char16_t* tabs[] = {u"General", u"Layout", u"Colours"};
  for (int i = 0; i < 3; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = Text(tabs[i]);
    Send(dialog, kDemoTabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), Ptr(&item));
  }
  const char16_t* columns[] = {u"Name", u"Size"};
  for (int i = 0; i < 2; ++i) {
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.cxy = 90;
    item.fmt = HDF_STRING;
    item.pszText = Text(columns[i]);
    Send(dialog, kDemoHeader, HDM_INSERTITEMW, static_cast<WPARAM>(i), Ptr(&item));
  }
  const char16_t* items[] = {u"Lisbon trip", u"Office move", u"Garden"};
  for (int i = 0; i < 3; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = Text(items[i]);
    Send(dialog, kDemoListView, LVM_INSERTITEMW, 0, Ptr(&item));
  }
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = Text(u"Maps");
  const LRESULT root = Send(dialog, kDemoTreeView, TVM_INSERTITEMW, 0, Ptr(&insert));
  insert.hParent = reinterpret_cast<HTREEITEM>(root);
  for (const char16_t* child : {u"Travel", u"Work"}) {
    insert.item.pszText = Text(child);
    Send(dialog, kDemoTreeView, TVM_INSERTITEMW, 0, Ptr(&insert));
  }
  Send(dialog, kDemoTreeView, TVM_EXPAND, TVE_EXPAND, root);
}

void FillRanges(HWND dialog) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  info.nMax = 100;
  info.nPage = 20;
  info.nPos = 30;
  for (int id : {kDemoHScroll, kDemoVScroll}) SetScrollInfo(GetDlgItem(dialog, id), SB_CTL, &info, TRUE);
  Send(dialog, kDemoTrackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  Send(dialog, kDemoTrackbar, TBM_SETPOS, TRUE, 4);
  Send(dialog, kDemoProgress, PBM_SETRANGE32, 0, 100);
  Send(dialog, kDemoProgress, PBM_SETPOS, 60, 0);
  Send(dialog, kDemoSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kDemoBuddy)), 0);
  Send(dialog, kDemoSpin, UDM_SETRANGE32, 0, 10);
  Send(dialog, kDemoSpin, UDM_SETPOS32, 0, 3);
  Send(dialog, kDemoStatus, SB_SETTEXTW, 0, Ptr(u"Ready"));
}

}  // namespace

void FillDemoControls(HWND dialog) {
  for (int id : {kDemoListBox, kDemoSimpleCombo, kDemoDropDown, kDemoDropDownList}) {
    const bool list = id == kDemoListBox;
    for (const char16_t* entry : {u"Red", u"Green", u"Blue", u"Yellow"})
      Send(dialog, id, list ? LB_ADDSTRING : CB_ADDSTRING, 0, Ptr(entry));
    Send(dialog, id, list ? LB_SETCURSEL : CB_SETCURSEL, 1);
  }
  CheckDlgButton(dialog, kDemoCheck, BST_CHECKED);
  CheckDlgButton(dialog, kDemoThreeState, BST_INDETERMINATE);
  CheckDlgButton(dialog, kDemoRadio, BST_CHECKED);
  FillToolbar(dialog);
  FillViews(dialog);
  FillRanges(dialog);
}

}  // namespace vantorel::cli
