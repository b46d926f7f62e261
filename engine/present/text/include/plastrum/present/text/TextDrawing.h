// Drawing a laid-out text on the attached device context with ExtTextOutW, in the passes
// its format's effects need (shadow, extruded shadow, outline, emboss, engrave),
// horizontally or in vertical columns; and the two colour operations of emboss and engrave.
#pragma once

#include <cstdint>

#include <win/gdi.h>
#include <win/types.h>

#include <plastrum/Export.h>
#include <plastrum/present/text/TextContext.h>
#include <plastrum/present/text/TextLayout.h>

namespace Present::Text {

enum : uint32_t { kPassExtruded = 0x1, kPassOutlined = 0x2 };

struct TextPass {
  int x = 0;
  int y = 0;
  UINT options = 0;
  const RECT* clip = nullptr;
  TextLayout* layout = nullptr;
  COLORREF colour = static_cast<COLORREF>(-1);  // -1: the context's text colour
  int32_t offsetX = 0;                          // percent of the run's line height
  int32_t offsetY = 0;
  int32_t extraX = 0;  // device units
  int32_t extraY = 0;
  uint32_t flags = 0;
};

// An extruded shadow is drawn at most this many times, spread over its vector.
constexpr int kMaxExtrusionCopies = 256;

// Draws `length` units of text at (x, y) (logical units): 1, or 0 for no text, no length, or
// a context without a text object. Option ETO_OPAQUE fills `rect` with the background first;
// ETO_CLIPPED clips to it. `advances` (logical, one per unit) replace the measured ones.
PLASTRUM_API BOOL DrawTextRuns(const WCHAR* text, TextContext* context, int x, int y, UINT options, const RECT* rect,
                               int length, const int32_t* advances);

PLASTRUM_API COLORREF DarkerTextColor(COLORREF colour);
PLASTRUM_API COLORREF LighterTextColor(COLORREF colour);
// MulDiv(line height of the font selected last, 2, 100) in device units, at least 1.
PLASTRUM_API int EffectOffset(TextContext* context);
// A stored colour (value, kind word) as a GDI colour, through a palette for scheme colours;
// 0 (black) when it names no colour.
PLASTRUM_API COLORREF StoredColorToTextColor(uint32_t value, uint32_t kindWord, Present::Type::Color* const* palette);

}  // namespace Present::Text
