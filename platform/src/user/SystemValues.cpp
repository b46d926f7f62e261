// System metrics, system parameters and the system colours: the classic look at 96 DPI.
#include <cstring>

#include "kx2/ErrorBoundary.h"
#include "kx2/Screen.h"
#include "gdi/SystemObjects.h"
#include "user/Core.h"
#include "win/gdi.h"
#include "win/user_ncmetrics.h"
#include "win/userres.h"

namespace kx2::user {
namespace {

constexpr int kColors = 31;

// Index: red, green, blue of the classic scheme.
constexpr COLORREF kClassic[kColors] = {RGB(192, 192, 192), RGB(58, 110, 165),  RGB(0, 0, 128),     RGB(128, 128, 128),
                                        RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
                                        RGB(0, 0, 0),       RGB(255, 255, 255), RGB(192, 192, 192), RGB(192, 192, 192),
                                        RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255), RGB(192, 192, 192),
                                        RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
                                        RGB(255, 255, 255), RGB(0, 0, 0),       RGB(223, 223, 223), RGB(0, 0, 0),
                                        RGB(255, 255, 225), RGB(180, 180, 180), RGB(0, 0, 255),     RGB(16, 132, 208),
                                        RGB(181, 181, 181), RGB(0, 0, 128),     RGB(192, 192, 192)};

struct Values {
  std::mutex lock;
  COLORREF colors[kColors];
  HBRUSH brushes[kColors]{};
  UINT border = 1;
  UINT menuShowDelay = 400;
  BOOL dropShadow = TRUE;
  BOOL flatMenu = FALSE;
  NONCLIENTMETRICSW metrics{};
  Values() {
    std::memcpy(colors, kClassic, sizeof colors);
    metrics.cbSize = sizeof metrics;
    metrics.iBorderWidth = 1;
    metrics.iScrollWidth = 16;
    metrics.iScrollHeight = 16;
    metrics.iCaptionWidth = 18;
    metrics.iCaptionHeight = 18;
    metrics.iSmCaptionWidth = 12;
    metrics.iSmCaptionHeight = 15;
    metrics.iMenuWidth = 18;
    metrics.iMenuHeight = 18;
    metrics.iPaddedBorderWidth = 0;
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont, &metrics.lfStatusFont,
                           &metrics.lfMessageFont})
      *font = Font(font == &metrics.lfCaptionFont ? FW_BOLD : FW_NORMAL);
  }
  static LOGFONTW Font(LONG weight) {
    LOGFONTW font{};
    font.lfHeight = -11;
    font.lfWeight = weight;
    font.lfCharSet = ANSI_CHARSET;
    const char16_t face[] = u"Tahoma";
    std::memcpy(font.lfFaceName, face, sizeof face);
    return font;
  }
};

