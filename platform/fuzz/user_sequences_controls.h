// The common controls under the window-core fuzzer: byte-coded steps that make a control of
// one of the classes of libKx2ComCtl32.so (or a list or combo box of libKx2User32.so) and
// send a control its own messages, with
// arguments built the way a caller builds them (records of the right size, buffers of the
// stated size, item handles the control gave or made up) and values taken from the input.
// Out-of-range indexes, handles the control never gave, odd styles and sizes are the point.
// MDI clients have a case of their own (CreateMdiClient, SendMdi).
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "kx2/InputState.h"
#include "win/commctrl.h"
#include "win/gdi.h"
#include "win/menu.h"
#include "win/user.h"

namespace fuzz_controls {

struct ClassInfo {
  const char16_t* name;
  DWORD styles;      // the class's own style bits the input may set
  DWORD always = 0;  // window styles every one gets
};

constexpr ClassInfo kClasses[] = {
    {u"msctls_progress32", 0x000F},
    {u"msctls_trackbar32", 0x1FFF},
    {u"msctls_updown32", 0x01FF},
    {u"SysTabControl32", 0xFFFF},
    {u"SysHeader32", 0x01FF},
    {u"SysListView32", 0xFFFF},
    {u"SysTreeView32", 0xFFFF},
    {u"ToolbarWindow32", 0xFFFF},
    {u"msctls_statusbar32", 0x0FFF},
    {u"tooltips_class32", 0x01FF},
    {u"SysDateTimePick32", 0x003F},
    {u"SysMonthCal32", 0x00FF},
    {u"ListBox", 0x7FFF, WS_VSCROLL | WS_HSCROLL | WS_BORDER},
    {u"ComboBox", 0x6FF3, WS_VSCROLL},
};

// Buffers and records a step hands a control; large enough for any answer the inputs allow
// (no text set here is longer than kLongestText units).
constexpr int kLongestText = 300;
struct Arena {
  char16_t text[kLongestText + 1];
  char16_t out[4096];
  char narrow[4096];
  RECT rect;
  int ints[64];
  TBBUTTON buttons[8];
  TCITEMW tab;
  HDITEMW header;
  LVITEMW listItem;
  LVCOLUMNW column;
  TVINSERTSTRUCTW insert;
  TVITEMW treeItem;
  TTTOOLINFOW tool;
  SYSTEMTIME times[2];
  TCHITTESTINFO tabHit;
  HDHITTESTINFO headerHit;
  LVHITTESTINFO listHit;
  TVHITTESTINFO treeHit;
  MCHITTESTINFO calendarHit;
  PBRANGE range;
  UDACCEL accel[4];
  COMBOBOXINFO combo;
};

// What one input has made: item handles the tree views gave, and one image list.
struct State {
  std::vector<HTREEITEM> treeItems;
  HIMAGELIST images = nullptr;
};

template <class Reader>
int Small(Reader& in) {
  return static_cast<int8_t>(in.next());
}
template <class Reader>
int Wide(Reader& in) {
  return static_cast<int16_t>(in.next() | in.next() << 8);
}
template <class Reader>
const char16_t* Text(Reader& in, Arena& a) {
  const int length = in.next() * kLongestText / 255;
  for (int i = 0; i < length; ++i) a.text[i] = static_cast<char16_t>(u'a' + (i + length) % 26);
  a.text[length] = 0;
  return a.text;
}
template <class Reader>
HTREEITEM TreeItem(Reader& in, State& s) {
  const uint8_t pick = in.next();
  if (pick < 0x20) return TVI_ROOT;
  if (pick < 0x30) return TVI_FIRST;
  if (pick < 0x40) return TVI_LAST;
  if (pick < 0x48) return reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(pick) << 4);  // never given
  return s.treeItems.empty() ? nullptr : s.treeItems[pick % s.treeItems.size()];
}

