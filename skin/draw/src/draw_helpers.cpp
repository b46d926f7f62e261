#include "ornatex/draw/draw_helpers.h"

#include <atomic>
#include <memory>

#include <toolkit/SystemLibrary.h>
#include <win/afx_wnd.h>
#include <win/module.h>
#include <win/user_message.h>
#include <win/user_window.h>
#include <win/userres.h>
#include <kx2/Module.h>

#include "ornatex/draw/dc_guards.h"
#include "process_objects.h"

namespace {

typedef DWORD (*GetLayoutProc)(HDC);
typedef DWORD (*SetLayoutProc)(HDC, DWORD);

std::unique_ptr<CKtkDrawHelpers>& HelpersSlot() {
  static auto* slot = new std::unique_ptr<CKtkDrawHelpers>;  // emptied by the library stop, never destroyed
  return *slot;
}

// A GDI32 entry looked up once per process: not looked up yet, missing (null), or found.
struct CachedEntry {
  const char* name;
  std::atomic<bool> looked{false};
  std::atomic<FARPROC> proc{nullptr};
};

template <class Proc>
Proc Resolve(CachedEntry& entry) {
  if (!entry.looked.load(std::memory_order_acquire)) {
    HMODULE gdi = GetModuleHandleA("GDI32.DLL");
    entry.proc = gdi ? GetProcAddress(gdi, entry.name) : nullptr;
    entry.looked.store(true, std::memory_order_release);
  }
  return kx2::ProcAs<Proc>(entry.proc.load());
}

CachedEntry g_getLayout{"GetLayout"};
CachedEntry g_setLayout{"SetLayout"};

// The standard arrow cursor's resource number.
constexpr WORD kArrowCursor = 32512;

LRESULT PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

char FoldA(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char16_t FoldW(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

CKtkDrawHelpers::CKtkDrawHelpers() {
  m_hMsimg32 = ktk::LoadSystemLibrary(u"msimg32.dll");
  if (!m_hMsimg32) return;
  m_pfnGradientFill = kx2::ProcAs<KtkGradientFillProc>(GetProcAddress(m_hMsimg32, "GradientFill"));
  m_pfnAlphaBlend = kx2::ProcAs<KtkAlphaBlendProc>(GetProcAddress(m_hMsimg32, "AlphaBlend"));
  m_pfnTransparentBlt = kx2::ProcAs<KtkTransparentBltProc>(GetProcAddress(m_hMsimg32, "TransparentBlt"));
}

CKtkDrawHelpers& KtkDrawHelpers() {
  auto& slot = HelpersSlot();
  if (!slot) slot = std::make_unique<CKtkDrawHelpers>();
  return *slot;
}

namespace ornatex {

void ReleaseDrawHelpers() { HelpersSlot().reset(); }

}  // namespace ornatex

BOOL CKtkDrawHelpers::IsDCMirrored(CDC* dc) {
  if (!dc || !dc->GetSafeHdc()) return 0;
  auto getLayout = Resolve<GetLayoutProc>(g_getLayout);
  return getLayout && getLayout(dc->GetSafeHdc()) != 0 ? 1 : 0;
}

void CKtkDrawHelpers::SetDCLayout(CDC* dc, DWORD layout) {
  if (!dc || !dc->GetSafeHdc()) return;
  if (auto setLayout = Resolve<SetLayoutProc>(g_setLayout)) setLayout(dc->GetSafeHdc(), layout);
}

void CKtkDrawHelpers::RemoveAmpersands(std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == u'&') text.erase(i, 1);  // the unit moving into place is skipped
}

void CKtkDrawHelpers::GetWindowTextDirect(HWND window, std::u16string& text) {
  text.clear();
  LRESULT length = DefWindowProcW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return;
  text.resize(static_cast<size_t>(length) + 1);
  LRESULT copied =
      DefWindowProcW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 && static_cast<size_t>(copied) < text.size() ? static_cast<size_t>(copied) : 0);
}

void CKtkDrawHelpers::ScreenToFramePoint(HWND window, POINT& point) {
  RECT r = KtkGetWindowRect(window);
  point.y -= r.top;
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
    point.x = r.right - point.x;
  else
    point.x -= r.left;
}

BOOL CKtkDrawHelpers::RegisterPlainWindowClass(HINSTANCE instance, LPCWSTR className, UINT style, HICON icon,
                                               HBRUSH background) {
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = PlainWindowProc;
  wc.hInstance = instance ? instance : Kx2ThisModule();
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor));
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return AfxRegisterClass(&wc);
}

void CKtkDrawHelpers::FillTriangle(CDC* dc, const POINT points[3], COLORREF color) {
  if (!dc || !dc->GetSafeHdc()) return;
  CKtkPenDC pen(dc->GetSafeHdc(), color);
  CKtkBrushDC brush(dc->GetSafeHdc(), color);
  Polygon(dc->GetSafeHdc(), points, 3);
}

RECT KtkGetWindowRect(HWND window) {
  RECT r{0, 0, 0, 0};
  if (!window || !IsWindow(window) || !GetWindowRect(window, &r)) r = RECT{0, 0, 0, 0};
  return r;
}

RECT KtkGetWindowRect(const CWnd* window) { return window ? KtkGetWindowRect(window->m_hWnd) : RECT{0, 0, 0, 0}; }

RECT KtkGetClientRect(HWND window) {
  RECT r{0, 0, 0, 0};
  if (!window || !IsWindow(window) || !GetClientRect(window, &r)) r = RECT{0, 0, 0, 0};
  return r;
}

RECT KtkGetClientRect(const CWnd* window) { return window ? KtkGetClientRect(window->m_hWnd) : RECT{0, 0, 0, 0}; }

int CompareNoCaseA(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = static_cast<unsigned char>(FoldA(*a)), cb = static_cast<unsigned char>(FoldA(*b));
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
}

int CompareNoCaseW(const char16_t* a, const char16_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const int ca = FoldW(a[i]), cb = FoldW(b[i]);
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
  return 0;
}
