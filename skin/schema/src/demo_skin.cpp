#include "ornatex/schema/demo_skin.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <kx2/Utf.h>
#include <win/gdi.h>

#include "ornatex/schema/skin_writer.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr COLORREF kGlyph = RGB(255, 255, 255);

// The system-metric colours, by index: a blue-grey scheme, every value unlike the classic
// table's so a picture tells the skin's colour from the system's.
constexpr std::array<COLORREF, 31> kSysColors = {
    RGB(200, 208, 222),  // 0 scroll bar
    RGB(46, 62, 92),     // 1 background
    RGB(38, 92, 166),    // 2 active caption
    RGB(128, 138, 160),  // 3 inactive caption
    RGB(236, 240, 247),  // 4 menu
    RGB(250, 248, 236),  // 5 window
    RGB(28, 38, 58),     // 6 window frame
    RGB(22, 32, 52),     // 7 menu text
    RGB(12, 22, 42),     // 8 window text
    RGB(254, 254, 250),  // 9 caption text
    RGB(70, 110, 170),   // 10 active border
    RGB(150, 158, 176),  // 11 inactive border
    RGB(118, 130, 152),  // 12 application workspace
    RGB(58, 122, 204),   // 13 highlight
    RGB(252, 252, 254),  // 14 highlight text
    RGB(214, 222, 236),  // 15 button face
    RGB(132, 146, 172),  // 16 button shadow
    RGB(142, 142, 154),  // 17 grey text
    RGB(20, 30, 52),     // 18 button text
    RGB(222, 226, 236),  // 19 inactive caption text
    RGB(250, 252, 255),  // 20 button highlight
    RGB(52, 62, 84),     // 21 dark shadow
    RGB(234, 240, 249),  // 22 light
    RGB(24, 24, 40),     // 23 info text
    RGB(255, 250, 206),  // 24 info background
    RGB(186, 190, 200),  // 25 button alternate face
    RGB(20, 90, 220),    // 26 hot tracking
    RGB(90, 140, 210),   // 27 gradient active caption
    RGB(176, 184, 204),  // 28 gradient inactive caption
    RGB(92, 150, 222),   // 29 menu highlight
    RGB(226, 231, 241),  // 30 menu bar
};
constexpr const char16_t* kSysColorNames[31] = {u"Scrollbar",
                                                u"Background",
                                                u"ActiveCaption",
                                                u"InactiveCaption",
                                                u"Menu",
                                                u"Window",
                                                u"WindowFrame",
                                                u"MenuText",
                                                u"WindowText",
                                                u"CaptionText",
                                                u"ActiveBorder",
                                                u"InactiveBorder",
                                                u"AppWorkspace",
                                                u"Highlight",
                                                u"HighlightText",
                                                u"BtnFace",
                                                u"BtnShadow",
                                                u"GrayText",
                                                u"BtnText",
                                                u"InactiveCaptionText",
                                                u"BtnHighlight",
                                                u"DkShadow3d",
                                                u"Light3d",
                                                u"InfoText",
                                                u"InfoBk",
                                                u"ButtonAlternateFace",
                                                u"HotTracking",
                                                u"GradientActiveCaption",
                                                u"GradientInactiveCaption",
                                                u"MenuHilight",
                                                u"MenuBar"};

constexpr COLORREF kActiveEdge = RGB(52, 96, 160), kInactiveEdge = RGB(120, 130, 152);

// One run of parts of a class, all with the same number of states and frame size.
struct PartRun {
  const char16_t* className;  // as written in the INI file
  int firstPart, lastPart;
  int states;
  int width, height;  // of one frame
  int margin;         // sizing margin on every side
};

