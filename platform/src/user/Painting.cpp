// Window DCs, update regions and WM_PAINT. Every top-level window has one backing surface
// (GDI pixels) that it and its children draw into; a window DC is an image surface over the
// window's part of it, clipped to what of the window is visible.
#include <cairo.h>

#include <algorithm>
#include <map>

#include "gdi/ScreenDc.h"
#include "gdi/SystemObjects.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/GdiCairo.h"
#include "user/BackingPixels.h"
#include "user/Core.h"

namespace kx2::user {
namespace {

std::mutex& DcLock() {
  static std::mutex lock;
  return lock;
}
std::map<HDC, HWND>& WindowDcs() {
  static std::map<HDC, HWND> dcs;
  return dcs;
}

RECT ClientScreenRect(const Window* w) {
  const POINT origin = ClientOrigin(w);
  return RECT{origin.x, origin.y, origin.x + (w->client.right - w->client.left),
              origin.y + (w->client.bottom - w->client.top)};
}

void Shift(RECT& r, LONG dx, LONG dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
}

HRGN RectRegion(RECT r) { return CreateRectRgn(r.left, r.top, r.right, r.bottom); }

void Combine(HRGN target, HRGN other, int mode) { CombineRgn(target, target, other, mode); }

void CombineRect(HRGN target, RECT r, int mode) {
  HRGN other = RectRegion(r);
  Combine(target, other, mode);
  DeleteObject(other);
}

// A window's own region (or rectangle) in screen coordinates.
HRGN ShapeOnScreen(const Window* w) {
  const RECT r = ScreenRect(w);
  if (!w->shape) return RectRegion(r);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(copy, w->shape, nullptr, RGN_COPY);
  OffsetRgn(copy, r.left, r.top);
  return copy;
}

// What of the window (its client area, or all of it) can be drawn, in screen coordinates;
// tree lock held.
HRGN VisibleOnScreen(const Window* w, bool client) {
  if (!Visible(w)) return CreateRectRgn(0, 0, 0, 0);
  HRGN rgn = RectRegion(client ? ClientScreenRect(w) : ScreenRect(w));
  for (const Window* c = w; c->parent; c = c->parent) {
    HRGN shape = ShapeOnScreen(c);
    Combine(rgn, shape, RGN_AND);
    DeleteObject(shape);
    const Window* p = c->parent;
    if (!p->parent) break;  // c is top-level: other top-level windows are the compositor's
    CombineRect(rgn, ClientScreenRect(p), RGN_AND);
    if (c->style & WS_CLIPSIBLINGS) {
      for (const Window* sibling : p->children) {
        if (sibling == c) break;
        if (sibling->style & WS_VISIBLE) {
          HRGN above = ShapeOnScreen(sibling);
          Combine(rgn, above, RGN_DIFF);
          DeleteObject(above);
        }
      }
    }
  }
  if (client && (w->style & WS_CLIPCHILDREN)) {
    for (const Window* child : w->children) {
      if (!(child->style & WS_VISIBLE)) continue;
      HRGN shape = ShapeOnScreen(child);
      Combine(rgn, shape, RGN_DIFF);
      DeleteObject(shape);
    }
  }
  return rgn;
}

void ReleaseSurface(void* surface) { cairo_surface_destroy(static_cast<cairo_surface_t*>(surface)); }

// The widest and tallest backing. A window may be sized up to 32767 pixels each way (a
// popup menu with large owner-drawn items reaches that), and pixels for all of it would take
// 4 GB; no screen shows more than this, and what lies past it is left undrawn, as a DC
// reaching past the backing already is.
constexpr int kLargestBackingSide = 8192;

// The top-level window's pixels, made or remade (cleared to the face colour) at its size.
cairo_surface_t* Backing(Window* top) {
  const int width = std::clamp(int(top->window.right - top->window.left), 1, kLargestBackingSide);
  const int height = std::clamp(int(top->window.bottom - top->window.top), 1, kLargestBackingSide);
  cairo_surface_t* current = top->backing.get();
  if (current && cairo_image_surface_get_width(current) == width && cairo_image_surface_get_height(current) == height)
    return current;
  cairo_surface_t* made = NewBackingSurface(width, height);
  if (cairo_surface_status(made) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(made);
    return nullptr;
  }
  top->backing.reset(made, cairo_surface_destroy);
  return made;
}

bool PaintDue(const Window* w) {
  if (w->frameDue || w->internalPaint) return true;
  RECT box;
  return w->update && GetRgnBox(w->update, &box) != NULLREGION;
}

void MarkQueue(const Window* w) {
  if (auto queue = w->queue.lock()) {
    queue->paintMaybe.store(true, std::memory_order_relaxed);
    queue->Wake();
  }
}

// Adds to or takes from a window's update region (`rgn` in client coordinates, null: all
// of it) and, as asked, its children's; tree lock held.
void Invalidate(Window* w, HRGN rgn, UINT flags, std::vector<Window*>& touched) {
  const RECT clientScreen = ClientScreenRect(w);
  HRGN area = CreateRectRgn(0, 0, clientScreen.right - clientScreen.left, clientScreen.bottom - clientScreen.top);
  if (rgn) Combine(area, rgn, RGN_AND);
  if (flags & RDW_INVALIDATE) {
    if (!w->update) w->update = CreateRectRgn(0, 0, 0, 0);
    Combine(w->update, area, RGN_OR);
    if (flags & RDW_ERASE) w->eraseDue = true;
    if (flags & RDW_FRAME) w->frameDue = true;
  }
  if (flags & RDW_VALIDATE) {
    if (w->update) Combine(w->update, area, RGN_DIFF);
    if (flags & RDW_NOERASE) w->eraseDue = false;
    if (flags & RDW_NOFRAME) w->frameDue = false;
  }
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  touched.push_back(w);
  const bool children =
      !(flags & RDW_NOCHILDREN) && ((flags & RDW_ALLCHILDREN) || !(w->style & WS_CLIPCHILDREN) || !rgn);
  if (children && (rgn || (flags & RDW_ALLCHILDREN))) {
    for (Window* child : w->children) {
      if (!(child->style & WS_VISIBLE)) continue;
      // The part of the area over the child, in the child's client coordinates.
      const RECT childClient = ClientScreenRect(child);
      HRGN part = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(part, area, nullptr, RGN_COPY);
      OffsetRgn(part, clientScreen.left - childClient.left, clientScreen.top - childClient.top);
      RECT box;
      if (GetRgnBox(part, &box) != NULLREGION || (flags & RDW_FRAME))
        Invalidate(child, (flags & RDW_ALLCHILDREN) && !rgn ? nullptr : part, flags, touched);
      DeleteObject(part);
    }
  }
  DeleteObject(area);
}

bool Redraw(HWND hwnd, const RECT* rect, HRGN rgn, UINT flags) {
  std::vector<HWND> update;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w || w->destroyed) {
      SetLastErrorInvalidWindow();
      return false;
    }
    HRGN area = nullptr;
    if (rgn) {
      area = CreateRectRgn(0, 0, 0, 0);
      CombineRgn(area, rgn, nullptr, RGN_COPY);
    } else if (rect) {
      area = RectRegion(*rect);
    }
    std::vector<Window*> touched;
    Invalidate(w, area, flags, touched);
    if (area) DeleteObject(area);
    for (Window* t : touched) {
      if (PaintDue(t)) MarkQueue(t);
      if (flags & RDW_UPDATENOW) update.push_back(t->handle);
    }
  }
  for (HWND h : update) UpdateWindow(h);
  return true;
}

