// A 40-item popup menu: Layout and one paint of the skinned popup (themed from a generated
// skin's "MENU" parts, through its off-screen buffer) against the system's classic popup
// ("#32768", shown by TrackPopupMenuEx) painting the same menu, in the same run.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <kx2/IdleHandler.h>
#include <kx2/PathMap.h>
#include <win/gdi.h>
#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/menu_sound.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"

namespace {

std::u16string SkinFolder() {
  static const std::string folder =
      [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "benchmenu-XXXXXX").string();
        const std::string made = mkdtemp(pattern.data());
        std::ofstream(made + "/skin.ini")
            << "[Menu.10]\nBgType = 1\nFillColor = 10, 20, 30\n"
               "[Menu.9]\nBgType = 1\nBorderSize = 1\nBorderColor = 90, 90, 90\nFillColor = 240, 230, 200\n"
               "[Menu.13]\nBgType = 1\nFillColor = 200, 180, 120\n[Menu.14(2)]\nBgType = 1\nFillColor = 40, 160, 220\n"
               "[Menu.15]\nBgType = 1\nFillColor = 120, 0, 120\n[Menu.16]\nBgType = 1\nFillColor = 0, 120, 0\n"
               "[Menu.12]\nBgType = 1\nFillColor = 200, 200, 255\n[Menu.11]\nBgType = 1\nFillColor = 0, 0, 128\n";
        return made;
      }();
  return kx2::ToWindowsPath(folder);
}

// 40 items: texts with mnemonics and shortcuts, every eighth a separator, checks, a
// disabled item and a submenu.
HMENU FortyItems() {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuW(sub, MF_STRING, 900, u"&Inner");
  for (int i = 0; i < 40; ++i) {
    if (i % 8 == 7) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (i == 20) {
      AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&More items");
    } else {
      const std::u16string text =
          u"Item &" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
          (i % 3 == 0 ? u"\tCtrl+" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) : u"");
      AppendMenuW(menu, MF_STRING | (i % 5 == 0 ? MF_CHECKED : 0) | (i == 13 ? MF_GRAYED : 0), 100 + i, text.c_str());
    }
  }
  return menu;
}

struct Owner {
  Owner() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"KtkBenchMenuOwner";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, u"KtkBenchMenuOwner", u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 300,
                           nullptr, nullptr, nullptr, nullptr);
  }
  ~Owner() { DestroyWindow(hwnd); }
  HWND hwnd;
};

struct MemoryDC {
  explicit MemoryDC(SIZE size) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    ReleaseDC(nullptr, screen);
    old = SelectObject(dc, bitmap);
  }
  ~MemoryDC() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

void BM_SkinnedPopupLayoutAndPaint(benchmark::State& state) {
  CKtkSkinManager* manager = KtkSkinManager();
  if (!manager || !manager->LoadSkin(SkinFolder().c_str(), u"skin.ini")) {
    state.SkipWithError("no skin");
    return;
  }
  KtkMenuSoundPlayer().Enable(false);
  {
    Owner owner;
    HMENU menu = FortyItems();
    CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(owner.hwnd);
    auto* popup = new CKtkSkinPopupMenu;
    popup->m_pLoop = loop;
    popup->m_hOwner = owner.hwnd;
    popup->m_hMenu = menu;
    popup->m_nSelected = 3;
    if (!popup->IsThemed()) state.SkipWithError("not themed");
    const SIZE size = popup->Layout();
    MemoryDC target(size);
    for (auto _ : state) {
      const SIZE laid = popup->Layout();
      const RECT client{0, 0, laid.cx, laid.cy};
      CKtkBufferDC buffer(target.dc, client);
      popup->Paint(buffer.GetSafeHdc(), client);
    }
    popup->InternalRelease();
    loop->Free();
    DestroyMenu(menu);
  }
  manager->RemoveSkin();
}
BENCHMARK(BM_SkinnedPopupLayoutAndPaint)->Unit(benchmark::kMicrosecond);

// The system's popup is painted while its own menu loop shows it: the idle handler of
// that loop runs the timed paints, then ends the menu.
struct SystemRun {
  benchmark::State* state;
  MemoryDC* target;
  bool done = false;
};

BOOL PaintSystemPopup(void* context) {
  auto* run = static_cast<SystemRun*>(context);
  if (run->done) return FALSE;
  run->done = true;
  HWND popup = FindWindowW(u"#32768", nullptr);
  if (!popup) {
    run->state->SkipWithError("no system popup");
  } else {
    for (auto _ : *run->state)
      SendMessageW(popup, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(run->target->dc), PRF_CLIENT);
  }
  EndMenu();
  return FALSE;
}

void BM_SystemClassicPopupPaint(benchmark::State& state) {
  Owner owner;
  HMENU menu = FortyItems();
  MemoryDC target(SIZE{400, 900});
  SystemRun run{&state, &target};
  Kx2SetIdleHandler(&PaintSystemPopup, &run);
  TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY, 100, 20, owner.hwnd, nullptr);
  Kx2SetIdleHandler(nullptr, nullptr);
  if (!run.done) state.SkipWithError("the menu loop never idled");
  DestroyMenu(menu);
}
BENCHMARK(BM_SystemClassicPopupPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