template <class Reader>
HWND Create(Reader& in, HWND parent) {
  const ClassInfo& c = kClasses[in.next() % std::size(kClasses)];
  const DWORD own = static_cast<DWORD>(in.next() | in.next() << 8) & c.styles;
  const DWORD style = own | c.always | (parent ? WS_CHILD : WS_POPUP) | ((in.next() & 1) ? WS_VISIBLE : 0);
  return CreateWindowExW(0, c.name, u"c", style, in.next(), in.next(), in.next() * 2, in.next(), parent, nullptr,
                         nullptr, nullptr);
}

// A list box: items in and out, choices, searches, sizes and keys.
template <class Reader>
void SendList(Reader& in, HWND h, Arena& a, uint8_t op, int i, int j) {
  auto send = [&](UINT m, WPARAM w, LPARAM l) { return SendMessageW(h, m, w, l); };
  auto lp = [](const void* p) { return reinterpret_cast<LPARAM>(p); };
  switch (op % 14) {
    case 0:
      send(LB_ADDSTRING, 0, lp(Text(in, a)));
      break;
    case 1:
      send(LB_INSERTSTRING, j, lp(Text(in, a)));
      break;
    case 2:
      send(LB_DELETESTRING, j, 0);
      break;
    case 3:
      send(LB_SETCURSEL, j, 0);
      break;
    case 4:
      send(LB_SETSEL, i & 1, j);
      break;
    case 5: {
      // The text's length first, then the text into a buffer that holds it.
      const LRESULT length = send(LB_GETTEXTLEN, j, 0);
      if (length >= 0 && length < static_cast<LRESULT>(std::size(a.out))) send(LB_GETTEXT, j, lp(a.out));
      break;
    }
    case 6:
      send(in.next() & 1 ? LB_SELITEMRANGEEX : LB_SELITEMRANGE, i, in.next() & 1 ? j : MAKELPARAM(i, j));
      break;
    case 7:
      send(in.next() & 1 ? LB_SETTOPINDEX : LB_SETCARETINDEX, j, 0);
      break;
    case 8:
      send(LB_GETITEMRECT, j, lp(&a.rect));
      break;
    case 9:
      send(LB_SETITEMHEIGHT, j, i);
      break;
    case 10: {
      static constexpr UINT finds[] = {LB_FINDSTRING, LB_FINDSTRINGEXACT, LB_SELECTSTRING};
      send(finds[in.next() % 3], i, lp(Text(in, a)));
      break;
    }
    case 11:
      send(LB_GETSELITEMS, in.next() % 65, lp(a.ints));
      break;
    case 12: {
      static constexpr UINT others[] = {LB_RESETCONTENT,  LB_SETCOLUMNWIDTH, LB_SETHORIZONTALEXTENT,
                                        LB_ITEMFROMPOINT, LB_SETANCHORINDEX, LB_INITSTORAGE};
      const UINT m = others[in.next() % std::size(others)];
      send(m, m == LB_INITSTORAGE ? static_cast<WPARAM>(in.next()) << 8 : static_cast<WPARAM>(j), MAKELPARAM(i, j));
      break;
    }
    default: {
      static constexpr UINT keys[] = {VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END, VK_LEFT, VK_RIGHT, VK_SPACE};
      if (in.next() & 1)
        send(WM_KEYDOWN, keys[in.next() % std::size(keys)], 0);
      else
        send(WM_CHAR, u'a' + in.next() % 26, 0);
      break;
    }
  }
}

