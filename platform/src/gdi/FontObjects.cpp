// Font objects: CreateFontIndirectW and the stock fonts.
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Font.h"

namespace kx2::gdi {
namespace {

std::shared_ptr<Font> MakeFont(const LOGFONTW& lf) {
  auto font = std::make_shared<Font>();
  font->logfont = lf;
  // The face field is bounded: whatever the caller left in it, it ends within 32 units.
  font->logfont.lfFaceName[LF_FACESIZE - 1] = 0;
  return font;
}

std::shared_ptr<Font> NewStock(const char16_t* face, LONG height, LONG weight, BYTE pitch) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = pitch;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  auto font = MakeFont(lf);
  font->stock = true;
  InsertObject(font);
  return font;
}

}  // namespace

std::shared_ptr<Font> StockFont(int index) {
  // Every stock font is a TrueType face: the system fonts are the sans face, the fixed
  // ones its monospaced twin.
  static std::shared_ptr<Font>* fonts = [] {
    auto* f = new std::shared_ptr<Font>[8];
    f[0] = NewStock(u"DejaVu Sans Mono", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN);  // OEM_FIXED_FONT
    f[1] = NewStock(u"DejaVu Sans Mono", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN);  // ANSI_FIXED_FONT
    f[2] = NewStock(u"DejaVu Sans", 16, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);     // ANSI_VAR_FONT
    f[3] = NewStock(u"DejaVu Sans", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);       // SYSTEM_FONT
    f[4] = NewStock(u"DejaVu Sans", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);       // DEVICE_DEFAULT_FONT
    f[5] = nullptr;                                                                // DEFAULT_PALETTE
    f[6] = NewStock(u"DejaVu Sans Mono", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN);  // SYSTEM_FIXED_FONT
    f[7] = NewStock(u"DejaVu Sans", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);    // DEFAULT_GUI_FONT
    return f;
  }();
  if (index < OEM_FIXED_FONT || index > DEFAULT_GUI_FONT) return nullptr;
  return fonts[index - OEM_FIXED_FONT];
}

}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
  return kx2::Guard(HFONT{}, [&]() -> HFONT {
    if (!lplf) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return InsertObject(MakeFont(*lplf));
  });
}

KX2_EXPORT HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                             DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                             DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
  LOGFONTW lf{};
  lf.lfHeight = cHeight;
  lf.lfWidth = cWidth;
  lf.lfEscapement = cEscapement;
  lf.lfOrientation = cOrientation;
  lf.lfWeight = cWeight;
  lf.lfItalic = static_cast<BYTE>(bItalic);
  lf.lfUnderline = static_cast<BYTE>(bUnderline);
  lf.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
  lf.lfCharSet = static_cast<BYTE>(iCharSet);
  lf.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
  lf.lfQuality = static_cast<BYTE>(iQuality);
  lf.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
  for (int i = 0; pszFaceName && pszFaceName[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = pszFaceName[i];
  return CreateFontIndirectW(&lf);
}
