// Fuzzes skinned frames with input: framed windows of many styles (caption, thick frame,
// tool window, system menu, boxes, scroll bars, maximised, client edge) made and destroyed,
// the mouse moved over and pressed on captions, buttons, bars and corners, the test clock
// stepped so that hot tracking and auto-repeat timers fire, sizes and styles changed, frame
// messages sent, and the skin switched off and on. Steps also run from inside the caption
// buttons' press loop and the scroll bars' tracking loop, where they may destroy the very
// window being tracked. After each input every window is gone and nothing was left.
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
#include <win/user.h>

#include "ornatex/core/skin_manager.h"

namespace {

constexpr size_t kMaxWindows = 6;
std::vector<HWND> g_windows;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
  HWND window() { return g_windows.empty() ? nullptr : g_windows[next() % g_windows.size()]; }
};

Reader* g_input = nullptr;
CKtkSkinManager* g_manager = nullptr;
int g_depth = 0;

void Pump(int limit) {
  MSG msg;
  for (int i = 0; i < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Prune() {
  std::vector<HWND> alive;
  for (HWND h : g_windows)
    if (IsWindow(h)) alive.push_back(h);
  g_windows.swap(alive);
}

DWORD StyleOf(uint8_t a, uint8_t b) {
  DWORD style = WS_VISIBLE;
  if (a & 1) style |= WS_CAPTION;
  if (a & 2) style |= WS_THICKFRAME;
  if (a & 4) style |= WS_SYSMENU;
  if (a & 8) style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  if (a & 16) style |= WS_VSCROLL;
  if (a & 32) style |= WS_HSCROLL;
  if (a & 64) style |= WS_MAXIMIZE;
  if (b & 1) style |= WS_BORDER;
  return style;
}

DWORD ExStyleOf(uint8_t b) {
  DWORD ex = 0;
  if (b & 2) ex |= WS_EX_TOOLWINDOW;
  if (b & 4) ex |= WS_EX_CLIENTEDGE;
  if (b & 8) ex |= WS_EX_CONTEXTHELP;
  if (b & 16) ex |= WS_EX_LEFTSCROLLBAR;
  return ex;
}

// A point near one of the window's edges or inside it, on the screen.
POINT PointOn(HWND h, Reader& in) {
  RECT box{};
  GetWindowRect(h, &box);
  const int x = static_cast<int8_t>(in.next()), y = static_cast<int8_t>(in.next());
  const uint8_t corner = in.next() % 4;
  return POINT{(corner & 1 ? box.right : box.left) + x, (corner & 2 ? box.bottom : box.top) + y};
}

void Step(Reader& in, bool insideLoop) {
  switch (in.next() % 12) {
    case 0: {
      if (g_windows.size() >= kMaxWindows) break;
      const uint8_t a = in.next(), b = in.next();
      HWND h = CreateWindowExW(ExStyleOf(b), u"KtkFuzzFrame", u"Frame", StyleOf(a, b), in.next(), in.next(),
                               20 + in.next(), 20 + in.next(), nullptr, nullptr, nullptr, nullptr);
      if (h) {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, in.next(), in.next(), in.next(), 0};
        SetScrollInfo(h, SB_VERT, &si, TRUE);
        SetScrollInfo(h, SB_HORZ, &si, TRUE);
        g_windows.push_back(h);
      }
      break;
    }
    case 1:
      DestroyWindow(in.window());
      break;
    case 2:
    case 3: {
      HWND h = in.window();
      if (!h) break;
      const POINT p = PointOn(h, in);
      Kx2InjectMouseMove(p.x, p.y);
      break;
    }
    case 4:
      Kx2InjectMouseButton(VK_LBUTTON, in.next() & 1);
      break;
    case 5:
      Kx2ClockAdvance(in.next() * 4);
      break;
    case 6:
      SetWindowPos(in.window(), nullptr, 0, 0, in.next() * 2, in.next() * 2, SWP_NOMOVE | SWP_NOZORDER);
      break;
    case 7: {
      HWND h = in.window();
      if (!h) break;
      const uint8_t a = in.next(), b = in.next();
      SetWindowLongW(h, GWL_STYLE, static_cast<LONG>(StyleOf(a, b)));
      SetWindowLongW(h, GWL_EXSTYLE, static_cast<LONG>(ExStyleOf(b)));
      SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
      break;
    }
    case 8: {
      HWND h = in.window();
      if (!h) break;
      switch (in.next() % 6) {
        case 0:
          SendMessageW(h, WM_NCACTIVATE, in.next() & 1, 0);
          break;
        case 1:
          SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"A rather long title for a small caption"));
          break;
        case 2: {
          HDC screen = GetDC(nullptr);
          HDC dc = CreateCompatibleDC(screen);
          HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 64);
          ReleaseDC(nullptr, screen);
          HGDIOBJ old = SelectObject(dc, bitmap);
          SendMessageW(h, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | (in.next() & PRF_CLIENT));
          SelectObject(dc, old);
          DeleteObject(bitmap);
          DeleteDC(dc);
          break;
        }
        case 3: {
          static const UINT commands[] = {SC_MINIMIZE, SC_RESTORE, 0xF030, SC_MOVE, SC_KEYMENU};
          SendMessageW(h, WM_SYSCOMMAND, commands[in.next() % 5], 0);
          break;
        }
        case 4: {
          MINMAXINFO info{};
          SendMessageW(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
          break;
        }
        default:
          RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
          break;
      }
      break;
    }
    case 9:
      if (insideLoop) break;  // the skin stays while a loop runs on one of its windows
      if (in.next() & 1) {
        g_manager->RemoveSkin();
      } else if (!g_manager->m_enabled) {
        g_manager->m_enabled = TRUE;
        g_manager->OnSkinChanged(FALSE, TRUE);
      }
      break;
    case 10: {
      HWND h = in.window();
      if (!h) break;
      SCROLLINFO si{sizeof si, SIF_ALL, 0, in.next(), in.next(), in.next(), 0};
      SetScrollInfo(h, (in.next() & 1) ? SB_VERT : SB_HORZ, &si, TRUE);
      break;
    }
    default:
      if (!insideLoop) Pump(64);
      break;
  }
  Prune();
}

