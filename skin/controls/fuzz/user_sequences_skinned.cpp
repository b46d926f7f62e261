// The window core's user sequences played with a skin loaded: the windows get skinned
// frames, and every control class the skin objects serve (buttons, edits, list and combo
// boxes, scroll bars, statics, MDI clients and the common controls: toolbars, tabs,
// headers, list and tree views, trackbars, progress bars, spins, status bars, date-time
// pickers, calendars) is made, sent its messages, pointed at, pressed and painted through
// its skin object, the skin switched off and on between. After each input every window is
// gone and no region or DC is left.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <kx2/GdiCairo.h>
#include <kx2/PathMap.h>
#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>
#include <win/user_lists.h>

#include "../../../platform/fuzz/user_sequences_driver.h"
#include "ornatex/core/skin_manager.h"

namespace {

using user_sequences::g_windows;
using user_sequences::kMaxWindows;
using user_sequences::Reader;

CKtkSkinManager* g_manager = nullptr;
std::u16string g_skinFolder;

void Bitmap(const std::string& path, int w, int h, int seed) {
  const int stride = (w * 3 + 3) & ~3;
  std::string bytes(54 + static_cast<size_t>(stride) * h, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
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
      char* p = &bytes[54 + static_cast<size_t>(y) * stride + x * 3];
      p[0] = static_cast<char>(seed + x), p[1] = static_cast<char>(seed * 3 + y), p[2] = static_cast<char>(seed * 7);
    }
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A skin with parts in every state for the classes the control objects draw, some filled
// with a colour and some from image strips, and the tab body texture of property pages.
std::u16string WriteSkin() {
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-user-sequences-skinned";
  mkdir(folder.c_str(), 0700);
  Bitmap(folder + "/strip.bmp", 20, 120, 40);
  Bitmap(folder + "/caption.bmp", 40, 48, 10);
  std::string ini =
      "[SysMetrics]\nCaptionBarHeight = 21\nWindow = 250, 250, 240\nBtnFace = 220, 210, 200\n"
      "[Window]\nImageLayout = 2\n[Window.1]\nImageFile = caption.bmp\nImageCount = 2\nSizingMargins = 9, 4, 9, 4\n"
      "[Tab.10]\n3007:1 = strip.bmp\n";
  const char* classes[] = {"Button",    "Toolbar",  "Tab",  "Header",  "TrackBar", "Progress", "Spin",
                           "Scrollbar", "ComboBox", "Edit", "ListBox", "ListView", "TreeView"};
  for (const char* c : classes)
    for (int part = 0; part <= 10; ++part) {
      if (part % 3 == 1) {
        ini += std::string("[") + c + "." + std::to_string(part) +
               "]\nImageFile = strip.bmp\nImageCount = 6\n"
               "SizingMargins = 3, 3, 3, 3\nImageLayout = 2\n";
        continue;
      }
      for (int state = 0; state <= 6; state += 2)
        ini += std::string("[") + c + "." + std::to_string(part) + "(" + std::to_string(state) +
               ")]\nBgType = 1\nBorderSize = 1\nFillColor = " + std::to_string(part * 20) + ", " +
               std::to_string(state * 30) + ", 90\nBorderColor = 0, 0, 0\n";
    }
  std::ofstream(folder + "/skin.ini") << ini;
  return kx2::ToWindowsPath(folder);
}

struct UserClass {
  const char16_t* name;
  DWORD styles;
};
constexpr UserClass kUserClasses[] = {
    {u"Button", 0x0000FFFF},   {u"Edit", 0x0000FFFF},  {u"ListBox", 0x0000FFFF},
    {u"ComboBox", 0x0000FFFF}, {u"ScrollBar", 0x001F}, {u"Static", 0x0000FFFF},
};

void CreateUserControl(Reader& in) {
  if (g_windows.size() >= kMaxWindows) return;
  HWND parent = (in.next() & 1) ? in.window() : nullptr;
  const UserClass& c = kUserClasses[in.next() % std::size(kUserClasses)];
  const DWORD own = static_cast<DWORD>(in.next() | in.next() << 8) & c.styles;
  const DWORD style = own | (parent ? WS_CHILD : WS_POPUP) | ((in.next() & 1) ? WS_VISIBLE : 0) |
                      ((in.next() & 1) ? WS_VSCROLL | WS_HSCROLL : 0);
  const DWORD exStyle = (in.next() & 1) ? WS_EX_CLIENTEDGE : 0;
  if (HWND h = CreateWindowExW(exStyle, c.name, u"Text", style, in.next(), in.next(), in.next(), in.next() / 2, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(in.next())), nullptr, nullptr))
    g_windows.push_back(h);
}

void SendUserMessage(Reader& in) {
  static const char16_t* const texts[] = {u"", u"one", u"a longer item text", u"&Mnemonic"};
  HWND h = in.window();
  const int a = static_cast<int8_t>(in.next()), b = in.next();
  const LPARAM text = reinterpret_cast<LPARAM>(texts[b % std::size(texts)]);
  switch (in.next() % 19) {
    case 0:
      SendMessageW(h, BM_SETCHECK, static_cast<WPARAM>(a & 3), 0);
      break;
    case 1:
      SendMessageW(h, BM_SETSTATE, a & 1, 0);
      break;
    case 2:
      SendMessageW(h, BM_CLICK, 0, 0);
      break;
    case 3:
      SendMessageW(h, WM_SETTEXT, 0, text);
      break;
    case 4:
      SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(a), b);
      break;
    case 5:  // keys and characters as the focus would get them
      SendMessageW(h, WM_KEYDOWN, static_cast<WPARAM>(VK_PRIOR + (b & 7)), 0);
      break;
    case 6:
      SendMessageW(h, WM_CHAR, static_cast<WPARAM>(u'a' + b % 26), 0);
      break;
    case 7:
      SetFocus(h);
      break;
    case 8: {
      SCROLLINFO info{sizeof info, SIF_ALL, a, a + b, static_cast<UINT>(in.next()), static_cast<int8_t>(in.next()), 0};
      SendMessageW(h, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
      SetScrollInfo(h, (b & 1) ? SB_VERT : SB_HORZ, &info, TRUE);
      break;
    }
    case 9:
      SendMessageW(h, SBM_ENABLE_ARROWS, static_cast<WPARAM>(a & 3), 0);
      break;
    case 10:
      EnableWindow(h, a & 1);
      break;
    case 11:
      SendMessageW(h, WM_CHANGEUISTATE, MAKEWPARAM(1 + (a & 1), b & 3), 0);
      break;
    case 12:
      SendMessageW(h, (b & 1) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(a & 7, in.next()), 0);
      break;
    case 13:
      SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, a * 120), 0);
      break;
    case 14:
      SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
      break;
    case 15:
      SendMessageW(h, WM_MOUSELEAVE, 0, 0);
      break;
    case 16:
      SendMessageW(h, LB_ADDSTRING, 0, text);
      SendMessageW(h, CB_ADDSTRING, 0, text);
      break;
    case 17:
      SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(a), 0);
      SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(a), 0);
      break;
    default:
      SendMessageW(h, CB_SHOWDROPDOWN, a & 1, 0);
      break;
  }
}

