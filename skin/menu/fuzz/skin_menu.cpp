// Fuzzes the skinned menus: the bytes make a menu (items with and without mnemonics,
// separators, column breaks, disabled, checked, default and owner-drawn items, item
// bitmaps, submenus a few levels deep) and a script of keys, mouse moves, presses and
// releases of either button, clock steps and the owner's WM_MENUCHAR answers, played one
// step per idle turn while the menu is tracked (or runs from a skinned frame's bar) with a
// skin loaded. Every run must end, and leave no window, no popup object and no GDI object.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/GdiCairo.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <kx2/PathMap.h>
#include <win/gdi.h>
#include <win/menu.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>

#include "ornatex/core/menu_sound.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
};

Reader* g_input = nullptr;
HWND g_owner = nullptr;
int g_tail = 0;
std::vector<HBITMAP> g_bitmaps;

// Menu texts: letters the keys will type, with and without "&".
const char16_t* const kTexts[] = {u"&File", u"&fine", u"Find", u"&Go\tCtrl+G", u"go on", u"&&plain",
                                  u"&Zoom", u"",      u"&a",   u"Another",     u"&b\tB", u"x&&&y"};

HMENU BuildMenu(Reader& in, int depth) {
  HMENU menu = CreatePopupMenu();
  const int count = 1 + in.next() % (depth == 0 ? 16 : 6);
  for (int i = 0; i < count && in.more(); ++i) {
    const uint8_t kind = in.next(), flags = in.next();
    UINT f = MF_STRING;
    if (flags & 1) f |= MF_GRAYED;
    if (flags & 2) f |= MF_CHECKED;
    if (flags & 4) f |= MF_MENUBREAK;
    if (flags & 8) f |= MF_MENUBARBREAK;
    const UINT id = 1 + in.next();
    switch (kind % 8) {
      case 0:
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        break;
      case 1:
        AppendMenuW(menu, (f & ~MF_STRING) | MF_OWNERDRAW, id, reinterpret_cast<LPCWSTR>(uintptr_t{id}));
        break;
      case 2:
        if (depth < 3) {
          AppendMenuW(menu, f | MF_POPUP, reinterpret_cast<UINT_PTR>(BuildMenu(in, depth + 1)), kTexts[kind % 12]);
          break;
        }
        [[fallthrough]];
      default:
        AppendMenuW(menu, f, id, kTexts[(kind >> 3) % 12]);
        break;
    }
    const int position = GetMenuItemCount(menu) - 1;
    if (flags & 16) SetMenuDefaultItem(menu, static_cast<UINT>(position), TRUE);
    if (flags & 32) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      info.hbmpItem = (flags & 64) ? g_bitmaps[kind % g_bitmaps.size()]
                                   : reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(1 + kind % 11));
      SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    }
    if (flags & 128) {
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_CHECKMARKS;
      info.hbmpChecked = info.hbmpUnchecked = g_bitmaps[0];
      SetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    }
  }
  return menu;
}

// A point on one of the shown popups (an item's middle or near an edge), or anywhere.
POINT Somewhere(Reader& in) {
  std::vector<HWND> shown;
  for (HWND h = FindWindowW(u"KtkSkinManagerMenu", nullptr); h;
       h = FindWindowExW(nullptr, h, u"KtkSkinManagerMenu", nullptr))
    if (IsWindowVisible(h)) shown.push_back(h);
  const uint8_t pick = in.next();
  RECT box{};
  if (!shown.empty() && pick < 200) {
    GetWindowRect(shown[pick % shown.size()], &box);
  } else {
    GetWindowRect(g_owner, &box);
  }
  const int x = box.left + (box.right - box.left) * in.next() / 255,
            y = box.top + (box.bottom - box.top) * in.next() / 255;
  return POINT{x + static_cast<int8_t>(in.next()) / 32, y};
}

