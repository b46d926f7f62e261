// WM_PRINT into a caller's DC (a memory DC, a printer): the frame, the background, the
// client area through WM_PRINTCLIENT, then the children bottom first, each at its place
// and inside its own rectangle and region, so that the result is what the screen shows.
#include "PrintWindow.h"

#include <vector>

#include "ClassicFrame.h"
#include "win/gdi.h"

namespace kx2::user32 {
namespace {

// The window's rectangle in its parent's window coordinates.
RECT PlaceInParent(HWND child, HWND parent) {
  RECT child_rect{}, parent_rect{};
  GetWindowRect(child, &child_rect);
  GetWindowRect(parent, &parent_rect);
  return RECT{child_rect.left - parent_rect.left, child_rect.top - parent_rect.top, child_rect.right - parent_rect.left,
              child_rect.bottom - parent_rect.top};
}

}  // namespace

LRESULT PrintInto(HWND hwnd, HDC dc, LPARAM flags) {
  if (!dc || !IsWindow(hwnd)) return 0;
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd)) return 0;
  const FrameLayout frame = LayoutFrame(hwnd);
  const int saved = SaveDC(dc);
  // A shaped window draws nothing outside its region.
  if (HRGN shape = CreateRectRgn(0, 0, 0, 0)) {
    if (GetWindowRgn(hwnd, shape) != ERROR) {
      POINT origin{0, 0};
      LPtoDP(dc, &origin, 1);
      OffsetRgn(shape, origin.x, origin.y);
      ExtSelectClipRgn(dc, shape, RGN_AND);
    }
    DeleteObject(shape);
  }
  if (flags & PRF_NONCLIENT) DrawFrame(hwnd, dc, FrameActive(hwnd));
  const RECT& client = frame.client;
  if (flags & (PRF_ERASEBKGND | PRF_CLIENT)) {
    const int inner = SaveDC(dc);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    OffsetViewportOrgEx(dc, client.left, client.top, nullptr);
    if (flags & PRF_ERASEBKGND) SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    if (flags & PRF_CLIENT) SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    RestoreDC(dc, inner);
  }
  if (flags & PRF_CHILDREN) {
    // Children are listed top first; the lowest is drawn first.
    std::vector<HWND> children;
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (!IsWindowVisible(*it)) continue;
      const RECT place = PlaceInParent(*it, hwnd);
      const int inner = SaveDC(dc);
      IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
      IntersectClipRect(dc, place.left, place.top, place.right, place.bottom);
      OffsetViewportOrgEx(dc, place.left, place.top, nullptr);
      SendMessageW(*it, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
      RestoreDC(dc, inner);
    }
  }
  if (flags & PRF_OWNED) {
    // Popups it owns, at their places relative to it, bottom first.
    RECT mine{};
    GetWindowRect(hwnd, &mine);
    std::vector<HWND> owned;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (GetWindow(w, GW_OWNER) == hwnd && IsWindowVisible(w)) owned.push_back(w);
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
      RECT theirs{};
      GetWindowRect(*it, &theirs);
      const int inner = SaveDC(dc);
      OffsetViewportOrgEx(dc, theirs.left - mine.left, theirs.top - mine.top, nullptr);
      SendMessageW(*it, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
      RestoreDC(dc, inner);
    }
  }
  RestoreDC(dc, saved);
  return 0;
}

}  // namespace kx2::user32