HDC MakeWindowDc(HWND hwnd, bool client, HRGN clip) {
  std::shared_ptr<cairo_surface_t> backing;
  POINT origin{};
  SIZE size{};
  HRGN visible = nullptr;
  bool rtl = false;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w || w->destroyed) {
      SetLastErrorInvalidWindow();
      return nullptr;
    }
    Window* top = TopLevelOf(w);
    if (!Backing(top)) return nullptr;
    backing = top->backing;
    const RECT topRect = ScreenRect(top);
    const RECT area = client ? ClientScreenRect(w) : ScreenRect(w);
    origin = POINT{area.left - topRect.left, area.top - topRect.top};
    size = SIZE{area.right - area.left, area.bottom - area.top};
    visible = VisibleOnScreen(w, client);
    OffsetRgn(visible, -area.left, -area.top);
    rtl = (w->exStyle & WS_EX_LAYOUTRTL) != 0;
  }
  if (clip) Combine(visible, clip, RGN_AND);
  // The DC's surface covers the part of the window that lies on the backing; a window
  // reaching past the backing's top or left is shifted back by the viewport.
  cairo_surface_t* pixels = backing.get();
  const int stride = cairo_image_surface_get_stride(pixels);
  const int bw = cairo_image_surface_get_width(pixels), bh = cairo_image_surface_get_height(pixels);
  const int x0 = std::clamp(int(origin.x), 0, bw), y0 = std::clamp(int(origin.y), 0, bh);
  const int x1 = std::clamp(int(origin.x + size.cx), x0, bw), y1 = std::clamp(int(origin.y + size.cy), y0, bh);
  cairo_surface_flush(pixels);
  unsigned char* data = cairo_image_surface_get_data(pixels) + ptrdiff_t(y0) * stride + ptrdiff_t(x0) * 4;
  cairo_surface_t* view =
      cairo_image_surface_create_for_data(data, CAIRO_FORMAT_RGB24, std::max(x1 - x0, 0), std::max(y1 - y0, 0), stride);
  static cairo_user_data_key_t keepBacking;
  cairo_surface_set_user_data(view, &keepBacking, cairo_surface_reference(pixels), ReleaseSurface);
  HDC dc = Kx2GdiCreateDcForSurface(view);
  cairo_surface_destroy(view);
  if (!dc) {
    DeleteObject(visible);
    return nullptr;
  }
  OffsetRgn(visible, origin.x - x0, origin.y - y0);
  kx2::gdi::SetSystemClip(dc, visible);
  DeleteObject(visible);
  if (origin.x != x0 || origin.y != y0) SetViewportOrgEx(dc, origin.x - x0, origin.y - y0, nullptr);
  if (rtl) SetLayout(dc, LAYOUT_RTL);
  std::lock_guard<std::mutex> guard(DcLock());
  WindowDcs()[dc] = hwnd;
  return dc;
}

}  // namespace

