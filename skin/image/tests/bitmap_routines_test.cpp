// The bitmap routines: premultiplying, copies, the blending and colour-key fallbacks
// against the system calls, frames, icon sizes and the checked DIB loading.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <kx2/Module.h>
#include <kx2test/ChildProcess.h>
#include <win/resource.h>
#include <win/user_draw.h>
#include <win/userres.h>

#include "image_fixtures.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/image/bitmap_routines.h"

using namespace ornatex_test;

namespace {

// A 32-bit bottom-up section filled from top-down pixels.
HBITMAP Section(int w, int h, const std::vector<uint32_t>& topDown) {
  void* bits = nullptr;
  HBITMAP b = Create32BitDIB(nullptr, w, h, &bits);
  for (int y = 0; y < h; ++y)
    std::memcpy(static_cast<uint32_t*>(bits) + static_cast<size_t>(h - 1 - y) * w, topDown.data() + size_t(y) * w,
                4 * w);
  return b;
}

// A memory DC holding a bitmap for the test's lifetime.
struct Selected {
  Selected(HBITMAP b) : bitmap(b), dc(CreateCompatibleDC(nullptr)), old(SelectObject(dc, b)) {}
  ~Selected() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap;
  HDC dc;
  HGDIOBJ old;
};

std::vector<uint32_t> Random(int n, std::mt19937& random, bool premultiplied) {
  std::vector<uint32_t> px(static_cast<size_t>(n));
  for (uint32_t& p : px) {
    const uint32_t a = premultiplied ? random() % 256 : 0;
    auto channel = [&] { return premultiplied ? (a ? random() % (a + 1) : 0) : random() % 256; };
    p = (a << 24) | (channel() << 16) | (channel() << 8) | channel();
  }
  return px;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

TEST(BitmapRoutines, PremultiplyAlphaAndItsAnswer) {
  const struct {
    std::vector<uint32_t> pixels;
    int start, answer;
    uint32_t first;  // the copy's first pixel
  } cases[] = {
      {{0xFF804020, 0xFF102030}, 0, 0, 0xFF804020},   // all opaque: no alpha, unmultiplied
      {{0xFF804020, 0xFF102030}, -1, 1, 0xFF804020},  // any alpha counts
      {{0x80804020, 0xFF102030}, 0, 1, 0x80402010},   // half: premultiplied
      {{0x00804020, 0xFF102030}, 0, 1, 0x00000000},   // opaque after transparent
      {{0xFF804020, 0x00102030}, 0, 0, 0xFF804020},   // transparent after opaque only
  };
  for (const auto& c : cases) {
    HBITMAP source = Section(2, 1, c.pixels);
    int answer = c.start;
    HBITMAP copy = PremultiplyAlpha(source, &answer);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(Pixels(copy)[0], c.first) << std::hex << c.pixels[0];
    DeleteObject(copy);
    DeleteObject(source);
  }
  HDC screen = GetDC(nullptr);
  HBITMAP mono = CreateBitmap(4, 4, 1, 1, nullptr);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(PremultiplyAlpha(mono, nullptr), nullptr);  // 32 bits only
  DeleteObject(mono);
}

TEST(BitmapRoutines, CopyAndMirror) {
  HBITMAP source = Section(3, 2, {1, 2, 3, 4, 5, 6});
  HBITMAP copy = CopyDIB(source), mirror = MirrorDIB(source);
  EXPECT_EQ(Pixels(copy), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Pixels(mirror), (std::vector<uint32_t>{3, 2, 1, 6, 5, 4}));
  for (HBITMAP b : {source, copy, mirror}) DeleteObject(b);
}

TEST(BitmapRoutines, ManualAlphaBlendAgreesWithAlphaBlend) {
  std::mt19937 random(11);
  for (int round = 0; round < 4; ++round) {
    const int w = 17 + round * 5, h = 9 + round * 3;
    Selected source(Section(w, h, Random(w * h, random, true)));
    const auto background = Random(w * h, random, false);
    Selected system(Section(w, h, background)), manual(Section(w, h, background));
    BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ASSERT_TRUE(AlphaBlend(system.dc, 0, 0, w, h, source.dc, 0, 0, w, h, f));
    ASSERT_TRUE(ManualAlphaBlend(manual.dc, 0, 0, w, h, source.dc, 0, 0, w, h));
    const auto a = Pixels(system.bitmap), b = Pixels(manual.bitmap);
    ASSERT_EQ(a.size(), b.size());
    int off = 0;
    for (size_t i = 0; i < a.size(); ++i) off += Near(a[i], b[i], 1) ? 0 : 1;
    EXPECT_EQ(off, 0) << "round " << round;
  }
}

TEST(BitmapRoutines, AlphaDrawFallsBackWithoutAlphaBlend) {
  std::mt19937 random(5);
  const int w = 20, h = 12;
  const auto sourcePixels = Random(w * h, random, true), background = Random(w * h, random, false);
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("BitmapRoutines.AlphaDrawFallsBackWithoutAlphaBlend");
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  Kx2ModuleSetExportAbsent("AlphaBlend", TRUE);
  ASSERT_EQ(KtkDrawHelpers().m_pfnAlphaBlend, nullptr);
  HBITMAP source = Section(w, h, sourcePixels);
  Selected viaDraw(Section(w, h, background)), system(Section(w, h, background));
  ASSERT_TRUE(AlphaDraw(viaDraw.dc, source, 0, 0, w, h));
  Selected src(source);
  BLENDFUNCTION f{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(system.dc, 0, 0, w, h, src.dc, 0, 0, w, h, f);
  const auto a = Pixels(viaDraw.bitmap), b = Pixels(system.bitmap);
  for (size_t i = 0; i < a.size(); ++i) ASSERT_TRUE(Near(a[i], b[i], 1)) << i;
}

TEST(BitmapRoutines, MaskBlitAgreesWithTransparentBlt) {
  std::mt19937 random(3);
  const COLORREF key = RGB(255, 0, 255);
  const struct { int w, h, dw, dh; } sizes[] = {{16, 16, 16, 16}, {13, 7, 13, 7}, {8, 8, 16, 24}};
  for (const auto& s : sizes) {
    auto pixels = Random(s.w * s.h, random, false);
    for (uint32_t& p : pixels)
      if (random() % 3 == 0) p = 0x00FF00FF;  // the key, as a DIB's blue, green, red
    Selected source(Section(s.w, s.h, pixels));
    const auto background = Random(s.dw * s.dh, random, false);
    Selected system(Section(s.dw, s.dh, background)), masked(Section(s.dw, s.dh, background));
    ASSERT_TRUE(TransparentBlt(system.dc, 0, 0, s.dw, s.dh, source.dc, 0, 0, s.w, s.h, key));
    ASSERT_TRUE(MaskBlit(masked.dc, RECT{0, 0, s.dw, s.dh}, source.dc, RECT{0, 0, s.w, s.h}, key));
    const auto a = Pixels(system.bitmap), b = Pixels(masked.bitmap);
    for (size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i] & 0xFFFFFF, b[i] & 0xFFFFFF) << s.dw << " at " << i;
  }
}

TEST(BitmapRoutines, FillFrameBandsAndTheCentre) {
  Selected canvas(Section(10, 10, std::vector<uint32_t>(100, 0x00FFFFFF)));
  FillFrame(canvas.dc, RECT{1, 1, 9, 9}, 2, RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillFrame(canvas.dc, RECT{0, 0, 10, 10}, 1, blue);
  DeleteObject(blue);
  EXPECT_EQ(GetPixel(canvas.dc, 0, 5), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(canvas.dc, 9, 9), RGB(0, 0, 255));
  for (POINT p : {POINT{1, 1}, POINT{2, 5}, POINT{7, 5}, POINT{5, 8}, POINT{5, 1}})
    EXPECT_EQ(GetPixel(canvas.dc, p.x, p.y), RGB(255, 0, 0)) << p.x << "," << p.y;
  EXPECT_EQ(GetPixel(canvas.dc, 4, 4), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(canvas.dc, 6, 6), RGB(255, 255, 255));
}

TEST(BitmapRoutines, IconSizeFromTheMask) {
  HBITMAP color = Create32BitDIB(nullptr, 16, 24, nullptr);
  HBITMAP mask = CreateBitmap(16, 24, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  SIZE s = IconSize(icon);
  EXPECT_EQ(s.cx, 16);
  EXPECT_EQ(s.cy, 24);
  HBITMAP monoMask = CreateBitmap(16, 32, 1, 1, nullptr);
  ICONINFO mono{TRUE, 0, 0, monoMask, nullptr};
  HICON monoIcon = CreateIconIndirect(&mono);
  s = IconSize(monoIcon);
  EXPECT_EQ(s.cx, 16);
  EXPECT_EQ(s.cy, 16);
  s = IconSize(nullptr);
  EXPECT_EQ(s.cx, 32);
  EXPECT_EQ(s.cy, 32);
  DestroyIcon(icon);
  DestroyIcon(monoIcon);
  for (HBITMAP b : {color, mask, monoMask}) DeleteObject(b);
}

// ---- Loading --------------------------------------------------------------------------------

void Put32(Bytes& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(Bytes& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

// A packed DIB: header (of `headerSize` bytes), `colors` table entries, then `pixelBytes`.
Bytes Dib(int32_t w, int32_t h, uint16_t bits, uint32_t colorsUsed, size_t tableEntries, size_t pixelBytes,
          uint32_t headerSize = 40, uint32_t compression = 0) {
  Bytes v;
  Put32(v, headerSize);
  Put32(v, static_cast<uint32_t>(w));
  Put32(v, static_cast<uint32_t>(h));
  Put16(v, 1);
  Put16(v, bits);
  Put32(v, compression);
  for (int i = 0; i < 3; ++i) Put32(v, 0);
  Put32(v, colorsUsed);
  Put32(v, 0);
  if (compression == 3) {  // the masks: after a 40-byte header, else inside the larger one
    Put32(v, 0xFF0000);
    Put32(v, 0xFF00);
    Put32(v, 0xFF);
  }
  v.resize(std::max<size_t>(headerSize, v.size()), 0);
  for (size_t i = 0; i < tableEntries; ++i) Put32(v, i ? 0x00FFFFFF : 0x00102030);
  v.resize(v.size() + pixelBytes, 0x7F);
  return v;
}

TEST(BitmapLoading, ResourcesAreCheckedAgainstTheirSize) {
  const struct {
    const char16_t* name;
    Bytes bytes;
    bool loads;
  } cases[] = {
      {u"TOPDOWN", Dib(4, -3, 32, 0, 0, 4 * 3 * 4), true},
      {u"TOPDOWNSHORT", Dib(4, -3, 32, 0, 0, 4 * 3 * 4 - 1), false},
      {u"ZEROWIDE", Dib(0, 3, 32, 0, 0, 64), false},
      {u"NEGWIDE", Dib(-4, 3, 32, 0, 0, 64), false},
      {u"HUGE", Dib(32767, -32767, 32, 0, 0, 16), false},
      {u"TOOWIDE", Dib(40000, 1, 32, 0, 0, 16), false},
      {u"BIGHEADER", Dib(2, 2, 32, 0, 0, 16, 124), true},
      {u"BIGHEADERSHORT", Dib(2, 2, 32, 0, 0, 15, 124), false},
      {u"BITFIELDS", Dib(2, 2, 32, 0, 0, 16, 40, 3), true},
      {u"BIGHEADERFIELDS", Dib(2, 2, 32, 0, 0, 16, 124, 3), true},
      {u"SHORTHEADERFIELDS", Dib(2, 2, 32, 0, 0, 16, 44, 3), false},
      {u"PALETTE", Dib(4, 2, 8, 2, 2, 8), true},
      {u"PALETTESHORT", Dib(4, 2, 8, 2, 1, 8), false},
      {u"TOOMANYCOLOURS", Dib(4, 2, 8, 300, 300, 8), false},
      {u"FOURBIT", Dib(3, 3, 4, 0, 16, 12), true},
      {u"TINY", Bytes(20, 0), false},
  };
  kx2::rsrc::ContainerWriter writer;
  for (const auto& c : cases) writer.Add(uint16_t{2}, std::u16string(c.name), 0, c.bytes);
  HMODULE module = ResourceModule("dibs.rsrc", writer);
  ASSERT_NE(module, nullptr);
  for (const auto& c : cases) {
    BOOL alpha = 7;
    HBITMAP raw = LoadBitmapResourceRaw(module, c.name, &alpha);
    EXPECT_EQ(raw != nullptr, c.loads) << kx2::Utf16ToUtf8(c.name);
    if (raw) {
      BITMAP bm{};
      GetObjectW(raw, sizeof bm, &bm);
      EXPECT_EQ(bm.bmWidth, std::abs(static_cast<int32_t>(c.bytes[4] | (c.bytes[5] << 8))));
      EXPECT_EQ(alpha, c.bytes[14] == 32 ? TRUE : FALSE);
      DeleteObject(raw);
    }
    HBITMAP loaded = LoadBitmapFromResource(module, c.name, &alpha);
    if (c.bytes.size() > 14 && c.bytes[14] == 32) {
      EXPECT_EQ(loaded != nullptr, c.loads) << kx2::Utf16ToUtf8(c.name);
    }
    if (loaded) DeleteObject(loaded);
  }
  FreeLibrary(module);
}

TEST(BitmapLoading, TopDownPixelsComeThroughInOrder) {
  Bytes dib = Dib(2, -2, 32, 0, 0, 0);
  for (uint32_t p : {0x80112233u, 0xFF445566u, 0x00778899u, 0x40AABBCCu}) Put32(dib, p);
  kx2::rsrc::ContainerWriter writer;
  writer.Add(uint16_t{2}, std::u16string(u"PIXELS"), 0, dib);
  HMODULE module = ResourceModule("pixels.rsrc", writer);
  BOOL alpha = FALSE;
  HBITMAP b = LoadBitmapFromResource(module, u"PIXELS", &alpha);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(alpha);
  EXPECT_EQ(Pixels(b), (std::vector<uint32_t>{0x80112233u, 0xFF445566u, 0x00778899u, 0x40AABBCCu}));
  DeleteObject(b);
  FreeLibrary(module);
}

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePillow()) GTEST_SKIP() << "python3-pil is not installed for /usr/bin/python3";
  }
};

TEST_F(PictureFiles, LoadAtTheirSize) {
  const struct {
    const char* file;
    const char* code;
    int w, h;
    BOOL alpha;
  } cases[] = {
      {"a.png", "Image.new('RGBA', (7, 5), (1, 2, 3, 4)).save(sys.argv[1])", 7, 5, TRUE},
      {"b.jpg", "Image.new('RGB', (17, 11), (200, 100, 50)).save(sys.argv[1])", 17, 11, FALSE},
      {"c.gif", "Image.new('P', (9, 13), 3).save(sys.argv[1])", 9, 13, FALSE},
      {"d.bmp", "Image.new('RGB', (6, 4), (9, 8, 7)).save(sys.argv[1])", 6, 4, FALSE},
      {"e.bmp", "Image.new('RGBA', (5, 3), (9, 8, 7, 255)).save(sys.argv[1])", 5, 3, TRUE},
      {"f.ico", "Image.new('RGBA', (24, 24), (9, 8, 7, 128)).save(sys.argv[1], sizes=[(24, 24)])", 24, 24, FALSE},
      {"g.ico", "Image.new('RGB', (48, 48), (90, 80, 70)).save(sys.argv[1], sizes=[(16, 16), (48, 48)])", 48, 48,
       FALSE},
  };
  for (const auto& c : cases) {
    const std::string path = TempFolder() + "/" + c.file;
    ASSERT_TRUE(Pillow(c.code, path)) << c.file;
    BOOL alpha = 7;
    HBITMAP b = LoadBitmapFromFile(Windows(path).c_str(), &alpha);
    ASSERT_NE(b, nullptr) << c.file;
    int w = 0, h = 0;
    Pixels(b, &w, &h);
    EXPECT_EQ(w, c.w) << c.file;
    EXPECT_EQ(h, c.h) << c.file;
    EXPECT_EQ(alpha, c.alpha) << c.file;
    DeleteObject(b);
  }
}

TEST_F(PictureFiles, OpaqueThirtyTwoBitBmpHasNoAlphaOnceAsked) {
  const std::string path = TempFolder() + "/opaque.bmp";
  ASSERT_TRUE(Pillow("Image.new('RGBA', (4, 4), (10, 20, 30, 255)).save(sys.argv[1])", path));
  BOOL alpha = FALSE;
  HBITMAP b = LoadBitmapFromFile(Windows(path).c_str(), &alpha);
  ASSERT_NE(b, nullptr);
  int answer = 0;
  HBITMAP premultiplied = PremultiplyAlpha(b, &answer);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(Pixels(premultiplied), Pixels(b));
  EXPECT_EQ(Red(Pixels(premultiplied)[0]), 10);
  DeleteObject(premultiplied);
  DeleteObject(b);
}

}  // namespace
