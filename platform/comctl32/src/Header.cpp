// The header control: items with text, image, bitmap, format and data in a display order,
// hit tests, dividers the mouse drags, buttons that click, hot tracking, an optional
// filter bar below the items, and the classic raised items with sort arrows.
#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct HeaderItem {
  std::u16string text;
  int width = 0;
  int format = HDF_LEFT | HDF_STRING;
  LPARAM param = 0;
  int image = -1;
  HBITMAP bitmap = nullptr;
  UINT state = 0;
};

constexpr int kDividerSlop = 4;

class Header {
 public:
  Header(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd), margin_(3 * GetSystemMetrics(SM_CXEDGE)) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Redraw();
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_LBUTTONDOWN:
        return MouseDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_MOUSEMOVE:
        return MouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_LBUTTONUP:
        return MouseUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_MOUSELEAVE:
        leaveTracked_ = false;
        SetHot(-1);
        return 0;
      case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_ && (pressed_ >= 0 || tracking_ >= 0)) {
          pressed_ = tracking_ = -1;
          Redraw();
        }
        return 0;

      case HDM_GETITEMCOUNT:
        return static_cast<LRESULT>(items_.size());
      case HDM_INSERTITEMW:
        return Insert(static_cast<int>(wParam), reinterpret_cast<const HDITEMW*>(lParam));
      case HDM_INSERTITEMA:
        return Insert(static_cast<int>(wParam), reinterpret_cast<const HDITEMA*>(lParam));
      case HDM_SETITEMW:
        return SetItem(static_cast<int>(wParam), reinterpret_cast<const HDITEMW*>(lParam));
      case HDM_SETITEMA:
        return SetItem(static_cast<int>(wParam), reinterpret_cast<const HDITEMA*>(lParam));
      case HDM_GETITEMW:
        return GetItem(static_cast<int>(wParam), reinterpret_cast<HDITEMW*>(lParam));
      case HDM_GETITEMA:
        return GetItem(static_cast<int>(wParam), reinterpret_cast<HDITEMA*>(lParam));
      case HDM_DELETEITEM:
        return Delete(static_cast<int>(wParam));
      case HDM_GETITEMRECT: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i) || !lParam) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(i);
        return TRUE;
      }
      case HDM_HITTEST: {
        auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
        return info ? HitTest(*info) : -1;
      }
      case HDM_LAYOUT:
        return Layout(reinterpret_cast<HDLAYOUT*>(lParam));
      case HDM_ORDERTOINDEX: {
        const size_t at = wParam;
        return at < order_.size() ? order_[at] : static_cast<LRESULT>(wParam);
      }
      case HDM_GETORDERARRAY: {
        if (!lParam || wParam != order_.size()) return FALSE;
        std::copy(order_.begin(), order_.end(), reinterpret_cast<int*>(lParam));
        return TRUE;
      }
      case HDM_SETORDERARRAY:
        return SetOrder(static_cast<size_t>(wParam), reinterpret_cast<const int*>(lParam));
      case HDM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(images_);
      case HDM_SETIMAGELIST: {
        const HIMAGELIST old = images_;
        images_ = reinterpret_cast<HIMAGELIST>(lParam);
        Redraw();
        return reinterpret_cast<LRESULT>(old);
      }
      case HDM_GETBITMAPMARGIN:
        return margin_;
      case HDM_SETBITMAPMARGIN: {
        const int old = margin_;
        margin_ = static_cast<int>(wParam);
        Redraw();
        return old;
      }
      case HDM_SETHOTDIVIDER:
        return -1;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool Valid(int i) const { return i >= 0 && i < static_cast<int>(items_.size()); }
  bool FilterBar() const {
    if (!(Style() & HDS_FILTERBAR)) return false;
    DLLVERSIONINFO v{sizeof(v), 0, 0, 0, 0};
    DllGetVersion(&v);
    return v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 80);
  }
  void Redraw() { InvalidateRect(hwnd_, nullptr, FALSE); }

  int TextHeight() const {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return tm.tmHeight;
  }

  RECT ItemRect(int index) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    int left = 0;
    for (int i : order_) {
      const int width = std::max(0, items_[static_cast<size_t>(i)].width);
      if (i == index) return RECT{left, 0, left + width, client.bottom};
      left += width;
    }
    return RECT{0, 0, 0, 0};
  }

  int HitTest(HDHITTESTINFO& info) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    info.iItem = -1;
    info.flags = 0;
    const POINT pt = info.pt;
    if (pt.y < 0) info.flags |= HHT_ABOVE;
    if (pt.y >= client.bottom) info.flags |= HHT_BELOW;
    if (pt.x < 0) info.flags |= HHT_TOLEFT;
    if (pt.x >= client.right) info.flags |= HHT_TORIGHT;
    if (info.flags) return -1;
    const bool filterHalf = FilterBar() && pt.y >= client.bottom / 2;
    for (int i : order_) {
      const RECT r = ItemRect(i);
      if (std::abs(pt.x - r.right) <= kDividerSlop && !filterHalf) {
        info.flags = r.right == r.left ? HHT_ONDIVOPEN : HHT_ONDIVIDER;
        info.iItem = i;
        return i;
      }
      if (pt.x >= r.left && pt.x < r.right) {
        info.flags = filterHalf ? HHT_ONFILTER : HHT_ONHEADER;
        info.iItem = i;
        return i;
      }
    }
    info.flags = HHT_NOWHERE;
    return -1;
  }

  LRESULT Layout(HDLAYOUT* layout) {
    if (!layout || !layout->prc || !layout->pwpos) return FALSE;
    RECT& r = *layout->prc;
    int height = TextHeight() + 7;
    if (FilterBar()) height *= 2;
    if (Style() & HDS_HIDDEN) height = 0;
    WINDOWPOS& pos = *layout->pwpos;
    pos.hwnd = hwnd_;
    pos.hwndInsertAfter = nullptr;
    pos.x = r.left;
    pos.y = r.top;
    pos.cx = r.right - r.left;
    pos.cy = height;
    pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    r.top += height;
    return TRUE;
  }

  // ---- Items ----

  template <class Record>
  void Apply(HeaderItem& item, const Record& r) {
    if (r.mask & HDI_WIDTH) item.width = r.cxy;
    if (r.mask & HDI_TEXT) item.text = FromText(r.pszText);
    if (r.mask & HDI_FORMAT) item.format = r.fmt;
    if (r.mask & HDI_LPARAM) item.param = r.lParam;
    if (r.mask & HDI_IMAGE) item.image = r.iImage;
    if (r.mask & HDI_BITMAP) item.bitmap = r.hbm;
    if (r.mask & HDI_STATE) item.state = r.state;
  }

  template <class Record>
  LRESULT Insert(int at, const Record* r) {
    if (!r || at < 0) return -1;
    at = std::min(at, static_cast<int>(items_.size()));
    HeaderItem item;
    Apply(item, *r);
    items_.insert(items_.begin() + at, std::move(item));
    for (int& o : order_)
      if (o >= at) ++o;
    int place = (r->mask & HDI_ORDER) ? std::clamp(r->iOrder, 0, static_cast<int>(order_.size()))
                                      : static_cast<int>(order_.size());
    order_.insert(order_.begin() + place, at);
    Redraw();
    return at;
  }

  LRESULT NotifyItem(UINT code, int i, HDITEMW* item = nullptr) {
    NMHEADERW nm{};
    nm.iItem = i;
    nm.iButton = 0;
    nm.pitem = item;
    return Notify(hwnd_, code, &nm.hdr);
  }

  template <class Record>
  LRESULT SetItem(int i, const Record* r) {
    if (!r || !Valid(i)) return FALSE;
    Apply(items_[static_cast<size_t>(i)], *r);
    if (r->mask & HDI_ORDER) {
      order_.erase(std::find(order_.begin(), order_.end(), i));
      order_.insert(order_.begin() + std::clamp(r->iOrder, 0, static_cast<int>(order_.size())), i);
    }
    Redraw();
    return TRUE;
  }

  int OrderOf(int i) const { return static_cast<int>(std::find(order_.begin(), order_.end(), i) - order_.begin()); }

  template <class Record>
  LRESULT GetItem(int i, Record* r) const {
    if (!r || !Valid(i)) return FALSE;
    const HeaderItem& item = items_[static_cast<size_t>(i)];
    if (r->mask & HDI_WIDTH) r->cxy = item.width;
    if (r->mask & HDI_TEXT) CopyOut(item.text, r->pszText, r->cchTextMax);
    if (r->mask & HDI_FORMAT) r->fmt = item.format;
    if (r->mask & HDI_LPARAM) r->lParam = item.param;
    if (r->mask & HDI_IMAGE) r->iImage = item.image;
    if (r->mask & HDI_BITMAP) r->hbm = item.bitmap;
    if (r->mask & HDI_ORDER) r->iOrder = OrderOf(i);
    if (r->mask & HDI_STATE) r->state = item.state;
    return TRUE;
  }

  LRESULT Delete(int i) {
    if (!Valid(i)) return FALSE;
    items_.erase(items_.begin() + i);
    order_.erase(std::find(order_.begin(), order_.end(), i));
    for (int& o : order_)
      if (o > i) --o;
    Redraw();
    return TRUE;
  }

  LRESULT SetOrder(size_t count, const int* order) {
    if (!order || count != items_.size()) return FALSE;
    std::vector<int> next(order, order + count);
    std::vector<int> sorted = next;
    std::sort(sorted.begin(), sorted.end());
    for (size_t n = 0; n < count; ++n)
      if (sorted[n] != static_cast<int>(n)) return FALSE;  // not a permutation: nothing changes
    order_ = std::move(next);
    Redraw();
    return TRUE;
  }

  // ---- Mouse ----

  void SetHot(int i) {
    if (i == hot_) return;
    hot_ = i;
    if (Style() & HDS_HOTTRACK) Redraw();
  }

  LRESULT MouseDown(POINT pt) {
    HDHITTESTINFO info{pt, 0, -1};
    const int i = HitTest(info);
    if (i < 0) return 0;
    if (info.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) {
      HDITEMW item{};
      item.mask = HDI_WIDTH;
      item.cxy = items_[static_cast<size_t>(i)].width;
      if (NotifyItem(HDN_BEGINTRACKW, i, &item)) return 0;  // the owner forbids resizing
      tracking_ = i;
      trackStart_ = pt.x - items_[static_cast<size_t>(i)].width;
      SetCapture(hwnd_);
      return 0;
    }
    if ((info.flags & HHT_ONHEADER) && (Style() & HDS_BUTTONS)) {
      pressed_ = i;
      pressedInside_ = true;
      SetCapture(hwnd_);
      Redraw();
    }
    return 0;
  }

  LRESULT MouseMove(POINT pt) {
    if (tracking_ >= 0) {
      HDITEMW item{};
      item.mask = HDI_WIDTH;
      item.cxy = std::max(0, pt.x - trackStart_);
      if (!NotifyItem(HDN_TRACKW, tracking_, &item)) Resize(tracking_, item.cxy);
      return 0;
    }
    HDHITTESTINFO info{pt, 0, -1};
    const int i = HitTest(info);
    if (pressed_ >= 0) {
      const bool inside = i == pressed_ && (info.flags & HHT_ONHEADER);
      if (inside != pressedInside_) {
        pressedInside_ = inside;
        Redraw();
      }
    }
    SetHot((info.flags & HHT_ONHEADER) ? i : -1);
    if (hot_ >= 0 && !leaveTracked_) {
      TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
      leaveTracked_ = TrackMouseEvent(&tme) != FALSE;
    }
    return 0;
  }

  LRESULT MouseUp(POINT) {
    if (tracking_ >= 0) {
      const int i = tracking_;
      tracking_ = -1;
      if (GetCapture() == hwnd_) ReleaseCapture();
      HDITEMW item{};
      item.mask = HDI_WIDTH;
      item.cxy = items_[static_cast<size_t>(i)].width;
      NotifyItem(HDN_ENDTRACKW, i, &item);
      return 0;
    }
    if (pressed_ >= 0) {
      const int i = pressed_;
      const bool click = pressedInside_;
      pressed_ = -1;
      if (GetCapture() == hwnd_) ReleaseCapture();
      Redraw();
      if (click) NotifyItem(HDN_ITEMCLICKW, i);
    }
    return 0;
  }

  void Resize(int i, int width) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    if (NotifyItem(HDN_ITEMCHANGINGW, i, &item)) return;
    items_[static_cast<size_t>(i)].width = width;
    Redraw();
    NotifyItem(HDN_ITEMCHANGEDW, i, &item);
  }

  // ---- Painting ----

  void SortArrow(HDC dc, int x, int y, bool up) {
    HBRUSH brush = GetSysColorBrush(COLOR_BTNSHADOW);
    for (int row = 0; row < 5; ++row) {
      // Widest row at the arrow's base: the bottom for up, the top for down.
      const int half = up ? row : 4 - row;
      RECT line{x - half, y - 2 + row, x + half + 1, y - 1 + row};
      FillRect(dc, &line, brush);
    }
  }

  void PaintItem(HDC dc, int i, RECT r) {
    const HeaderItem& item = items_[static_cast<size_t>(i)];
    const bool pressed = pressed_ == i && pressedInside_;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (pressed) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    } else if (Style() & HDS_FLAT) {
      RECT edge = r;
      DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    } else {
      RECT edge = r;
      DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    }
    if (item.format & HDF_OWNERDRAW) {
      DRAWITEMSTRUCT dis{};
      dis.CtlType = ODT_HEADER;
      dis.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd_));
      dis.itemID = static_cast<UINT>(i);
      dis.itemAction = ODA_DRAWENTIRE;
      dis.itemState = pressed ? ODS_SELECTED : 0;
      dis.hwndItem = hwnd_;
      dis.hDC = dc;
      dis.rcItem = r;
      dis.itemData = static_cast<ULONG_PTR>(item.param);
      SendMessageW(GetParent(hwnd_), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
      return;
    }
    const int p = pressed ? 1 : 0;
    RECT text{r.left + 6, r.top, r.right - 6, r.bottom};
    const int margin = margin_ > 0 ? margin_ : 3 * GetSystemMetrics(SM_CXEDGE);
    int cx = 0, cy = 0;
    if ((item.format & HDF_IMAGE) && images_ && item.image >= 0 && item.image < ImageList_GetImageCount(images_) &&
        ImageList_GetIconSize(images_, &cx, &cy)) {
      const int y = r.top + (r.bottom - r.top - cy) / 2 + p;
      if (item.format & HDF_BITMAP_ON_RIGHT) {
        const int x = std::max(r.left + 6, r.right - cx - margin);
        ImageList_Draw(images_, item.image, dc, x + p, y, ILD_TRANSPARENT);
        text.right = x - 3;
      } else {
        ImageList_Draw(images_, item.image, dc, r.left + margin + p, y, ILD_TRANSPARENT);
        text.left = r.left + margin + cx + 3;
      }
    } else if ((item.format & HDF_BITMAP) && item.bitmap) {
      BITMAP bm{};
      if (GetObjectW(item.bitmap, sizeof(bm), &bm)) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, item.bitmap);
        const int x = (item.format & HDF_BITMAP_ON_RIGHT) ? r.right - margin - bm.bmWidth : r.left + margin;
        const int h = std::min<int>(bm.bmHeight, r.bottom - r.top - 4);
        BitBlt(dc, x + p, r.top + (r.bottom - r.top - h) / 2 + p, bm.bmWidth, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        if (item.format & HDF_BITMAP_ON_RIGHT)
          text.right = x - 3;
        else
          text.left = x + bm.bmWidth + 3;
      }
    }
    if (!(item.format & HDF_IMAGE) && (item.format & (HDF_SORTUP | HDF_SORTDOWN))) {
      const int x = r.right - 12;
      if (x - 4 > text.left) {
        SortArrow(dc, x + p, (r.top + r.bottom) / 2 + p, (item.format & HDF_SORTUP) != 0);
        text.right = std::min(text.right, x - 6);
      }
    }
    if (!item.text.empty() && text.right > text.left) {
      UINT flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
      if ((item.format & HDF_JUSTIFYMASK) == HDF_RIGHT) flags |= DT_RIGHT;
      if ((item.format & HDF_JUSTIFYMASK) == HDF_CENTER) flags |= DT_CENTER;
      OffsetRect(&text, p, p);
      SetTextColor(dc, GetSysColor(hot_ == i && (Style() & HDS_HOTTRACK) ? COLOR_HOTLIGHT : COLOR_BTNTEXT));
      DrawTextW(dc, item.text.data(), static_cast<int>(item.text.size()), &text, flags);
    }
  }

  void PaintFilter(HDC dc, RECT r) {
    // A sunken field with the funnel button's room at its right.
    InflateRect(&r, -1, -1);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT field{r.left, r.top, std::max(r.left, r.right - 14), r.bottom};
    DrawEdge(dc, &field, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    FillRect(dc, &field, GetSysColorBrush(COLOR_WINDOW));
    RECT button{std::max(r.left, r.right - 14), r.top, r.right, r.bottom};
    DrawEdge(dc, &button, EDGE_RAISED, BF_RECT);
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const bool filter = FilterBar();
    const int itemBottom = filter ? client.top + (client.bottom - client.top - 1) / 2 : client.bottom;
    int end = 0;
    for (int i : order_) {
      RECT r = ItemRect(i);
      end = std::max(end, static_cast<int>(r.right));
      if (r.right <= client.left || r.left >= client.right || r.right <= r.left) continue;
      if (filter) PaintFilter(dc, RECT{r.left, itemBottom, r.right, r.bottom});
      r.bottom = itemBottom;
      PaintItem(dc, i, r);
    }
    // The rest of the bar, an empty raised piece.
    if (end < client.right) {
      RECT filler{end, client.top, client.right, client.bottom};
      DrawEdge(dc, &filler, EDGE_RAISED, BF_RECT);
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
  }

  HWND hwnd_;
  std::vector<HeaderItem> items_;
  std::vector<int> order_;  // item indexes, left to right
  HFONT font_ = nullptr;
  HIMAGELIST images_ = nullptr;
  int margin_;
  int hot_ = -1;
  int pressed_ = -1;
  bool pressedInside_ = false;
  int tracking_ = -1;
  int trackStart_ = 0;
  bool leaveTracked_ = false;
};

}  // namespace

void RegisterHeaderClass() { RegisterControl<Header>(WC_HEADERW); }

}  // namespace comctl
