// The demo skin: made entirely by this code (no skin made elsewhere is read or shipped), for
// `vantorel skin-make` and for tests that need a whole skin. It holds
//   - the "WINDOW" caption and frame edges as PNG with alpha, the caption's top corners
//     rounded (transparent), active and inactive frames stacked;
//   - the caption buttons as BMP strips keyed with magenta, one frame per state with a
//     white glyph in the middle;
//   - a BMP strip for every part of the classes the demo dialog shows ("BUTTON", "EDIT",
//     "COMBOBOX", "LISTBOX", "SCROLLBAR", "TAB", "HEADER", "LISTVIEW", "TREEVIEW",
//     "TRACKBAR", "PROGRESS", "SPIN", "STATUS", "TOOLBAR") and "MENU", each state a colour
//     of its own, framed by a one-pixel darker border with magenta corner pixels;
//   - the 31 system-metric colours, caption heights and fonts under "SysMetrics".
// Its INI file is "demo.ini"; "themes.ini" names it, so its module package (made by
// KtkPackSkinFolder) opens with an empty INI name.
#pragma once

#include <string>
#include <string_view>

#include <win/types.h>

#include "ornatex/export.h"

inline constexpr char16_t kKtkDemoSkinIni[] = u"demo.ini";

// Writes the demo skin into the folder (made when missing). False with `failure` naming
// the file that could not be written.
ORNATEX_API bool KtkWriteDemoSkin(const std::string& folder, std::string* failure);

// The colours the demo skin paints with, for those who probe its pictures:
// a part's colour in a state fills its frame inside the one-pixel border (caption buttons:
// around the glyph, which keeps to the middle third); CLR_INVALID for a part or state the
// skin does not have. Class names in any case.
ORNATEX_API COLORREF KtkDemoSkinPartColor(std::u16string_view className, int part, int state);
// The caption's body colour and the frame edges' colour, active or inactive.
ORNATEX_API COLORREF KtkDemoSkinCaptionColor(BOOL active);
ORNATEX_API COLORREF KtkDemoSkinEdgeColor(BOOL active);
// The system-metric colour of an index 0 to 30 (CLR_INVALID outside).
ORNATEX_API COLORREF KtkDemoSkinSysColor(int index);
// The radius of the caption's rounded top corners, in image pixels (kept unscaled).
inline constexpr int kKtkDemoSkinCornerRadius = 7;
