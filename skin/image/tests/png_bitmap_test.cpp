// The PNG loader over pictures Pillow writes: which transformations apply, what the
// bitmap holds, and how failures leave the object.
#include <gtest/gtest.h>

#include <string>

#include <win/afx.h>
#include <win/resource.h>

#include "image_fixtures.h"
#include "ornatex/image/png_bitmap.h"

using namespace ornatex_test;

namespace {

class PngBitmap : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePillow()) GTEST_SKIP() << "python3-pil is not installed for /usr/bin/python3";
  }
  // Writes the picture and loads it; the bitmap's pixels.
  std::vector<uint32_t> Load(const std::string& code, CKtkGraphicBitmapPng& png, const char* name = "t.png") {
    const std::string path = TempFolder() + "/" + name;
    EXPECT_TRUE(Pillow(code, path));
    EXPECT_TRUE(png.LoadFromFile(Windows(path).c_str()));
    return Pixels(static_cast<HBITMAP>(png.GetSafeHandle()), &width_, &height_);
  }
  int width_ = 0, height_ = 0;
};

TEST_F(PngBitmap, PaletteWithTransparencyComesOutAsRgba) {
  CKtkGraphicBitmapPng png;
  auto px = Load(
      "im = Image.new('P', (3, 2), 1)\n"
      "im.putpalette([0, 0, 0, 10, 20, 30])\n"
      "im.putpixel((0, 0), 0)\n"
      "im.save(sys.argv[1], transparency=0)",
      png);
  ASSERT_EQ(px.size(), 6u);
  EXPECT_TRUE(png.m_bAlpha);
  EXPECT_EQ(Alpha(px[0]), 0);
  EXPECT_EQ(Alpha(px[1]), 255);
  EXPECT_EQ(Red(px[1]), 10);
  EXPECT_EQ(Green(px[1]), 20);
  EXPECT_EQ(Blue(px[1]), 30);  // not premultiplied, bytes blue, green, red
}

TEST_F(PngBitmap, SixteenBitGreyComesOutAsRgbWithoutAlpha) {
  CKtkGraphicBitmapPng png;
  auto px = Load("im = Image.new('I;16', (4, 3), 0x8080)\nim.save(sys.argv[1])", png);
  ASSERT_EQ(px.size(), 12u);
  EXPECT_FALSE(png.m_bAlpha);
  EXPECT_EQ(width_, 4);
  EXPECT_EQ(height_, 3);
  for (uint32_t p : px) {
    EXPECT_EQ(Alpha(p), 0);
    EXPECT_EQ(Red(p), 0x80);
    EXPECT_EQ(Green(p), Red(p));
    EXPECT_EQ(Blue(p), Red(p));
  }
}

TEST_F(PngBitmap, GammaIsCorrectedForTheScreen) {
  const struct {
    int gamma;  // the gAMA chunk's value: gamma x 100000
    int grey;
  } cases[] = {{100000, 186}, {45455, 128}};
  for (const auto& c : cases) {
    CKtkGraphicBitmapPng png;
    auto px = Load(
        "info = PngImagePlugin.PngInfo()\n"
        "info.add(b'gAMA', (" +
            std::to_string(c.gamma) +
            ").to_bytes(4, 'big'))\n"
            "Image.new('L', (2, 2), 128).save(sys.argv[1], pnginfo=info)",
        png);
    ASSERT_FALSE(px.empty());
    EXPECT_NEAR(Red(px[0]), c.grey, 1) << c.gamma;
  }
}

TEST_F(PngBitmap, BackgroundChunkLeavesTheTransparency) {
  CKtkGraphicBitmapPng png;
  auto px = Load(
      "info = PngImagePlugin.PngInfo()\n"
      "info.add(b'bKGD', bytes([0, 255, 0, 255, 0, 255]))\n"
      "im = Image.new('RGBA', (2, 1), (200, 100, 50, 0))\n"
      "im.putpixel((1, 0), (1, 2, 3, 128))\n"
      "im.save(sys.argv[1], pnginfo=info)",
      png);
  ASSERT_EQ(px.size(), 2u);
  EXPECT_TRUE(png.m_bAlpha);
  EXPECT_EQ(Alpha(px[0]), 0);
  EXPECT_EQ(Red(px[0]), 200);
  EXPECT_EQ(Alpha(px[1]), 128);
  EXPECT_EQ(Blue(px[1]), 3);
}

TEST_F(PngBitmap, DataEndingEarlyFailsAndLeavesNoBitmap) {
  CKtkGraphicBitmapPng png;
  Load("Image.new('RGB', (2, 2), (1, 2, 3)).save(sys.argv[1])", png, "good.png");
  ASSERT_NE(png.GetSafeHandle(), nullptr);
  const std::string path = TempFolder() + "/cut.png";
  ASSERT_TRUE(
      Pillow("import random\nrandom.seed(1)\n"
             "im = Image.frombytes('RGB', (64, 64), bytes(random.randrange(256) for _ in range(64 * 64 * 3)))\n"
             "im.save(sys.argv[1])",
             path));
  Bytes bytes = ReadAll(path);
  bytes.resize(bytes.size() / 2);  // inside the image data
  WriteAll(path, bytes);
  EXPECT_FALSE(png.LoadFromFile(Windows(path).c_str()));
  EXPECT_EQ(png.GetSafeHandle(), nullptr);
  EXPECT_FALSE(png.m_bAlpha);
}

TEST(PngBitmapRefusals, NoPngNoFileNoBitmap) {
  CKtkGraphicBitmapPng png;
  EXPECT_FALSE(png.LoadFromFile(u"Z:\\no\\such\\file.png"));
  const struct {
    Bytes bytes;
    const char* what;
  } cases[] = {
      {{}, "empty"},
      {{0x89, 'P', 'N', 'G'}, "shorter than the signature"},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B, 0, 0, 0, 0}, "wrong signature"},
      {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, "signature alone"},
      // IHDR of 40000 x 1: above the size rule.
      {{0x89, 'P',  'N',  'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I',  'H',  'D',  'R', 0,
        0,    0x9C, 0x40, 0,   0,    0,    1,    8,    6, 0, 0, 0,  0x3C, 0x5B, 0x27, 0x5D},
       "too wide"},
  };
  for (const auto& c : cases) {
    CMemFile file(const_cast<BYTE*>(c.bytes.data()), static_cast<UINT>(c.bytes.size()));
    EXPECT_FALSE(png.LoadFromStream(file)) << c.what;
    EXPECT_EQ(png.GetSafeHandle(), nullptr) << c.what;
  }
}

TEST(PngBitmapRefusals, ResourcesOfNineBytesOrFewerAreNotDecoded) {
  kx2::rsrc::ContainerWriter writer;
  const Bytes nine = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0};
  writer.Add(std::u16string(u"PNG"), std::u16string(u"SMALL"), 0, nine);
  HMODULE module = ResourceModule("small.rsrc", writer);
  ASSERT_NE(module, nullptr);
  HRSRC resource = FindResourceW(module, u"SMALL", u"PNG");
  ASSERT_NE(resource, nullptr);
  CKtkGraphicBitmapPng png;
  EXPECT_FALSE(png.LoadFromResource(module, resource));
  EXPECT_FALSE(png.LoadFromResource(module, nullptr));
  FreeLibrary(module);
}

}  // namespace