// A combo box: items, choices, dropping and closing by message and by keys, its field.
template <class Reader>
void SendCombo(Reader& in, HWND h, Arena& a, uint8_t op, int i, int j) {
  auto send = [&](UINT m, WPARAM w, LPARAM l) { return SendMessageW(h, m, w, l); };
  auto lp = [](const void* p) { return reinterpret_cast<LPARAM>(p); };
  switch (op % 12) {
    case 0:
      send(CB_ADDSTRING, 0, lp(Text(in, a)));
      break;
    case 1:
      send(CB_INSERTSTRING, j, lp(Text(in, a)));
      break;
    case 2:
      send(in.next() & 1 ? CB_DELETESTRING : CB_RESETCONTENT, j, 0);
      break;
    case 3:
      send(CB_SETCURSEL, j, 0);
      break;
    case 4:
      send(CB_SHOWDROPDOWN, i & 1, 0);
      break;
    case 5: {
      const LRESULT length = send(CB_GETLBTEXTLEN, j, 0);
      if (length >= 0 && length < static_cast<LRESULT>(std::size(a.out))) send(CB_GETLBTEXT, j, lp(a.out));
      break;
    }
    case 6:
      send(CB_SETITEMHEIGHT, in.next() & 1 ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(j), i);
      break;
    case 7:
      if (in.next() & 1)
        send(CB_SETEDITSEL, 0, MAKELPARAM(i, j));
      else
        send(CB_LIMITTEXT, j, 0);
      break;
    case 8:
      if (in.next() & 1) {
        a.combo.cbSize = (in.next() & 1) ? sizeof a.combo : 8;  // this build's size, or one too small
        send(CB_GETCOMBOBOXINFO, 0, lp(&a.combo));
      } else {
        send(CB_GETDROPPEDCONTROLRECT, 0, lp(&a.rect));
      }
      break;
    case 9: {
      // Keys as the user types them: through the focus, with Alt for Alt+Down.
      static constexpr UINT keys[] = {VK_F4, VK_DOWN, VK_UP, VK_RETURN, VK_ESCAPE, VK_NEXT, VK_HOME};
      const UINT key = keys[in.next() % std::size(keys)];
      const bool alt = in.next() & 1;
      SetFocus(h);
      if (alt) Kx2InjectKey(VK_MENU, true);
      Kx2InjectKey(key, true);
      Kx2InjectKey(key, false);
      if (alt) Kx2InjectKey(VK_MENU, false);
      break;
    }
    case 10:
      send(in.next() & 1 ? WM_SETTEXT : CB_SELECTSTRING, static_cast<WPARAM>(i), lp(Text(in, a)));
      break;
    default: {
      static constexpr UINT others[] = {CB_SETDROPPEDWIDTH, CB_SETEXTENDEDUI, CB_SETTOPINDEX, WM_PRINTCLIENT};
      const UINT m = others[in.next() % std::size(others)];
      if (m == WM_PRINTCLIENT) {
        HDC dc = CreateCompatibleDC(nullptr);
        send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        DeleteDC(dc);
      } else {
        send(m, j, 0);
      }
      break;
    }
  }
}