bool TakePaint(ThreadQueue& queue, HWND filter, MSG* out) {
  std::lock_guard<std::mutex> guard(TreeLock());
  bool anyDue = false;
  Window* found = nullptr;
  std::vector<Window*> stack;
  Window* desktop = DesktopLocked();
  for (auto it = desktop->children.rbegin(); it != desktop->children.rend(); ++it) stack.push_back(*it);
  while (!stack.empty() && !found) {
    Window* w = stack.back();
    stack.pop_back();
    if (!(w->style & WS_VISIBLE)) continue;
    if (w->threadId == queue.threadId && PaintDue(w)) {
      anyDue = true;
      bool matches = !filter || filter == w->handle;
      for (Window* a = w->parent; a && !matches; a = a->parent) matches = a->handle == filter;
      if (matches) found = w;
    }
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) stack.push_back(*it);
  }
  if (!anyDue) queue.paintMaybe.store(false, std::memory_order_relaxed);
  if (!found) return false;
  *out = MSG{found->handle, WM_PAINT, 0, 0, Now32(), CursorPos()};
  return true;
}

void InvalidateAfterPlacement(HWND hwnd, const RECT& oldWindow, bool shown, bool hidden, bool changed) {
  HWND parent = nullptr;
  bool child = false;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w || w->destroyed || !w->parent) return;
    child = !IsTopLevel(w);
    if (child) parent = w->parent->handle;
  }
  if (shown || changed) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  if (child && (hidden || changed)) {
    // The parent shows again where the window was.
    RECT where = oldWindow;
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* p = Find(parent);
    if (!p) return;
    const POINT origin = ClientOrigin(p);
    const RECT client = ClientScreenRect(p);
    Shift(where, origin.x - client.left, origin.y - client.top);
    HRGN area = RectRegion(where);
    std::vector<Window*> touched;
    Invalidate(p, area, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN, touched);
    DeleteObject(area);
    for (Window* t : touched)
      if (PaintDue(t)) MarkQueue(t);
  }
}

void DropPaintState(Window* window) {
  if (window->parent && window->parent->parent && (window->style & WS_VISIBLE)) {
    Window* p = window->parent;
    RECT where = ScreenRect(window);
    const RECT client = ClientScreenRect(p);
    Shift(where, -client.left, -client.top);
    HRGN area = RectRegion(where);
    std::vector<Window*> touched;
    Invalidate(p, area, RDW_INVALIDATE | RDW_ERASE, touched);
    DeleteObject(area);
    for (Window* t : touched)
      if (t != window && PaintDue(t)) MarkQueue(t);
  }
  if (window->update) DeleteObject(window->update);
  if (window->shape) DeleteObject(window->shape);
  window->update = window->shape = nullptr;
  window->frameDue = window->eraseDue = window->internalPaint = false;
  window->backing.reset();
}

// Compositor access: a copy of the top-level window's pixels and its shape (window
// coordinates); false for a window that has no pixels yet.
bool WindowPixels(HWND hwnd, std::shared_ptr<cairo_surface_t>* pixels, HRGN* shape, RECT* screen) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hwnd);
  if (!w || w->destroyed) return false;
  Window* top = TopLevelOf(w);
  if (!Backing(top)) return false;
  *pixels = top->backing;
  *screen = ScreenRect(top);
  *shape = nullptr;
  if (top->shape) {
    *shape = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(*shape, top->shape, nullptr, RGN_COPY);
  }
  return true;
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT HDC GetDC(HWND hWnd) {
  return kx2::Guard(HDC{},
                    [&]() -> HDC { return hWnd ? MakeWindowDc(hWnd, true, nullptr) : kx2::gdi::CreateScreenDc(); });
}

