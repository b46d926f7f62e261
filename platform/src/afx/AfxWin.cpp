// The application's resource chain, message boxes, menus, bitmaps and toolbars.
#include <win/afx.h>

#include <win/gdi.h>
#include <win/menu.h>
#include <win/resource.h>
#include <win/user.h>
#include <win/userres.h>

HINSTANCE AfxFindResourceHandle(LPCWSTR name, LPCWSTR type) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  if (state->m_hCurrentResourceHandle && FindResourceW(state->m_hCurrentResourceHandle, name, type))
    return state->m_hCurrentResourceHandle;
  if (state->m_hCurrentInstanceHandle && state->m_hCurrentInstanceHandle != state->m_hCurrentResourceHandle &&
      FindResourceW(state->m_hCurrentInstanceHandle, name, type))
    return state->m_hCurrentInstanceHandle;
  return state->m_hCurrentResourceHandle;
}

HINSTANCE AfxFindStringResourceHandle(UINT id) {
  return AfxFindResourceHandle(MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
  const AFX_MODULE_STATE* state = AfxGetModuleState();
  LPCWSTR caption = state->m_lpszCurrentAppName ? state->m_lpszCurrentAppName : u"";
  return MessageBoxW(AfxGetMainWnd(), text ? text : u"", caption, type);
}

int AfxMessageBox(UINT id, UINT type, UINT helpId) {
  CString text;
  text.LoadString(id);
  return AfxMessageBox(text, type, helpId == static_cast<UINT>(-1) ? id : helpId);
}

// ---- CMenu -------------------------------------------------------------------------------

CMenu::~CMenu() { DestroyMenu(); }

BOOL CMenu::Attach(HMENU menu) {
  if (!menu) return FALSE;
  DestroyMenu();
  m_hMenu = menu;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU menu = m_hMenu;
  m_hMenu = nullptr;
  return menu;
}

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  const BOOL done = ::DestroyMenu(Detach());
  return done;
}

BOOL CMenu::LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEW(id)); }

BOOL CMenu::LoadMenu(LPCWSTR name) { return Attach(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name)); }

BOOL CMenu::LoadMenuIndirect(const void* menuTemplate) { return Attach(::LoadMenuIndirectW(menuTemplate)); }

UINT CMenu::GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }

UINT CMenu::GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }

UINT CMenu::GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }

int CMenu::GetMenuString(UINT id, CString& text, UINT flags) const {
  const int length = ::GetMenuStringW(m_hMenu, id, nullptr, 0, flags);
  const int copied = ::GetMenuStringW(m_hMenu, id, text.GetBuffer(length + 1), length + 1, flags);
  text.ReleaseBuffer(copied);
  return copied;
}

// ---- Bitmaps -------------------------------------------------------------------------------

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ object) {
  if (!object) return FALSE;
  DeleteObject();
  m_hObject = object;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  m_hObject = nullptr;
  return object;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  return ::DeleteObject(Detach());
}

BOOL CBitmap::LoadBitmap(UINT id) { return LoadBitmap(MAKEINTRESOURCEW(id)); }

BOOL CBitmap::LoadBitmap(LPCWSTR name) { return Attach(::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name)); }

int CBitmap::GetBitmap(BITMAP* bitmap) const { return ::GetObjectW(m_hObject, sizeof(BITMAP), bitmap); }

// ---- Toolbars ------------------------------------------------------------------------------

CToolBar::~CToolBar() {
  if (bitmap_) ::DeleteObject(bitmap_);
}

BOOL CToolBar::LoadToolBar(UINT id) { return LoadToolBar(MAKEINTRESOURCEW(id)); }

BOOL CToolBar::LoadToolBar(LPCWSTR name) {
  HINSTANCE module = AfxFindResourceHandle(name, RT_TOOLBAR);
  HRSRC found = FindResourceW(module, name, RT_TOOLBAR);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  const DWORD size = data ? SizeofResource(module, found) : 0;
  auto word = [&](size_t i) { return static_cast<WORD>(data[2 * i] | data[2 * i + 1] << 8); };
  if (!data || size < 8 || word(0) != 1 || size < 8u + 2u * word(3)) return FALSE;
  HBITMAP bitmap = ::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name);
  if (!bitmap) return FALSE;
  if (bitmap_) ::DeleteObject(bitmap_);
  bitmap_ = bitmap;
  size_ = {word(1), word(2)};
  buttons_.clear();
  for (size_t i = 0; i < word(3); ++i) buttons_.push_back(word(4 + i));
  return TRUE;
}

UINT CToolBar::GetItemID(int index) const {
  return index >= 0 && static_cast<size_t>(index) < buttons_.size() ? buttons_[static_cast<size_t>(index)] : 0;
}
