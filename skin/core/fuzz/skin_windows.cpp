// Fuzzes skin objects over a small window tree with a skin loaded: windows made (and so
// attached by the thread hook: skinned frames for windows of classes without a row),
// destroyed, subclassed above the skin by subclassers that do or do not answer the
// un-subclassing message, objects removed and attached again, the skin enabled and
// disabled, messages sent, opt-outs and skin changes, and the user's sequences: mouse and
// keys injected through hit tests and captures, clock steps with timers, placement, showing
// and styles. Modal loops (caption-button presses, menus) are ended by the idle handler.
// After each input every window is gone and no skin object is left in the manager's table.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <kx2/PathMap.h>
#include <win/afx.h>
#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_object.h"

namespace {

constexpr size_t kMaxWindows = 10;
std::vector<HWND> g_windows;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  bool more() const { return at < size; }
  uint8_t next() { return at < size ? data[at++] : 0; }
  HWND window() { return g_windows.empty() ? nullptr : g_windows[next() % g_windows.size()]; }
};

// An application procedure that may opt out of skinning or destroy itself.
LRESULT AppProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  const LONG_PTR mode = GetWindowLongPtrW(h, GWLP_USERDATA);
  if (m == KtkWmQueryState) return mode & 1;
  if (m == WM_USER + 7 && (mode & 2)) {
    DestroyWindow(h);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

// Subclassers above the skin: N 0 passes everything on (and so does not answer), N 1
// cooperates with the un-subclassing protocol.
template <int N>
LRESULT SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  static const char16_t* const names[] = {u"fuzz.skin0", u"fuzz.skin1"};
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(h, names[N]));
  if (N == 1 && m == KtkWmSinkRemoved && reinterpret_cast<WNDPROC>(w) == previous) {
    SetPropW(h, names[N], reinterpret_cast<HANDLE>(l));
    return 1;
  }
  if (m == WM_NCDESTROY) RemovePropW(h, names[N]);
  return previous ? CallWindowProcW(previous, h, m, w, l) : DefWindowProcW(h, m, w, l);
}

}  // namespace

// Routes everything it can: the probe message answers, and one message destroys the window
// from inside the handler.
class CKtkFuzzSkinObject : public CKtkSkinObject {
  DECLARE_DYNCREATE(CKtkFuzzSkinObject)
 public:
  BOOL IsDefWindowProcMessage(UINT message) override { return message == WM_USER + 5; }
  LRESULT OnProbe(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) + 1; }
  LRESULT OnDestroySelf(WPARAM, LPARAM) {
    ::DestroyWindow(m_hWnd);
    return Default();
  }

 protected:
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CKtkFuzzSkinObject, CKtkSkinObject)
BEGIN_MESSAGE_MAP(CKtkFuzzSkinObject, CKtkSkinObject)
ON_MESSAGE(WM_USER + 3, OnProbe)
ON_MESSAGE(WM_USER + 4, OnDestroySelf)
END_MESSAGE_MAP()