void Step(Reader& in) {
  static const UINT keys[] = {VK_DOWN, VK_UP, VK_LEFT, VK_RIGHT, VK_RETURN, VK_ESCAPE, VK_F10, VK_TAB, VK_MENU, VK_F1};
  switch (in.next() % 10) {
    case 0:
    case 1:
      Kx2InjectKeyStroke(keys[in.next() % 10]);
      break;
    case 2:
      Kx2InjectKeyStroke("FGZABXY "[in.next() % 8]);
      break;
    case 3:
    case 4: {
      const POINT p = Somewhere(in);
      Kx2InjectMouseMove(p.x, p.y);
      break;
    }
    case 5:
      Kx2InjectMouseButton((in.next() & 1) ? VK_RBUTTON : VK_LBUTTON, in.next() & 1);
      break;
    case 6:
      Kx2ClockAdvance(in.next() * 4);
      break;
    case 7: {
      const POINT p = Somewhere(in);
      Kx2InjectClick(p.x, p.y, (in.next() & 1) ? VK_RBUTTON : VK_LBUTTON);
      break;
    }
    case 8:
      if (in.next() == 0xFF) PostQuitMessage(3);
      break;
    default:
      break;
  }
}

// The script runs a step per idle turn; then Esc, releases and finally a quit end the run.
BOOL Idle(void*) {
  if (g_input && g_input->more()) {
    Step(*g_input);
  } else {
    ++g_tail;
    Kx2InjectMouseButton(VK_LBUTTON, FALSE);
    Kx2InjectMouseButton(VK_RBUTTON, FALSE);
    Kx2InjectKeyStroke(VK_ESCAPE);
    if (g_tail == 16) PostQuitMessage(0);
  }
  if (g_owner && IsWindow(g_owner)) PostMessageW(g_owner, WM_NULL, 0, 0);
  return TRUE;
}

uint8_t g_menuChar = 0, g_measure = 0;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MENUCHAR:
      return MAKELRESULT(g_menuChar % 20, (g_menuChar >> 5) % 5);
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      m->itemWidth = g_measure & 0x80 ? 0xFFFFFF00u : g_measure;
      m->itemHeight = g_measure & 0x40 ? 0xFFFFFF00u : g_measure % 40;
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      FillRect(d->hDC, &d->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      return TRUE;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) return 0;  // the window stays for the next step
      break;
    default:
      break;
  }
  return CallWindowProcW(reinterpret_cast<WNDPROC>(GetPropW(hwnd, u"fuzz.next")), hwnd, message, wParam, lParam);
}

bool LoadSkin(CKtkSkinManager& manager) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-skin-menu";
  mkdir(folder.c_str(), 0700);
  std::ofstream(folder + "/skin.ini")
      << "[SysMetrics]\nCaptionBarHeight = 21\n"
         "[Window]\nImageLayout = 2\n"
         "[Menu.10]\nBgType = 1\nFillColor = 10, 20, 30\n[Menu.9]\nBgType = 1\nBorderSize = 1\nFillColor = 240, 230, "
         "200\n"
         "[Menu.13]\nBgType = 1\nFillColor = 200, 180, 120\n[Menu.14(2)]\nBgType = 1\nFillColor = 40, 160, 220\n"
         "[Menu.15]\nBgType = 1\nFillColor = 120, 0, 120\n[Menu.16]\nBgType = 1\nFillColor = 0, 120, 0\n";
  return manager.LoadSkin(kx2::ToWindowsPath(folder).c_str(), u"skin.ini") != 0;
}

LONG LiveGdi() {
  return Kx2GdiLiveObjects(OBJ_REGION) + Kx2GdiLiveObjects(OBJ_BITMAP) + Kx2GdiLiveObjects(OBJ_MEMDC) +
         Kx2GdiLiveObjects(OBJ_DC) + Kx2GdiLiveObjects(OBJ_FONT) + Kx2GdiLiveObjects(OBJ_BRUSH) +
         Kx2GdiLiveObjects(OBJ_PEN);
}

