// The non-client metrics record of SystemParametersInfoW (it carries fonts, so it needs
// win/gdi.h's LOGFONTW).
#pragma once

#include "win/gdi.h"
#include "win/types.h"

struct NONCLIENTMETRICSW {
  UINT cbSize;
  int iBorderWidth;
  int iScrollWidth;
  int iScrollHeight;
  int iCaptionWidth;
  int iCaptionHeight;
  LOGFONTW lfCaptionFont;
  int iSmCaptionWidth;
  int iSmCaptionHeight;
  LOGFONTW lfSmCaptionFont;
  int iMenuWidth;
  int iMenuHeight;
  LOGFONTW lfMenuFont;
  LOGFONTW lfStatusFont;
  LOGFONTW lfMessageFont;
  int iPaddedBorderWidth;
};
typedef NONCLIENTMETRICSW* LPNONCLIENTMETRICSW;
static_assert(sizeof(LOGFONTW) == 92 && sizeof(NONCLIENTMETRICSW) == 504, "Win32 layout");