// Paints one window through its skin object: WM_PAINT, WM_PRINTCLIENT or WM_PRINT into a
// memory DC, or an erase.
void Paint(Reader& in) {
  HWND h = in.window();
  if (!h) return;
  const uint8_t how = in.next();
  if ((how & 3) == 0) {
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return;
  }
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 300, 200);
  HGDIOBJ old = SelectObject(dc, bitmap);
  switch (how & 3) {
    case 1:
      SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), in.next() & 0x3F);
      break;
    case 2:
      SendMessageW(h, WM_PRINT, reinterpret_cast<WPARAM>(dc), in.next() & 0x3F);
      break;
    default:
      SendMessageW(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      break;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

// The pointer onto a point of one window (most input lands on something), then a press or
// release there.
void PointAt(Reader& in) {
  HWND h = in.window();
  RECT r{};
  if (!h || !GetWindowRect(h, &r)) return;
  const int w = std::max(1, static_cast<int>(r.right - r.left)), ht = std::max(1, static_cast<int>(r.bottom - r.top));
  Kx2InjectMouseMove(r.left + in.next() % w, r.top + in.next() % ht);
  const uint8_t press = in.next();
  if (press & 1) Kx2InjectMouseButton(VK_LBUTTON, (press & 2) != 0);
  user_sequences::Pump(16);
}

void SkinStep(uint8_t op, Reader& in) {
  switch (op % 8) {
    case 0:
      CreateUserControl(in);
      break;
    case 1:
      SendUserMessage(in);
      break;
    case 2:
      Paint(in);
      break;
    case 3:
      PointAt(in);
      break;
    case 4:
      if (in.next() & 1)
        g_manager->RemoveSkin();
      else if (!g_manager->m_enabled)
        g_manager->LoadSkin(g_skinFolder.c_str(), u"skin.ini");
      break;
    case 5:  // an MDI client, whose object skins its frame and children
      user_sequences::Step(0xCE, in);
      break;
    case 6:  // an MDI client's own messages
      user_sequences::Step(0x8E, in);
      break;
    default:  // the common controls' own messages, more often than the core's steps send them
      user_sequences::Step(14, in);
      break;
  }
}

void AnyStep(uint8_t op, Reader& in) {
  if (op >= 0xC0)
    SkinStep(op, in);
  else
    user_sequences::Step(op, in);
}

// A modal loop (a scroll bar's or a button's tracking, a caption drag, a menu) waits: the
// button goes up, the capture goes and Escape is pressed, which ends every one of them. No
// step runs from here: the handler does not run again inside itself, so a loop a step
// started from here would wait for good.
BOOL Idle(void*) {
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  ReleaseCapture();
  Kx2InjectKey(VK_ESCAPE, TRUE);
  Kx2InjectKey(VK_ESCAPE, FALSE);
  for (HWND h : g_windows) PostMessageW(h, WM_NULL, 0, 0);
  return TRUE;
}

// Regions and DCs the objects make and give back (bitmaps are not counted: the skin's
// images load on first use and stay with the skin).
LONG LiveGdi() { return Kx2GdiLiveObjects(OBJ_REGION) + Kx2GdiLiveObjects(OBJ_MEMDC) + Kx2GdiLiveObjects(OBJ_DC); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    g_manager = KtkSkinManager();
    g_skinFolder = WriteSkin();
    return g_manager && g_manager->LoadSkin(g_skinFolder.c_str(), u"skin.ini");
  }();
  if (!ready) __builtin_trap();
  if (!g_manager->m_enabled) g_manager->LoadSkin(g_skinFolder.c_str(), u"skin.ini");
  const LONG gdiBefore = LiveGdi();
  Kx2SetIdleHandler(&Idle, nullptr);
  user_sequences::Play(data, size, &AnyStep);
  Kx2SetIdleHandler(nullptr, nullptr);
  if (LiveGdi() != gdiBefore) __builtin_trap();  // a skin object left a region or DC
  return 0;
}
