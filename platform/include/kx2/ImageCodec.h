// The platform's image codecs. Every PNG the port writes goes through Kx2WritePng: it
// writes a temporary file beside the target and renames it into place, so a reader never
// sees half a picture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/types.h"

// The size rule of every decoder and encoder: at most 32,767 pixels a side.
#define KX2_IMAGE_MAX_SIDE 32767

// Writes width x height 32-bit pixels (bytes blue, green, red, fourth; rows `stride` bytes
// apart, top row first) as PNG. withAlpha: the fourth byte is straight alpha and is
// written; otherwise the picture is opaque. Returns FALSE with the last error set.
KX2_EXPORT BOOL Kx2WritePng(LPCWSTR path, const uint8_t* pixels, int width, int height, ptrdiff_t stride,
                            BOOL withAlpha);
