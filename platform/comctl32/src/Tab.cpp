// The tab control: items with text, image and data laid out in rows (or columns for the
// vertical styles) along one side of a pane, a selection the mouse and keys change with
// TCN_SELCHANGING and TCN_SELCHANGE, owner-drawn items and the classic tabs and buttons.
#include <algorithm>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct TabItem {
  std::u16string text;
  int image = -1;
  LPARAM param = 0;
  DWORD state = 0;
};

class Tab {
 public:
  Tab(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
        return message == WM_PRINTCLIENT ? 1 : 0;
      case WM_ERASEBKGND:
        return 1;  // painting covers the client
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Redraw();
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_SIZE:
      case WM_STYLECHANGED:
        Redraw();
        break;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        Redraw();
        return 0;
      case WM_GETDLGCODE:
        return 0x0001;  // DLGC_WANTARROWS: the arrows change the selection
      case WM_LBUTTONDOWN: {
        const int hit = HitItem(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (!(Style() & TCS_FOCUSNEVER) && GetFocus() != hwnd_) SetFocus(hwnd_);
        if (hit >= 0) Choose(hit);
        return 0;
      }
      case WM_KEYDOWN:
        return Key(static_cast<UINT>(wParam));

      case TCM_GETITEMCOUNT:
        return static_cast<LRESULT>(items_.size());
      case TCM_INSERTITEMW:
        return Insert(static_cast<int>(wParam), reinterpret_cast<const TCITEMW*>(lParam));
      case TCM_INSERTITEMA:
        return Insert(static_cast<int>(wParam), reinterpret_cast<const TCITEMA*>(lParam));
      case TCM_SETITEMW:
        return SetItem(static_cast<int>(wParam), reinterpret_cast<const TCITEMW*>(lParam));
      case TCM_SETITEMA:
        return SetItem(static_cast<int>(wParam), reinterpret_cast<const TCITEMA*>(lParam));
      case TCM_GETITEMW:
        return GetItem(static_cast<int>(wParam), reinterpret_cast<TCITEMW*>(lParam));
      case TCM_GETITEMA:
        return GetItem(static_cast<int>(wParam), reinterpret_cast<TCITEMA*>(lParam));
      case TCM_DELETEITEM:
        return Delete(static_cast<int>(wParam));
      case TCM_DELETEALLITEMS:
        items_.clear();
        current_ = -1;
        Redraw();
        return TRUE;
      case TCM_GETITEMRECT: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i) || !lParam) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = Layout()[static_cast<size_t>(i)];
        return TRUE;
      }
      case TCM_GETCURSEL:
      case TCM_GETCURFOCUS:
        return current_;
      case TCM_SETCURSEL:
      case TCM_SETCURFOCUS: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i)) return -1;
        const int old = current_;
        current_ = i;
        Redraw();
        return old;
      }
      case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!info) return -1;
        const int hit = HitItem(info->pt);
        info->flags = hit >= 0 ? TCHT_ONITEM : TCHT_NOWHERE;
        return hit;
      }
      case TCM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(images_);
      case TCM_SETIMAGELIST: {
        const HIMAGELIST old = images_;
        images_ = reinterpret_cast<HIMAGELIST>(lParam);
        Redraw();
        return reinterpret_cast<LRESULT>(old);
      }
      case TCM_REMOVEIMAGE: {
        const int removed = static_cast<int>(wParam);
        if (images_) ImageList_Remove(images_, removed);
        for (TabItem& item : items_)
          if (item.image == removed)
            item.image = -1;
          else if (item.image > removed)
            --item.image;
        Redraw();
        return 0;
      }
      case TCM_SETITEMSIZE: {
        const LRESULT old = MAKELONG(static_cast<WORD>(LayoutWidth(0)), static_cast<WORD>(ItemHeight()));
        fixedWidth_ = LOWORD(lParam);
        fixedHeight_ = HIWORD(lParam);
        Redraw();
        return old;
      }
      case TCM_SETPADDING:
        padX_ = LOWORD(lParam);
        padY_ = HIWORD(lParam);
        Redraw();
        return 0;
      case TCM_SETMINTABWIDTH: {
        const int old = minWidth_;
        minWidth_ = static_cast<int>(lParam);
        Redraw();
        return old;
      }
      case TCM_GETROWCOUNT:
        return Rows();
      case TCM_ADJUSTRECT:
        if (lParam) Adjust(wParam != 0, *reinterpret_cast<RECT*>(lParam));
        return 0;
      case TCM_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(tooltips_);
      case TCM_SETTOOLTIPS:
        tooltips_ = reinterpret_cast<HWND>(wParam);
        return 0;
      case TCM_SETITEMEXTRA:
        return items_.empty() ? TRUE : FALSE;
      case TCM_DESELECTALL:
        for (size_t n = 0; n < items_.size(); ++n)
          if (!wParam || static_cast<int>(n) != current_) items_[n].state &= ~static_cast<DWORD>(TCIS_BUTTONPRESSED);
        Redraw();
        return 0;
      case TCM_HIGHLIGHTITEM: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i)) return FALSE;
        if (LOWORD(lParam))
          items_[static_cast<size_t>(i)].state |= TCIS_HIGHLIGHTED;
        else
          items_[static_cast<size_t>(i)].state &= ~static_cast<DWORD>(TCIS_HIGHLIGHTED);
        Redraw();
        return TRUE;
      }
      case TCM_SETEXTENDEDSTYLE: {
        const DWORD old = extended_;
        extended_ = wParam ? (extended_ & ~static_cast<DWORD>(wParam)) | (static_cast<DWORD>(lParam) & wParam)
                           : static_cast<DWORD>(lParam);
        return old;
      }
      case TCM_GETEXTENDEDSTYLE:
        return extended_;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool Valid(int i) const { return i >= 0 && i < static_cast<int>(items_.size()); }
  bool VerticalStrip() const { return (Style() & TCS_VERTICAL) != 0; }
  // The strip's side: 0 top, 2 bottom, 0x80 left, 0x82 right.
  DWORD Placement() const { return Style() & (TCS_BOTTOM | TCS_VERTICAL); }
  void Redraw() { InvalidateRect(hwnd_, nullptr, FALSE); }

  SIZE TextExtent(const std::u16string& text) const {
    SIZE size{0, 0};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    if (!text.empty()) GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    if (size.cy == 0) size.cy = tm.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return size;
  }

  SIZE ImageSize() const {
    int cx = 0, cy = 0;
    if (images_ && !ImageList_GetIconSize(images_, &cx, &cy)) cx = cy = 0;
    return SIZE{cx, cy};
  }

  // The item's extent across the strip (its height in the top and bottom placements).
  int ItemHeight() const {
    if (fixedHeight_ > 0) return fixedHeight_;
    return std::max(static_cast<int>(TextExtent(u"").cy), static_cast<int>(ImageSize().cy)) + 2 * padY_ + 1;
  }

  // The item's extent along the strip.
  int LayoutWidth(size_t i) const {
    if ((Style() & TCS_FIXEDWIDTH) && fixedWidth_ > 0) return fixedWidth_;
    if (i >= items_.size()) return std::max(minWidth_, 2 * padX_);
    const TabItem& item = items_[i];
    int width = static_cast<int>(TextExtent(item.text).cx) + 2 * padX_;
    if (item.image >= 0 && images_) width += ImageSize().cx + padX_;
    return std::max(width, minWidth_ >= 0 ? minWidth_ : 0);
  }

  // Every item's rectangle; rows break at the client's width with TCS_MULTILINE.
  std::vector<RECT> Layout(int* rowsOut = nullptr) const {
    std::vector<RECT> out(items_.size());
    RECT client;
    GetClientRect(hwnd_, &client);
    const bool vertical = VerticalStrip();
    const int along = vertical ? client.bottom - client.top : client.right - client.left;
    const int height = ItemHeight();
    const bool buttons = (Style() & TCS_BUTTONS) != 0;
    const int gap = buttons ? 3 : 0;
    const int start = buttons ? 0 : 2;
    int row = 0, at = start;
    for (size_t i = 0; i < items_.size(); ++i) {
      const int width = LayoutWidth(i);
      if ((Style() & TCS_MULTILINE) && at > start && at + width > along - 2) {
        ++row;
        at = start;
      }
      // Along the strip (a, a + width) and across it (row * height from the strip's side).
      const int a = at, b = at + width;
      const int across = (buttons ? 0 : 2) + row * height;
      RECT r{};
      switch (Placement()) {
        case 0:
          r = RECT{a, across, b, across + height};
          break;
        case TCS_BOTTOM:
          r = RECT{a, client.bottom - across - height, b, client.bottom - across};
          break;
        case TCS_VERTICAL:
          r = RECT{across, a, across + height, b};
          break;
        default:
          r = RECT{client.right - across - height, a, client.right - across, b};
          break;
      }
      out[i] = r;
      at = b + gap;
    }
    if (rowsOut) *rowsOut = items_.empty() ? 0 : row + 1;
    return out;
  }

  int Rows() const {
    int rows = 0;
    Layout(&rows);
    return rows;
  }

  // How deep the strip is from its side of the client.
  int StripDepth() const {
    const int rows = std::max(1, Rows());
    return rows * ItemHeight() + ((Style() & TCS_BUTTONS) ? 0 : 2);
  }

  RECT Pane() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    const int depth = StripDepth();
    switch (Placement()) {
      case 0:
        r.top += depth;
        break;
      case TCS_BOTTOM:
        r.bottom -= depth;
        break;
      case TCS_VERTICAL:
        r.left += depth;
        break;
      default:
        r.right -= depth;
        break;
    }
    return r;
  }

  // Window rectangle to display area (larger FALSE) or back; the pane's edge takes 4 pixels
  // on the three free sides and 2 beside the strip.
  void Adjust(bool larger, RECT& r) const {
    const int depth = StripDepth();
    const int s = larger ? -1 : 1;
    r.left += s * 4;
    r.top += s * 4;
    r.right -= s * 4;
    r.bottom -= s * 4;
    const int extra = s * (depth - 2);
    switch (Placement()) {
      case 0:
        r.top += extra;
        break;
      case TCS_BOTTOM:
        r.bottom -= extra;
        break;
      case TCS_VERTICAL:
        r.left += extra;
        break;
      default:
        r.right -= extra;
        break;
    }
  }

  int HitItem(POINT pt) const {
    const std::vector<RECT> rects = Layout();
    // The selected item lies over its neighbours.
    if (Valid(current_) && PtInRect(&rects[static_cast<size_t>(current_)], pt)) return current_;
    for (size_t i = 0; i < rects.size(); ++i)
      if (PtInRect(&rects[i], pt)) return static_cast<int>(i);
    return -1;
  }

  LRESULT NotifyCode(UINT code) {
    NMHDR header{};
    return Notify(hwnd_, code, &header);
  }

  void Choose(int i) {
    if (i == current_) return;
    if (NotifyCode(TCN_SELCHANGING)) return;  // the owner keeps the selection
    current_ = i;
    Redraw();
    NotifyCode(TCN_SELCHANGE);
  }

  LRESULT Key(UINT key) {
    if (items_.empty()) return 0;
    int next = current_;
    switch (key) {
      case VK_LEFT:
      case VK_UP:
        next = std::max(0, current_ - 1);
        break;
      case VK_RIGHT:
      case VK_DOWN:
        next = std::min(static_cast<int>(items_.size()) - 1, current_ + 1);
        break;
      case VK_HOME:
        next = 0;
        break;
      case VK_END:
        next = static_cast<int>(items_.size()) - 1;
        break;
      default:
        return 0;
    }
    Choose(next);
    return 0;
  }

  template <class Record>
  void Apply(TabItem& item, const Record& r) {
    if (r.mask & TCIF_TEXT) item.text = FromText(r.pszText);
    if (r.mask & TCIF_IMAGE) item.image = r.iImage;
    if (r.mask & TCIF_PARAM) item.param = r.lParam;
    if (r.mask & TCIF_STATE) item.state = (item.state & ~r.dwStateMask) | (r.dwState & r.dwStateMask);
  }

  template <class Record>
  LRESULT Insert(int at, const Record* r) {
    if (!r || at < 0) return -1;
    TabItem item;
    Apply(item, *r);
    at = std::min(at, static_cast<int>(items_.size()));
    items_.insert(items_.begin() + at, std::move(item));
    if (current_ < 0)
      current_ = 0;
    else if (at <= current_)
      ++current_;
    Redraw();
    return at;
  }

  template <class Record>
  LRESULT SetItem(int i, const Record* r) {
    if (!r || !Valid(i)) return FALSE;
    Apply(items_[static_cast<size_t>(i)], *r);
    Redraw();
    return TRUE;
  }

  template <class Record>
  LRESULT GetItem(int i, Record* r) const {
    if (!r || !Valid(i)) return FALSE;
    const TabItem& item = items_[static_cast<size_t>(i)];
    if (r->mask & TCIF_TEXT) CopyOut(item.text, r->pszText, r->cchTextMax);
    if (r->mask & TCIF_IMAGE) r->iImage = item.image;
    if (r->mask & TCIF_PARAM) r->lParam = item.param;
    if (r->mask & TCIF_STATE) r->dwState = item.state & r->dwStateMask;
    return TRUE;
  }

  LRESULT Delete(int i) {
    if (!Valid(i)) return FALSE;
    items_.erase(items_.begin() + i);
    if (items_.empty())
      current_ = -1;
    else if (i < current_ || current_ >= static_cast<int>(items_.size()))
      --current_;
    Redraw();
    return TRUE;
  }

  // ---- Painting ----

  void PaintItem(HDC dc, size_t i, RECT r, bool selected) {
    const DWORD style = Style();
    const bool buttons = (style & TCS_BUTTONS) != 0;
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    if (buttons) {
      FillRect(dc, &r, face);
      const bool down = selected || (items_[i].state & TCIS_BUTTONPRESSED);
      if (!(style & TCS_FLATBUTTONS) || down) DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else {
      if (selected) InflateRect(&r, 2, 2);
      FillRect(dc, &r, face);
      // The edge facing the pane stays open, so the selected tab joins it.
      UINT sides = BF_RECT;
      switch (Placement()) {
        case 0:
          sides &= ~static_cast<UINT>(BF_BOTTOM);
          break;
        case TCS_BOTTOM:
          sides &= ~static_cast<UINT>(BF_TOP);
          break;
        case TCS_VERTICAL:
          sides &= ~static_cast<UINT>(BF_RIGHT);
          break;
        default:
          sides &= ~static_cast<UINT>(BF_LEFT);
          break;
      }
      SoftRaisedEdge(dc, r, sides);
    }
    if (items_[i].state & TCIS_HIGHLIGHTED) {
      RECT inner = r;
      InflateRect(&inner, -2, -2);
      FillRect(dc, &inner, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    if (style & TCS_OWNERDRAWFIXED) {
      DRAWITEMSTRUCT dis{};
      dis.CtlType = ODT_TAB;
      dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd_));
      dis.itemID = static_cast<UINT>(i);
      dis.itemAction = ODA_DRAWENTIRE;
      dis.itemState = selected ? ODS_SELECTED : 0;
      dis.hwndItem = hwnd_;
      dis.hDC = dc;
      dis.rcItem = r;
      dis.itemData = static_cast<ULONG_PTR>(items_[i].param);
      SendMessageW(GetParent(hwnd_), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    } else {
      RECT text = r;
      InflateRect(&text, -padX_ / 2, 0);
      const TabItem& item = items_[i];
      if (images_ && item.image >= 0) {
        const SIZE image = ImageSize();
        const int x = r.left + padX_, y = r.top + (r.bottom - r.top - image.cy) / 2;
        ImageList_Draw(images_, item.image, dc, x, y, ILD_TRANSPARENT);
        text.left = x + image.cx;
      }
      if (!item.text.empty()) {
        if (!buttons && !selected) OffsetRect(&text, 0, Placement() == 0 ? 1 : 0);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, item.text.data(), static_cast<int>(item.text.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS);
      }
    }
    if (selected && GetFocus() == hwnd_ && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
      RECT focus = r;
      InflateRect(&focus, -GetSystemMetrics(SM_CXEDGE) / 2 - 1, -GetSystemMetrics(SM_CYEDGE) / 2 - 1);
      DrawFocusRect(dc, &focus);
    }
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    HBRUSH back = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd_), WM_CTLCOLORSTATIC,
                                                        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
    FillRect(dc, &client, back ? back : GetSysColorBrush(COLOR_BTNFACE));
    if (!(Style() & TCS_BUTTONS)) {
      RECT pane = Pane();
      FillRect(dc, &pane, GetSysColorBrush(COLOR_BTNFACE));
      SoftRaisedEdge(dc, pane, BF_RECT);
    }
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const std::vector<RECT> rects = Layout();
    for (size_t i = 0; i < rects.size(); ++i) {
      RECT meet;
      if (!IntersectRect(&meet, &rects[i], &client)) continue;
      PaintItem(dc, i, rects[i], false);
    }
    // The selected item once more, larger, over its neighbours' edges.
    if (Valid(current_)) PaintItem(dc, static_cast<size_t>(current_), rects[static_cast<size_t>(current_)], true);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  std::vector<TabItem> items_;
  int current_ = -1;
  HFONT font_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HWND tooltips_ = nullptr;
  int padX_ = 6;
  int padY_ = 3;
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  int minWidth_ = -1;
  DWORD extended_ = 0;
};

}  // namespace

void RegisterTabClass() { RegisterControl<Tab>(WC_TABCONTROLW); }

}  // namespace comctl