constexpr PartRun kParts[] = {
    {u"Button", 1, 1, 5, 24, 20, 3},      // push buttons
    {u"Button", 2, 2, 8, 13, 13, 2},      // radio buttons
    {u"Button", 3, 3, 20, 13, 13, 2},     // check boxes, mixed, implicit and excluded states
    {u"Button", 4, 5, 4, 16, 16, 3},      // group boxes, user buttons
    {u"Edit", 1, 6, 7, 16, 16, 2},        //
    {u"ComboBox", 1, 9, 4, 16, 16, 2},    //
    {u"ListBox", 1, 5, 4, 16, 16, 2},     //
    {u"ScrollBar", 1, 1, 20, 16, 16, 3},  // arrows, with the hover states
    {u"ScrollBar", 2, 10, 4, 16, 16, 3},  // thumbs, tracks, grippers, size box
    {u"Tab", 1, 10, 6, 24, 20, 3},        //
    {u"Header", 1, 7, 6, 24, 20, 3},      //
    {u"ListView", 1, 10, 6, 16, 16, 2},   //
    {u"TreeView", 1, 4, 6, 16, 16, 2},    //
    {u"TrackBar", 1, 10, 5, 16, 16, 3},   //
    {u"Progress", 1, 4, 4, 16, 16, 3},    //
    {u"Spin", 1, 4, 4, 16, 16, 3},        //
    {u"Status", 1, 3, 4, 16, 16, 2},      //
    {u"ToolBar", 1, 6, 6, 24, 22, 3},     //
    {u"Menu", 1, 20, 4, 16, 16, 2},       //
};

// The caption buttons: part, and the glyph drawn on it.
enum class Glyph { kClose, kMaximize, kMinimize, kRestore, kHelp };
constexpr std::pair<int, Glyph> kCaptionButtons[] = {
    {15, Glyph::kMinimize}, {16, Glyph::kMinimize}, {17, Glyph::kMaximize}, {18, Glyph::kClose}, {19, Glyph::kClose},
    {20, Glyph::kClose},    {21, Glyph::kRestore},  {22, Glyph::kRestore},  {23, Glyph::kHelp}};
constexpr int kCaptionButtonStates = 8;  // normal, hot, pressed, disabled; then inactive
constexpr int kCaptionButtonSide = 18;

constexpr int kCaptionWidth = 64, kCaptionHeight = 30;
constexpr int kEdgeSide = 4, kEdgeLength = 16;

std::u16string Upper(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return out;
}

COLORREF FromHsv(double hue, double saturation, double value) {
  const double c = value * saturation;
  const double h = std::fmod(hue, 360.0) / 60.0;
  const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  if (h < 1)
    r = c, g = x;
  else if (h < 2)
    r = x, g = c;
  else if (h < 3)
    g = c, b = x;
  else if (h < 4)
    g = x, b = c;
  else if (h < 5)
    r = x, b = c;
  else
    r = c, b = x;
  const double m = value - c;
  auto byte = [m](double v) { return static_cast<BYTE>(std::lround((v + m) * 255.0)); };
  return RGB(byte(r), byte(g), byte(b));
}

COLORREF Darker(COLORREF c) { return RGB(GetRValue(c) * 3 / 5, GetGValue(c) * 3 / 5, GetBValue(c) * 3 / 5); }
COLORREF Lighter(COLORREF c) {
  return RGB(GetRValue(c) + (255 - GetRValue(c)) / 2, GetGValue(c) + (255 - GetGValue(c)) / 2,
             GetBValue(c) + (255 - GetBValue(c)) / 2);
}

// Every (class, part, state) of the skin and its colour: hues a golden angle apart, so
// neighbouring states differ plainly; no colour is used twice, nor is the key or a
// system-metric colour.
class PartColors {
 public:
  PartColors() {
    std::set<COLORREF> used(kSysColors.begin(), kSysColors.end());
    used.insert({kKey, kGlyph, kActiveEdge, kInactiveEdge, Darker(kKey)});
    int next = 0;
    auto take = [&]() {
      for (;;) {
        const int i = next++;
        const COLORREF c = FromHsv(i * 137.508, 0.45 + 0.2 * (i % 3) / 2.0, 0.78 + 0.16 * ((i / 3) % 2));
        if (used.insert(c).second && used.insert(Darker(c)).second) return c;
      }
    };
    for (const PartRun& run : kParts)
      for (int part = run.firstPart; part <= run.lastPart; ++part)
        for (int state = 1; state <= run.states; ++state) colors_[Key(run.className, part, state)] = take();
    for (const auto& [part, glyph] : kCaptionButtons)
      for (int state = 1; state <= kCaptionButtonStates; ++state) colors_[Key(u"WINDOW", part, state)] = take();
  }
  COLORREF Get(std::u16string_view className, int part, int state) const {
    const auto it = colors_.find(Key(className, part, state));
    return it == colors_.end() ? CLR_INVALID : it->second;
  }