Values& State() {
  static auto* values = new Values;
  return *values;
}

}  // namespace
}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT int GetSystemMetrics(int nIndex) {
  Values& v = State();
  std::lock_guard<std::mutex> guard(v.lock);
  const NONCLIENTMETRICSW& m = v.metrics;
  const int border = static_cast<int>(v.border);
  const RECT primary = Kx2ScreenPrimaryRect(), all = Kx2ScreenVirtualRect();
  const int screenX = primary.right - primary.left, screenY = primary.bottom - primary.top;
  const int frame = 3 + border;  // SM_CXFRAME: the fixed frame plus the sizing border
  switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      return screenX;
    case SM_CYSCREEN:
      return screenY;
    case SM_XVIRTUALSCREEN:
      return all.left;
    case SM_YVIRTUALSCREEN:
      return all.top;
    case SM_CXVIRTUALSCREEN:
      return all.right - all.left;
    case SM_CYVIRTUALSCREEN:
      return all.bottom - all.top;
    case SM_CMONITORS:
      return Kx2ScreenMonitors(nullptr, 0);
    case SM_CYFULLSCREEN:
      return screenY - (m.iCaptionHeight + 1);
    case SM_CXVSCROLL:
    case SM_CXHSCROLL:
    case SM_CXHTHUMB:
      return m.iScrollWidth;
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CYVTHUMB:
      return m.iScrollHeight;
    case SM_CYCAPTION:
      return m.iCaptionHeight + 1;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return frame;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CYMENU:
      return m.iMenuHeight + 1;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_SAMEDISPLAYFORMAT:
      return 1;
    case SM_CMOUSEBUTTONS:
      return 3;
    case SM_CXMIN:
      return 112;
    case SM_CYMIN:
      return m.iCaptionHeight + 1 + 2 * frame;
    case SM_CXSIZE:
      return m.iCaptionWidth;
    case SM_CYSIZE:
      return m.iCaptionHeight;
    case SM_CXMINTRACK:
      return 112;
    case SM_CYMINTRACK:
      return m.iCaptionHeight + 1 + 2 * frame;
    case SM_CXMAXTRACK:
      return screenX + 2 * frame + 12;
    case SM_CYMAXTRACK:
      return screenY + 2 * frame + 12;
    case SM_CXMAXIMIZED:
      return screenX + 2 * frame;
    case SM_CYMAXIMIZED:
      return screenY + 2 * frame;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
    case SM_CXDRAG:
    case SM_CYDRAG:
      return 4;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
      return 75;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXMINSPACING:
      return 160;
    case SM_CYMINSPACING:
      return 24;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CYSMCAPTION:
      return m.iSmCaptionHeight + 1;
    case SM_CXSMSIZE:
      return m.iSmCaptionWidth;
    case SM_CYSMSIZE:
      return m.iSmCaptionHeight;
    case SM_CXMENUSIZE:
      return m.iMenuWidth;
    case SM_CYMENUSIZE:
      return m.iMenuHeight;
    case SM_ARRANGE:
      return 8;
    case SM_CXMINIMIZED:
      return 160;
    case SM_CYMINIMIZED:
      return 24;
    case SM_NETWORK:
      return 3;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
      return 13;
    case SM_CXFOCUSBORDER:
    case SM_CYFOCUSBORDER:
      return 1;
    default:
      return 0;
  }
}