template <class Reader>
void Send(Reader& in, HWND h, State& s) {
  static Arena a;
  std::memset(&a, 0, sizeof a);
  char16_t name[64] = {};
  if (!h || !GetClassNameW(h, name, 64)) return;
  auto is = [&](const char16_t* n) { return std::u16string_view(name) == n; };
  auto send = [&](UINT m, WPARAM w, LPARAM l) { SendMessageW(h, m, w, l); };
  auto lp = [](const void* p) { return reinterpret_cast<LPARAM>(p); };
  const uint8_t op = in.next();
  const int i = Small(in), j = Wide(in);
  if (is(u"msctls_progress32")) {
    switch (op % 8) {
      case 0:
        send(PBM_SETRANGE32, i, j);
        break;
      case 1:
        send(PBM_SETPOS, j, 0);
        break;
      case 2:
        send(PBM_DELTAPOS, j, 0);
        break;
      case 3:
        send(PBM_SETSTEP, i, 0);
        break;
      case 4:
        send(PBM_STEPIT, 0, 0);
        break;
      case 5:
        send(PBM_SETMARQUEE, i & 1, j);
        break;
      case 6:
        send(PBM_GETRANGE, i & 1, lp(&a.range));
        break;
      default:
        send(PBM_SETSTATE, i, 0);
        break;
    }
  } else if (is(u"msctls_trackbar32")) {
    switch (op % 10) {
      case 0:
        send(TBM_SETRANGE, TRUE, MAKELPARAM(i, j));
        break;
      case 1:
        send(TBM_SETPOS, TRUE, j);
        break;
      case 2:
        send(TBM_SETTICFREQ, i, 0);
        break;
      case 3:
        send(TBM_SETTIC, 0, j);
        break;
      case 4:
        send(TBM_CLEARTICS, TRUE, 0);
        break;
      case 5:
        send(TBM_SETSEL, TRUE, MAKELPARAM(i, j));
        break;
      case 6:
        send(TBM_SETTHUMBLENGTH, i, 0);
        break;
      case 7:
        send(TBM_GETCHANNELRECT, 0, lp(&a.rect));
        break;
      case 8:
        send(TBM_GETTHUMBRECT, 0, lp(&a.rect));
        break;
      default: {
        // The tick positions: as many as TBM_GETNUMTICS says, less the two ends.
        const LRESULT count = SendMessageW(h, TBM_GETNUMTICS, 0, 0);
        const auto* ticks = reinterpret_cast<const DWORD*>(SendMessageW(h, TBM_GETPTICS, 0, 0));
        volatile DWORD sum = 0;
        for (LRESULT k = 0; ticks && k + 2 < count; ++k) sum = sum + ticks[k];
        break;
      }
    }
  } else if (is(u"msctls_updown32")) {
    switch (op % 6) {
      case 0:
        send(UDM_SETRANGE32, i, j);
        break;
      case 1:
        send(UDM_SETPOS32, 0, j);
        break;
      case 2:
        send(UDM_SETBASE, i, 0);
        break;
      case 3: {
        const int n = in.next() % 5;
        for (int k = 0; k < n; ++k) a.accel[k] = {static_cast<UINT>(in.next()), static_cast<UINT>(Small(in))};
        send(UDM_SETACCEL, n, lp(a.accel));
        break;
      }
      case 4:
        send(UDM_GETACCEL, 4, lp(a.accel));
        break;
      default:
        send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetParent(h)), 0);
        break;
    }
  } else if (is(u"SysTabControl32")) {
    switch (op % 9) {
      case 0:
      case 1:
        a.tab.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM | (in.next() & TCIF_STATE);
        a.tab.pszText = const_cast<char16_t*>(Text(in, a));
        a.tab.iImage = Small(in);
        send(op % 9 ? TCM_SETITEMW : TCM_INSERTITEMW, i, lp(&a.tab));
        break;
      case 2:
        a.tab.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
        a.tab.pszText = a.out;
        a.tab.cchTextMax = in.next();
        send(TCM_GETITEMW, i, lp(&a.tab));
        break;
      case 3:
        send(TCM_DELETEITEM, i, 0);
        break;
      case 4:
        send(TCM_SETCURSEL, i, 0);
        break;
      case 5:
        send(TCM_GETITEMRECT, i, lp(&a.rect));
        break;
      case 6:
        a.rect = {Small(in), Small(in), j, j};
        send(TCM_ADJUSTRECT, i & 1, lp(&a.rect));
        break;
      case 7:
        a.tabHit.pt = {i, j};
        send(TCM_HITTEST, 0, lp(&a.tabHit));
        break;
      default:
        send(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(s.images));
        break;
    }
  } else if (is(u"SysHeader32")) {
    switch (op % 8) {
      case 0:
      case 1:
        a.header.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE | HDI_ORDER;
        a.header.cxy = j;
        a.header.pszText = const_cast<char16_t*>(Text(in, a));
        a.header.fmt = Wide(in);
        a.header.iImage = Small(in);
        a.header.iOrder = Small(in);
        send(op % 8 ? HDM_SETITEMW : HDM_INSERTITEMW, i, lp(&a.header));
        break;
      case 2:
        a.header.mask = HDI_TEXT | HDI_WIDTH | HDI_ORDER;
        a.header.pszText = a.out;
        a.header.cchTextMax = in.next();
        send(HDM_GETITEMW, i, lp(&a.header));
        break;
      case 3:
        send(HDM_DELETEITEM, i, 0);
        break;
      case 4: {
        // An order array as long as the input says; the control refuses what is no permutation.
        const int n = in.next() % 64;
        for (int k = 0; k < n; ++k) a.ints[k] = Small(in);
        send(HDM_SETORDERARRAY, n, lp(a.ints));
        break;
      }
      case 5:
        a.headerHit.pt = {i, j};
        send(HDM_HITTEST, 0, lp(&a.headerHit));
        break;
      case 6:
        send(HDM_GETITEMRECT, i, lp(&a.rect));
        break;
      default:
        send(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(s.images));
        break;
    }
  } else if (is(u"SysListView32")) {
    switch (op % 11) {
      case 0:
        a.column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        a.column.cx = j;
        a.column.fmt = in.next() & 3;
        a.column.pszText = const_cast<char16_t*>(Text(in, a));
        send(LVM_INSERTCOLUMNW, i, lp(&a.column));
        break;
      case 1:
      case 2:
        a.listItem.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE | LVIF_PARAM;
        a.listItem.iItem = j;
        a.listItem.iSubItem = op % 11 == 1 ? 0 : Small(in);
        a.listItem.state = a.listItem.stateMask = in.next();
        a.listItem.iImage = Small(in);
        a.listItem.pszText = const_cast<char16_t*>(Text(in, a));
        send(op % 11 == 1 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, lp(&a.listItem));
        break;
      case 3:
        a.listItem.iSubItem = Small(in);
        a.listItem.pszText = a.out;
        a.listItem.cchTextMax = in.next();
        send(LVM_GETITEMTEXTW, j, lp(&a.listItem));
        break;
      case 4:
        send(LVM_DELETEITEM, j, 0);
        break;
      case 5:
        send(LVM_SETITEMSTATE, j, lp(&a.listItem));
        break;
      case 6:
        send(LVM_SCROLL, i, j);
        break;
      case 7:
        send(LVM_ENSUREVISIBLE, j, i & 1);
        break;
      case 8:
        a.rect.left = in.next() & 3;
        send(LVM_GETITEMRECT, j, lp(&a.rect));
        break;
      case 9:
        a.listHit.pt = {i, j};
        send(LVM_HITTEST, 0, lp(&a.listHit));
        break;
      default:
        send(in.next() & 1 ? LVM_SETBKCOLOR : LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(Wide(in)) << 8);
        break;
    }
  } else if (is(u"SysTreeView32")) {
    switch (op % 9) {
      case 0:
      case 1: {
        a.insert.hParent = TreeItem(in, s);
        a.insert.hInsertAfter = TreeItem(in, s);
        a.insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN | TVIF_STATE;
        a.insert.item.pszText = const_cast<char16_t*>(Text(in, a));
        a.insert.item.iImage = Small(in);
        a.insert.item.cChildren = in.next() & 1;
        a.insert.item.state = a.insert.item.stateMask = in.next();
        const auto made = reinterpret_cast<HTREEITEM>(SendMessageW(h, TVM_INSERTITEMW, 0, lp(&a.insert)));
        if (made && s.treeItems.size() < 256) s.treeItems.push_back(made);
        break;
      }
      case 2:
        send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TreeItem(in, s)));
        break;
      case 3:
        send(TVM_EXPAND, in.next() & 3, reinterpret_cast<LPARAM>(TreeItem(in, s)));
        break;
      case 4:
        send(TVM_SELECTITEM, in.next() & 3, reinterpret_cast<LPARAM>(TreeItem(in, s)));
        break;
      case 5:
        send(TVM_GETNEXTITEM, in.next() & 0xF, reinterpret_cast<LPARAM>(TreeItem(in, s)));
        break;
      case 6:
        a.treeItem.mask = TVIF_TEXT | TVIF_STATE | TVIF_IMAGE;
        a.treeItem.hItem = TreeItem(in, s);
        a.treeItem.pszText = a.out;
        a.treeItem.cchTextMax = in.next();
        send(TVM_GETITEMW, 0, lp(&a.treeItem));
        break;
      case 7:
        *reinterpret_cast<HTREEITEM*>(&a.rect) = TreeItem(in, s);  // the item goes in, the rectangle out
        send(TVM_GETITEMRECT, i & 1, lp(&a.rect));
        break;
      default:
        a.treeHit.pt = {i, j};
        send(TVM_HITTEST, 0, lp(&a.treeHit));
        break;
    }
  } else if (is(u"ToolbarWindow32")) {
    switch (op % 9) {
      case 0: {
        const int n = in.next() % 9;
        for (int k = 0; k < n; ++k) {
          a.buttons[k].iBitmap = Small(in);
          a.buttons[k].idCommand = 100 + in.next();
          a.buttons[k].fsState = in.next();
          a.buttons[k].fsStyle = in.next();
          a.buttons[k].iString = (in.next() & 1) ? reinterpret_cast<INT_PTR>(Text(in, a)) : Small(in);
        }
        send(TB_ADDBUTTONSW, n, lp(a.buttons));
        break;
      }
      case 1:
        send(TB_DELETEBUTTON, i, 0);
        break;
      case 2:
        send(TB_GETBUTTON, i, lp(a.buttons));
        break;
      case 3:
        send(TB_GETITEMRECT, i, lp(&a.rect));
        break;
      case 4: {
        // The text's length first, then the text into a buffer that holds it.
        const int id = 100 + in.next();
        const LRESULT length = SendMessageW(h, TB_GETBUTTONTEXTW, id, 0);
        if (length >= 0 && length < static_cast<LRESULT>(std::size(a.out))) send(TB_GETBUTTONTEXTW, id, lp(a.out));
        break;
      }
      case 5:
        send(TB_SETSTATE, 100 + in.next(), in.next());
        break;
      case 6:
        send(TB_SETEXTENDEDSTYLE, 0, Wide(in));
        break;
      case 7:
        send(in.next() % 3 == 0 ? TB_SETIMAGELIST : TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(s.images));
        break;
      default:
        send(TB_SETHOTITEM, i, 0);
        break;
    }
  } else if (is(u"msctls_statusbar32")) {
    switch (op % 5) {
      case 0: {
        const int n = in.next() % 64;
        for (int k = 0; k < n; ++k) a.ints[k] = Wide(in);
        send(SB_SETPARTS, n, lp(a.ints));
        break;
      }
      case 1:
        send(SB_SETTEXTW, static_cast<WPARAM>(in.next()) | (in.next() & 3) << 8, lp(Text(in, a)));
        break;
      case 2: {
        const LRESULT length = LOWORD(SendMessageW(h, SB_GETTEXTLENGTHW, i, 0));
        if (length < static_cast<LRESULT>(std::size(a.out))) send(SB_GETTEXTW, i, lp(a.out));
        break;
      }
      case 3:
        send(SB_GETRECT, i, lp(&a.rect));
        break;
      default:
        send(SB_SIMPLE, i & 1, 0);
        break;
    }
  } else if (is(u"tooltips_class32")) {
    switch (op % 6) {
      case 0:
      case 1:
        // Records of this build's size, the older one without lParam, and a size too small.
        a.tool.cbSize = in.next() % 3 == 0 ? TTTOOLINFOW_V1_SIZE : (in.next() & 1) ? sizeof a.tool : 44;
        a.tool.uFlags = in.next();
        a.tool.hwnd = GetParent(h);
        a.tool.uId = in.next();
        a.tool.rect = {Small(in), Small(in), j, j};
        a.tool.lpszText = const_cast<char16_t*>(Text(in, a));
        send(op % 6 ? TTM_NEWTOOLRECTW : TTM_ADDTOOLW, 0, lp(&a.tool));
        break;
      case 2:
        a.tool.cbSize = sizeof a.tool;
        a.tool.uId = in.next();
        send(TTM_DELTOOLW, 0, lp(&a.tool));
        break;
      case 3:
        a.tool.cbSize = sizeof a.tool;
        a.tool.hwnd = GetParent(h);
        a.tool.uId = in.next();
        a.tool.lpszText = a.out;
        send(TTM_GETTEXTW, in.next(), lp(&a.tool));
        break;
      case 4:
        send(TTM_SETDELAYTIME, in.next() & 3, j);
        break;
      default:
        send(TTM_ACTIVATE, i & 1, 0);
        break;
    }
  } else if (is(u"ListBox")) {
    SendList(in, h, a, op, i, j);
  } else if (is(u"ComboBox")) {
    SendCombo(in, h, a, op, i, j);
  } else if (is(u"SysDateTimePick32") || is(u"SysMonthCal32")) {
    const bool picker = is(u"SysDateTimePick32");
    switch (op % 5) {
      case 0:
        for (SYSTEMTIME& t : a.times)
          t = {static_cast<WORD>(1500 + Wide(in) % 700),
               static_cast<WORD>(in.next() % 14),
               static_cast<WORD>(in.next() % 8),
               static_cast<WORD>(in.next() % 33),
               0,
               0,
               0,
               0};
        send(picker ? DTM_SETSYSTEMTIME : MCM_SETCURSEL, picker ? (in.next() & 1) : 0, lp(a.times));
        break;
      case 1:
        send(picker ? DTM_GETSYSTEMTIME : MCM_GETCURSEL, 0, lp(a.times));
        break;
      case 2:
        send(picker ? DTM_SETMCCOLOR : MCM_SETCOLOR, in.next() % 7, static_cast<LPARAM>(Wide(in)) << 8);
        break;
      case 3:
        if (picker) {
          Kx2InjectKey(VK_MENU, true);
          Kx2InjectKey(VK_DOWN, true);
          Kx2InjectKey(VK_DOWN, false);
          Kx2InjectKey(VK_MENU, false);
        } else {
          a.calendarHit.cbSize = sizeof a.calendarHit;
          a.calendarHit.pt = {i, j};
          send(MCM_HITTEST, 0, lp(&a.calendarHit));
        }
        break;
      default:
        if (picker) {
          HDC dc = CreateCompatibleDC(nullptr);
          send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
          DeleteDC(dc);
        } else {
          send(MCM_SETFIRSTDAYOFWEEK, 0, i);
        }
        break;
    }
  }
}