HWND MakeOwner(DWORD exStyle, HMENU bar) {
  HWND h = CreateWindowExW(exStyle, u"KtkFuzzMenuOwner", u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 420, 320,
                           nullptr, bar, nullptr, nullptr);
  if (!h) return nullptr;
  SetPropW(h, u"fuzz.next", reinterpret_cast<HANDLE>(GetWindowLongPtrW(h, GWLP_WNDPROC)));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnerProc));
  SetActiveWindow(h);
  SetFocus(h);
  return h;
}

void Pump(int limit) {
  MSG msg;
  for (int i = 0; i < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CKtkSkinManager* manager = [] {
    CKtkSkinManager* m = KtkSkinManager();
    if (!m || !LoadSkin(*m)) __builtin_trap();
    KtkMenuSoundPlayer().Enable(false);
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &DefWindowProcW;  // system code: the frame object subclasses it
    wc.lpszClassName = u"KtkFuzzMenuOwner";
    RegisterClassW(&wc);
    Kx2ClockSetManual(TRUE, 1000000);
    HDC screen = GetDC(nullptr);
    for (int s : {13, 40, 6}) g_bitmaps.push_back(CreateCompatibleBitmap(screen, s, s + 3));
    ReleaseDC(nullptr, screen);
    // Fonts, skin images and classes load on first use and stay: load them before counting.
    HWND warm = MakeOwner(0, nullptr);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, u"&Warm");
    CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(warm);
    g_owner = warm;
    g_tail = 0;
    Kx2SetIdleHandler(&Idle, nullptr);
    loop->Track(menu, MFT_STRING, 120, 120, warm, nullptr);
    loop->Free();
    Kx2SetIdleHandler(nullptr, nullptr);
    DestroyMenu(menu);
    DestroyWindow(warm);
    Pump(1024);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    return m;
  }();
  (void)manager;
  if (size < 4) return 0;
  const UINT before = Kx2LiveWindowCount();
  const LONG gdiBefore = LiveGdi();
  Reader in{data, size};
  const uint8_t mode = in.next(), trackFlags = in.next();
  g_menuChar = in.next();
  g_measure = in.next();
  HMENU menu = BuildMenu(in, 0);
  g_owner = MakeOwner((mode & 1) ? WS_EX_LAYOUTRTL : 0, nullptr);
  g_input = &in;
  g_tail = 0;
  Kx2SetIdleHandler(&Idle, nullptr);
  if (g_owner && (mode & 6) == 6) {
    // The frame's bar: the menu becomes the window's, opened by a menu key.
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), u"&File");
    AppendMenuW(bar, MF_STRING, 77, u"&Go");
    SetMenu(g_owner, bar);
    menu = nullptr;  // destroyed with the window
    SendMessageW(g_owner, WM_SYSCOMMAND, SC_KEYMENU, (mode & 8) ? 'f' : 0);
  } else if (g_owner) {
    UINT flags = 0;
    if (trackFlags & 1) flags |= TPM_RETURNCMD;
    if (trackFlags & 2) flags |= TPM_NONOTIFY;
    if (trackFlags & 4) flags |= TPM_RIGHTBUTTON;
    if (trackFlags & 8) flags |= TPM_SYSTEMMENU;
    flags |= (trackFlags >> 4) & (TPM_CENTERALIGN | TPM_RIGHTALIGN);
    if (trackFlags & 0x80) flags |= TPM_BOTTOMALIGN;
    if (mode & 16) Kx2InjectMouseButton(VK_LBUTTON, TRUE);
    Pump(16);
    CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(g_owner);
    loop->Track(menu, flags, static_cast<int8_t>(in.next()) * 10 + 600, static_cast<int8_t>(in.next()) * 8 + 500,
                g_owner, nullptr);
    loop->Free();
  }
  Kx2SetIdleHandler(nullptr, nullptr);
  g_input = nullptr;
  if (menu) DestroyMenu(menu);
  if (g_owner && IsWindow(g_owner)) DestroyWindow(g_owner);
  g_owner = nullptr;
  Pump(1024);
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
  Kx2ResetInput();
  if (Kx2LiveWindowCount() != before) __builtin_trap();
  if (LiveGdi() != gdiBefore) __builtin_trap();
  return 0;
}