namespace {

void Pump(int limit) {
  MSG msg;
  for (int i = 0; i < limit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
}

void Prune() {
  std::vector<HWND> alive;
  for (HWND h : g_windows)
    if (IsWindow(h)) alive.push_back(h);
  g_windows.swap(alive);
}

void Step(CKtkSkinManager& manager, Reader& in) {
  switch (in.next() % 20) {
    case 0: {  // create: a system or an application procedure, or a skinned frame
      if (g_windows.size() >= kMaxWindows) break;
      const uint8_t bits = in.next();
      HWND parent = (bits & 1) ? in.window() : nullptr;
      DWORD style = parent && (bits & 2) ? WS_CHILD : (bits & 64) ? WS_POPUP | WS_BORDER : WS_OVERLAPPEDWINDOW;
      if (bits & 32) style |= WS_VISIBLE | WS_VSCROLL;
      const DWORD exStyle = (bits & 128) ? WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE : 0;
      static const char16_t* const classes[] = {u"KtkFuzzSkinSys", u"KtkFuzzSkinApp", u"KtkFuzzSkinFrame",
                                                u"KtkFuzzSkinFrame"};
      HWND h = CreateWindowExW(exStyle, classes[(bits >> 2) & 3], u"w", style, in.next(), in.next(), 20 + in.next(),
                               20 + in.next(), parent, nullptr, nullptr, nullptr);
      if (h) {
        SetWindowLongPtrW(h, GWLP_USERDATA, in.next() & 3);
        g_windows.push_back(h);
      }
      break;
    }
    case 1:
      DestroyWindow(in.window());
      break;
    case 2: {  // a subclasser above whatever is there
      HWND h = in.window();
      const int which = in.next() & 1;
      const char16_t* name = which ? u"fuzz.skin1" : u"fuzz.skin0";
      if (!h || GetPropW(h, name)) break;
      WNDPROC proc = which ? &SubclassProc<1> : &SubclassProc<0>;
      SetPropW(h, name, reinterpret_cast<HANDLE>(SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc))));
      break;
    }
    case 3:
      manager.Remove(in.window());
      break;
    case 4: {  // attached again, outside creation, perhaps always subclassing
      HWND h = in.window();
      if (!h || manager.Lookup(h)) break;
      manager.SetHook(h, (in.next() & 1) ? u"KtkFuzzSkinSys" : u"KtkFuzzSkinAlways", nullptr, FALSE);
      break;
    }
    case 5:
      manager.m_enabled = in.next() & 1;
      break;
    case 6: {
      static const UINT messages[] = {WM_USER + 3, WM_USER + 4, WM_USER + 5, WM_USER + 7,
                                      WM_SETTEXT,  WM_COMMAND,  WM_ACTIVATE, WM_TIMER};
      HWND h = in.window();
      const UINT m = messages[in.next() % std::size(messages)];
      SendMessageW(h, m, in.next(), m == WM_SETTEXT ? reinterpret_cast<LPARAM>(u"t") : 0);
      break;
    }
    case 7:
      SendMessageW(in.window(), KtkWmUpdateState, 0, 0);
      break;
    case 8:
      manager.OnSkinChanged(in.next() & 1, in.next() & 1);
      break;
    case 9:
      SetWindowLongPtrW(in.window(), GWLP_USERDATA, in.next() & 3);
      break;
    case 10:
      PostMessageW(in.window(), WM_USER + 3, in.next(), 0);
      break;
    case 11: {  // the mouse and keys, through hit tests and captures
      const uint8_t kind = in.next();
      if (kind & 1)
        Kx2InjectMouseMove(in.next(), in.next());
      else if (kind & 2)
        Kx2InjectMouseButton(kind & 4 ? VK_RBUTTON : VK_LBUTTON, (kind & 8) != 0);
      else
        Kx2InjectKey((kind & 16) ? VK_MENU : in.next() % 0x80 + 1, (kind & 8) != 0);
      break;
    }
    case 12:  // time passes: hot-tracking and repaint timers fire
      Kx2ClockAdvance(in.next() * 8);
      Pump(64);
      break;
    case 13:
      SetWindowPos(in.window(), nullptr, in.next() - 128, in.next() - 128, in.next(), in.next(),
                   (in.next() | (in.next() << 8)) | SWP_NOZORDER);
      break;
    case 14:
      ShowWindow(in.window(), in.next() % 12);
      break;
    case 15: {  // styles the frame reads: caption, frame, tool window, scroll bars
      static const DWORD styles[] = {
          WS_CAPTION, WS_THICKFRAME, WS_SYSMENU, WS_VSCROLL | WS_HSCROLL, WS_BORDER, WS_MAXIMIZEBOX | WS_MINIMIZEBOX};
      HWND h = in.window();
      const DWORD bit = styles[in.next() % std::size(styles)];
      SetWindowLongW(h, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE)) ^ bit));
      SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
      break;
    }
    case 16: {  // the frame's own messages that carry no record
      static const UINT messages[] = {WM_NCPAINT,      WM_NCACTIVATE, WM_NCHITTEST, WM_NCMOUSEMOVE,
                                      WM_NCMOUSELEAVE, WM_SETTEXT,    WM_SETICON};
      HWND h = in.window();
      const UINT m = messages[in.next() % std::size(messages)];
      if (m == WM_SETTEXT)
        SendMessageW(h, m, 0, reinterpret_cast<LPARAM>(u"caption"));
      else
        SendMessageW(h, m, in.next() & 1, MAKELPARAM(in.next(), in.next()));
      break;
    }
    case 17: {
      static const WPARAM commands[] = {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE, SC_CLOSE};
      SendMessageW(in.window(), WM_SYSCOMMAND, commands[in.next() % 4], 0);
      break;
    }
    default:
      Pump(64);
      break;
  }
  Prune();
}

