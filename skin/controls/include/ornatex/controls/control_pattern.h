// What every control's skin object does alike: the background asked of the parent, the
// focus and accelerator cues the UI state allows, hot tracking's leave notice, and the paint
// messages (WM_PAINT through the object's paint DC, WM_PRINTCLIENT into the DC it carries).
#pragma once

#include <functional>

#include <win/types.h>

#include "ornatex/export.h"

class CKtkSkinObject;

// The background of a control, asked of its parent with `message` (a WM_CTLCOLOR*): a reply
// of 0, or no parent, is the skin's button face; 1 to 30 the skin's brush of system colour
// reply - 1; anything larger a brush. The brush fills `rect` and is returned.
ORNATEX_API HBRUSH KtkFillControlBackground(CKtkSkinObject* object, HDC dc, const RECT& rect, UINT message);
// The parent's reply alone (0 without a parent), nothing filled.
ORNATEX_API LRESULT KtkAskControlBackground(CKtkSkinObject* object, HDC dc, UINT message);

// A focus rectangle shows when the window has the focus and its UI state does not hide
// focus cues; mnemonic underlines hide when it hides accelerators.
ORNATEX_API BOOL KtkShowsFocusCue(HWND window);
ORNATEX_API BOOL KtkHidesAccelerators(HWND window);
// Draws a focus rectangle in black on white, as the pattern draws every focus cue.
ORNATEX_API void KtkDrawFocusCue(HDC dc, const RECT& rect);

// Asks for WM_MOUSELEAVE while something is hot.
ORNATEX_API void KtkTrackMouseLeave(HWND window);

// WM_PAINT: paints through the object's paint DC; WM_PRINTCLIENT with PRF_CLIENT: into the
// DC in wParam, answering 1 (`always` paints whatever the flags, as tabs and scroll bars
// do); other WM_PRINTCLIENT calls go to the control. The painter gets the DC and the client
// rectangle.
ORNATEX_API LRESULT KtkHandlePaint(CKtkSkinObject* object, UINT message, WPARAM wParam, LPARAM lParam,
                                   const std::function<void(HDC, const RECT&)>& paint, BOOL always = FALSE);
