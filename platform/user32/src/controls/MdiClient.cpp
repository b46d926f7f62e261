// "MDIClient": the window that holds a frame's document windows. Its messages, making and
// destroying children, activation (WM_MDIACTIVATE to the child losing and the child gaining
// it) and maximising, which carries over to the next active child.
#include "MdiClient.h"
#include "win/menu.h"

#include <algorithm>

namespace kx2::user32 {
namespace {

LRESULT CALLBACK ClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ControlProc<MdiClient>(hwnd, message, wParam, lParam);
}

void RegisterMdiClient() {
  WNDCLASSW wc{};
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = &ClientProc;
  wc.cbWndExtra = sizeof(void*);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_APPWORKSPACE + 1));
  wc.lpszClassName = WC_MDICLIENTW;
  RegisterClassW(&wc);
}

const RegisterAtLoad registered(&RegisterMdiClient);

DWORD ExStyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)); }

// The style a child is made with: the MDI frame unless the client takes every style.
DWORD ChildStyle(DWORD given, bool allStyles) {
  if (allStyles) return given | WS_CHILD | WS_CLIPSIBLINGS;
  return WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE | WS_OVERLAPPEDWINDOW |
         (given & (WS_MINIMIZE | WS_MAXIMIZE | WS_HSCROLL | WS_VSCROLL));
}

}  // namespace

MdiClient* MdiClientOf(HWND client) {
  if (!client || !IsWindow(client)) return nullptr;
  if (GetClassLongPtrW(client, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&ClientProc)) return nullptr;
  return reinterpret_cast<MdiClient*>(GetWindowLongPtrW(client, 0));
}

MdiClient* MdiClientOfChild(HWND child) { return child ? MdiClientOf(GetParent(child)) : nullptr; }

MdiClient::MdiClient(HWND hwnd, const CREATESTRUCTW& cs)
    : hwnd_(hwnd),
      ownStyle_(static_cast<DWORD>(cs.style) & MDIS_ALLCHILDSTYLES),
      bars_(static_cast<DWORD>(cs.style) & (WS_HSCROLL | WS_VSCROLL)) {
  if (const auto* ccs = static_cast<const CLIENTCREATESTRUCT*>(cs.lpCreateParams)) {
    windowMenu_ = static_cast<HMENU>(ccs->hWindowMenu);
    firstChildId_ = ccs->idFirstChild;
  }
}

MdiClient::~MdiClient() = default;

const std::vector<HWND>& MdiClient::Children() {
  std::erase_if(children_, [this](HWND h) { return !IsWindow(h) || GetParent(h) != hwnd_; });
  return children_;
}

HWND MdiClient::Maximized() const {
  HWND active = Active();
  return active && IsZoomed(active) ? active : nullptr;
}

void MdiClient::Adopt(HWND child) {
  if (!child || !IsWindow(child) || GetParent(child) != hwnd_) return;
  if (std::find(children_.begin(), children_.end(), child) != children_.end()) return;
  children_.push_back(child);
  const auto id = static_cast<LONG_PTR>(firstChildId_ + children_.size() - 1);
  if (GetWindowLongPtrW(child, GWLP_ID) != id) SetWindowLongPtrW(child, GWLP_ID, id);
}

// The last child takes the id of one that goes, so that ids stay consecutive and the
// others keep theirs.
void MdiClient::Forget(HWND child) {
  if (destroying_) return;
  auto it = std::find(children_.begin(), children_.end(), child);
  if (it == children_.end()) return;
  const bool wasMaximized = IsWindow(child) && IsZoomed(child);
  if (child == mergedChild_) Unmerge();
  const size_t index = static_cast<size_t>(it - children_.begin());
  children_.erase(it);
  if (index < children_.size()) {
    HWND last = children_.back();
    children_.pop_back();
    children_.insert(children_.begin() + static_cast<std::ptrdiff_t>(index), last);
  }
  Renumber();
  if (child == active_) {
    active_ = nullptr;
    if (HWND next = NextChild(child, false)) {
      Activate(next);
      if (wasMaximized && (StyleOf(next) & WS_MAXIMIZEBOX)) Maximize(next);
    }
  }
  SyncMaximized();
  RefreshWindowMenu();
  PostScrollUpdate();
}

void MdiClient::Renumber() {
  for (size_t i = 0; i < children_.size(); ++i) {
    const auto id = static_cast<LONG_PTR>(firstChildId_ + i);
    if (IsWindow(children_[i]) && GetWindowLongPtrW(children_[i], GWLP_ID) != id)
      SetWindowLongPtrW(children_[i], GWLP_ID, id);
  }
}

