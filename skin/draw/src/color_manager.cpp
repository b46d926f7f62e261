#include "ornatex/draw/color_manager.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include <win/user_system.h>
#include <win/user_window.h>
#include <win/uxtheme.h>

#include "ornatex/core/theme_wrapper.h"
#include "process_objects.h"
#include "weighted_rgb.h"

namespace {

std::unique_ptr<CKtkColorManager>& ManagerSlot() {
  static auto* slot = new std::unique_ptr<CKtkColorManager>;  // emptied by the library stop, never destroyed
  return *slot;
}

COLORREF ScaleChannels(COLORREF c, int k, int m) {
  return RGB(k * GetRValue(c) / m, k * GetGValue(c) / m, k * GetBValue(c) / m);
}

int LargestChannel(COLORREF c) { return std::max({GetRValue(c), GetGValue(c), GetBValue(c)}); }

}  // namespace

CKtkColorManager::CKtkColorManager() {
  std::fill(std::begin(m_custom), std::end(m_custom), KTK_COLOR_NONE);
  ReloadColors();
}

CKtkColorManager& KtkColorManager() {
  auto& slot = ManagerSlot();
  if (!slot) slot = std::make_unique<CKtkColorManager>();
  return *slot;
}

namespace ornatex {

void ReleaseColorManager() { ManagerSlot().reset(); }

}  // namespace ornatex

COLORREF CKtkColorManager::LookupColor(DWORD index) const {
  if (index >= KTK_COLOR_COUNT) return index;
  return m_custom[index] != KTK_COLOR_NONE ? m_custom[index] : m_standard[index];
}

