// Colours as the host hands them to the engine.
//
// A host colour is 0x00BBGGRR (the top byte ignored, always opaque). A stored colour is a
// value and a kind word whose bits 24-27 choose the model (0 RGB with alpha, 1 CMYK, 2 HSL,
// 4 system colour, 5 scheme colour against a canvas palette); a kind word with any of its
// low 16 bits set, and the other kinds, are no colour. Drawing takes a stored colour as
// 0xAARRGGBB (no colour: opaque black), GDI text as 0x00BBGGRR (no colour: 0).
#pragma once

#include <cstdint>

#include <plastrum/format/ColorModel.h>
#include <plastrum/Export.h>

namespace Present {

// The twelve colours of a canvas palette, any of which may be missing; null for none.
using ColorPalette12 = Type::Color* const*;

// 0x00BBGGRR to 0xFFRRGGBB.
PLASTRUM_API uint32_t HostColorToArgb(uint32_t hostColor);

// The colour a stored colour names, with its alpha; false when it names none (a scheme
// colour without a palette, or without that palette entry, names none).
struct StoredRgba {
  uint8_t a = 255, r = 0, g = 0, b = 0;
};
PLASTRUM_API bool ResolveStoredColor(uint32_t value, uint32_t kindWord, ColorPalette12 palette, StoredRgba* out);

PLASTRUM_API uint32_t StoredColorToArgb(uint32_t value, uint32_t kindWord, ColorPalette12 palette);
PLASTRUM_API uint32_t StoredColorToGdi(uint32_t value, uint32_t kindWord, ColorPalette12 palette);

}  // namespace Present
