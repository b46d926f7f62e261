// Byte-coded calls on a context (zooms, resolutions, origins, devices of any resolution)
// and the unit conversions with arbitrary values. Any result will do; nothing may crash or
// overflow a conversion (the sanitizers check every float-to-integer step).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <kx2/GdiCairo.h>

#include "fuzz_input.h"
#include "plastrum/present/shell/host_colors.h"
#include "plastrum/present/shell/present_context.h"
#include "plastrum/present/shell/units.h"

namespace {

using Input = PresentFuzz::FuzzInput;

struct Device {
  HDC dc = CreateCompatibleDC(nullptr);
  ~Device() { DeleteDC(dc); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Device device;
  Input in{data, size};
  PresentContext context;
  while (in.size > 0) {
    const uint8_t op = in.Take<uint8_t>();
    switch (op % 14) {
      case 0:
        context.SetDevice(in.Take<uint8_t>() & 1 ? device.dc : nullptr);
        break;
      case 1:
        Kx2GdiSetResolution(device.dc, in.Take<int16_t>(), in.Take<int16_t>());
        break;
      case 2:
        context.SetDefaultDpi(in.Take<uint32_t>());
        break;
      case 3:
        context.SetZoomXY(in.Take<uint32_t>(), in.Take<uint32_t>());
        break;
      case 4:
        context.SetZoom(in.Take<uint32_t>());
        break;
      case 5:
        context.SetOrigin(in.Take<int32_t>(), in.Take<int32_t>());
        context.SetOffset(in.Take<int32_t>(), in.Take<int32_t>());
        break;
      case 6: {
        std::vector<POINT> points(in.Take<uint8_t>() % 8);
        for (POINT& p : points) p = {in.Take<int32_t>(), in.Take<int32_t>()};
        context.PointsToPixels(points.data(), static_cast<int32_t>(points.size()));
        context.PixelsToPoints(points.data(), static_cast<int32_t>(points.size()));
        break;
      }
      case 7: {
        LONG x = in.Take<int32_t>(), y = in.Take<int32_t>();
        context.PointToPixels(&x, &y);
        context.PixelToPoint(&x, &y);
        break;
      }
      case 8:
        Present::EmuToHost(in.Take<float>());
        break;
      case 9:
        Present::EmuToHost(Present::HostToEmu(in.Take<int32_t>()));
        break;
      case 10:
        Present::HostToPixel(in.Take<int32_t>(), in.Take<float>());
        Present::PixelToHost(in.Take<int32_t>(), in.Take<float>());
        break;
      case 11: {
        const uint32_t value = in.Take<uint32_t>(), kind = in.Take<uint32_t>();
        Present::StoredColorToArgb(value, kind, nullptr);
        Present::StoredColorToGdi(value, kind, nullptr);
        break;
      }
      case 12:
        context.SetMode(in.Take<uint8_t>());
        context.DetachDevice();
        break;
      default:
        context.DisplayCaret(in.Take<int32_t>(), in.Take<int32_t>());
        break;
    }
  }
  return 0;
}