COLORREF CKtkColorManager::MixColors(COLORREF a, COLORREF b, int weight) {
  const int d = weight < 100 ? 100 : 1000;
  const int h = d / 2;
  auto mix = [&](int ca, int cb) { return ((weight * ca + (d - weight) * cb + h) / d) & 0xFF; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

BOOL CKtkColorManager::IsLowColorDisplay(HDC dc) {
  if (dc) return static_cast<unsigned>(GetDeviceCaps(dc, BITSPIXEL) - 1) < 8u;
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  if (!screen) return FALSE;
  const BOOL low = static_cast<unsigned>(GetDeviceCaps(screen, BITSPIXEL) - 1) < 8u;
  ReleaseDC(desktop, screen);
  return low;
}

void CKtkColorManager::ReloadColors() {
  using namespace ornatex::weighted;
  auto c = [&](int i) { return LookupColor(static_cast<DWORD>(i)); };
  COLORREF* t = m_standard;

  // 1. The system colours.
  t[0] = 0;
  for (int i = 1; i <= 29; ++i) t[i] = GetSysColor(i);

  // 2. Derived defaults, from the button face and shadow as they stand now.
  const COLORREF face = c(15), shadow = c(16);
  for (int i : {30, 51, 53, 55, 56}) t[i] = face;
  for (int i : {34, 38, 39, 40, 42, 43, 48, 52, 54, 57, 60, 61}) t[i] = shadow;
  const COLORREF window = c(5), highlight = c(13), grey = c(17);
  for (int i : {31, 36, 41}) t[i] = window;
  for (int i : {32, 33, 37, 50}) t[i] = highlight;
  for (int i : {35, 58}) t[i] = grey;
  t[44] = c(8);
  t[45] = c(7);
  t[46] = c(18);
  t[47] = t[49] = c(14);
  t[59] = 0;

  // 3. A palette display keeps the plain derivations.
  if (IsLowColorDisplay()) return;

  // 4. High contrast.
  const bool highContrast =
      (c(15) == RGB(0, 0, 0) && c(18) == RGB(255, 255, 255)) || (c(15) == RGB(255, 255, 255) && c(18) == RGB(0, 0, 0));
  if (highContrast) {
    for (int i : {31, 36, 50}) t[i] = c(13);
    t[45] = c(14);
    for (int i : {32, 37, 38, 43}) t[i] = c(18);
  } else {
    // 5. Blends, each reading the table as it stands.
    t[30] = MixColors(c(5), c(15), 165);
    t[31] = MixColors(c(13), c(5), 30);
    t[33] = MixColors(c(13), c(5), 50);
    t[41] = MixColors(c(15), c(5), 143);
    t[35] = MixColors(c(17), c(5), 70);
    t[38] = MixColors(c(16), c(5), 75);
    t[39] = MixColors(c(16), c(5), 70);
    t[43] = MixColors(c(46), c(16), 20);
    t[61] = MixColors(c(46), c(16), 15);
    t[40] = MixColors(c(16), c(5), 90);
    t[42] = MixColors(c(15), c(16), 90);
  }

  // 6. The tool face stays near the button face.
  if (FartherThan(c(15), c(30), 35)) t[30] = PullCloser(c(15), c(30), 35);

  // 7. Colours drawn on a face keep their distance from it.
  static const int kPush[][4] = {
      {31, 30, 31, 50},  {32, 30, 13, 100}, {33, 30, 33, 30},  {35, 41, 35, 80},  {37, 33, 37, 100},
      {38, 30, 38, 85},  {39, 30, 39, 50},  {43, 41, 43, 100}, {61, 30, 61, 100}, {40, 30, 40, 80},
      {44, 41, 44, 180}, {45, 31, 45, 180}, {46, 30, 46, 180}, {47, 33, 47, 180},
  };
  for (const auto& row : kPush)
    if (!FartherThan(c(row[1]), c(row[2]), row[3])) t[row[0]] = PushAway(c(row[1]), c(row[2]), row[3]);

  // 8.
  if (FartherThan(c(41), c(35), 145)) t[35] = PullCloser(c(41), c(35), 145);

  // 9.
  if (!highContrast) {
    auto part = [&](int channel30, int channel5, int channel13) {
      return (channel30 * 50 / 100 + channel5 * 40 / 100 + channel13 * 10 / 100) & 0xFF;
    };
    const COLORREF a = c(30), b = c(5), h = c(13);
    t[36] = RGB(part(GetRValue(a), GetRValue(b), GetRValue(h)), part(GetGValue(a), GetGValue(b), GetGValue(h)),
                part(GetBValue(a), GetBValue(b), GetBValue(h)));
  }

  // 10. A brighter face.
  {
    const COLORREF f = c(15);
    const int m = LargestChannel(f);
    if (m == 0)
      t[48] = RGB(0x23, 0x23, 0x23);
    else
      t[48] = ScaleChannels(f, m < 220 ? m + 35 : 255, m);
  }

  // 11. A darker shadow.
  {
    const COLORREF s = c(16);
    const int m = LargestChannel(s);
    if (c(15) == 0)
      t[49] = RGB(0x7F, 0x7F, 0x7F);
    else if (m == 0)
      t[49] = 0;
    else
      t[49] = ScaleChannels(s, std::max(m - 43, 0), m);
  }

  // 12.
  t[34] = RGB(static_cast<int>(GetRValue(t[31]) * 0.75), static_cast<int>(GetGValue(t[31]) * 0.75),
              static_cast<int>(GetBValue(t[31]) * 0.75));

  // 13. The 3-D light.
  {
    const COLORREF f = c(15);
    t[22] = RGB(std::min(GetRValue(f) + 15, 255), std::min(GetGValue(f) + 15, 255), std::min(GetBValue(f) + 15, 255));
  }

  // 14.
  t[53] = c(30);
  t[58] = c(40);
  t[60] = t[40];

  // 15. The visual style's tree-view border, when there is a style.
  CKtkWinThemeWrapper theme;
  if (theme.OpenThemeData(nullptr, u"TREEVIEW")) {
    COLORREF border = 0;
    if (theme.GetThemeColor(0, 0, TMT_BORDERCOLOR, &border) == S_OK) t[57] = border;
  }
}
