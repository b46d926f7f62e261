// The list box's messages: creation, focus, fonts, and every LB_ message over its items
// and selection. Indexes out of range answer LB_ERR and change nothing.
#include "ListBox.h"

#include <algorithm>
#include <cstring>

#include "ComboListProtocol.h"
#include "win/nls.h"

namespace kx2::user32 {

using namespace textctl;

namespace {
constexpr int kMaxItemHeight = 255;
constexpr size_t kMostReserved = 1 << 16;  // LB_INITSTORAGE asks; more is grown on demand
}  // namespace

ListBox::ListBox(HWND hwnd, const CREATESTRUCTW& cs)
    : hwnd_(hwnd), verticalBar_((cs.style & WS_VSCROLL) != 0), horizontalBar_((cs.style & WS_HSCROLL) != 0) {
  if (cs.style & LBS_COMBOBOX) combo_ = static_cast<HWND>(cs.lpCreateParams);
  redraw_ = !(cs.style & LBS_NOREDRAW);
}

ListBox::Mode ListBox::SelectionMode() const {
  const DWORD style = Style();
  if (style & LBS_NOSEL) return Mode::None;
  if (combo_) return Mode::Single;
  if (style & LBS_EXTENDEDSEL) return Mode::Extended;
  if (style & LBS_MULTIPLESEL) return Mode::Multiple;
  return Mode::Single;
}

HWND ListBox::Owner() const { return combo_ ? GetParent(combo_) : GetParent(hwnd_); }
HWND ListBox::NotifyTarget() const { return combo_ ? combo_ : GetParent(hwnd_); }
UINT ListBox::CtlType() const { return combo_ ? ODT_COMBOBOX : ODT_LISTBOX; }
UINT ListBox::CtlId() const { return static_cast<UINT>(GetDlgCtrlID(combo_ ? combo_ : hwnd_)); }
HWND ListBox::ItemWindow() const { return combo_ ? combo_ : hwnd_; }

void ListBox::Notify(int code) const { NotifyCommand(NotifyTarget(), hwnd_, code); }

void ListBox::NotifySelChange() const {
  if (combo_ || (Style() & LBS_NOTIFY)) Notify(LBN_SELCHANGE);
}

LRESULT ListBox::Create() {
  {
    MeasureDc measure(font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(measure.Dc(), &tm);
    itemHeight_ = std::max<int>(1, tm.tmHeight);
  }
  if (OwnerDrawn() && !Variable()) itemHeight_ = std::clamp(Measure(0, 0), 1, kMaxItemHeight);
  IntegralHeight();
  UpdateScrollBars();
  return 0;
}

LRESULT ListBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return Create();
    case WM_DESTROY:
      redraw_ = false;
      Reset();  // the owner hears of every item leaving
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
    case WM_ERASEBKGND:
      return 1;  // painting fills the background with the parent's brush
    case WM_SIZE:
      IntegralHeight();
      SetTop(top_);
      UpdateScrollBars();
      if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_SETFONT: {
      font_ = reinterpret_cast<HFONT>(wParam);
      if (!OwnerDrawn()) {
        MeasureDc measure(font_);
        TEXTMETRICW tm{};
        GetTextMetricsW(measure.Dc(), &tm);
        itemHeight_ = std::max<int>(1, tm.tmHeight);
        IntegralHeight();
      }
      Changed();
      if (LOWORD(lParam)) UpdateWindow(hwnd_);
      return 0;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETREDRAW:
      redraw_ = wParam != 0;
      if (redraw_) Changed();
      return 0;
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      focused_ = true;
      InvalidateItem(caret_);
      if (items_.Count() == 0) InvalidateRect(hwnd_, nullptr, FALSE);
      if (!combo_) Notify(LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      focused_ = false;
      if (tracking_) EndTracking();
      InvalidateItem(caret_);
      if (items_.Count() == 0) InvalidateRect(hwnd_, nullptr, FALSE);
      if (!combo_) Notify(LBN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN:
      return Key(static_cast<UINT>(wParam));
    case WM_CHAR:
      return Char(static_cast<char16_t>(wParam));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (dropped_)
        DroppedButtonDown(p, message, wParam, lParam);
      else
        ButtonDown(p, message == WM_LBUTTONDBLCLK);
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (dropped_)
        DroppedMouseMove(p);
      else
        MouseMove(p);
      return 0;
    }
    case WM_LBUTTONUP: {
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (dropped_)
        DroppedButtonUp(p);
      else
        ButtonUp(p);
      return 0;
    }
    case WM_CAPTURECHANGED:
      tracking_ = false;
      if (dropped_ && !releasing_ && reinterpret_cast<HWND>(lParam) != hwnd_) Notify(combolist::kCancelled);
      return 0;
    case WM_MOUSEACTIVATE:
      if (combo_ && (Style() & WS_POPUP)) return MA_NOACTIVATE;
      break;
    case WM_MOUSEWHEEL: {
      const int notches = static_cast<short>(HIWORD(wParam)) / 120;
      if (MultiColumn())
        ScrollColumns(-notches);
      else
        SetTop(top_ - notches * 3);
      return 0;
    }
    case WM_VSCROLL:
      VerticalScroll(LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      HorizontalScroll(LOWORD(wParam));
      return 0;
    case combolist::kDropMode:
      SetDropMode(wParam);
      return 0;
    default:
      return ListMessage(message, wParam, lParam);
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT ListBox::ListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int index = static_cast<int>(wParam);
  switch (message) {
    case LB_ADDSTRING:
      return Add(lParam, -1, (Style() & LBS_SORT) != 0);
    case LB_INSERTSTRING:
      return Add(lParam, index, false);
    case LB_DELETESTRING:
      return Delete(index);
    case LB_RESETCONTENT:
      Reset();
      return LB_OKAY;
    case LB_GETCOUNT:
      return items_.Count();
    case LB_GETTEXT:
      return GetText(index, reinterpret_cast<LPWSTR>(lParam));
    case LB_GETTEXTLEN:
      return TextLength(index);
    case LB_GETITEMDATA:
      return items_.Valid(index) ? static_cast<LRESULT>(items_.At(index).data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!items_.Valid(index)) return LB_ERR;
      items_.At(index).data = static_cast<ULONG_PTR>(lParam);
      return TRUE;
    case LB_FINDSTRING:
      return Find(index, lParam, false);
    case LB_FINDSTRINGEXACT:
      return Find(index, lParam, true);
    case LB_SELECTSTRING: {
      const LRESULT found = Find(index, lParam, false);
      if (found == LB_ERR) return LB_ERR;
      if (SelectionMode() == Mode::Single) return SetCurSel(static_cast<int>(found));
      SetSel(true, static_cast<int>(found));
      return found;
    }
    case LB_SETCURSEL:
      return SetCurSel(index);
    case LB_GETCURSEL:
      if (SelectionMode() == Mode::Single || SelectionMode() == Mode::None) return cursel_ >= 0 ? cursel_ : LB_ERR;
      return items_.Count() ? caret_ : LB_ERR;
    case LB_SETSEL:
      return SetSel(wParam != 0, static_cast<int>(lParam));
    case LB_GETSEL:
      return items_.Valid(index) ? (IsSelected(index) ? 1 : 0) : LB_ERR;
    case LB_GETSELCOUNT:
      return SelCount();
    case LB_GETSELITEMS:
      return GetSelItems(index, reinterpret_cast<int*>(lParam));
    case LB_SELITEMRANGE:
      return SelectRange(wParam != 0, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    case LB_SELITEMRANGEEX: {
      const int last = static_cast<int>(lParam);
      return index <= last ? SelectRange(true, index, last) : SelectRange(false, last, index);
    }
    case LB_GETTOPINDEX:
      return top_;
    case LB_SETTOPINDEX:
      if (!items_.Valid(index) && !(index == 0 && items_.Count() == 0)) return LB_ERR;
      SetTop(index);
      return LB_OKAY;
    case LB_GETITEMHEIGHT:
      return GetItemHeight(index);
    case LB_SETITEMHEIGHT:
      return SetItemHeight(index, static_cast<int>(lParam));
    case LB_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || !items_.Valid(index)) return LB_ERR;
      *r = ItemRect(index);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      bool inside = false;
      const int at = ItemUnder(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &inside);
      return MAKELRESULT(static_cast<WORD>(std::max(at, 0)), inside ? 0 : 1);
    }
    case LB_SETCARETINDEX:
      if (!items_.Valid(index)) return LB_ERR;
      if (SelectionMode() == Mode::Single) return SetCurSel(index) == LB_ERR ? LB_ERR : LB_OKAY;
      InvalidateItem(caret_);
      caret_ = index;
      ShowItem(index);
      InvalidateItem(caret_);
      return LB_OKAY;
    case LB_GETCARETINDEX:
      return caret_;
    case LB_SETANCHORINDEX:
      if (!items_.Valid(index)) return LB_ERR;
      anchor_ = index;
      return LB_OKAY;
    case LB_GETANCHORINDEX:
      return anchor_;
    case LB_SETTABSTOPS: {
      if (!(Style() & LBS_USETABSTOPS)) return FALSE;
      const auto* stops = reinterpret_cast<const int*>(lParam);
      tabs_.assign(stops && index > 0 ? stops : nullptr, stops && index > 0 ? stops + std::min(index, 256) : nullptr);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return TRUE;
    }
    case LB_GETHORIZONTALEXTENT:
      return horizontalExtent_;
    case LB_SETHORIZONTALEXTENT:
      horizontalExtent_ = std::max(0, index);
      xOffset_ = std::min(xOffset_, std::max(0, horizontalExtent_));
      Changed();
      return 0;
    case LB_SETCOLUMNWIDTH:
      columnWidth_ = std::max(0, index);
      Changed();
      return 0;
    case LB_SETLOCALE: {
      const LCID old = locale_;
      locale_ = static_cast<LCID>(wParam);
      return old ? old : LOCALE_USER_DEFAULT;
    }
    case LB_GETLOCALE:
      return locale_ ? locale_ : LOCALE_USER_DEFAULT;
    case LB_INITSTORAGE:
      items_.Reserve(std::min(static_cast<size_t>(items_.Count()) + std::min<size_t>(wParam, kMostReserved),
                              static_cast<size_t>(items_.Count()) + kMostReserved));
      return static_cast<LRESULT>(items_.Capacity());
    case LB_GETLISTBOXINFO:
      return MultiColumn() ? PerColumn() : FullyVisible();
    case LB_SETCOUNT:  // only for lists without data, which this build does not make
    case LB_DIR:
    case LB_ADDFILE:
      return LB_ERR;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

int ListBox::SortedIndex(const ListItem& item) const {
  if (HasStrings()) return items_.SortedPosition(item.text, locale_);
  // Owner data: the owner orders the items.
  int low = 0, high = items_.Count();
  while (low < high) {
    const int mid = (low + high) / 2;
    COMPAREITEMSTRUCT c{
        CtlType(),           CtlId(), ItemWindow(), static_cast<UINT>(-1), item.data, static_cast<UINT>(mid),
        items_.At(mid).data, locale_};
    const LRESULT order = SendMessageW(Owner(), WM_COMPAREITEM, CtlId(), reinterpret_cast<LPARAM>(&c));
    if (!IsWindow(hwnd_)) return 0;
    if (order < 0)
      high = mid;
    else
      low = mid + 1;
  }
  return low;
}

int ListBox::Add(LPARAM value, int at, bool sorted) {
  const int count = items_.Count();
  if (at < -1 || at > count) return LB_ERR;
  ListItem item;
  if (HasStrings())
    item.text = FromText(reinterpret_cast<LPCWSTR>(value));
  else
    item.data = static_cast<ULONG_PTR>(value);
  int index = sorted ? SortedIndex(item) : (at < 0 ? count : at);
  if (!IsWindow(hwnd_)) return LB_ERR;
  index = std::clamp(index, 0, items_.Count());
  if (Variable()) item.height = std::clamp(Measure(index, item.data), 1, kMaxItemHeight);
  if (!IsWindow(hwnd_)) return LB_ERR;
  index = std::clamp(index, 0, items_.Count());
  items_.Insert(index, std::move(item));
  if (cursel_ >= index) ++cursel_;
  if (items_.Count() > 1 && caret_ >= index) ++caret_;
  if (anchor_ >= index) ++anchor_;
  Changed();
  return index;
}

int ListBox::Measure(int index, ULONG_PTR data) const {
  MEASUREITEMSTRUCT m{CtlType(), CtlId(), static_cast<UINT>(index), 0, static_cast<UINT>(itemHeight_), data};
  const RECT client = ClientRect(hwnd_);
  m.itemWidth = static_cast<UINT>(std::max<LONG>(0, client.right));
  SendMessageW(Owner(), WM_MEASUREITEM, CtlId(), reinterpret_cast<LPARAM>(&m));
  return static_cast<int>(std::min<UINT>(m.itemHeight, kMaxItemHeight));
}

void ListBox::Deleted(int index, const ListItem& item) const {
  if (!OwnerDrawn() && !item.data) return;
  DELETEITEMSTRUCT d{CtlType(), CtlId(), static_cast<UINT>(index), ItemWindow(), item.data};
  if (HWND owner = Owner()) SendMessageW(owner, WM_DELETEITEM, CtlId(), reinterpret_cast<LPARAM>(&d));
}

int ListBox::Delete(int index) {
  if (!items_.Valid(index)) return LB_ERR;
  const ListItem gone = items_.At(index);
  items_.Erase(index);
  if (cursel_ == index)
    cursel_ = -1;
  else if (cursel_ > index)
    --cursel_;
  if (caret_ > index || caret_ >= items_.Count()) caret_ = std::max(0, caret_ - 1);
  if (anchor_ == index)
    anchor_ = -1;
  else if (anchor_ > index)
    --anchor_;
  Changed();
  const int left = items_.Count();
  Deleted(index, gone);  // last: the owner may act on the list again
  return left;
}

void ListBox::Reset() {
  ListItems gone = std::move(items_);
  items_ = ListItems{};
  cursel_ = -1;
  caret_ = 0;
  anchor_ = -1;
  top_ = 0;
  xOffset_ = 0;
  Changed();
  for (int i = 0; i < gone.Count(); ++i) Deleted(i, gone.At(i));
}

LRESULT ListBox::GetText(int index, LPWSTR buffer) const {
  if (!items_.Valid(index)) return LB_ERR;
  const ListItem& item = items_.At(index);
  if (!HasStrings()) {
    if (buffer) std::memcpy(buffer, &item.data, sizeof item.data);
    return sizeof item.data;
  }
  if (buffer) {
    std::copy(item.text.begin(), item.text.end(), buffer);
    buffer[item.text.size()] = 0;
  }
  return static_cast<LRESULT>(item.text.size());
}

LRESULT ListBox::TextLength(int index) const {
  if (!items_.Valid(index)) return LB_ERR;
  return HasStrings() ? static_cast<LRESULT>(items_.At(index).text.size()) : sizeof(ULONG_PTR);
}

LRESULT ListBox::Find(int start, LPARAM value, bool exact) const {
  int found = -1;
  if (HasStrings()) {
    const auto* text = reinterpret_cast<LPCWSTR>(value);
    if (!text) return LB_ERR;
    found = items_.Find(start, text, exact, locale_);
  } else {
    found = items_.FindData(start, static_cast<ULONG_PTR>(value));
  }
  return found >= 0 ? found : LB_ERR;
}

LRESULT ListBox::SetCurSel(int index) {
  const Mode mode = SelectionMode();
  if (mode == Mode::Multiple || mode == Mode::Extended) return LB_ERR;
  if (index == -1) {
    InvalidateItem(cursel_);
    cursel_ = -1;
    return LB_ERR;  // as the system answers: there is no selection to report
  }
  if (!items_.Valid(index)) return LB_ERR;
  InvalidateItem(cursel_);
  InvalidateItem(caret_);
  cursel_ = caret_ = index;
  ShowItem(index);
  InvalidateItem(index);
  return index;
}

LRESULT ListBox::SetSel(bool select, int index) {
  const Mode mode = SelectionMode();
  if (mode == Mode::Single || mode == Mode::None) return LB_ERR;
  if (index == -1) {
    for (int i = 0; i < items_.Count(); ++i) items_.At(i).selected = select;
    if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
    return LB_OKAY;
  }
  if (!items_.Valid(index)) return LB_ERR;
  items_.At(index).selected = select;
  if (select) {
    InvalidateItem(caret_);
    caret_ = anchor_ = index;
  }
  InvalidateItem(index);
  return LB_OKAY;
}

LRESULT ListBox::SelectRange(bool select, int first, int last) {
  const Mode mode = SelectionMode();
  if (mode == Mode::Single || mode == Mode::None) return LB_ERR;
  if (items_.Count() == 0) return LB_ERR;
  if (first > last) std::swap(first, last);
  first = std::max(first, 0);
  last = std::min(last, items_.Count() - 1);
  if (first > last) return LB_ERR;
  for (int i = first; i <= last; ++i) items_.At(i).selected = select;
  if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
  return LB_OKAY;
}

int ListBox::SelCount() const {
  const Mode mode = SelectionMode();
  if (mode == Mode::Single || mode == Mode::None) return LB_ERR;
  int n = 0;
  for (int i = 0; i < items_.Count(); ++i) n += items_.At(i).selected ? 1 : 0;
  return n;
}

LRESULT ListBox::GetSelItems(int capacity, int* out) const {
  const Mode mode = SelectionMode();
  if (mode == Mode::Single || mode == Mode::None || !out) return LB_ERR;
  int n = 0;
  for (int i = 0; i < items_.Count() && n < capacity; ++i)
    if (items_.At(i).selected) out[n++] = i;
  return n;
}

bool ListBox::IsSelected(int index) const {
  switch (SelectionMode()) {
    case Mode::Single:
      return index == cursel_;
    case Mode::None:
      return false;
    default:
      return items_.Valid(index) && items_.At(index).selected;
  }
}

LRESULT ListBox::SetItemHeight(int index, int height) {
  if (height <= 0 || height > kMaxItemHeight) return LB_ERR;
  if (Variable()) {
    if (!items_.Valid(index)) return LB_ERR;
    items_.At(index).height = height;
  } else {
    itemHeight_ = height;
  }
  Changed();
  return LB_OKAY;
}

LRESULT ListBox::GetItemHeight(int index) const {
  if (Variable()) return items_.Valid(index) ? items_.At(index).height : LB_ERR;
  return itemHeight_;  // one height for every item: the index is not needed
}

}  // namespace kx2::user32

using kx2::user32::ListBox;

namespace {

void RegisterListClasses() {
  kx2::user32::textctl::RegisterControl<ListBox>(WC_LISTBOXW, CS_DBLCLKS);
  kx2::user32::textctl::RegisterControl<ListBox>(u"ComboLBox", CS_DBLCLKS);
}

const kx2::user32::textctl::RegisterAtLoad registered{&RegisterListClasses};

}  // namespace

KX2_EXPORT DWORD GetListBoxInfo(HWND hwnd) {
  return kx2::Guard(DWORD{0}, [&]() -> DWORD {
    if (!IsWindow(hwnd)) return 0;
    return static_cast<DWORD>(std::max<LRESULT>(0, SendMessageW(hwnd, LB_GETLISTBOXINFO, 0, 0)));
  });
}
