// The skinned popup menu object: its items, its window and the skin it is drawn from.
#include <win/menu.h>
#include <win/user.h>
#include <win/userres.h>

#include <kx2/Module.h>

#include "ornatex/core/platform_version.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/core/skin_object.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

namespace {

constexpr LPCWSTR kPopupClass = u"KtkSkinManagerMenu";
constexpr int kBorderSize = 2403;

// The schema the owner is drawn with: its skin object's, else the current one.
CKtkSkinManagerSchema* SchemaOf(HWND owner) {
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  if (!manager || !manager->m_enabled) return nullptr;
  if (CKtkSkinObject* object = owner ? manager->Lookup(owner) : nullptr)
    if (CKtkSkinManagerSchema* schema = object->GetSchema()) return schema;
  return manager->GetSchema();
}

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinPopupMenu, CWnd)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
END_MESSAGE_MAP()

CKtkSkinPopupMenu::CKtkSkinPopupMenu() = default;

CKtkSkinPopupMenu::~CKtkSkinPopupMenu() {
  // A popup window that outlived its run must not keep pointing at a freed object.
  if (!m_bMenuBar && m_hWnd && CWnd::FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
  if (m_hWnd && CWnd::FromHandlePermanent(m_hWnd) == this) Detach();
  m_hWnd = nullptr;
  m_items.clear();
}

int CKtkSkinPopupMenu::CountOfMenu() const {
  if (m_bMenuBar && m_bSystemMenu) return m_hMenu ? 1 : 0;
  const int n = m_hMenu ? ::GetMenuItemCount(m_hMenu) : 0;
  return n > 0 ? n : 0;
}

void CKtkSkinPopupMenu::RebuildItems() {
  m_items.clear();
  const int count = CountOfMenu();
  m_items.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) m_items.push_back(std::make_unique<CKtkSkinPopupMenuItem>(this, m_hMenu, i));
}

int CKtkSkinPopupMenu::GetItemCount() {
  const int count = CountOfMenu();
  if (static_cast<size_t>(count) != m_items.size() || (!m_items.empty() && m_items[0]->m_hMenu != m_hMenu))
    RebuildItems();
  return count;
}

CKtkSkinPopupMenuItem* CKtkSkinPopupMenu::GetItem(int index) {
  if (index < 0 || index >= GetItemCount()) return nullptr;
  return m_items[static_cast<size_t>(index)].get();
}

std::u16string CKtkSkinPopupMenu::GetItemText(int index) {
  if (!m_hMenu) return {};
  char16_t text[257] = {};
  const int n = ::GetMenuStringW(m_hMenu, static_cast<UINT>(index), text, 257, MF_BYPOSITION);
  return std::u16string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

void CKtkSkinPopupMenu::UpdateSystemMenuItem() {
  RebuildItems();
  if (m_items.empty()) return;
  RECT borders{};
  if (CKtkSkinManagerSchema* schema = SchemaOf(m_hOwner)) {
    const auto style = static_cast<DWORD>(::GetWindowLongW(m_hOwner, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongW(m_hOwner, GWL_EXSTYLE));
    borders = schema->GetFrameBorders(style, exStyle);
  }
  m_items[0]->m_rect = RECT{borders.left, borders.left, borders.top, borders.top};
}

CKtkSkinManagerClass* CKtkSkinPopupMenu::GetSkinClass() {
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  if (!manager || !manager->m_enabled) return nullptr;
  CKtkSkinObject* object = m_hOwner ? manager->Lookup(m_hOwner) : nullptr;
  return manager->GetSkinClass(object, u"MENU");
}

BOOL CKtkSkinPopupMenu::IsThemed() {
  CKtkSkinManagerClass* menuClass = GetSkinClass();
  if (!menuClass || menuClass->GetInt(KTK_MENU_POPUPBACKGROUND, 0, kBorderSize, 0) == 0) return FALSE;
  const int count = GetItemCount();
  for (int i = 0; i < count; ++i)
    if (m_items[static_cast<size_t>(i)]->IsOwnerDrawn()) return FALSE;
  return TRUE;
}

BOOL CKtkSkinPopupMenu::CreatePopupWindow(HWND owner) {
  UINT style = CS_DBLCLKS | CS_SAVEBITS;
  BOOL shadow = FALSE;
  if (KtkIsXPOrLater() && ::SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &shadow, 0) && shadow) style |= CS_DROPSHADOW;
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = &::DefWindowProcW;
  wc.hInstance = Kx2ThisModule();
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPopupClass;
  if (!AfxRegisterClass(&wc)) return FALSE;
  DWORD exStyle = WS_EX_TOOLWINDOW;
  if (owner && (::GetWindowLongW(owner, GWL_EXSTYLE) & (WS_EX_LAYOUTRTL | WS_EX_RIGHT))) exStyle |= WS_EX_LAYOUTRTL;
  HWND window = ::CreateWindowExW(exStyle, kPopupClass, nullptr, WS_POPUP, 0, 0, 100, 100, owner, nullptr,
                                  Kx2ThisModule(), nullptr);
  if (!window) return FALSE;
  if (!SubclassWindow(window)) {
    ::DestroyWindow(window);
    return FALSE;
  }
  return TRUE;
}

void CKtkSkinPopupMenu::Invalidate() {
  if (!m_hWnd || !::IsWindow(m_hWnd)) return;
  if (m_bMenuBar)
    ::SendMessageW(m_hWnd, WM_NCPAINT, 1, 0);
  else
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

CKtkSkinManagerMetrics* CKtkSkinPopupMenu::GetMetrics() const { return m_pLoop ? m_pLoop->GetMetrics() : nullptr; }

HFONT CKtkSkinPopupMenu::GetMenuFont(BOOL bold) const {
  return m_pLoop ? m_pLoop->GetMenuFont(bold) : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT CKtkSkinPopupMenu::OnPaintMessage(WPARAM, LPARAM) {
  PAINTSTRUCT ps{};
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  if (dc && m_pLoop) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CKtkBufferDC buffer(dc, client);
    Paint(buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc, client);
  }
  ::EndPaint(m_hWnd, &ps);
  return 0;
}
