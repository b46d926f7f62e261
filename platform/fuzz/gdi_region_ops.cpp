// Byte-coded region operations on three regions, mirrored on cairo_region_t: any
// difference in the pixels they cover aborts.
#include <cairo.h>

#include <cstdint>
#include <vector>

#include <win/gdi.h>

namespace {

bool Same(HRGN rgn, cairo_region_t* mirror) {
  const DWORD size = GetRegionData(rgn, 0, nullptr);
  std::vector<char> data(size);
  auto* rd = reinterpret_cast<RGNDATA*>(data.data());
  if (GetRegionData(rgn, size, rd) != size) return false;
  const auto* rects = reinterpret_cast<const RECT*>(rd->Buffer);
  std::vector<cairo_rectangle_int_t> list;
  list.reserve(rd->rdh.nCount);
  for (DWORD i = 0; i < rd->rdh.nCount; ++i) {
    const RECT& r = rects[i];
    // Banded: no empty rectangles; within a band the same top and bottom and spans apart;
    // each band below the one before.
    if (r.right <= r.left || r.bottom <= r.top) return false;
    if (i > 0) {
      const RECT& p = rects[i - 1];
      const bool sameBand = p.top == r.top;
      if (sameBand && (p.bottom != r.bottom || r.left <= p.right)) return false;
      if (!sameBand && r.top < p.bottom) return false;
    }
    list.push_back(cairo_rectangle_int_t{r.left, r.top, r.right - r.left, r.bottom - r.top});
  }
  cairo_region_t* ours = cairo_region_create_rectangles(list.data(), static_cast<int>(list.size()));
  const bool same = cairo_region_is_empty(mirror) ? cairo_region_is_empty(ours) : cairo_region_equal(ours, mirror);
  cairo_region_destroy(ours);
  return same;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HRGN regions[3];
  cairo_region_t* mirrors[3];
  for (int i = 0; i < 3; ++i) regions[i] = CreateRectRgn(0, 0, 0, 0), mirrors[i] = cairo_region_create();
  for (size_t at = 0; at + 5 <= size && at < 5 * 200; at += 5) {
    const uint8_t* op = data + at;
    const int dst = op[0] % 3, a = (op[0] >> 2) % 3, b = (op[0] >> 4) % 3;
    switch ((op[0] >> 6) & 3) {
      case 0: {  // a rectangle
        const int x = int8_t(op[1]), y = int8_t(op[2]), w = op[3] % 64, h = op[4] % 64;
        HRGN r = CreateRectRgn(x, y, x + w, y + h);
        CombineRgn(regions[dst], r, nullptr, RGN_COPY);
        DeleteObject(r);
        cairo_region_destroy(mirrors[dst]);
        cairo_rectangle_int_t cr{x, y, w, h};
        mirrors[dst] = w && h ? cairo_region_create_rectangle(&cr) : cairo_region_create();
        break;
      }
      case 1:
      case 2: {  // combine
        const int mode = 1 + op[1] % 5;
        CombineRgn(regions[dst], regions[a], regions[b], mode);
        cairo_region_t* m = cairo_region_copy(mirrors[a]);
        if (mode == RGN_AND) cairo_region_intersect(m, mirrors[b]);
        if (mode == RGN_OR) cairo_region_union(m, mirrors[b]);
        if (mode == RGN_XOR) cairo_region_xor(m, mirrors[b]);
        if (mode == RGN_DIFF) cairo_region_subtract(m, mirrors[b]);
        cairo_region_destroy(mirrors[dst]);
        mirrors[dst] = m;
        break;
      }
      default: {  // offset, and a point probe
        OffsetRgn(regions[dst], int8_t(op[1]), int8_t(op[2]));
        cairo_region_translate(mirrors[dst], int8_t(op[1]), int8_t(op[2]));
        const int x = int8_t(op[3]), y = int8_t(op[4]);
        if ((PtInRegion(regions[dst], x, y) != 0) != (cairo_region_contains_point(mirrors[dst], x, y) != 0))
          __builtin_trap();
        break;
      }
    }
    if (!Same(regions[dst], mirrors[dst])) __builtin_trap();
  }
  for (int i = 0; i < 3; ++i) DeleteObject(regions[i]), cairo_region_destroy(mirrors[i]);
  return 0;
}
