// Where a button's parts lie: its kind by style, its alignment, the glyph of a check box or
// radio button, the text room beside it, a group box's caption and frame, a push button's
// content. The skin lays its buttons out by the same rules, so the classic look is the
// baseline it is compared with.
#pragma once

#include "win/user.h"
#include "win/user_controls.h"

namespace kx2::user32 {

enum class ButtonKind { Push, Check, Radio, Group, User, OwnerDraw };

inline UINT ButtonType(DWORD style) { return style & BS_TYPEMASK; }
ButtonKind KindOf(DWORD style);
bool IsPushLike(DWORD style);
bool IsCheckType(UINT type);  // check boxes of every kind
bool IsRadioType(UINT type);
bool IsThreeState(UINT type);
bool IsSplit(UINT type);
bool IsDefault(UINT type);  // BS_DEFPUSHBUTTON, BS_DEFSPLITBUTTON, BS_DEFCOMMANDLINK

// BS_LEFT, BS_RIGHT or BS_CENTER; when none is set, centred for push-like buttons and left
// for the others.
DWORD HorizontalAlign(DWORD style);
// BS_TOP, BS_BOTTOM or BS_VCENTER (the default).
DWORD VerticalAlign(DWORD style);

constexpr int kGlyphSize = 13;   // the check box and radio glyph, square
constexpr int kGlyphGap = 3;     // between the glyph and the text
constexpr int kSplitWidth = 12;  // a split button's drop part, inside its edge

// The glyph's square (check boxes and radio buttons); lineHeight is the height of " " in
// the control's font.
RECT GlyphRect(const RECT& client, DWORD style, int lineHeight);
// The text room beside the glyph.
RECT TextBesideGlyph(const RECT& client, DWORD style);
// A push button's content: inside its edge, without the drop part of a split button.
RECT PushContent(const RECT& client, DWORD style);
// The drop part of a split button (inside its edge).
RECT SplitPart(const RECT& client);
// A group box: the frame starts half a line down; the caption sits on its top edge.
RECT GroupFrame(const RECT& client, int lineHeight);
RECT GroupCaption(const RECT& client, DWORD style, SIZE text);

}  // namespace kx2::user32
