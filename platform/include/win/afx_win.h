// MFC's window-side pieces the toolkit uses: the application's resource chain, message
// boxes, menus, bitmaps and toolbars (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include <vector>

#include "win/types.h"

#define RT_TOOLBAR MAKEINTRESOURCEW(241)

// The module of the application's resource chain that holds the resource: the module
// state's resource handle, then its instance handle; the resource handle when neither
// holds it.
KX2_API HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type);
// The same for the string-table block of a string id.
KX2_API HINSTANCE AfxFindStringResourceHandle(UINT id);

// A message box (win/user.h) captioned with the application's name.
KX2_API int AfxMessageBox(LPCWSTR text, UINT type = 0, UINT helpId = 0);
// The text is string id of the application's resources (empty when missing).
KX2_API int AfxMessageBox(UINT id, UINT type = 0, UINT helpId = static_cast<UINT>(-1));

class KX2_API CMenu : public CObject {
 public:
  CMenu() = default;
  ~CMenu() override;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  BOOL Attach(HMENU menu);
  HMENU Detach();
  // A temporary object for a menu handle (it does not own the menu), kept per thread
  // until CWnd::DeleteTempMap.
  static CMenu* FromHandle(HMENU menu);
  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }  // NOLINT: MFC's conversion
  BOOL DestroyMenu();
  BOOL LoadMenu(UINT id);
  BOOL LoadMenu(LPCWSTR name);
  BOOL LoadMenuIndirect(const void* menuTemplate);
  UINT GetMenuItemCount() const;
  UINT GetMenuItemID(int position) const;
  UINT GetMenuState(UINT id, UINT flags) const;
  int GetMenuString(UINT id, CString& text, UINT flags) const;

  HMENU m_hMenu = nullptr;
};

class KX2_API CGdiObject : public CObject {
 public:
  CGdiObject() = default;
  ~CGdiObject() override;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;

  BOOL Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL DeleteObject();

  // A temporary object for a handle, kept per thread until DeleteTempMap; it never frees
  // the handle.
  static CGdiObject* FromHandle(HGDIOBJ object);
  static void DeleteTempMap();
  operator HGDIOBJ() const { return m_hObject; }  // NOLINT
  int GetObject(int count, LPVOID buffer) const;
  UINT GetObjectType() const;
  BOOL CreateStockObject(int index);

  HGDIOBJ m_hObject = nullptr;
};

struct BITMAP;
class KX2_API CBitmap : public CGdiObject {
 public:
  BOOL LoadBitmap(UINT id);
  BOOL LoadBitmap(LPCWSTR name);
  int GetBitmap(BITMAP* bitmap) const;
  operator HBITMAP() const { return m_hObject; }  // NOLINT
};

// The toolbar resource (RT_TOOLBAR: version 1, button width and height, count, command
// ids; 0 separates) and its bitmap of the same name, found through the resource chain.
// No window is made here; the buttons are kept for whoever shows them.
class KX2_API CToolBar : public CObject {
 public:
  CToolBar() = default;
  ~CToolBar() override;
  CToolBar(const CToolBar&) = delete;
  CToolBar& operator=(const CToolBar&) = delete;

  BOOL LoadToolBar(UINT id);
  BOOL LoadToolBar(LPCWSTR name);
  int GetCount() const { return static_cast<int>(buttons_.size()); }
  UINT GetItemID(int index) const;
  SIZE GetButtonSize() const { return size_; }
  HBITMAP GetImageWell() const { return bitmap_; }

 private:
  std::vector<UINT> buttons_;
  SIZE size_{0, 0};
  HBITMAP bitmap_ = nullptr;
};
