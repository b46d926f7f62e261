// The engine's three unit conversions.
//
// Host units are 32-bit hundredths of a point (7200 an inch), model units single-precision
// EMU (914400 an inch), device pixels 32-bit integers at a resolution times a zoom. Every
// step rounds to single precision as the engine always has, so that values the host stored
// come back the same. Results that do not fit 32 bits saturate, and a value that is not a
// number becomes 0.
#pragma once

#include <cstdint>

#include <plastrum/Export.h>

namespace Present {

// single(single(v / 7200) x 914400).
PLASTRUM_API float HostToEmu(int32_t hundredthsOfPoint);
// truncate(single(single(e / 914400) x 7200)), towards zero.
PLASTRUM_API int32_t EmuToHost(float emu);
// round(single(v x scale / 7200)) and round(single(p x 7200 / scale)), halves to even; the
// scale is a resolution times a zoom, and the caller has replaced a scale of 0.
PLASTRUM_API int32_t HostToPixel(int32_t hundredthsOfPoint, float scale);
PLASTRUM_API int32_t PixelToHost(int32_t pixels, float scale);
// A float held to the 32-bit range (NaN gives 0), truncated or rounded half to even.
PLASTRUM_API int32_t SaturateTruncate(double value);
PLASTRUM_API int32_t SaturateRound(double value);

}  // namespace Present
