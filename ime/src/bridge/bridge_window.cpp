// The bridge window and the start of the bridge.
#include <new>

#include <kx2/ErrorBoundary.h>
#include <win/gdi.h>
#include <win/nls.h>
#include <win/user_paint.h>
#include <win/userres.h>

#include "bridge/bridge_state.h"
#include "bridge/module_entry.h"
#include "dispatch/control.h"
#include "dispatch/languages.h"
#include "openclose/korean_probe.h"
#include "openclose/open_close.h"

namespace quel {
namespace {

constexpr char16_t kClassName[] = u"_KX2IMECLASS_";
constexpr UINT kClassStyle = CS_IME | CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
static_assert(kClassStyle == 0x1400B);

LRESULT CALLBACK BridgeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Bridge& b = TheBridge();
  if (b.disabled) return 0;
  switch (message) {
    case WM_CREATE: {
      b.window = window;
      b.block = new (std::nothrow) tagImeWindowBlock{};
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(b.block));
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATEANDEAT;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

int32_t CountryCode(UINT codePage) {
  switch (codePage) {
    case 932:
      return 81;
    case 936:
      return 86;
    case 949:
      return 82;
    case 950:
      return 886;
    default:
      return 0;
  }
}

void FillSystemInformation(HWND hostWindow) {
  if (InfoFilled()) return;
  InfoFilled() = true;
  tagImeSystemInfo& info = Info();
  info = tagImeSystemInfo{};
  info.koreanInputMethod = ProbeKoreanInputMethod();
  info.ansiCodePage = GetACP();
  info.activeCodePage = GetACP();
  info.countryCode = CountryCode(info.ansiCodePage);
  info.inputContext = reinterpret_cast<HIMC>(uintptr_t{1});
  info.keyboardLayout = GetKeyboardLayout(0);
  info.conversionMode = IME_CMODE_NATIVE | IME_CMODE_ROMAN;
  info.sentenceMode = IME_SMODE_AUTOMATIC;
  info.imeProperty = ImmGetProperty(info.keyboardLayout, IGP_PROPERTY);
  info.openClose = ChooseOpenCloseProc();
  HIMC context = ImmGetContext(hostWindow);
  if (!context) return;
  info.inputContext = context;
  info.imeProperty = ImmGetProperty(info.keyboardLayout, IGP_PROPERTY);
  DWORD conversion = 0, sentence = 0;
  ImmGetConversionStatus(context, &conversion, &sentence);
  ImmSetConversionStatus(context, IME_CMODE_NATIVE | IME_CMODE_ROMAN, sentence);
  info.sentenceMode = sentence;
  ImmReleaseContext(hostWindow, context);
}

HWND MakeBridgeWindow() {
  WNDCLASSW wc{};
  wc.style = kClassStyle;
  wc.lpfnWndProc = &BridgeProc;
  wc.cbWndExtra = 4;
  wc.hInstance = QuelInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);  // already registered by an earlier bridge: fine
  return CreateWindowExW(WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW, kClassName, u"", WS_POPUP | WS_DLGFRAME, 0, 0, 0, 0,
                         GetDesktopWindow(), nullptr, QuelInstance(), nullptr);
}

}  // namespace

void UnregisterBridgeClass() { UnregisterClassW(kClassName, QuelInstance()); }

}  // namespace quel

using namespace quel;

QUEL_API HWND _ExpImPrepare(HWND mainEditWindow) {
  return kx2::Guard(HWND{nullptr}, [&]() -> HWND {
    Bridge& b = TheBridge();
    if (b.window && IsWindow(b.window)) return b.window;
    if (b.window) ShutDownBridge();  // its window went without a shutdown
    b.thread = GetCurrentThreadId();
    HWND window = MakeBridgeWindow();
    if (!window) {
      b = Bridge{};
      return nullptr;
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    _ExpImRelease(window);
    auto* state = new (std::nothrow) tagImeInputState{};
    if (!state) return window;
    FillSystemInformation(mainEditWindow);
    if (!b.block) {
      delete state;
      return window;
    }
    state->languageWord = 0xFFFFFFFFu;
    b.block->slots[0] = state;
    _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x40008, kSystemMethod);
    return window;
  });
}

QUEL_API tagImeSystemInfo* _ExpImSystemInformation() { return &Info(); }

QUEL_API HWND _ExpImGetParentWnd() { return TheBridge().served; }

QUEL_API int _ExpImGetEventMessages(int a, int b, int c, int* out) { return 0; }