HWND MdiClient::Create(const MDICREATESTRUCTW* mcs) {
  if (!mcs || !mcs->szClass) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const DWORD style = ChildStyle(mcs->style, (ownStyle_ & MDIS_ALLCHILDSTYLES) != 0);
  RECT area = ClientRect(hwnd_);
  int x = mcs->x, y = mcs->y, cx = mcs->cx, cy = mcs->cy;
  if (x == CW_USEDEFAULT || cx == CW_USEDEFAULT) {
    // The next step of a cascade over the client, three quarters of it in size.
    const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    const int width = std::max(1, int(area.right) * 3 / 4), height = std::max(1, int(area.bottom) * 3 / 4);
    const int steps = std::max(1, std::min(int(area.right) - width, int(area.bottom) - height) / std::max(1, step) + 1);
    const int k = cascadeNext_++ % steps;
    if (x == CW_USEDEFAULT) x = y = k * step;
    if (cx == CW_USEDEFAULT) {
      cx = width;
      cy = height;
    }
  }
  const bool hadMaximized = Maximized() != nullptr;
  const auto id = static_cast<UINT_PTR>(firstChildId_ + Children().size());
  HWND child = CreateWindowExW(
      WS_EX_MDICHILD, mcs->szClass, mcs->szTitle, style & ~(WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE), x, y, cx, cy,
      hwnd_, reinterpret_cast<HMENU>(id), static_cast<HINSTANCE>(mcs->hOwner), const_cast<MDICREATESTRUCTW*>(mcs));
  if (!child) return nullptr;
  Adopt(child);
  if (style & WS_VISIBLE) {
    if (style & WS_MINIMIZE) {
      ShowWindow(child, SW_SHOWMINNOACTIVE);
    } else {
      ShowWindow(child, SW_SHOW);
      if (!IsWindow(child)) return nullptr;
      Activate(child);
      // A new child joins a maximised arrangement, or asks for one.
      if ((style & WS_MAXIMIZE) || (hadMaximized && (style & WS_MAXIMIZEBOX))) Maximize(child);
    }
  }
  if (!IsWindow(child)) return nullptr;
  RefreshWindowMenu();
  PostScrollUpdate();
  return child;
}

void MdiClient::Destroy(HWND child) {
  if (!child || !IsWindow(child) || GetParent(child) != hwnd_) return;
  Forget(child);
  DestroyWindow(child);
}