// ---- MDI: a client (a child of one of the windows, or standing alone) with its window
// menu, and its own messages: children made, activated, maximised, restored, minimised,
// arranged, renamed and destroyed, menus set, scroll bars recomputed and scrolled, and the
// frame's default procedure and the MDI keys. Nothing here starts a modal loop (no move,
// size or menu commands, no Alt+-, no Select Window dialog): the sequences run without an
// idle handler.

inline LRESULT CALLBACK MdiChildProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefMDIChildProcW(h, m, w, l); }

template <class Reader>
HWND CreateMdiClient(Reader& in, HWND parent) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &MdiChildProc;
    wc.lpszClassName = u"FuzzMdiChild";
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  const uint8_t bits = in.next();
  CLIENTCREATESTRUCT ccs{nullptr, 0xFF00u + in.next()};
  const DWORD style = (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE | WS_CLIPCHILDREN |
                      ((bits & 1) ? WS_HSCROLL | WS_VSCROLL : 0) | ((bits & 2) ? MDIS_ALLCHILDSTYLES : 0);
  return CreateWindowExW(0, WC_MDICLIENTW, nullptr, style, in.next(), in.next(), in.next() * 2, in.next() * 2, parent,
                         nullptr, nullptr, &ccs);
}

// One of the client's children, the client itself or nothing.
template <class Reader>
HWND MdiChildOf(Reader& in, HWND client) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(client, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
  const uint8_t pick = in.next();
  if (pick == 0) return nullptr;
  if (pick == 1 || children.empty()) return client;
  return children[pick % children.size()];
}

