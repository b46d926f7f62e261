// Fuzzes skin objects over a small window tree with a skin loaded: windows made (and so
// attached by the thread hook), destroyed, subclassed above the skin by subclassers that do
// or do not answer the un-subclassing message, objects removed and attached again, the
// skin enabled and disabled, messages sent, opt-outs and skin changes. After each input
// every window is gone and no skin object is left in the manager's table.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <kx2/IdleHandler.h>
#include <kx2/PathMap.h>
#include <win/afx.h>
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
  switch (in.next() % 12) {
    case 0: {  // create: a system or an application procedure, top-level or child
      if (g_windows.size() >= kMaxWindows) break;
      const uint8_t bits = in.next();
      HWND parent = (bits & 1) ? in.window() : nullptr;
      const DWORD style = parent && (bits & 2) ? WS_CHILD : WS_OVERLAPPEDWINDOW;
      HWND h = CreateWindowExW(0, (bits & 4) ? u"KtkFuzzSkinApp" : u"KtkFuzzSkinSys", u"w", style, 0, 0, 50, 50, parent,
                               nullptr, nullptr, nullptr);
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
    default:
      Pump(64);
      break;
  }
  Prune();
}

// A small folder skin, loaded once.
bool LoadSkin(CKtkSkinManager& manager) {
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-skin-windows";
  mkdir(folder.c_str(), 0700);
  std::ofstream(folder + "/skin.ini") << "[SysMetrics]\r\nCaptionBarHeight = 22\r\nWindow = 10, 20, 30\r\n"
                                         "[Window.1]\r\nFillColor = 1, 2, 3\r\n";
  return manager.LoadSkin(kx2::ToWindowsPath(folder).c_str(), u"skin.ini") != 0;
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
    m->RegisterObjectClass(u"KtkFuzzSkinSys", RUNTIME_CLASS(CKtkFuzzSkinObject));
    m->RegisterObjectClass(u"KtkFuzzSkinApp", RUNTIME_CLASS(CKtkFuzzAlwaysSkinObject));
    m->RegisterObjectClass(u"KtkFuzzSkinAlways", RUNTIME_CLASS(CKtkFuzzAlwaysSkinObject));
    return m;
  }();
  const UINT before = Kx2LiveWindowCount();
  manager->m_enabled = TRUE;
  Reader in{data, size};
  for (int steps = 0; in.more() && steps < 256; ++steps) Step(*manager, in);
  for (HWND h : g_windows)
    if (IsWindow(h)) DestroyWindow(h);
  g_windows.clear();
  Pump(1024);
  manager->OnSkinChanged(FALSE, TRUE);                // drops the objects of windows whose end they did not see
  if (manager->ObjectCount() != 0) __builtin_trap();  // an object outlived its window
  if (Kx2LiveWindowCount() != before) __builtin_trap();
  return 0;
}