 private:
  static std::u16string Key(std::u16string_view className, int part, int state) {
    return Upper(className) + u"." + kx2::Utf8ToUtf16(std::to_string(part)) + u"." +
           kx2::Utf8ToUtf16(std::to_string(state));
  }
  std::map<std::u16string, COLORREF> colors_;
};

const PartColors& Colors() {
  static const PartColors colors;
  return colors;
}

std::u16string Number(int n) { return kx2::Utf8ToUtf16(std::to_string(n)); }
std::u16string ColorText(COLORREF c) {
  return Number(GetRValue(c)) + u", " + Number(GetGValue(c)) + u", " + Number(GetBValue(c));
}
uint32_t Argb(COLORREF c, uint8_t alpha = 255) {
  return (uint32_t{alpha} << 24) | (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
}

// A strip of frames side by side: each frame the state's colour inside a darker border,
// its corner pixels the key.
COLORREF StripPixel(const PartRun& run, int part, int x, int y) {
  const int state = 1 + x / run.width;
  const int fx = x % run.width;
  const bool left = fx == 0, right = fx == run.width - 1, top = y == 0, bottom = y == run.height - 1;
  if ((left || right) && (top || bottom)) return kKey;
  const COLORREF fill = Colors().Get(run.className, part, state);
  return left || right || top || bottom ? Darker(fill) : fill;
}

// Whether the glyph covers (x, y) of a caption button frame (side s): thin white shapes
// inside the middle third.
bool GlyphAt(Glyph glyph, int x, int y, int s) {
  const int lo = s / 3, hi = s - 1 - s / 3;
  if (x < lo || x > hi || y < lo || y > hi) return false;
  const int u = x - lo, v = y - lo, n = hi - lo;
  switch (glyph) {
    case Glyph::kClose:
      return u == v || u == n - v;
    case Glyph::kMaximize:
      return u == 0 || u == n || v == 0 || v == 1 || v == n;
    case Glyph::kMinimize:
      return v >= n - 1;
    case Glyph::kRestore:
      return ((u == 0 || u == n - 2 || v == 2 || v == n) && u <= n - 2 && v >= 2) ||
             ((v == 0 || u == n) && u >= 2 && v <= n - 2);
    case Glyph::kHelp:  // a hook over a dot
      return (v == 0 && u > 0 && u < n) || (u == n && v > 0 && v <= n / 2) || (v == n / 2 && u >= n / 2) ||
             (u == n / 2 && v >= n / 2 && v <= n - 2) || (u == n / 2 && v == n);
  }
  return false;
}

COLORREF CaptionButtonPixel(int part, Glyph glyph, int x, int y) {
  const int s = kCaptionButtonSide;
  const int state = 1 + y / s;
  const int fy = y % s;
  const bool left = x == 0, right = x == s - 1, top = fy == 0, bottom = fy == s - 1;
  // Rounded by two key pixels at each corner.
  if ((left || right) && (top || bottom)) return kKey;
  if ((x == 1 || x == s - 2) && (top || bottom)) return kKey;
  if ((left || right) && (fy == 1 || fy == s - 2)) return kKey;
  const COLORREF fill = Colors().Get(u"WINDOW", part, state);
  if (left || right || top || bottom || ((x == 1 || x == s - 2) && (fy == 1 || fy == s - 2))) return Darker(fill);
  return GlyphAt(glyph, x, fy, s) ? kGlyph : fill;
}

// The caption: two frames of kCaptionWidth x kCaptionHeight stacked, active first; the top
// corners cut round (alpha 0), a lighter first row, a darker last row.
uint32_t CaptionPixel(int x, int y) {
  const bool active = y < kCaptionHeight;
  const int fy = y % kCaptionHeight;
  const int r = kKtkDemoSkinCornerRadius;
  const int cx = x < r ? r : (x >= kCaptionWidth - r ? kCaptionWidth - 1 - r : x);
  if (fy < r && cx != x) {
    const double dx = (x < r ? r - x : x - (kCaptionWidth - 1 - r)) - 0.5, dy = r - fy - 0.5;
    if (dx * dx + dy * dy > r * r) return 0;
  }
  const COLORREF body = KtkDemoSkinCaptionColor(active);
  if (fy == 0) return Argb(Lighter(body));
  if (fy == kCaptionHeight - 1) return Argb(Darker(body));
  return Argb(body);
}

// A side edge: two frames (active, inactive) stacked, kEdgeSide wide, a lighter line on
// the column that meets the client area.
uint32_t SideEdgePixel(int innerColumn, int x, int y) {
  const COLORREF edge = KtkDemoSkinEdgeColor(y < kEdgeLength);
  return Argb(x == innerColumn ? Lighter(edge) : edge);
}

struct Writer {
  CKtkSkinFolderWriter files;
  std::string* failure;
  bool ok = true;
  void Check(bool written, const std::string& name) {
    if (!written && ok) {
      ok = false;
      if (failure) *failure = files.Folder() + "/" + name + ": cannot be written";
    }
  }
};

void Section(std::vector<std::u16string>& ini, const std::u16string& header,
             std::initializer_list<std::u16string> lines) {
  ini.push_back(u"");
  ini.push_back(header);
  ini.insert(ini.end(), lines);
}

}  // namespace

