// The engine's unit conversions, the context the host converts through, and the colours
// the host hands in.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <limits>

#include <kx2/GdiCairo.h>
#include <luminar/LuminarTesting.h>
#include <plastrum/format/ColorModel.h>
#include <plastrum/present/shell/host_colors.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/shell/units.h>

namespace {

using Present::EmuToHost;
using Present::HostToEmu;

TEST(PresentUnits, HostUnitsAndEmuConvertInSinglePrecision) {
  const struct {
    int32_t host;
    float emu;
  } cases[] = {{1, 127.0f}, {7200, 914400.0f}, {-7200, -914400.0f}, {0, 0.0f}, {100, 12700.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    EXPECT_EQ(HostToEmu(c.host), c.emu);
    EXPECT_EQ(EmuToHost(c.emu), c.host);
  }
  // A value a hair below an integer after the float steps truncates towards zero.
  EXPECT_EQ(EmuToHost(std::nextafter(127.0f, 0.0f)), 0);
  EXPECT_EQ(EmuToHost(-std::nextafter(254.0f, 0.0f)), -1);
}

TEST(PresentUnits, ResultsBeyondThirtyTwoBitsSaturate) {
  EXPECT_EQ(EmuToHost(1e30f), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(EmuToHost(-1e30f), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(EmuToHost(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(EmuToHost(std::numeric_limits<float>::infinity()), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Present::HostToPixel(std::numeric_limits<int32_t>::max(), 1e9f), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Present::PixelToHost(std::numeric_limits<int32_t>::min(), 0.001f), std::numeric_limits<int32_t>::min());
  // Round to nearest, halves to even.
  EXPECT_EQ(Present::SaturateRound(2.5), 2);
  EXPECT_EQ(Present::SaturateRound(3.5), 4);
  EXPECT_EQ(Present::SaturateRound(-2.5), -2);
}

// A DC whose resolution the test chooses.
class DeviceAt {
 public:
  DeviceAt(int dpiX, int dpiY) : surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4)) {
    dc_ = Kx2GdiCreateDcForSurface(surface_);
    Kx2GdiSetResolution(dc_, dpiX, dpiY);
  }
  ~DeviceAt() {
    DeleteDC(dc_);
    cairo_surface_destroy(surface_);
  }
  HDC dc() const { return dc_; }

 private:
  cairo_surface_t* surface_;
  HDC dc_;
};

struct PixelCase {
  int dpi;        // 0: no device
  uint32_t zoom;  // 1/10000
  uint32_t defaultDpi;
  POINT host, pixels;
};

TEST(PresentContextSlots, PointsConvertAtTheDeviceResolutionTimesTheZoom) {
  const PixelCase cases[] = {
      {96, 10000, 96, {7200, 75}, {96, 1}}, {96, 25000, 96, {7200, -7200}, {240, -240}},
      {0, 25000, 96, {7200, 75}, {96, 1}},  // no device: the default resolution, whatever the zoom
      {96, 0, 120, {7200, 0}, {120, 0}},    // zoom 0: the default resolution
      {0, 10000, 0, {7200, 75}, {96, 1}},   // a default of 0 keeps 96
      {192, 5000, 96, {7200, 75}, {96, 1}},
  };
  for (const PixelCase& c : cases) {
    SCOPED_TRACE(c.dpi * 100000 + c.zoom);
    DeviceAt device(c.dpi ? c.dpi : 96, c.dpi ? c.dpi : 96);
    PresentContext context;
    if (c.dpi) context.SetDevice(device.dc());
    context.SetZoom(c.zoom);
    context.SetDefaultDpi(c.defaultDpi);
    POINT points[2] = {{c.host.x, c.host.y}, {c.host.x, c.host.y}};
    ASSERT_TRUE(context.PointsToPixels(points, 2));
    EXPECT_EQ(points[1].x, c.pixels.x);
    EXPECT_EQ(points[1].y, c.pixels.y);
    ASSERT_TRUE(context.PixelsToPoints(points, 2));
    EXPECT_EQ(points[0].x, c.host.x);
    EXPECT_EQ(points[0].y, c.host.y);
    LONG x = c.host.x, y = c.host.y;
    ASSERT_TRUE(context.PointToPixels(&x, &y));
    EXPECT_EQ(x, c.pixels.x);
    ASSERT_TRUE(context.PixelToPoint(&x, &y));
    EXPECT_EQ(x, c.host.x);
  }
}

TEST(PresentContextSlots, EachAxisHasItsOwnResolutionAndZoom) {
  DeviceAt device(96, 192);
  PresentContext context;
  context.SetDevice(device.dc());
  context.SetZoomXY(20000, 5000);
  LONG x = 7200, y = 7200;
  ASSERT_TRUE(context.PointToPixels(&x, &y));
  EXPECT_EQ(x, 192);
  EXPECT_EQ(y, 96);
  LONG px = 1, py = 1;
  ASSERT_TRUE(context.PixelToPoint(&px, &py));
  EXPECT_EQ(px, 38);  // 7200 / 192 = 37.5, halves to even
  EXPECT_EQ(py, 75);
}

TEST(PresentContextSlots, HandlesAndSettingsAreStoredAsGiven) {
  PresentContext context;
  HANDLE device = reinterpret_cast<HANDLE>(uintptr_t{0x123456789A});
  HANDLE target = reinterpret_cast<HANDLE>(uintptr_t{0xFEDCBA98765});
  EXPECT_FALSE(context.HasDevice());
  context.SetDevice(device);
  context.SetTarget(target);
  EXPECT_TRUE(context.HasDevice());
  EXPECT_EQ(context.GetDevice(), device);  // pointer-sized, nothing cut off
  EXPECT_EQ(context.GetTarget(), target);
  EXPECT_EQ(context.DetachDevice(), device);
  EXPECT_EQ(context.GetDevice(), nullptr);
  EXPECT_FALSE(context.HasDevice());

  context.SetOrigin(-5, 7);
  context.SetOffset(11, -13);
  context.SetMode(9);
  context.SetZoomXY(12500, 7500);
  const Present::ContextRecord& r = *context.Record();
  EXPECT_EQ(r.originX, -5.0f);
  EXPECT_EQ(r.originY, 7.0f);
  EXPECT_EQ(r.offsetX, 11.0f);
  EXPECT_EQ(r.offsetY, -13.0f);
  EXPECT_EQ(r.mode, 9);
  EXPECT_EQ(r.zoomX, 1.25f);
  EXPECT_EQ(r.zoomY, 0.75f);
  EXPECT_EQ(r.flag1, 1);
  EXPECT_EQ(r.flag2, 1);
  EXPECT_EQ(r.defaultDpi, 96.0f);
}

TEST(PresentContextSlots, BadArgumentsConvertNothing) {
  PresentContext context;
  POINT p{7200, 7200};
  EXPECT_FALSE(context.PointsToPixels(&p, -1));
  EXPECT_FALSE(context.PointsToPixels(nullptr, 2));
  EXPECT_TRUE(context.PointsToPixels(nullptr, 0));
  EXPECT_FALSE(context.PointToPixels(nullptr, &p.y));
  EXPECT_EQ(p.x, 7200);
  EXPECT_EQ(p.y, 7200);
}

TEST(PresentContextSlots, TheCaretGoesToTheRenderingLibraryWithTheDevice) {
  DeviceAt device(96, 96);
  PresentContext context;
  context.SetDevice(device.dc());
  EXPECT_TRUE(context.DisplayCaret(17, -4));
  LONG x = 0, y = 0;
  ASSERT_TRUE(LuminarCaretOf(device.dc(), &x, &y));
  EXPECT_EQ(x, 17);
  EXPECT_EQ(y, -4);
}

TEST(PresentStoredColors, HostColorsAreOpaqueArgb) {
  EXPECT_EQ(Present::HostColorToArgb(0x00FF8040), 0xFF4080FFu);
  EXPECT_EQ(Present::HostColorToArgb(0xAB000000), 0xFF000000u);  // the top byte is ignored
}

TEST(PresentStoredColors, ResolveToArgbAndToGdiByTheirKind) {
  Present::Type::Color red;
  red.R = 200;
  Present::Type::Color* palette[12] = {};
  palette[3] = &red;
  const struct {
    uint32_t value, kind;
    bool withPalette;
    uint32_t argb, gdi;
  } cases[] = {
      {0x80FF8000, 0x00000000, false, 0x80FF8000, 0x000080FF},  // RGB keeps its alpha
      {0x00000064, 0x01000000, false, 0xFF000000, 0x00000000},  // CMYK: K 100 is black
      {0x00640000, 0x01000000, false, 0xFFFF00FF, 0x00FF00FF},  // CMYK: M 100 is magenta
      {0x00006432, 0x02000000, false, 0xFFFF0000, 0x000000FF},  // HSL: hue 0, full, half
      {0x00000003, 0x05000000, true, 0xFFC80000, 0x000000C8},   // scheme 3, factor 0
      {0x00000003, 0x05000000, false, 0xFF000000, 0x00000000},  // scheme without a palette
      {0x00000004, 0x05000000, true, 0xFF000000, 0x00000000},   // a missing palette entry
      {0x00FF8000, 0x00000001, false, 0xFF000000, 0x00000000},  // low kind bits set
      {0x00FF8000, 0x03000000, false, 0xFF000000, 0x00000000},  // kinds 3, 6-15
      {0x00FF8000, 0x0F000000, false, 0xFF000000, 0x00000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.value << " " << c.kind);
    Present::ColorPalette12 p = c.withPalette ? palette : nullptr;
    EXPECT_EQ(Present::StoredColorToArgb(c.value, c.kind, p), c.argb);
    EXPECT_EQ(Present::StoredColorToGdi(c.value, c.kind, p), c.gdi);
  }
}

TEST(PresentStoredColors, SchemeColorsCarryIndexAndSignedFactor) {
  std::unique_ptr<Present::Type::Color> c(Present::CreateColorFromStored(0x00FF9C03, 0x05000000));
  ASSERT_NE(c, nullptr);
  auto* scheme = static_cast<Present::Type::SchemeColor*>(c.get());
  EXPECT_EQ(scheme->index, 3);
  EXPECT_FLOAT_EQ(scheme->factor, -1.0f);
  // Factor -1 darkens the palette colour to black.
  Present::Type::Color white;
  white.R = white.G = white.B = 255;
  Present::Type::Color* palette[12] = {};
  palette[3] = &white;
  EXPECT_EQ(Present::StoredColorToArgb(0x00FF9C03, 0x05000000, palette), 0xFF000000u);
}

}  // namespace