// The sibling after `from` in z-order (the previous one with `previous`), among the
// visible, enabled children.
HWND MdiClient::NextChild(HWND from, bool previous) const {
  std::vector<HWND> order;
  for (HWND h = GetWindow(hwnd_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (h == from || (std::find(children_.begin(), children_.end(), h) != children_.end() && IsWindowVisible(h) &&
                      IsWindowEnabled(h)))
      order.push_back(h);
  if (order.empty()) return nullptr;
  auto it = std::find(order.begin(), order.end(), from);
  if (it == order.end()) return order.front() == from ? nullptr : order.front();
  const size_t n = order.size(), i = static_cast<size_t>(it - order.begin());
  HWND next = order[previous ? (i + n - 1) % n : (i + 1) % n];
  return next == from ? nullptr : next;
}

void MdiClient::Activate(HWND child) {
  if (!child || !IsWindow(child) || GetParent(child) != hwnd_) return;
  Adopt(child);
  HWND old = Active();
  if (child == old) return;
  const bool carryMaximized = old && IsZoomed(old) && (StyleOf(child) & WS_MAXIMIZEBOX);
  active_ = child;
  HWND frame = GetAncestor(hwnd_, GA_ROOT);
  const bool frameActive = frame && GetActiveWindow() == frame;
  if (old) {
    SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
    if (IsWindow(old))
      SendMessageW(old, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(old), reinterpret_cast<LPARAM>(child));
  }
  if (active_ != child || !IsWindow(child)) return;  // the handler moved activation on
  if (carryMaximized && IsWindow(old)) {
    syncing_ = true;
    ShowWindow(old, SW_SHOWNOACTIVATE);
    syncing_ = false;
  }
  SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(child, WM_NCACTIVATE, frameActive, 0);
  if (!IsWindow(child)) return;
  SendMessageW(child, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(old), reinterpret_cast<LPARAM>(child));
  if (active_ != child || !IsWindow(child)) return;
  if (carryMaximized) Maximize(child);
  HWND focus = GetFocus();
  if (frameActive && (!focus || focus == hwnd_ || !IsChild(child, focus))) SetFocus(child);
  SyncMaximized();
  RefreshWindowMenu();
}

void MdiClient::Maximize(HWND child) {
  if (!child || !IsWindow(child) || GetParent(child) != hwnd_) return;
  if (child != Active()) Activate(child);
  if (!IsWindow(child)) return;
  syncing_ = true;
  ShowWindow(child, SW_SHOWMAXIMIZED);
  // The child's procedure may not have passed WM_GETMINMAXINFO on: place it here too.
  const RECT r = MaximizedRect(child);
  if (IsWindow(child) && IsZoomed(child))
    SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  syncing_ = false;
  SyncMaximized();
}

void MdiClient::Restore(HWND child) {
  if (!child || !IsWindow(child) || GetParent(child) != hwnd_) return;
  syncing_ = true;
  ShowWindow(child, SW_RESTORE);
  syncing_ = false;
  SyncMaximized();
}

RECT MdiClient::MaximizedRect(HWND child) const {
  RECT r = ClientRect(hwnd_);
  AdjustWindowRectEx(&r, StyleOf(child) & ~(WS_MAXIMIZE | WS_MINIMIZE), FALSE, ExStyleOf(child));
  return r;
}

LRESULT MdiClient::GetActive(BOOL* maximized) const {
  if (maximized) *maximized = Maximized() ? TRUE : FALSE;
  return reinterpret_cast<LRESULT>(Active());
}

void MdiClient::SyncMaximized() {
  if (syncing_) return;
  syncing_ = true;
  HWND maximized = Maximized();
  HMENU frameMenu = GetMenu(Frame());
  if (maximized != mergedChild_ || (maximized && frameMenu != mergedMenu_)) {
    Unmerge();
    if (maximized) Merge(maximized);
  }
  ShowFrameTitle();
  if (maximized)
    ShowScrollBar(hwnd_, SB_BOTH, FALSE);
  else
    PostScrollUpdate();
  syncing_ = false;
}

void MdiClient::ChildSized(HWND child) {
  Adopt(child);
  if (syncing_) return;
  if (IsZoomed(child) && child != Active()) Activate(child);
  if (IsIconic(child) && !arranging_) ArrangeIcons();
  SyncMaximized();
  PostScrollUpdate();
}

void MdiClient::ChildMoved() { PostScrollUpdate(); }

void MdiClient::ChildTitleChanged(HWND child) {
  RefreshWindowMenu();
  if (child == Maximized()) ShowFrameTitle();
}

LRESULT MdiClient::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  auto child = reinterpret_cast<HWND>(wParam);
  switch (message) {
    case WM_CREATE:
      FrameTitleChanged(TextOf(Frame()));
      RefreshWindowMenu();
      RecomputeScrollBars();  // no child lies outside yet: the bars go until one does
      return 0;
    case WM_DESTROY:
      // The children go with the client: nothing is activated or merged any more.
      destroying_ = true;
      Unmerge();
      if (windowMenu_ && IsMenu(windowMenu_)) RemoveWindowList(windowMenu_);
      if (frameTitleKnown_ && IsWindow(Frame()))
        DefWindowProcW(Frame(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(frameTitle_.c_str()));
      return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_MDICREATE:
      return reinterpret_cast<LRESULT>(Create(reinterpret_cast<const MDICREATESTRUCTW*>(lParam)));
    case WM_MDIDESTROY:
      Destroy(child);
      return 0;
    case WM_MDIACTIVATE:
      Activate(child);
      return 0;
    case WM_MDIGETACTIVE:
      return GetActive(reinterpret_cast<BOOL*>(lParam));
    case WM_MDINEXT: {
      HWND from = child ? child : Active();
      if (!from) return 0;
      HWND next = NextChild(from, lParam != 0);
      if (!next) return 0;
      Activate(next);
      if (!lParam && IsWindow(from))
        SetWindowPos(from, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      return 0;
    }
    case WM_MDIMAXIMIZE:
      Maximize(child);
      return 0;
    case WM_MDIRESTORE:
      Restore(child);
      return 0;
    case WM_MDITILE:
      return Tile(wParam);
    case WM_MDICASCADE:
      return Cascade(wParam);
    case WM_MDIICONARRANGE:
      if (!arranging_) {
        arranging_ = true;
        ArrangeIcons();
        arranging_ = false;
      }
      return 0;
    case WM_MDISETMENU:
      return reinterpret_cast<LRESULT>(SetMenus(reinterpret_cast<HMENU>(wParam), reinterpret_cast<HMENU>(lParam)));
    case WM_MDIREFRESHMENU:
      RefreshWindowMenu();
      return reinterpret_cast<LRESULT>(GetMenu(Frame()));
    case WM_MDICALCCHILDSCROLL:
      scrollPending_ = false;
      RecomputeScrollBars();
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      Scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
      return 0;
    case WM_SIZE: {
      DefWindowProcW(hwnd_, message, wParam, lParam);
      if (HWND maximized = Maximized()) {
        const RECT r = MaximizedRect(maximized);
        SetWindowPos(maximized, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      } else {
        PostScrollUpdate();
      }
      return 0;
    }
    case WM_SETFOCUS:
      if (HWND active = Active(); active && !IsIconic(active)) SetFocus(active);
      return 0;
    case WM_NCACTIVATE:
      if (HWND active = Active()) SendMessageW(active, WM_NCACTIVATE, wParam, lParam);
      return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE && (GetWindowLongW(reinterpret_cast<HWND>(lParam), GWL_EXSTYLE) & WS_EX_MDICHILD))
        Adopt(reinterpret_cast<HWND>(lParam));
      else if (LOWORD(wParam) == WM_DESTROY)
        Forget(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (message == WM_PRINTCLIENT && !(lParam & PRF_CLIENT)) return 0;
      return PaintMessage(hwnd_, wParam,
                          [&](HDC dc) { FillBackground(dc, ClientRect(hwnd_), GetSysColorBrush(COLOR_APPWORKSPACE)); });
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

}  // namespace kx2::user32