COLORREF KtkDemoSkinPartColor(std::u16string_view className, int part, int state) {
  return Colors().Get(className, part, state);
}

COLORREF KtkDemoSkinCaptionColor(BOOL active) { return active ? kSysColors[2] : kSysColors[3]; }

COLORREF KtkDemoSkinEdgeColor(BOOL active) { return active ? kActiveEdge : kInactiveEdge; }

COLORREF KtkDemoSkinSysColor(int index) {
  return index >= 0 && index < static_cast<int>(kSysColors.size()) ? kSysColors[static_cast<size_t>(index)]
                                                                   : CLR_INVALID;
}

bool KtkWriteDemoSkin(const std::string& folder, std::string* failure) {
  Writer w{CKtkSkinFolderWriter(folder), failure};
  std::vector<std::u16string> ini = {u"; The demo skin, generated by kx2's own code."};

  std::vector<std::u16string> metrics = {u"CaptionBarHeight = 24", u"SmCaptionBarHeight = 18",
                                         u"CaptionFont = DejaVu Sans, 9, bold",
                                         u"SmallCaptionFont = DejaVu Sans, 8, bold", u"MenuFont = DejaVu Sans, 9"};
  for (size_t i = 0; i < kSysColors.size(); ++i)
    metrics.push_back(std::u16string(kSysColorNames[i]) + u" = " + ColorText(kSysColors[i]));
  ini.push_back(u"");
  ini.push_back(u"[SysMetrics]");
  ini.insert(ini.end(), metrics.begin(), metrics.end());

  // The frame: every "WINDOW" image has its frames stacked.
  Section(ini, u"[Window]", {u"ImageLayout = 2"});
  w.Check(w.files.WritePng("Window/Caption.png", kCaptionWidth, 2 * kCaptionHeight, CaptionPixel),
          "Window/Caption.png");
  for (int part : {1, 2, 3, 5})
    Section(ini, u"[Window." + Number(part) + u"]",
            {u"ImageFile = Window\\Caption.png", u"ImageCount = 2",
             u"SizingMargins = 10, " + Number(kKtkDemoSkinCornerRadius + 1) + u", 10, 0"});
  w.Check(w.files.WritePng("Window/FrameLeft.png", kEdgeSide, 2 * kEdgeLength,
                           [](int x, int y) { return SideEdgePixel(kEdgeSide - 1, x, y); }),
          "Window/FrameLeft.png");
  w.Check(w.files.WritePng("Window/FrameRight.png", kEdgeSide, 2 * kEdgeLength,
                           [](int x, int y) { return SideEdgePixel(0, x, y); }),
          "Window/FrameRight.png");
  // The bottom's frames are stacked too: each kEdgeLength wide and kEdgeSide high.
  w.Check(w.files.WritePng("Window/FrameBottom.png", kEdgeLength, 2 * kEdgeSide,
                           [](int x, int y) {
                             const COLORREF edge = KtkDemoSkinEdgeColor(y < kEdgeSide);
                             return Argb(y % kEdgeSide == 0 ? Lighter(edge) : edge);
                           }),
          "Window/FrameBottom.png");
  const std::pair<int, const char16_t*> edges[] = {{7, u"FrameLeft"},  {8, u"FrameRight"},  {9, u"FrameBottom"},
                                                   {10, u"FrameLeft"}, {11, u"FrameRight"}, {12, u"FrameBottom"}};
  for (const auto& [part, file] : edges)
    Section(ini, u"[Window." + Number(part) + u"]",
            {u"ImageFile = Window\\" + std::u16string(file) + u".png", u"ImageCount = 2"});

  for (const auto& [part, glyph] : kCaptionButtons) {
    const std::string file = "Window/Button" + std::to_string(part) + ".bmp";
    const Glyph g = glyph;
    const int p = part;
    w.Check(w.files.WriteBitmap(file, kCaptionButtonSide, kCaptionButtonSide * kCaptionButtonStates,
                                [p, g](int x, int y) { return CaptionButtonPixel(p, g, x, y); }),
            file);
    Section(ini, u"[Window." + Number(part) + u"]",
            {u"ImageFile = Window\\Button" + Number(part) + u".bmp", u"ImageCount = " + Number(kCaptionButtonStates),
             u"Transparent = true", u"TransparentColor = 255, 0, 255", u"SizingMargins = 3, 3, 3, 3"});
  }

  // The controls' parts and the menu's.
  for (const PartRun& run : kParts) {
    const std::u16string name(run.className);
    for (int part = run.firstPart; part <= run.lastPart; ++part) {
      const std::string file = "Parts/" + kx2::Utf16ToUtf8(name) + std::to_string(part) + ".bmp";
      const PartRun* r = &run;
      w.Check(w.files.WriteBitmap(file, run.width * run.states, run.height,
                                  [r, part](int x, int y) { return StripPixel(*r, part, x, y); }),
              file);
      const std::u16string margin = Number(run.margin);
      Section(ini, u"[" + name + u"." + Number(part) + u"]",
              {u"ImageFile = Parts\\" + name + Number(part) + u".bmp", u"ImageCount = " + Number(run.states),
               u"ImageLayout = 1", u"Transparent = true", u"TransparentColor = 255, 0, 255",
               u"SizingMargins = " + margin + u", " + margin + u", " + margin + u", " + margin});
    }
  }
  // A border on the popup's background marks the menu as drawn from the skin.
  Section(ini, u"[Menu.9]", {u"BorderSize = 1"});
  for (const char16_t* name : {u"Button", u"Tab", u"Header", u"ToolBar", u"Menu"})
    Section(ini, u"[" + std::u16string(name) + u"]", {u"TextColor = " + ColorText(kSysColors[18])});

  w.Check(w.files.WriteIni(ini, "demo.ini"), "demo.ini");
  w.Check(
      w.files.WriteIni({u"; The demo skin's colour schemes.", u"[File.Demo]", u"ColorSchemes = Demo"}, "themes.ini"),
      "themes.ini");
  return w.ok;
}