// A bottom-up 24-bit bitmap: a frame strip whose top-left corners are magenta (cut away).
void WriteBitmap(const std::string& path, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  std::vector<uint8_t> bytes(54 + static_cast<size_t>(stride) * height, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'B', bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bytes[26] = 1, bytes[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &bytes[54 + static_cast<size_t>(height - 1 - y) * stride + x * 3];
      const bool key = x + (y % (height / 2)) < 4;
      p[0] = key ? 255 : 40, p[1] = key ? 0 : 90, p[2] = key ? 255 : static_cast<uint8_t>(y * 4);
    }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A small folder skin with a shaped caption, edges and caption buttons, loaded once.
bool LoadSkin(CKtkSkinManager& manager) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-skin-windows";
  mkdir(folder.c_str(), 0700);
  WriteBitmap(folder + "/caption.bmp", 40, 48);
  WriteBitmap(folder + "/edge.bmp", 4, 16);
  std::ofstream(folder + "/skin.ini")
      << "[SysMetrics]\r\nCaptionBarHeight = 22\r\nWindow = 10, 20, 30\r\n"
         "[Window]\r\nImageLayout = 2\r\n"
         "[Window.1]\r\nImageFile = caption.bmp\r\nImageCount = 2\r\nTransparent = true\r\n"
         "SizingMargins = 8, 0, 8, 0\r\n"
         "[Window.2]\r\nImageFile = caption.bmp\r\nImageCount = 2\r\nTransparent = true\r\n"
         "[Window.7]\r\nImageFile = edge.bmp\r\n[Window.8]\r\nImageFile = edge.bmp\r\n"
         "[Window.9]\r\nImageFile = edge.bmp\r\n"
         "[Window.18]\r\nBgType = 1\r\nFillColor = 0, 0, 255\r\n"
         "[Window.15]\r\nImageFile = edge.bmp\r\nImageCount = 4\r\n";
  return manager.LoadSkin(kx2::ToWindowsPath(folder).c_str(), u"skin.ini") != 0;
}

// A modal loop about to wait (a caption button held, a menu) lets go and ends.
BOOL EndModalLoops(void*) {
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  ReleaseCapture();
  EndMenu();
  return TRUE;
}

}  // namespace

// The registry's row for the always-subclassing object needs a run-time class of its own.
class CKtkFuzzAlwaysSkinObject : public CKtkFuzzSkinObject {
  DECLARE_DYNCREATE(CKtkFuzzAlwaysSkinObject)
 public:
  CKtkFuzzAlwaysSkinObject() { m_bAlwaysSubclass = TRUE; }
};
IMPLEMENT_DYNCREATE(CKtkFuzzAlwaysSkinObject, CKtkFuzzSkinObject)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CKtkSkinManager* manager = [] {
    CKtkSkinManager* m = KtkSkinManager();
    if (!m || !LoadSkin(*m)) __builtin_trap();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"KtkFuzzSkinSys";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &AppProc;
    wc.lpszClassName = u"KtkFuzzSkinApp";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &DefWindowProcW;  // no row: the application frame skins it
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = u"KtkFuzzSkinFrame";
    RegisterClassW(&wc);
    m->RegisterObjectClass(u"KtkFuzzSkinSys", RUNTIME_CLASS(CKtkFuzzSkinObject));
    m->RegisterObjectClass(u"KtkFuzzSkinApp", RUNTIME_CLASS(CKtkFuzzAlwaysSkinObject));
    m->RegisterObjectClass(u"KtkFuzzSkinAlways", RUNTIME_CLASS(CKtkFuzzAlwaysSkinObject));
    return m;
  }();
  const UINT before = Kx2LiveWindowCount();
  manager->m_enabled = TRUE;
  Kx2ClockSetManual(TRUE, 1000);
  Kx2SetIdleHandler(&EndModalLoops, nullptr);
  Reader in{data, size};
  for (int steps = 0; in.more() && steps < 256; ++steps) Step(*manager, in);
  for (HWND h : g_windows)
    if (IsWindow(h)) DestroyWindow(h);
  g_windows.clear();
  Kx2ResetInput();
  Pump(1024);
  Kx2SetIdleHandler(nullptr, nullptr);
  Kx2ClockSetManual(FALSE, 0);
  CWnd::DeleteTempMap();  // what MFC's idle time does between messages
  CDC::DeleteTempMap();
  manager->OnSkinChanged(FALSE, TRUE);                // drops the objects of windows whose end they did not see
  if (manager->ObjectCount() != 0) __builtin_trap();  // an object outlived its window
  if (Kx2LiveWindowCount() != before) __builtin_trap();
  return 0;
}