template <class Reader>
void SendMdi(Reader& in, HWND client) {
  auto send = [&](UINT m, WPARAM w, LPARAM l) { return SendMessageW(client, m, w, l); };
  auto wp = [](HWND h) { return reinterpret_cast<WPARAM>(h); };
  const uint8_t op = in.next();
  switch (op % 12) {
    case 0: {
      static const int places[] = {CW_USEDEFAULT, 0, 40, -60};
      MDICREATESTRUCTW mcs{u"FuzzMdiChild",
                           u"doc",
                           nullptr,
                           places[in.next() % 4],
                           in.next(),
                           (in.next() & 1) ? CW_USEDEFAULT : in.next() * 2,
                           in.next(),
                           static_cast<DWORD>(in.next()) << 16 | static_cast<DWORD>(in.next()) << 24,
                           0};
      send(WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs));
      break;
    }
    case 1:
      send(WM_MDIDESTROY, wp(MdiChildOf(in, client)), 0);
      break;
    case 2:
      send(WM_MDIACTIVATE, wp(MdiChildOf(in, client)), 0);
      break;
    case 3:
      send((in.next() & 1) ? WM_MDIMAXIMIZE : WM_MDIRESTORE, wp(MdiChildOf(in, client)), 0);
      break;
    case 4:
      send(WM_MDINEXT, wp(MdiChildOf(in, client)), in.next() & 1);
      break;
    case 5: {
      static const UINT arrange[] = {WM_MDITILE, WM_MDICASCADE, WM_MDIICONARRANGE};
      send(arrange[in.next() % 3], in.next() & 7, 0);
      break;
    }
    case 6: {
      // A fresh frame menu holding a fresh window menu; the menu it replaces is ours again.
      HWND frame = GetParent(client);
      HMENU bar = CreateMenu(), windows = CreatePopupMenu();
      AppendMenuW(windows, MF_STRING, 1, u"&Tile");
      AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(windows), u"&Window");
      const auto old = reinterpret_cast<HMENU>(
          send(WM_MDISETMENU, reinterpret_cast<WPARAM>(bar), reinterpret_cast<LPARAM>(windows)));
      if (old && old != bar && IsMenu(old)) DestroyMenu(old);
      if (!frame || GetMenu(frame) != bar) DestroyMenu(bar);
      break;
    }
    case 7: {
      BOOL maximized = FALSE;
      send(WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized));
      send(WM_MDIREFRESHMENU, 0, 0);
      break;
    }
    case 8:
      send(WM_MDICALCCHILDSCROLL, 0, 0);
      send((in.next() & 1) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(in.next() % 9, Small(in)), 0);
      break;
    case 9: {
      static const UINT commands[] = {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE, SC_CLOSE, SC_NEXTWINDOW, SC_PREVWINDOW};
      if (HWND child = MdiChildOf(in, client); child && child != client)
        SendMessageW(child, WM_SYSCOMMAND, commands[in.next() % 6], 0);
      break;
    }
    case 10: {
      // Neither Alt+- (it opens a window menu's loop) nor a window-menu command with more
      // than nine children (it opens the Select Window dialog): both would wait for input.
      HWND frame = GetParent(client);
      int children = 0;
      for (HWND c = GetWindow(client, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
      const UINT messages[] = {WM_COMMAND, WM_SIZE, WM_SETFOCUS, WM_NCACTIVATE};
      const UINT m = messages[in.next() % 4];
      const WPARAM w = m == WM_COMMAND ? 0xFF00u + in.next() : in.next();
      const LPARAM l = m == WM_COMMAND ? 0 : MAKELPARAM(in.next(), in.next());
      if (frame && !(m == WM_COMMAND && children > 9)) DefFrameProcW(frame, client, m, w, l);
      MSG msg{client, WM_KEYDOWN, static_cast<WPARAM>((in.next() & 1) ? VK_F6 : VK_F4), 0, 0, {0, 0}};
      Kx2SetThreadKeyState(VK_CONTROL, (in.next() & 1) ? 0x80 : 0);
      TranslateMDISysAccel(client, &msg);
      Kx2SetThreadKeyState(VK_CONTROL, 0);
      break;
    }
    default:
      if (HWND child = MdiChildOf(in, client))
        SetWindowPos(child, nullptr, Small(in) * 4, Small(in) * 4, in.next() * 2, in.next(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
      break;
  }
}

}  // namespace fuzz_controls
