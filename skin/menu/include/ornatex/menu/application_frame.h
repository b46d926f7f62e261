// The skin object of the application's own frames and dialogs: the frame object with a
// skinned menu bar. It lays the window's menu out inside the non-client area, paints and
// hit-tests it, hot-tracks it under the pointer, and runs the skinned menus for clicks on
// the bar, the menu keys and a right click on the caption. All of it only while the skin
// covers menus; otherwise every handler is the frame's.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class CKtkSkinMenuLoop;
class CKtkSkinPopupMenu;

class ORNATEX_API CKtkSkinObjectApplicationFrame : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectApplicationFrame)

 public:
  CKtkSkinObjectApplicationFrame();
  ~CKtkSkinObjectApplicationFrame() override;

  // Not a child window, and a menu with at least one item.
  BOOL HasMenuBar() const;
  void UpdateMenuBar() override;
  void DrawFrame(HDC dc) override;
  BOOL HandleSysCommand(UINT command, LPARAM lParam) override;
  BOOL HandleNcMouseMove(int x, int y) override;
  int HitTest(int x, int y) override;

  // Places the bar's items in rows inside the bar rectangle and sets its bottom.
  void LayoutMenuBar();
  void DrawMenuBar(HDC dc);
  void RedrawMenuBar();
  // The bar item under a window point, -1 for none.
  int MenuBarItemFromPoint(POINT point);
  // A loop attached to the bar (to the system menu on the caption icon without a bar);
  // null when there is neither.
  CKtkSkinMenuLoop* CreateMenuLoop();
  UINT_PTR TrackSystemMenu(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclusion);
  // The skin is on and covers frames and menus.
  BOOL IsMenuSkinning() const;

  RECT m_rcMenuBar{};
  CKtkSkinPopupMenu* m_pMenuBar;

 protected:
  LRESULT OnMenuNcCalcSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnContextMenuMessage(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  void ForgetMenuBar();
  // A screen point in window coordinates, x mirrored in a right-to-left window.
  POINT ToMenuPoint(int x, int y) const;
};
