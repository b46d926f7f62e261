// The "MDIClient" control: the children it holds in id order, which one is active, the
// frame's window menu that lists them, the frame menu a maximised child's buttons were
// merged into, and the guards that keep arrangement and scroll-bar updates from running
// inside themselves. Split over files: MdiClient.cpp (messages, creation, activation,
// maximising), MdiArrange.cpp (tile, cascade, icons), MdiMenu.cpp (window menu, merged
// buttons, the frame's title), MdiScroll.cpp (the client's scroll bars).
#pragma once

#include <string>
#include <vector>

#include "ControlCommon.h"
#include "win/menu.h"

namespace kx2::user32 {

// Rectangles of an arrangement, in the order the children are given.
std::vector<RECT> TileRects(const RECT& area, int count, bool sideBySide);
std::vector<RECT> CascadeRects(const RECT& area, int count, int step);
// Where the n-th minimised child goes: rows from the bottom-left corner upwards.
RECT IconSlot(const RECT& area, int index);
// The window menu lists nine children; its tenth item asks for one of all of them.
constexpr UINT kListedChildren = 9;
// "Select Window": a modal list of the children's titles; the one chosen, or null.
HWND SelectChild(HWND owner, const std::vector<HWND>& children, HWND active);

class MdiClient {
 public:
  MdiClient(HWND hwnd, const CREATESTRUCTW& cs);
  ~MdiClient();
  MdiClient(const MdiClient&) = delete;
  MdiClient& operator=(const MdiClient&) = delete;

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HWND Hwnd() const { return hwnd_; }
  HWND Frame() const { return GetParent(hwnd_); }
  HWND Active() const { return IsWindow(active_) ? active_ : nullptr; }
  // The active child when it is maximised.
  HWND Maximized() const;
  UINT FirstChildId() const { return firstChildId_; }
  // Children by id order; stale handles dropped first.
  const std::vector<HWND>& Children();

  // What the children's default procedure reports.
  void Adopt(HWND child);
  void Forget(HWND child);
  void Activate(HWND child);
  void ChildSized(HWND child);
  void ChildMoved();
  void ChildTitleChanged(HWND child);
  // The frame's own title changed (DefFrameProcW's WM_SETTEXT).
  void FrameTitleChanged(const std::u16string& title);
  // The maximised child's place: the client area with the child's frame around it.
  RECT MaximizedRect(HWND child) const;

 private:
  HWND Create(const MDICREATESTRUCTW* mcs);
  void Destroy(HWND child);
  HWND NextChild(HWND from, bool previous) const;
  void Maximize(HWND child);
  void Restore(HWND child);
  LRESULT GetActive(BOOL* maximized) const;
  // Keeps the frame's menu bar and title in line with whether the active child is maximised.
  void SyncMaximized();
  void Renumber();

  // MdiArrange.cpp
  BOOL Tile(WPARAM how);
  BOOL Cascade(WPARAM how);
  void ArrangeIcons();
  std::vector<HWND> Arrangeable(WPARAM how) const;
  RECT AreaAboveIcons();

  // MdiMenu.cpp
  HMENU SetMenus(HMENU frameMenu, HMENU windowMenu);
  void RefreshWindowMenu();
  void RemoveWindowList(HMENU menu);
  void Merge(HWND child);
  void Unmerge();
  void ShowFrameTitle();

  // MdiScroll.cpp
  void PostScrollUpdate();
  void RecomputeScrollBars();
  void Scroll(int bar, WORD request, short thumb);

  HWND hwnd_;
  DWORD ownStyle_;  // MDIS_ALLCHILDSTYLES
  DWORD bars_;      // the scroll bars it was made with, the only ones it shows
  HMENU windowMenu_ = nullptr;
  UINT firstChildId_ = 0;
  std::vector<HWND> children_;
  HWND active_ = nullptr;
  HWND mergedChild_ = nullptr;  // whose buttons are on mergedMenu_
  HMENU mergedMenu_ = nullptr;
  HMENU mergedSystem_ = nullptr;  // the copy of its window menu on the bar
  std::u16string frameTitle_;
  bool frameTitleKnown_ = false;
  bool arranging_ = false, scrollPending_ = false, recomputing_ = false, syncing_ = false, destroying_ = false,
       tracking_ = false;
  int cascadeNext_ = 0;  // the cascade step the next default-placed child takes
};

// The client's state when the window is an "MDIClient" control, else null.
MdiClient* MdiClientOf(HWND client);
// The client a child belongs to (its parent), else null.
MdiClient* MdiClientOfChild(HWND child);

}  // namespace kx2::user32
