#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "kx2/ImageCodec.h"
#include "win/olectl.h"

namespace {

struct Folder {
  std::filesystem::path path;
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "imaging-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::u16string Win(const std::string& name) const {
    std::u16string out = u"Z:";
    for (char c : (path / name).string()) out += c == '/' ? u'\\' : char16_t(c);
    return out;
  }
};

// 6x4 BGRA: left half opaque red, right half transparent.
std::vector<uint8_t> Pixels() {
  std::vector<uint8_t> px(6 * 4 * 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x) {
      uint8_t* p = &px[size_t((y * 6 + x) * 4)];
      p[2] = 255, p[3] = 255;
    }
  return px;
}

}  // namespace

TEST(ImagingCodec, EveryEncoderRoundTripsThroughTheDecoder) {
  Folder folder;
  const std::vector<uint8_t> px = Pixels();
  for (int format : {KX2_IMAGE_PNG, KX2_IMAGE_GIF, KX2_IMAGE_TIFF, KX2_IMAGE_BMP}) {
    const std::u16string path = folder.Win("p" + std::to_string(format));
    ASSERT_TRUE(Kx2EncodeImageFile(path.c_str(), format, px.data(), 6, 4, 24, TRUE, 120, 120, 0)) << format;
    Kx2DecodedImage d;
    ASSERT_TRUE(Kx2DecodeImageFile(path.c_str(), &d)) << format;
    EXPECT_EQ(d.format, format);
    EXPECT_EQ(d.width, 6);
    EXPECT_EQ(d.height, 4);
    EXPECT_TRUE(d.hasAlpha) << format;
    EXPECT_EQ(d.pixels[2], 255) << format;        // red
    EXPECT_EQ(d.pixels[5 * 4 + 3], 0) << format;  // transparent
    if (format == KX2_IMAGE_TIFF || format == KX2_IMAGE_BMP) {
      EXPECT_NEAR(d.dpiX, 120, 0.5) << format;
    }
    Kx2FreeDecodedImage(&d);
  }
}

TEST(ImagingCodec, ProbeReadsHeadersAndRefusesDamage) {
  Folder folder;
  const std::vector<uint8_t> px = Pixels();
  const std::u16string path = folder.Win("j.jpg");
  ASSERT_TRUE(Kx2EncodeImageFile(path.c_str(), KX2_IMAGE_JPEG, px.data(), 6, 4, 24, FALSE, 96, 96, 80));
  FILE* f = fopen((folder.path / "j.jpg").c_str(), "rb");
  std::vector<uint8_t> bytes(4096);
  bytes.resize(fread(bytes.data(), 1, bytes.size(), f));
  fclose(f);
  int w = 0, h = 0;
  ASSERT_TRUE(Kx2ProbeImageSize(bytes.data(), bytes.size(), &w, &h));
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 4);
  Kx2DecodedImage d;
  EXPECT_FALSE(Kx2DecodeImage(bytes.data(), bytes.size() / 2, &d));
  EXPECT_FALSE(Kx2DecodeImage(bytes.data(), 3, &d));
  const uint8_t junk[] = "not a picture";
  EXPECT_EQ(Kx2SniffImage(junk, sizeof junk), KX2_IMAGE_UNKNOWN);
  EXPECT_FALSE(Kx2ProbeImageSize(junk, sizeof junk, &w, &h));
  // A PNG header claiming 40000 pixels a side.
  const uint8_t huge[24] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13,
                            'I',  'H', 'D', 'R', 0,    0,    0x9C, 0x40, 0, 0, 0, 1};
  EXPECT_FALSE(Kx2ProbeImageSize(huge, sizeof huge, &w, &h));
  EXPECT_FALSE(Kx2EncodeImageFile(path.c_str(), KX2_IMAGE_BMP, px.data(), 40000, 1, 24, FALSE, 96, 96, 0));
}

TEST(ImagingPicture, OleLoadPicturePathRendersThePicture) {
  Folder folder;
  const std::vector<uint8_t> px = Pixels();
  const std::u16string path = folder.Win("p.gif");
  ASSERT_TRUE(Kx2EncodeImageFile(path.c_str(), KX2_IMAGE_GIF, px.data(), 6, 4, 24, TRUE, 96, 96, 0));
  IPicture* picture = nullptr;
  std::u16string mutablePath = path;
  ASSERT_EQ(OleLoadPicturePath(mutablePath.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture)),
            S_OK);
  OLE_XSIZE_HIMETRIC hw = 0;
  OLE_YSIZE_HIMETRIC hh = 0;
  picture->get_Width(&hw);
  picture->get_Height(&hh);
  EXPECT_EQ(hw, 159);  // 6 px at 96 per inch
  EXPECT_EQ(hh, 106);
  // Rendered the usual way (source from the top, downwards) twice its size over white.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 12, info.bmiHeader.biHeight = -8, info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, target);
  PatBlt(dc, 0, 0, 12, 8, WHITENESS);
  EXPECT_EQ(picture->Render(dc, 0, 0, 12, 8, 0, hh, hw, -hh, nullptr), S_OK);
  GdiFlush();
  const uint32_t* p = static_cast<const uint32_t*>(bits);
  EXPECT_EQ(p[2 * 12 + 2] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(p[2 * 12 + 9] & 0xFFFFFF, 0xFFFFFFu);  // transparent: the white shows
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(target);
  picture->Release();
  std::u16string missing = folder.Win("none.png");
  EXPECT_NE(OleLoadPicturePath(missing.data(), nullptr, 0, 0, IID_IPicture, reinterpret_cast<void**>(&picture)), S_OK);
}

TEST(ImagingCodec, ResolutionsOutsideTheHeaderFieldAreBounded) {
  struct Case {
    float dpi;
    uint32_t perMeter;
  } const cases[] = {{96, 3780}, {120, 4724}, {0, 0}, {-5, 0}, {NAN, 0}, {1e30f, 0x7FFFFFFF}, {INFINITY, 0x7FFFFFFF}};
  for (const Case& c : cases) EXPECT_EQ(Kx2PelsPerMeter(c.dpi), c.perMeter) << c.dpi;
  // A decoded picture's resolution may be anything its file said: the BMP written from it
  // holds the field's largest value, and a bad one falls back to 96.
  Folder folder;
  const std::vector<uint8_t> px = Pixels();
  for (const float dpi : {1e30f, NAN}) {
    const std::u16string path = folder.Win("huge.bmp");
    ASSERT_TRUE(Kx2EncodeImageFile(path.c_str(), KX2_IMAGE_BMP, px.data(), 6, 4, 24, FALSE, dpi, dpi, 0)) << dpi;
    Kx2DecodedImage d;
    ASSERT_TRUE(Kx2DecodeImageFile(path.c_str(), &d));
    EXPECT_NEAR(d.dpiX, std::isnan(dpi) ? 96 : 0x7FFFFFFF * 0.0254, 1) << dpi;
    Kx2FreeDecodedImage(&d);
  }
}
