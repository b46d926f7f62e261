// What a combo box and its list say to each other beyond the LB_ messages. The list of a
// combo box is made with the combo box as its creation parameter; it then notifies the combo
// box (never its own parent) with WM_COMMAND whatever its LBS_NOTIFY, and sends its owner's
// messages (WM_DRAWITEM, WM_MEASUREITEM, WM_COMPAREITEM, WM_DELETEITEM) to the combo box's
// parent as the combo box's, with ODT_COMBOBOX.
#pragma once

#include "win/user.h"

namespace kx2::user32::combolist {

// combo box -> list. wParam: kDropOff, kDropOn (shown, takes the mouse), or kDropHeld (shown
// by a press on the combo box whose button is still down).
constexpr UINT kDropMode = WM_USER + 0x7E00;
constexpr WPARAM kDropOff = 0, kDropOn = 1, kDropHeld = 2;

// list -> combo box, as WM_COMMAND codes beside LBN_SELCHANGE and LBN_DBLCLK.
constexpr WORD kPicked = 0x7E01;     // a click took an item: close and keep it
constexpr WORD kCancelled = 0x7E02;  // a press outside or the capture lost: close
constexpr WORD kReleased = 0x7E03;   // the button of the press that dropped the list went up

}  // namespace kx2::user32::combolist