KX2_EXPORT HDC GetWindowDC(HWND hWnd) {
  return kx2::Guard(HDC{},
                    [&]() -> HDC { return hWnd ? MakeWindowDc(hWnd, false, nullptr) : kx2::gdi::CreateScreenDc(); });
}

KX2_EXPORT int ReleaseDC(HWND, HDC hDC) {
  return kx2::Guard(0, [&]() -> int {
    {
      std::lock_guard<std::mutex> guard(DcLock());
      auto it = WindowDcs().find(hDC);
      if (it != WindowDcs().end()) {
        WindowDcs().erase(it);
        DeleteDC(hDC);
        return 1;
      }
    }
    return kx2::gdi::ReleaseScreenDc(hDC);
  });
}

KX2_EXPORT HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
  return kx2::Guard(HDC{}, [&]() -> HDC {
    if (!lpPaint) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    *lpPaint = PAINTSTRUCT{};
    bool frame = false;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return nullptr;
      }
      frame = w->frameDue;
      w->frameDue = false;
    }
    if (frame) SendMessageW(hWnd, WM_NCPAINT, 1, 0);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    bool erase = false;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        DeleteObject(update);
        SetLastErrorInvalidWindow();
        return nullptr;
      }
      if (w->update) {
        CombineRgn(update, w->update, nullptr, RGN_COPY);
        DeleteObject(w->update);
        w->update = nullptr;
      }
      erase = w->eraseDue;
      w->eraseDue = false;
      w->internalPaint = false;
    }
    HDC dc = MakeWindowDc(hWnd, true, update);
    GetRgnBox(update, &lpPaint->rcPaint);
    DeleteObject(update);
    if (!dc) return nullptr;
    lpPaint->hdc = dc;
    lpPaint->fErase = erase && !SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    return dc;
  });
}

KX2_EXPORT BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpPaint || !lpPaint->hdc) return FALSE;
    return ReleaseDC(hWnd, lpPaint->hdc) ? TRUE : FALSE;
  });
}

KX2_EXPORT BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!hWnd) hWnd = GetDesktopWindow();
    return Redraw(hWnd, lprcUpdate, hrgnUpdate, flags) ? TRUE : FALSE;
  });
}

KX2_EXPORT BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  return RedrawWindow(hWnd, lpRect, nullptr, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

KX2_EXPORT BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase) {
  return RedrawWindow(hWnd, nullptr, hRgn, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

KX2_EXPORT BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
  return RedrawWindow(hWnd, lpRect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

KX2_EXPORT BOOL ValidateRgn(HWND hWnd, HRGN hRgn) {
  return RedrawWindow(hWnd, nullptr, hRgn, RDW_VALIDATE | RDW_NOCHILDREN);
}

KX2_EXPORT int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL) {
  return kx2::Guard(ERROR, [&]() -> int {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w || w->destroyed || !hRgn) return ERROR;
    if (!w->update) {
      SetRectRgn(hRgn, 0, 0, 0, 0);
      return NULLREGION;
    }
    return CombineRgn(hRgn, w->update, nullptr, RGN_COPY);
  });
}

KX2_EXPORT BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetUpdateRgn(hWnd, rgn, bErase);
    RECT box{};
    if (kind != ERROR) GetRgnBox(rgn, &box);
    DeleteObject(rgn);
    if (lpRect) *lpRect = box;
    return kind == SIMPLEREGION || kind == COMPLEXREGION;
  });
}

KX2_EXPORT BOOL UpdateWindow(HWND hWnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<HWND> due;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      std::vector<Window*> stack{w};
      while (!stack.empty()) {
        Window* c = stack.back();
        stack.pop_back();
        if (!Visible(c)) continue;
        if (PaintDue(c) && c->threadId == GetCurrentThreadId()) due.push_back(c->handle);
        for (auto it = c->children.rbegin(); it != c->children.rend(); ++it) stack.push_back(*it);
      }
    }
    for (HWND h : due) {
      bool still = false;
      {
        std::lock_guard<std::mutex> guard(TreeLock());
        Window* c = Find(h);
        still = c && !c->destroyed && PaintDue(c);
      }
      if (still) SendMessageW(h, WM_PAINT, 0, 0);
    }
    return TRUE;
  });
}

KX2_EXPORT int SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw) {
  return kx2::Guard(0, [&]() -> int {
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return 0;
      }
      if (w->shape) DeleteObject(w->shape);
      w->shape = hRgn;
    }
    if (bRedraw) RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return 1;
  });
}

KX2_EXPORT int GetWindowRgn(HWND hWnd, HRGN hRgn) {
  return kx2::Guard(ERROR, [&]() -> int {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w || w->destroyed || !w->shape || !hRgn) return ERROR;
    return CombineRgn(hRgn, w->shape, nullptr, RGN_COPY);
  });
}