KX2_EXPORT BOOL SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    Values& v = State();
    auto answer = [&](UINT value) {
      if (!pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      std::memcpy(pvParam, &value, sizeof value);
      return TRUE;
    };
    BOOL changed = FALSE;
    {
      std::lock_guard<std::mutex> guard(v.lock);
      switch (uiAction) {
        case SPI_GETNONCLIENTMETRICS: {
          auto* out = static_cast<NONCLIENTMETRICSW*>(pvParam);
          constexpr UINT kOldSize = sizeof(NONCLIENTMETRICSW) - sizeof(int);
          if (!out || (out->cbSize != sizeof(NONCLIENTMETRICSW) && out->cbSize != kOldSize)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
          }
          const UINT size = out->cbSize;
          std::memcpy(out, &v.metrics, size);
          out->cbSize = size;
          return TRUE;
        }
        case SPI_SETNONCLIENTMETRICS: {
          auto* in = static_cast<const NONCLIENTMETRICSW*>(pvParam);
          if (!in || in->cbSize < sizeof(NONCLIENTMETRICSW) - sizeof(int)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
          }
          std::memcpy(&v.metrics, in, in->cbSize);
          v.metrics.cbSize = sizeof v.metrics;
          changed = TRUE;
          break;
        }
        case SPI_GETICONTITLELOGFONT: {
          if (!pvParam || (uiParam != 0 && uiParam < sizeof(LOGFONTW))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
          }
          LOGFONTW font = Values::Font(FW_NORMAL);
          const char16_t face[] = u"DejaVu Sans";
          std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
          std::memcpy(font.lfFaceName, face, sizeof face);
          font.lfHeight = -12;
          std::memcpy(pvParam, &font, sizeof font);
          return TRUE;
        }
        case SPI_GETBORDER:
          return answer(v.border);
        case SPI_SETBORDER:
          v.border = uiParam ? uiParam : 1;
          changed = TRUE;
          break;
        case SPI_GETMENUSHOWDELAY:
          return answer(v.menuShowDelay);
        case SPI_SETMENUSHOWDELAY:
          v.menuShowDelay = uiParam;
          changed = TRUE;
          break;
        case SPI_GETDROPSHADOW:
          return answer(static_cast<UINT>(v.dropShadow));
        case SPI_SETDROPSHADOW:
          v.dropShadow = pvParam ? TRUE : FALSE;
          changed = TRUE;
          break;
        case SPI_GETFLATMENU:
          return answer(static_cast<UINT>(v.flatMenu));
        case SPI_SETFLATMENU:
          v.flatMenu = pvParam ? TRUE : FALSE;
          changed = TRUE;
          break;
        case SPI_GETWORKAREA: {
          if (!pvParam) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
          }
          const RECT area = Kx2ScreenPrimaryRect();
          std::memcpy(pvParam, &area, sizeof area);
          return TRUE;
        }
        case SPI_GETKEYBOARDDELAY:
          return answer(1);
        case SPI_GETKEYBOARDSPEED:
          return answer(31);
        case SPI_GETMOUSEHOVERWIDTH:
        case SPI_GETMOUSEHOVERHEIGHT:
          return answer(4);
        case SPI_GETMOUSEHOVERTIME:
          return answer(400);
        case SPI_GETWHEELSCROLLLINES:
          return answer(3);
        case SPI_GETKEYBOARDCUES:
        case SPI_GETACTIVEWINDOWTRACKING:
        case SPI_GETSCREENREADER:
        case SPI_GETHIGHCONTRAST:  // a HIGHCONTRASTW would be needed; no program here asks
          if (uiAction == SPI_GETHIGHCONTRAST) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
          }
          return answer(FALSE);
        case SPI_GETDRAGFULLWINDOWS:
        case SPI_GETMENUANIMATION:
        case SPI_GETCOMBOBOXANIMATION:
        case SPI_GETLISTBOXSMOOTHSCROLLING:
        case SPI_GETGRADIENTCAPTIONS:
        case SPI_GETHOTTRACKING:
        case SPI_GETMENUFADE:
        case SPI_GETSELECTIONFADE:
        case SPI_GETTOOLTIPANIMATION:
        case SPI_GETTOOLTIPFADE:
        case SPI_GETCURSORSHADOW:
        case SPI_GETUIEFFECTS:
        case SPI_GETCLIENTAREAANIMATION:
        case SPI_GETFONTSMOOTHING:
        case SPI_GETSHOWIMEUI:
          return answer(TRUE);
        default:
          SetLastError(ERROR_INVALID_PARAMETER);
          return FALSE;
      }
    }
    if (changed && (fWinIni & SPIF_SENDCHANGE)) {
      PostMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, uiAction, 0);
    }
    return TRUE;
  });
}

KX2_EXPORT DWORD GetSysColor(int nIndex) {
  if (nIndex < 0 || nIndex >= kColors) return 0;
  std::lock_guard<std::mutex> guard(State().lock);
  return State().colors[nIndex];
}

KX2_EXPORT HBRUSH GetSysColorBrush(int nIndex) {
  return kx2::Guard(HBRUSH{nullptr}, [&]() -> HBRUSH {
    if (nIndex < 0 || nIndex >= kColors) return nullptr;
    Values& v = State();
    std::lock_guard<std::mutex> guard(v.lock);
    // Shared by every caller: DeleteObject leaves it alone.
    if (!v.brushes[nIndex]) v.brushes[nIndex] = kx2::gdi::CreateSystemBrush(v.colors[nIndex]);
    return v.brushes[nIndex];
  });
}

KX2_EXPORT BOOL SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (cElements < 0 || (cElements && (!lpaElements || !lpaRgbValues))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    {
      std::lock_guard<std::mutex> guard(State().lock);
      for (int i = 0; i < cElements; ++i) {
        const int index = lpaElements[i];
        if (index < 0 || index >= kColors) continue;
        State().colors[index] = lpaRgbValues[i] & 0xFFFFFF;
        // The old brush stays valid for whoever holds it; the next request makes a new one.
        State().brushes[index] = nullptr;
      }
    }
    std::vector<HWND> tops;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      for (Window* w : DesktopLocked()->children)
        if (!w->messageOnly) tops.push_back(w->handle);
    }
    for (HWND h : tops)
      if (IsWindow(h)) SendMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
  });
}
