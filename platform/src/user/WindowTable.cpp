// The handle table, the desktop window and the tree helpers every area shares.
#include <algorithm>
#include <unordered_map>

#include "kx2/Screen.h"
#include "user/Core.h"

namespace kx2::user {
namespace {

struct Table {
  std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
  // Handles are never reused, so a stale handle can never name a newer window. They stay
  // even (the low bits of some system handles carry meanings) and below 2^32 as Win32's.
  uintptr_t next = 0x10010;
  std::shared_ptr<Window> desktop;
};

Table& TheTable() {
  static auto* table = new Table;
  return *table;
}

}  // namespace

std::mutex& TreeLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

Window* Find(HWND hwnd) {
  Table& t = TheTable();
  auto it = t.windows.find(reinterpret_cast<uintptr_t>(hwnd));
  if (it != t.windows.end()) return it->second.get();
  if (t.desktop && hwnd == t.desktop->handle) return t.desktop.get();
  return nullptr;
}

std::shared_ptr<Window> Share(Window* window) {
  if (!window) return nullptr;
  Table& t = TheTable();
  if (window == t.desktop.get()) return t.desktop;
  auto it = t.windows.find(reinterpret_cast<uintptr_t>(window->handle));
  return it == t.windows.end() ? nullptr : it->second;
}

std::shared_ptr<Window> Get(HWND hwnd) {
  std::shared_ptr<Window> found;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    DesktopLocked();
    found = Share(Find(hwnd));
  }
  if (!found) SetLastErrorInvalidWindow();
  return found;
}

Window* DesktopLocked() {
  Table& t = TheTable();
  if (!t.desktop) {
    t.desktop = std::make_shared<Window>();
    t.desktop->handle = reinterpret_cast<HWND>(t.next);
    t.next += 4;
    t.desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
    t.desktop->window = Kx2ScreenVirtualRect();
    t.desktop->client = t.desktop->window;
    t.desktop->creating = false;
  }
  return t.desktop.get();
}

HWND AddToTable(const std::shared_ptr<Window>& window) {
  Table& t = TheTable();
  DesktopLocked();
  window->handle = reinterpret_cast<HWND>(t.next);
  t.next += 4;
  t.windows.emplace(reinterpret_cast<uintptr_t>(window->handle), window);
  return window->handle;
}

void RemoveFromTable(Window* window) { TheTable().windows.erase(reinterpret_cast<uintptr_t>(window->handle)); }

std::vector<HWND> AllHandles() {
  std::vector<HWND> handles;
  for (auto& [key, window] : TheTable().windows) handles.push_back(window->handle);
  return handles;
}

UINT LiveCount() {
  std::lock_guard<std::mutex> guard(TreeLock());
  return static_cast<UINT>(TheTable().windows.size());
}

POINT ClientOrigin(const Window* window) {
  POINT origin{0, 0};
  for (const Window* w = window; w && w->parent; w = w->parent) {
    origin.x += w->client.left;
    origin.y += w->client.top;
  }
  return origin;
}

RECT ScreenRect(const Window* window) {
  POINT base = window->parent ? ClientOrigin(window->parent) : POINT{0, 0};
  return RECT{window->window.left + base.x, window->window.top + base.y, window->window.right + base.x,
              window->window.bottom + base.y};
}

bool Visible(const Window* window) {
  for (const Window* w = window; w; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

bool IsTopLevel(const Window* window) { return window->parent && !window->parent->parent; }

Window* TopLevelOf(Window* window) {
  Window* w = window;
  while (w && w->parent && w->parent->parent) w = w->parent;
  return w;
}

void Unlink(Window* window) {
  if (!window->parent) return;
  auto& list = window->parent->children;
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

void LinkInto(Window* parent, Window* window, Window* after) {
  window->parent = parent;
  auto& list = parent->children;
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
  const bool topLevel = !parent->parent;
  const bool topmost = topLevel && (window->exStyle & WS_EX_TOPMOST);
  // Top-level windows keep the topmost ones in a band above the rest.
  auto bandBegin = list.begin();
  auto bandEnd = list.end();
  if (topLevel) {
    auto firstPlain = std::find_if(list.begin(), list.end(), [](Window* w) { return !(w->exStyle & WS_EX_TOPMOST); });
    if (topmost)
      bandEnd = firstPlain;
    else
      bandBegin = firstPlain;
  }
  auto at = bandBegin;
  if (after == reinterpret_cast<Window*>(1)) {
    at = bandEnd;
  } else if (after) {
    auto it = std::find(bandBegin, bandEnd, after);
    at = it == bandEnd ? bandBegin : it + 1;
  }
  list.insert(at, window);
}

void SetLastErrorInvalidWindow() { SetLastError(ERROR_INVALID_WINDOW_HANDLE); }

}  // namespace kx2::user

KX2_EXPORT UINT Kx2LiveWindowCount() { return kx2::user::LiveCount(); }