// A modal loop (caption press, scroll tracking) waits: the next step runs; without more
// input the button goes up and the loop is woken.
BOOL Idle(void*) {
  if (g_input && g_input->more() && g_depth < 64) {
    ++g_depth;
    Step(*g_input, true);
    --g_depth;
  } else {
    Kx2InjectMouseButton(VK_LBUTTON, FALSE);
    ReleaseCapture();
  }
  for (HWND h : g_windows) PostMessageW(h, WM_NULL, 0, 0);
  if (g_windows.empty()) PostQuitMessage(0);
  return TRUE;
}

void Bitmap(const std::string& path, int w, int h, uint32_t seed) {
  const int stride = (w * 3 + 3) & ~3;
  std::vector<uint8_t> bytes(54 + static_cast<size_t>(stride) * h, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  bytes[26] = 1, bytes[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &bytes[54 + static_cast<size_t>(y) * stride + x * 3];
      const bool key = x + y < 3 || (w - 1 - x) + y < 3;  // magenta rounded corners
      p[0] = key ? 255 : static_cast<uint8_t>(seed + x);
      p[1] = key ? 0 : static_cast<uint8_t>(seed * 3 + y);
      p[2] = key ? 255 : static_cast<uint8_t>(seed * 7);
    }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool LoadSkin(CKtkSkinManager& manager) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-frame-input";
  mkdir(folder.c_str(), 0700);
  Bitmap(folder + "/caption.bmp", 40, 48, 10);
  Bitmap(folder + "/edge.bmp", 6, 24, 50);
  Bitmap(folder + "/button.bmp", 18, 144, 90);
  std::ofstream(folder + "/skin.ini")
      << "[SysMetrics]\nCaptionBarHeight = 21\nSmCaptionBarHeight = 15\n"
         "[Window]\nImageLayout = 2\n"
         "[Window.1]\nImageFile = caption.bmp\nImageCount = 2\nSizingMargins = 9, 4, 9, 4\n"
         "[Window.2]\nImageFile = caption.bmp\nImageCount = 2\nSizingMargins = 30, 4, 30, 4\n"
         "[Window.7]\nImageFile = edge.bmp\n[Window.8]\nImageFile = edge.bmp\n[Window.9]\nImageFile = edge.bmp\n"
         "[Window.15]\nImageFile = button.bmp\nImageCount = 8\n[Window.17]\nImageFile = button.bmp\nImageCount = 8\n"
         "[Window.18]\nImageFile = button.bmp\nImageCount = 8\n[Window.19]\nBgType = 1\nFillColor = 1, 2, 3\n"
         "[Scrollbar]\nBgType = 1\nFillColor = 90, 90, 90\nBorderColor = 0, 0, 0\n";
  return manager.LoadSkin(kx2::ToWindowsPath(folder).c_str(), u"skin.ini") != 0;
}

;

// Regions, bitmaps and DCs the frames make and give back.
LONG LiveGdi() {
  return Kx2GdiLiveObjects(OBJ_REGION) + Kx2GdiLiveObjects(OBJ_BITMAP) + Kx2GdiLiveObjects(OBJ_MEMDC) +
         Kx2GdiLiveObjects(OBJ_DC);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CKtkSkinManager* manager = [] {
    CKtkSkinManager* m = KtkSkinManager();
    if (!m || !LoadSkin(*m)) __builtin_trap();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;  // system code: the frame object subclasses it
    wc.lpszClassName = u"KtkFuzzFrame";
    RegisterClassW(&wc);
    Kx2ClockSetManual(TRUE, 1000000);
    // The skin's images load on first use and stay with the skin: load them before counting.
    for (DWORD ex : {DWORD{0}, DWORD{WS_EX_TOOLWINDOW}}) {
      HWND h = CreateWindowExW(ex, u"KtkFuzzFrame", u"Warm", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                               0, 0, 200, 150, nullptr, nullptr, nullptr, nullptr);
      RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
      DestroyWindow(h);
    }
    Pump(1024);
    return m;
  }();
  g_manager = manager;
  if (!manager->m_enabled) {
    manager->m_enabled = TRUE;
    manager->OnSkinChanged(FALSE, TRUE);
  }
  const UINT before = Kx2LiveWindowCount();
  const LONG gdiBefore = LiveGdi();
  Reader in{data, size};
  g_input = &in;
  Kx2SetIdleHandler(&Idle, nullptr);
  for (int steps = 0; in.more() && steps < 128; ++steps) Step(in, false);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  Pump(256);
  Kx2SetIdleHandler(nullptr, nullptr);
  g_input = nullptr;
  for (HWND h : g_windows)
    if (IsWindow(h)) DestroyWindow(h);
  g_windows.clear();
  Pump(1024);
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
  Kx2ResetInput();
  if (Kx2LiveWindowCount() != before) __builtin_trap();
  if (LiveGdi() != gdiBefore) __builtin_trap();
  return 0;
}
