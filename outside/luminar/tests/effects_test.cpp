#include <pixman.h>

#include <vector>

#include "Canvas.h"

namespace {

// Premultiplied ARGB pixels of a bitmap, read through a render on it is not possible from
// outside, so the tests make their pictures with known straight pixels and read results
// through the GDI bitmap over black (straight colour times alpha) and over white.
std::vector<uint32_t> Over(NativeImage image, DWORD background) {
  std::vector<uint32_t> out;
  HBITMAP bitmap = NativeBitmapGetHPBITMAP(image, background);
  if (!bitmap) return out;
  DIBSECTION section;
  GetObjectW(bitmap, sizeof section, &section);
  const uint32_t* bits = static_cast<const uint32_t*>(section.dsBm.bmBits);
  out.assign(bits, bits + section.dsBm.bmWidth * section.dsBm.bmHeight);
  for (uint32_t& v : out) v &= 0xFFFFFF;
  DeleteObject(bitmap);
  return out;
}

}  // namespace

TEST(LuminarEffects, BlurMatchesPixmansSeparableGaussian) {
  const int w = 64, h = 48;
  const float radius = 8;
  std::vector<uint32_t> px(size_t(w * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      px[size_t(y * w + x)] = ((x / 8 + y / 8) % 2) ? 0xFF20A0F0u : (x > 40 ? 0xFFFF2000u : 0xFF000000u);
  ImageHolder source, target;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(source.h, w, h, w * 4, 0, px.data()));
  ASSERT_TRUE(NativeBitmapCreateFromScan0(target.h, w, h, 0, 1, nullptr));
  ASSERT_TRUE(NativeImageEffectGaussianBlur(source.h, target.h, radius, w, h));
  const std::vector<uint32_t> ours = Over(target.h, 0xFF000000);

  // pixman: a Gaussian of sigma radius / 2 is its unit Gaussian (sigma 1/sqrt 2) scaled.
  const double sigma = radius / 2, scale = sigma * M_SQRT2;
  int n = 0;
  pixman_fixed_t* params = pixman_filter_create_separable_convolution(
      &n, pixman_double_to_fixed(scale), pixman_double_to_fixed(scale), PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE,
      PIXMAN_KERNEL_GAUSSIAN, PIXMAN_KERNEL_GAUSSIAN, 0, 0);
  ASSERT_NE(params, nullptr);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, px.data(), w * 4);
  std::vector<uint32_t> theirs(size_t(w * h));
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, theirs.data(), w * 4);
  pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
  pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, w, h);
  free(params);
  pixman_image_unref(src);
  pixman_image_unref(dst);
  int worst = 0;
  for (size_t i = 0; i < theirs.size(); ++i)
    for (int s : {0, 8, 16}) worst = std::max(worst, std::abs(Channel(ours[i], s) - Channel(theirs[i], s)));
  EXPECT_LE(worst, 3);
  // The blur spreads: a pixel next to an edge is between the two colours.
  EXPECT_NE(ours[size_t(8 * w + 8)], 0x20A0F0u);
}

TEST(LuminarEffects, BlurRefusesBadArguments) {
  ImageHolder a, b;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(a.h, 8, 8, 0, 1, nullptr));
  ASSERT_TRUE(NativeBitmapCreateFromScan0(b.h, 4, 4, 0, 1, nullptr));
  EXPECT_FALSE(NativeImageEffectGaussianBlur(a.h, b.h, 2, 8, 8));  // target too small
  EXPECT_FALSE(NativeImageEffectGaussianBlur(a.h, a.h, 2, 8, 8));
  EXPECT_FALSE(NativeImageEffectGaussianBlur(a.h, b.h, 0, 4, 4));
  EXPECT_FALSE(NativeImageEffectGaussianBlur(a.h, b.h, NAN, 4, 4));
  EXPECT_TRUE(NativeImageEffectGaussianBlur(a.h, b.h, 2, 4, 4));
}

TEST(LuminarEffects, EachRecolourModeGivesTheTableColours) {
  using Call = BOOL (*)(NativeImage, const NativeRecolorRecord*);
  struct Case {
    const char* name;
    Call call;
    float brightness, contrast;
    BYTE alpha;
    DWORD colour;
    uint32_t in;
    uint32_t expected;  // over black
  };
  const Case cases[] = {
      {"None", NativeImageRecolorNone, 0, 0, 255, 0, 0xFF336699, 0x336699},
      {"None bright", NativeImageRecolorNone, 0.2f, 0, 255, 0, 0xFF336699, 0x6699CC},
      {"None contrast", NativeImageRecolorNone, 0, 1, 255, 0, 0xFF3366CC, 0x004DFF},
      {"None alpha", NativeImageRecolorNone, 0, 0, 128, 0, 0xFFFFFFFF, 0x808080},
      {"Grayscale", NativeImageRecolorGrayscale, 0, 0, 255, 0, 0xFFFF0000, 0x4C4C4C},
      {"Grayscale blue", NativeImageRecolorGrayscale, 0, 0, 255, 0, 0xFF0000FF, 0x1D1D1D},
      {"Sepia", NativeImageRecolorSepia, 0, 0, 255, 0, 0xFF808080, 0xAD9A78},
      {"Sepia white", NativeImageRecolorSepia, 0, 0, 255, 0, 0xFFFFFFFF, 0xFFFFEF},
      {"Washout", NativeImageRecolorWashout, 0, 0, 255, 0, 0xFF000000, 0xB3B3B3},
      {"Washout white", NativeImageRecolorWashout, 0, 0, 255, 0, 0xFFFFFFFF, 0xFFFFFF},
      {"BlackWhite light", NativeImageRecolorBlackWhite, 0, 0, 255, 0, 0xFFC0C0C0, 0xFFFFFF},
      {"BlackWhite dark", NativeImageRecolorBlackWhite, 0, 0, 255, 0, 0xFF404040, 0x000000},
      {"Colorify", NativeImageRecolorColorify, 0, 0, 255, 0xFFFF8000, 0xFFFFFFFF, 0xFF8000},
      {"Colorify grey", NativeImageRecolorColorify, 0, 0, 255, 0xFFFF8000, 0xFF808080, 0x804000},
  };
  for (const Case& c : cases) {
    uint32_t px = c.in;
    ImageHolder image;
    ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 1, 1, 4, 1, &px));
    const NativeRecolorRecord record{0, c.brightness, c.contrast, c.alpha, c.colour, 1, 1};
    ASSERT_TRUE(c.call(image.h, &record)) << c.name;
    EXPECT_TRUE(Near(Over(image.h, 0xFF000000)[0], c.expected, 1)) << c.name;
  }
  ImageHolder empty;
  const NativeRecolorRecord record{0, 0, 0, 255, 0, 1, 1};
  EXPECT_FALSE(NativeImageRecolorSepia(empty.h, &record));
}
