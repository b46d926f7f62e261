// Where a list box's items lie (one column of fixed or variable heights, or columns of
// fixed height side by side), which are shown, and scrolling with the window's own bars.
#include <algorithm>

#include "ListBox.h"

namespace kx2::user32 {

using namespace textctl;

namespace {
constexpr int kLinePixels = 8;  // a horizontal line step of a single-column list
}

int ListBox::HeightOf(int index) const { return Variable() ? items_.At(index).height : itemHeight_; }

int ListBox::PerColumn() const { return std::max(1, static_cast<int>(ClientRect(hwnd_).bottom) / itemHeight_); }

int ListBox::ColumnWidth() const {
  return columnWidth_ > 0 ? columnWidth_ : std::max<int>(1, static_cast<int>(ClientRect(hwnd_).right));
}

int ListBox::FullyVisible() const {
  const RECT client = ClientRect(hwnd_);
  if (MultiColumn()) return std::max(1, static_cast<int>(client.right) / ColumnWidth()) * PerColumn();
  if (!Variable()) return std::max(1, static_cast<int>(client.bottom) / itemHeight_);
  int shown = 0;
  for (int i = top_, y = 0; i < items_.Count(); ++i) {
    y += HeightOf(i);
    if (y > client.bottom) break;
    ++shown;
  }
  return std::max(1, shown);
}

int ListBox::LastTop() const {
  const int count = items_.Count();
  if (count == 0) return 0;
  if (MultiColumn()) {
    const int per = PerColumn();
    const int columns = (count + per - 1) / per;
    const int shownColumns = std::max(1, static_cast<int>(ClientRect(hwnd_).right) / ColumnWidth());
    return std::max(0, columns - shownColumns) * per;
  }
  if (!Variable()) return std::max(0, count - FullyVisible());
  // The highest top whose items from there on still fill the list.
  const int height = ClientRect(hwnd_).bottom;
  int top = count - 1;
  for (int y = HeightOf(top); top > 0 && y + HeightOf(top - 1) <= height; --top) y += HeightOf(top - 1);
  return top;
}

RECT ListBox::ItemRect(int index) const {
  const RECT client = ClientRect(hwnd_);
  if (MultiColumn()) {
    const int per = PerColumn(), width = ColumnWidth();
    const int column = index / per - top_ / per;
    const int y = (index % per) * itemHeight_;
    return RECT{column * width, y, column * width + width, y + itemHeight_};
  }
  const int width = std::max<int>(client.right, horizontalExtent_);
  int y = 0;
  if (Variable()) {
    if (index >= top_)
      for (int i = top_; i < index; ++i) y += HeightOf(i);
    else
      for (int i = index; i < top_; ++i) y -= HeightOf(i);
  } else {
    y = (index - top_) * itemHeight_;
  }
  return RECT{-xOffset_, y, width - xOffset_, y + HeightOf(index)};
}

bool ListBox::ItemRectOf(int index, RECT* r) const {
  if (!items_.Valid(index)) return false;
  *r = ItemRect(index);
  return true;
}

int ListBox::ItemUnder(POINT p, bool* inside) const {
  const RECT client = ClientRect(hwnd_);
  const int count = items_.Count();
  *inside = false;
  if (count == 0) return -1;
  bool within = PtInRect(&client, p) != FALSE;
  int index;
  if (MultiColumn()) {
    const int per = PerColumn();
    const int column = p.x < 0 ? -1 : p.x / ColumnWidth();
    const int row = std::clamp(p.y < 0 ? 0 : p.y / itemHeight_, 0, per - 1);
    index = top_ + column * per + row;
    if (p.y >= per * itemHeight_) within = false;
  } else if (p.y < 0) {
    index = top_ - 1;
  } else {
    index = top_;
    int y = 0;
    while (index < count && y + HeightOf(index) <= p.y) y += HeightOf(index++);
  }
  if (index < 0 || index >= count) within = false;
  *inside = within;
  return std::clamp(index, 0, count - 1);
}

void ListBox::SetTop(int top) {
  top = std::clamp(top, 0, LastTop());
  if (MultiColumn()) top -= top % PerColumn();
  if (top == top_) return;
  top_ = top;
  UpdateScrollBars();
  if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void ListBox::ShowItem(int index) {
  if (!items_.Valid(index)) return;
  if (index < top_) {
    SetTop(index);
    return;
  }
  if (MultiColumn()) {
    const int per = PerColumn();
    const int shownColumns = std::max(1, static_cast<int>(ClientRect(hwnd_).right) / ColumnWidth());
    if (index / per >= top_ / per + shownColumns) SetTop((index / per - shownColumns + 1) * per);
    return;
  }
  const int height = ClientRect(hwnd_).bottom;
  if (!Variable()) {
    if (index >= top_ + FullyVisible()) SetTop(index - FullyVisible() + 1);
    return;
  }
  // The highest top that still shows the whole item.
  int top = index;
  for (int y = HeightOf(index); top > top_ && y + HeightOf(top - 1) <= height; --top) y += HeightOf(top - 1);
  if (ItemRect(index).bottom > height) SetTop(top);
}

void ListBox::UpdateScrollBars() {
  if (updatingBars_) return;
  updatingBars_ = true;
  const DWORD style = Style();
  const UINT keep = (style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0;
  const int count = items_.Count();
  if (MultiColumn()) {
    if (horizontalBar_) {
      const int per = PerColumn();
      const int shownColumns = std::max(1, static_cast<int>(ClientRect(hwnd_).right) / ColumnWidth());
      SCROLLINFO si{sizeof si,
                    SIF_RANGE | SIF_PAGE | SIF_POS | keep,
                    0,
                    std::max(0, (count + per - 1) / per - 1),
                    static_cast<UINT>(shownColumns),
                    top_ / per,
                    0};
      SetScrollInfo(hwnd_, SB_HORZ, &si, redraw_);
    }
  } else {
    if (verticalBar_) {
      SCROLLINFO si{sizeof si,
                    SIF_RANGE | SIF_PAGE | SIF_POS | keep,
                    0,
                    std::max(0, count - 1),
                    static_cast<UINT>(FullyVisible()),
                    top_,
                    0};
      SetScrollInfo(hwnd_, SB_VERT, &si, redraw_);
    }
    if (horizontalBar_) {
      SCROLLINFO si{sizeof si,
                    SIF_RANGE | SIF_PAGE | SIF_POS | keep,
                    0,
                    std::max(0, horizontalExtent_ - 1),
                    static_cast<UINT>(std::max<LONG>(0, ClientRect(hwnd_).right)),
                    xOffset_,
                    0};
      SetScrollInfo(hwnd_, SB_HORZ, &si, redraw_);
    }
  }
  updatingBars_ = false;
}

void ListBox::VerticalScroll(UINT code) {
  if (MultiColumn()) return;
  const int page = std::max(1, FullyVisible() - 1);
  switch (code) {
    case SB_LINEUP:
      SetTop(top_ - 1);
      break;
    case SB_LINEDOWN:
      SetTop(top_ + 1);
      break;
    case SB_PAGEUP:
      SetTop(top_ - page);
      break;
    case SB_PAGEDOWN:
      SetTop(top_ + page);
      break;
    case SB_TOP:
      SetTop(0);
      break;
    case SB_BOTTOM:
      SetTop(LastTop());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS | SIF_POS};
      GetScrollInfo(hwnd_, SB_VERT, &si);
      SetTop(code == SB_THUMBTRACK ? si.nTrackPos : si.nPos);
      break;
    }
    default:
      break;
  }
}

void ListBox::ScrollColumns(int delta) {
  const int per = PerColumn();
  SetTop((top_ / per + delta) * per);
}

void ListBox::HorizontalScroll(UINT code) {
  if (MultiColumn()) {
    const int shownColumns = std::max(1, static_cast<int>(ClientRect(hwnd_).right) / ColumnWidth());
    switch (code) {
      case SB_LINELEFT:
        ScrollColumns(-1);
        break;
      case SB_LINERIGHT:
        ScrollColumns(1);
        break;
      case SB_PAGELEFT:
        ScrollColumns(-shownColumns);
        break;
      case SB_PAGERIGHT:
        ScrollColumns(shownColumns);
        break;
      case SB_LEFT:
        SetTop(0);
        break;
      case SB_RIGHT:
        SetTop(LastTop());
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS | SIF_POS};
        GetScrollInfo(hwnd_, SB_HORZ, &si);
        SetTop((code == SB_THUMBTRACK ? si.nTrackPos : si.nPos) * PerColumn());
        break;
      }
      default:
        break;
    }
    return;
  }
  const int width = ClientRect(hwnd_).right;
  int x = xOffset_;
  switch (code) {
    case SB_LINELEFT:
      x -= kLinePixels;
      break;
    case SB_LINERIGHT:
      x += kLinePixels;
      break;
    case SB_PAGELEFT:
      x -= width;
      break;
    case SB_PAGERIGHT:
      x += width;
      break;
    case SB_LEFT:
      x = 0;
      break;
    case SB_RIGHT:
      x = horizontalExtent_;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS | SIF_POS};
      GetScrollInfo(hwnd_, SB_HORZ, &si);
      x = code == SB_THUMBTRACK ? si.nTrackPos : si.nPos;
      break;
    }
    default:
      break;
  }
  x = std::clamp(x, 0, std::max(0, horizontalExtent_ - width));
  if (x == xOffset_) return;
  xOffset_ = x;
  UpdateScrollBars();
  if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// The list shows whole items only: its height shrinks to a multiple of the item height.
void ListBox::IntegralHeight() {
  if (sizing_ || (Style() & LBS_NOINTEGRALHEIGHT) || Variable()) return;
  const RECT client = ClientRect(hwnd_);
  const int rest = client.bottom % itemHeight_;
  if (client.bottom <= itemHeight_ || rest == 0) return;
  RECT window{};
  GetWindowRect(hwnd_, &window);
  sizing_ = true;
  SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - rest,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  sizing_ = false;
}

void ListBox::InvalidateItem(int index) const {
  RECT r{};
  if (redraw_ && ItemRectOf(index, &r)) InvalidateRect(hwnd_, &r, FALSE);
}

void ListBox::Changed() {
  top_ = std::clamp(top_, 0, LastTop());
  if (MultiColumn()) top_ -= top_ % PerColumn();
  UpdateScrollBars();
  if (redraw_) InvalidateRect(hwnd_, nullptr, FALSE);
}

}  // namespace kx2::user32
