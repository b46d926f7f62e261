// Arranging an MDI client's children: tiles side by side or one above another, a cascade
// with the active child in front, and minimised children in rows from the bottom-left
// corner. An arrangement asked for while one runs (a child's handler of the moves it
// causes) is refused, so arranging never recurses.
#include <algorithm>
#include <cmath>

#include "MdiClient.h"

namespace kx2::user32 {
namespace {

int IntegerSquareRoot(int n) {
  int r = static_cast<int>(std::sqrt(static_cast<double>(n)));
  while (r * r > n) --r;
  while ((r + 1) * (r + 1) <= n) ++r;
  return std::max(1, r);
}

// Sets a flag for the life of the object.
class Guard {
 public:
  explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
  ~Guard() { flag_ = false; }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  bool& flag_;
};

void Place(HWND child, const RECT& r) {
  SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

// The windows go in lines (rows when side by side, columns otherwise), as many lines as
// the square root of their number; the last lines take one window more when they do not
// share out evenly. Integer shares cover the area without gaps.
std::vector<RECT> TileRects(const RECT& area, int count, bool sideBySide) {
  std::vector<RECT> out;
  if (count <= 0) return out;
  const int lines = IntegerSquareRoot(count), base = count / lines, extra = count % lines;
  const int width = area.right - area.left, height = area.bottom - area.top;
  for (int line = 0; line < lines; ++line) {
    const int inLine = base + (line >= lines - extra ? 1 : 0);
    for (int j = 0; j < inLine; ++j) {
      RECT r;
      if (sideBySide) {
        r.top = area.top + height * line / lines;
        r.bottom = area.top + height * (line + 1) / lines;
        r.left = area.left + width * j / inLine;
        r.right = area.left + width * (j + 1) / inLine;
      } else {
        r.left = area.left + width * line / lines;
        r.right = area.left + width * (line + 1) / lines;
        r.top = area.top + height * j / inLine;
        r.bottom = area.top + height * (j + 1) / inLine;
      }
      out.push_back(r);
    }
  }
  return out;
}

// Each window one step right of and below the one before; the steps run over at most half
// the area, then start again from its corner. All windows have one size.
std::vector<RECT> CascadeRects(const RECT& area, int count, int step) {
  std::vector<RECT> out;
  if (count <= 0) return out;
  step = std::max(1, step);
  const int width = area.right - area.left, height = area.bottom - area.top;
  const int fitting = std::max(1, std::min(width, height) / 2 / step + 1);
  const int steps = std::min(count, fitting);
  const int w = std::max(1, width - step * (steps - 1)), h = std::max(1, height - step * (steps - 1));
  for (int i = 0; i < count; ++i) {
    const int offset = (i % steps) * step;
    out.push_back(RECT{area.left + offset, area.top + offset, area.left + offset + w, area.top + offset + h});
  }
  return out;
}

RECT IconSlot(const RECT& area, int index) {
  const int cellX = std::max(1, GetSystemMetrics(SM_CXMINSPACING)),
            cellY = std::max(1, GetSystemMetrics(SM_CYMINSPACING));
  const int perRow = std::max(1, int(area.right - area.left) / cellX);
  const int row = index / perRow, column = index % perRow;
  const int left = area.left + column * cellX, bottom = area.bottom - row * cellY;
  return RECT{left, bottom - GetSystemMetrics(SM_CYMINIMIZED), left + GetSystemMetrics(SM_CXMINIMIZED), bottom};
}

// Visible children that are not minimised, in z-order from the top (the active first).
std::vector<HWND> MdiClient::Arrangeable(WPARAM how) const {
  std::vector<HWND> out;
  for (HWND h = GetWindow(hwnd_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (std::find(children_.begin(), children_.end(), h) == children_.end()) continue;
    if (!IsWindowVisible(h) || IsIconic(h)) continue;
    if ((how & MDITILE_SKIPDISABLED) && !IsWindowEnabled(h)) continue;
    out.push_back(h);
  }
  return out;
}

RECT MdiClient::AreaAboveIcons() {
  RECT area = ClientRect(hwnd_);
  int icons = 0;
  for (HWND h : Children())
    if (IsWindowVisible(h) && IsIconic(h)) ++icons;
  if (icons) {
    const int perRow = std::max(1, int(area.right - area.left) / std::max(1, GetSystemMetrics(SM_CXMINSPACING)));
    const int rows = (icons + perRow - 1) / perRow;
    area.bottom = std::max(area.top, area.bottom - rows * GetSystemMetrics(SM_CYMINSPACING));
  }
  return area;
}

void MdiClient::ArrangeIcons() {
  const RECT area = ClientRect(hwnd_);
  int index = 0;
  const std::vector<HWND> children = Children();
  for (HWND h : children) {
    if (!IsWindow(h) || !IsWindowVisible(h) || !IsIconic(h)) continue;
    const RECT slot = IconSlot(area, index++);
    SetWindowPos(h, nullptr, slot.left, slot.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

BOOL MdiClient::Tile(WPARAM how) {
  if (arranging_) return FALSE;
  Guard guard(arranging_);
  if (HWND maximized = Maximized()) Restore(maximized);
  Children();
  ArrangeIcons();
  const std::vector<HWND> windows = Arrangeable(how);
  if (windows.empty()) return FALSE;
  const std::vector<RECT> rects =
      TileRects(AreaAboveIcons(), static_cast<int>(windows.size()), (how & MDITILE_HORIZONTAL) == 0);
  for (size_t i = 0; i < windows.size(); ++i)
    if (IsWindow(windows[i])) Place(windows[i], rects[i]);
  PostScrollUpdate();
  return TRUE;
}

BOOL MdiClient::Cascade(WPARAM how) {
  if (arranging_) return FALSE;
  Guard guard(arranging_);
  if (HWND maximized = Maximized()) Restore(maximized);
  Children();
  ArrangeIcons();
  std::vector<HWND> windows = Arrangeable(how);
  if (windows.empty()) return FALSE;
  std::reverse(windows.begin(), windows.end());  // the bottom one first, the active one in front
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  const std::vector<RECT> rects = CascadeRects(AreaAboveIcons(), static_cast<int>(windows.size()), step);
  for (size_t i = 0; i < windows.size(); ++i)
    if (IsWindow(windows[i])) Place(windows[i], rects[i]);
  PostScrollUpdate();
  return TRUE;
}

}  // namespace kx2::user32
