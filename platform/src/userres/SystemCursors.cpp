// The system's cursors: the arrow, drawn here once per process as a 32 x 32 monochrome
// cursor (hot spot at its tip) and shared by everyone who loads it, as the system's are.
#include <cstring>
#include <mutex>

#include <win/kernel.h>
#include <win/gdi.h>
#include <win/user_draw.h>
#include <win/userres.h>

#include "kx2/ErrorBoundary.h"

namespace kx2::userres {
namespace {

// B black, W white, anything else transparent; top row first.
constexpr const char* kArrow[] = {
    "B",         "BB",         "BWB",        "BWWB",        "BWWWB",        "BWWWWB",   "BWWWWWB",
    "BWWWWWWB",  "BWWWWWWWB",  "BWWWWWWWWB", "BWWWWWWWWWB", "BWWWWWWBBBBB", "BWWWBWWB", "BWWB.BWWB",
    "BWB..BWWB", "BB....BWWB", "B.....BWWB", ".......BWWB", ".......BB",
};

HCURSOR MakeArrow() {
  // The mask: the AND image (1 transparent) above the XOR image (1 white); rows of 4 bytes.
  uint8_t bits[64 * 4] = {};
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const char c = y < static_cast<int>(sizeof kArrow / sizeof kArrow[0]) && x < static_cast<int>(strlen(kArrow[y]))
                         ? kArrow[y][x]
                         : '.';
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (c != 'B' && c != 'W') bits[y * 4 + x / 8] |= bit;
      if (c == 'W') bits[(y + 32) * 4 + x / 8] |= bit;
    }
  HBITMAP mask = CreateBitmap(32, 64, 1, 1, bits);
  if (!mask) return nullptr;
  ICONINFO info{FALSE, 0, 0, mask, nullptr};
  HCURSOR cursor = CreateIconIndirect(&info);
  DeleteObject(mask);
  return cursor;
}

}  // namespace

HCURSOR SystemCursor(WORD id) {
  if (id != 32512) {  // IDC_ARROW
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  static std::once_flag once;
  static HCURSOR arrow = nullptr;
  std::call_once(once, [] { arrow = MakeArrow(); });
  return arrow;
}

}  // namespace kx2::userres
