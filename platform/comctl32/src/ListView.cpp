// The list view: items with sub-item texts, image, data and state, shown in report (with
// its header), list, icon or small-icon mode; selection by mouse with LVN_ITEMCHANGED,
// vertical scrolling by its own scroll bar and LVM_SCROLL, and its three colours. Painting
// visits only the rows the client shows, so a view of many items paints as fast as a short one.
#include <algorithm>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct ListItem {
  std::vector<std::u16string> texts;  // the label, then one per sub-item
  int image = -1;
  LPARAM param = 0;
  UINT state = 0;
};

class ListView {
 public:
  ListView(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        header_ =
            CreateWindowExW(0, WC_HEADERW, u"", WS_CHILD | HDS_BUTTONS, 0, 0, 0, 0, hwnd_, nullptr, nullptr, nullptr);
        Relayout();
        return 0;
      case WM_SIZE:
      case WM_STYLECHANGED:
        Relayout();
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (header_) SendMessageW(header_, WM_SETFONT, wParam, lParam);
        rowHeight_ = 0;
        Relayout();
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_VSCROLL:
        return VScroll(LOWORD(wParam));
      case WM_LBUTTONDOWN:
        return Click(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_NOTIFY: {
        // The header's widths changing moves the columns.
        const auto* h = reinterpret_cast<const NMHDR*>(lParam);
        if (h->hwndFrom == header_ && h->code == HDN_ITEMCHANGEDW) InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      }

      case LVM_GETITEMCOUNT:
        return static_cast<LRESULT>(items_.size());
      case LVM_INSERTITEMW:
        return Insert(reinterpret_cast<const LVITEMW*>(lParam));
      case LVM_SETITEMW:
        return SetItem(reinterpret_cast<const LVITEMW*>(lParam));
      case LVM_GETITEMW:
        return GetItem(reinterpret_cast<LVITEMW*>(lParam));
      case LVM_SETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (!item || !Valid(static_cast<int>(wParam)) || item->iSubItem < 0) return FALSE;
        TextSlot(static_cast<size_t>(wParam), item->iSubItem) = FromText(item->pszText);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      }
      case LVM_GETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (!item || !Valid(static_cast<int>(wParam))) return 0;
        return CopyOut(Text(static_cast<size_t>(wParam), item->iSubItem), item->pszText, item->cchTextMax);
      }
      case LVM_DELETEITEM:
        if (!Valid(static_cast<int>(wParam))) return FALSE;
        items_.erase(items_.begin() + static_cast<ptrdiff_t>(wParam));
        Relayout();
        return TRUE;
      case LVM_DELETEALLITEMS:
        items_.clear();
        top_ = 0;
        Relayout();
        return TRUE;
      case LVM_INSERTCOLUMNW:
        return InsertColumn(static_cast<int>(wParam), reinterpret_cast<const LVCOLUMNW*>(lParam));
      case LVM_GETCOLUMNWIDTH: {
        HDITEMW hd{};
        hd.mask = HDI_WIDTH;
        return SendMessageW(header_, HDM_GETITEMW, wParam, reinterpret_cast<LPARAM>(&hd)) ? hd.cxy : 0;
      }
      case LVM_SETCOLUMNWIDTH: {
        HDITEMW hd{};
        hd.mask = HDI_WIDTH;
        hd.cxy = static_cast<int>(static_cast<int16_t>(LOWORD(lParam)));
        const LRESULT ok = SendMessageW(header_, HDM_SETITEMW, wParam, reinterpret_cast<LPARAM>(&hd));
        InvalidateRect(hwnd_, nullptr, FALSE);
        return ok;
      }
      case LVM_GETHEADER:
        return reinterpret_cast<LRESULT>(header_);
      case LVM_SETBKCOLOR:
        background_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      case LVM_GETBKCOLOR:
        return Resolve(background_, COLOR_WINDOW);
      case LVM_SETTEXTCOLOR:
        text_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      case LVM_GETTEXTCOLOR:
        return Resolve(text_, COLOR_WINDOWTEXT);
      case LVM_SETTEXTBKCOLOR:
        textBackground_ = static_cast<COLORREF>(lParam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return TRUE;
      case LVM_GETTEXTBKCOLOR:
        return textBackground_ == CLR_DEFAULT ? Resolve(background_, COLOR_WINDOW) : textBackground_;
      case LVM_SETIMAGELIST: {
        HIMAGELIST& slot = wParam == LVSIL_SMALL ? small_ : large_;
        const HIMAGELIST old = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        rowHeight_ = 0;
        InvalidateRect(hwnd_, nullptr, FALSE);
        return reinterpret_cast<LRESULT>(old);
      }
      case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == LVSIL_SMALL ? small_ : large_);
      case LVM_GETTOPINDEX:
        return top_;
      case LVM_GETCOUNTPERPAGE:
        return RowsPerPage();
      case LVM_SCROLL: {
        const int rows = RowHeight() > 0 ? static_cast<int>(lParam) / RowHeight() : 0;
        ScrollTo(top_ + rows);
        return TRUE;
      }
      case LVM_ENSUREVISIBLE: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i)) return FALSE;
        if (i < top_) ScrollTo(i);
        if (i >= top_ + RowsPerPage()) ScrollTo(i - RowsPerPage() + 1);
        return TRUE;
      }
      case LVM_GETITEMSPACING: {
        const SIZE s = Spacing(wParam != 0);
        return MAKELONG(static_cast<WORD>(s.cx), static_cast<WORD>(s.cy));
      }
      case LVM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (!r || !Valid(static_cast<int>(wParam))) return FALSE;
        *r = ItemRect(static_cast<int>(wParam));
        return TRUE;
      }
      case LVM_HITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (!info) return -1;
        info->iItem = HitItem(info->pt);
        info->iSubItem = 0;
        info->flags = info->iItem >= 0 ? LVHT_ONITEMLABEL : LVHT_NOWHERE;
        return info->iItem;
      }
      case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (!item) return FALSE;
        const int i = static_cast<int>(wParam);
        if (i == -1) {
          for (size_t n = 0; n < items_.size(); ++n) ChangeState(n, item->state, item->stateMask);
          return TRUE;
        }
        if (!Valid(i)) return FALSE;
        ChangeState(static_cast<size_t>(i), item->state, item->stateMask);
        return TRUE;
      }
      case LVM_GETITEMSTATE:
        return Valid(static_cast<int>(wParam)) ? items_[wParam].state & static_cast<UINT>(lParam) : 0;
      case LVM_GETSELECTEDCOUNT:
        return std::count_if(items_.begin(), items_.end(), [](const ListItem& i) { return i.state & LVIS_SELECTED; });
      case LVM_GETNEXTITEM: {
        const UINT want = LOWORD(lParam) & (LVNI_SELECTED | LVNI_FOCUSED);
        for (int i = static_cast<int>(wParam) + 1; i < static_cast<int>(items_.size()); ++i)
          if ((items_[static_cast<size_t>(i)].state & want) == want) return i;
        return -1;
      }
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  DWORD Mode() const { return Style() & LVS_TYPEMASK; }
  bool Valid(int i) const { return i >= 0 && i < static_cast<int>(items_.size()); }
  static COLORREF Resolve(COLORREF c, int system) {
    return c == CLR_DEFAULT || c == CLR_NONE ? GetSysColor(system) : c;
  }

  std::u16string& TextSlot(size_t i, int sub) {
    auto& texts = items_[i].texts;
    if (texts.size() <= static_cast<size_t>(sub)) texts.resize(static_cast<size_t>(sub) + 1);
    return texts[static_cast<size_t>(sub)];
  }
  const std::u16string& Text(size_t i, int sub) const {
    static const std::u16string empty;
    const auto& texts = items_[i].texts;
    return sub >= 0 && static_cast<size_t>(sub) < texts.size() ? texts[static_cast<size_t>(sub)] : empty;
  }

  int HeaderHeight() const {
    if (!header_ || Mode() != LVS_REPORT || (Style() & LVS_NOCOLUMNHEADER)) return 0;
    RECT r;
    GetWindowRect(header_, &r);
    return r.bottom - r.top;
  }

  int RowHeight() {
    if (rowHeight_ > 0) return rowHeight_;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    int cx = 0, cy = 0;
    if (small_) ImageList_GetIconSize(small_, &cx, &cy);
    rowHeight_ = std::max(static_cast<int>(tm.tmHeight), cy) + 2;
    return rowHeight_;
  }

  SIZE Spacing(bool smallIcons) {
    if (smallIcons || Mode() != LVS_ICON) return SIZE{16 + 4 + 100, RowHeight()};
    return SIZE{GetSystemMetrics(SM_CXICONSPACING), GetSystemMetrics(SM_CYICONSPACING)};
  }

  RECT Body() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    r.top += HeaderHeight();
    return r;
  }

  int RowsPerPage() {
    const RECT b = Body();
    return std::max(1, static_cast<int>(b.bottom - b.top) / RowHeight());
  }

  // Rows (report, small icons and list stay one per row here) or icon cells.
  int PerRow() {
    if (Mode() != LVS_ICON) return 1;
    const RECT b = Body();
    return std::max(1, static_cast<int>(b.right - b.left) / static_cast<int>(Spacing(false).cx));
  }

  RECT ItemRect(int i) {
    const RECT b = Body();
    if (Mode() == LVS_ICON) {
      const SIZE s = Spacing(false);
      const int row = i / PerRow() - top_, col = i % PerRow();
      return RECT{b.left + col * s.cx, b.top + row * s.cy, b.left + (col + 1) * s.cx, b.top + (row + 1) * s.cy};
    }
    const int y = b.top + (i - top_) * RowHeight();
    int width = b.right - b.left;
    if (Mode() == LVS_REPORT) {
      width = 0;
      const int columns = static_cast<int>(SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
      for (int c = 0; c < columns; ++c) width += static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, c, 0));
    }
    return RECT{b.left, y, b.left + width, y + RowHeight()};
  }

  int HitItem(POINT pt) {
    const RECT b = Body();
    if (!PtInRect(&b, pt)) return -1;
    const int rows = (pt.y - b.top) / (Mode() == LVS_ICON ? static_cast<int>(Spacing(false).cy) : RowHeight());
    const int i = Mode() == LVS_ICON ? (top_ + rows) * PerRow() + (pt.x - b.left) / static_cast<int>(Spacing(false).cx)
                                     : top_ + rows;
    if (!Valid(i)) return -1;
    const RECT r = ItemRect(i);
    return PtInRect(&r, pt) ? i : -1;
  }

  int Lines() { return (static_cast<int>(items_.size()) + PerRow() - 1) / PerRow(); }

  void Relayout() {
    if (header_) {
      const bool show = Mode() == LVS_REPORT && !(Style() & LVS_NOCOLUMNHEADER);
      RECT client;
      GetClientRect(hwnd_, &client);
      WINDOWPOS pos{};
      HDLAYOUT layout{&client, &pos};
      SendMessageW(header_, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
      SetWindowPos(header_, nullptr, pos.x, pos.y, pos.cx, pos.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
      if (show) InvalidateRect(header_, nullptr, FALSE);
    }
    top_ = std::clamp(top_, 0, std::max(0, Lines() - RowsPerPage()));
    SCROLLINFO si{
        sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, Lines() - 1), static_cast<UINT>(RowsPerPage()), top_,
        0};
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void ScrollTo(int top) {
    const int next = std::clamp(top, 0, std::max(0, Lines() - RowsPerPage()));
    if (next == top_) return;
    top_ = next;
    SetScrollPos(hwnd_, SB_VERT, top_, TRUE);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  LRESULT VScroll(int code) {
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd_, SB_VERT, &si);
    switch (code) {
      case SB_LINEUP:
        ScrollTo(top_ - 1);
        break;
      case SB_LINEDOWN:
        ScrollTo(top_ + 1);
        break;
      case SB_PAGEUP:
        ScrollTo(top_ - RowsPerPage());
        break;
      case SB_PAGEDOWN:
        ScrollTo(top_ + RowsPerPage());
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        ScrollTo(si.nTrackPos);
        break;
      case SB_TOP:
        ScrollTo(0);
        break;
      case SB_BOTTOM:
        ScrollTo(Lines());
        break;
      default:
        break;
    }
    return 0;
  }

  void ChangeState(size_t i, UINT state, UINT mask) {
    ListItem& item = items_[i];
    const UINT old = item.state;
    item.state = (item.state & ~mask) | (state & mask);
    if (item.state == old) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    NMLISTVIEW nm{};
    nm.iItem = static_cast<int>(i);
    nm.uNewState = item.state;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = item.param;
    Notify(hwnd_, LVN_ITEMCHANGED, &nm.hdr);
  }

  LRESULT Click(POINT pt) {
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    const int hit = HitItem(pt);
    for (size_t n = 0; n < items_.size(); ++n)
      if (static_cast<int>(n) != hit && (items_[n].state & (LVIS_SELECTED | LVIS_FOCUSED)))
        ChangeState(n, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (hit >= 0) ChangeState(static_cast<size_t>(hit), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    NMHDR header{};
    Notify(hwnd_, NM_CLICK, &header);
    return 0;
  }

  LRESULT Insert(const LVITEMW* given) {
    if (!given || given->iItem < 0) return -1;
    ListItem item;
    if (given->mask & LVIF_TEXT) item.texts.push_back(FromText(given->pszText));
    if (given->mask & LVIF_IMAGE) item.image = given->iImage;
    if (given->mask & LVIF_PARAM) item.param = given->lParam;
    if (given->mask & LVIF_STATE) item.state = given->state & given->stateMask;
    const int at = std::min(given->iItem, static_cast<int>(items_.size()));
    items_.insert(items_.begin() + at, std::move(item));
    // Many inserts in a row set the scroll bar once, at the next paint or size.
    layoutDue_ = true;
    InvalidateRect(hwnd_, nullptr, FALSE);
    return at;
  }

  LRESULT SetItem(const LVITEMW* given) {
    if (!given || !Valid(given->iItem) || given->iSubItem < 0) return FALSE;
    const size_t i = static_cast<size_t>(given->iItem);
    if (given->mask & LVIF_TEXT) TextSlot(i, given->iSubItem) = FromText(given->pszText);
    if (given->iSubItem == 0) {
      if (given->mask & LVIF_IMAGE) items_[i].image = given->iImage;
      if (given->mask & LVIF_PARAM) items_[i].param = given->lParam;
      if (given->mask & LVIF_STATE) ChangeState(i, given->state, given->stateMask);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    return TRUE;
  }

  LRESULT GetItem(LVITEMW* item) const {
    if (!item || !Valid(item->iItem)) return FALSE;
    const ListItem& it = items_[static_cast<size_t>(item->iItem)];
    if (item->mask & LVIF_TEXT)
      CopyOut(Text(static_cast<size_t>(item->iItem), item->iSubItem), item->pszText, item->cchTextMax);
    if (item->mask & LVIF_IMAGE) item->iImage = it.image;
    if (item->mask & LVIF_PARAM) item->lParam = it.param;
    if (item->mask & LVIF_STATE) item->state = it.state & item->stateMask;
    return TRUE;
  }

  LRESULT InsertColumn(int at, const LVCOLUMNW* column) {
    if (!column || at < 0) return -1;
    HDITEMW hd{};
    hd.mask = HDI_WIDTH | HDI_FORMAT;
    hd.cxy = (column->mask & LVCF_WIDTH) ? column->cx : 60;
    hd.fmt = HDF_STRING | ((column->mask & LVCF_FMT) ? (column->fmt & HDF_JUSTIFYMASK) : HDF_LEFT);
    if (column->mask & LVCF_TEXT) {
      hd.mask |= HDI_TEXT;
      hd.pszText = column->pszText;
    }
    const LRESULT index =
        SendMessageW(header_, HDM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&hd));
    InvalidateRect(hwnd_, nullptr, FALSE);
    return index;
  }

  void PaintItem(HDC dc, int i, const RECT& r, int columns) {
    const ListItem& item = items_[static_cast<size_t>(i)];
    const bool selected = (item.state & LVIS_SELECTED) && (GetFocus() == hwnd_ || (Style() & LVS_SHOWSELALWAYS));
    const COLORREF ink = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : Resolve(text_, COLOR_WINDOWTEXT);
    const HIMAGELIST list = Mode() == LVS_ICON ? large_ : small_;
    int x = r.left + 2;
    if (Mode() == LVS_ICON) {
      int cx = 32, cy = 32;
      if (list) ImageList_GetIconSize(list, &cx, &cy);
      if (list && item.image >= 0)
        ImageList_Draw(list, item.image, dc, r.left + (r.right - r.left - cx) / 2, r.top + 2, ILD_TRANSPARENT);
      RECT label{r.left, r.top + cy + 4, r.right, r.bottom};
      if (selected) FillSolid(dc, label, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, ink);
      const std::u16string& t = Text(static_cast<size_t>(i), 0);
      DrawTextW(dc, t.data(), static_cast<int>(t.size()), &label,
                DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      return;
    }
    if (list) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(list, &cx, &cy);
      if (item.image >= 0)
        ImageList_Draw(list, item.image, dc, x, r.top + (r.bottom - r.top - cy) / 2, ILD_TRANSPARENT);
      x += cx + 2;
    }
    int left = r.left;
    const int count = Mode() == LVS_REPORT ? std::max(1, columns) : 1;
    for (int c = 0; c < count; ++c) {
      const int width = Mode() == LVS_REPORT ? static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, c, 0))
                                             : static_cast<int>(r.right - r.left);
      RECT cell{c == 0 ? x : left + 4, r.top, left + width - 2, r.bottom};
      const std::u16string& t = Text(static_cast<size_t>(i), c);
      if (c == 0) {
        if (selected) {
          RECT mark{x - 1, r.top, left + width, r.bottom};
          FillSolid(dc, mark, GetSysColor(COLOR_HIGHLIGHT));
        } else if (textBackground_ != CLR_DEFAULT && textBackground_ != CLR_NONE) {
          FillSolid(dc, cell, textBackground_);
        }
        SetTextColor(dc, ink);
      } else {
        SetTextColor(dc, Resolve(text_, COLOR_WINDOWTEXT));
      }
      if (!t.empty() && cell.right > cell.left)
        DrawTextW(dc, t.data(), static_cast<int>(t.size()), &cell,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
      left += width;
    }
  }

  void Paint(HDC dc) {
    if (layoutDue_) {
      layoutDue_ = false;
      Relayout();
    }
    // The header's strip is the header's to paint: the rows' area only.
    FillSolid(dc, Body(), Resolve(background_, COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const int columns = static_cast<int>(SendMessageW(header_, HDM_GETITEMCOUNT, 0, 0));
    // Only the rows the client shows.
    const int perRow = PerRow();
    const int lines =
        Mode() == LVS_ICON ? (Body().bottom - Body().top) / std::max<int>(1, Spacing(false).cy) + 1 : RowsPerPage() + 1;
    const int first = top_ * perRow;
    const int last = std::min(static_cast<int>(items_.size()), first + lines * perRow);
    for (int i = first; i < last; ++i) PaintItem(dc, i, ItemRect(i), columns);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  HWND header_ = nullptr;
  std::vector<ListItem> items_;
  HFONT font_ = nullptr;
  HIMAGELIST small_ = nullptr;
  HIMAGELIST large_ = nullptr;
  COLORREF background_ = CLR_DEFAULT;
  COLORREF text_ = CLR_DEFAULT;
  COLORREF textBackground_ = CLR_DEFAULT;
  int top_ = 0;
  int rowHeight_ = 0;
  bool layoutDue_ = false;
};

}  // namespace

void RegisterListViewClass() { RegisterControl<ListView>(WC_LISTVIEWW); }

}  // namespace comctl
