// The rendering wrappers: image files in and out, resizing and converting, GDI bitmaps,
// recolouring, the picture image through the canvas owner, the radial layout and the
// recording drawn back into the device.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include <vantorel/present_host.h>

#include <kx2/GdiCairo.h>
#include <plastrum/present/painting/ImageEffects.h>
#include <plastrum/present/painting/ImageFiles.h>
#include <plastrum/present/painting/RadialLayout.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>

#include "present_dib_support.h"
#include "present_image_support.h"

namespace {

using namespace Present::Rendering;
using present_test::NearRgb;
using present_test::Patch;
using present_test::ReadPng;
using present_test::WinPath;
using present_test::WritePng;

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kWhite = 0xFFFFFF;

class PresentRendering : public present_test::LuminarCounted {
 protected:
  // A 10 x 10 enhanced metafile that fills only its left half red, with no pen.
  static void WriteRedLeftHalfEmf(const std::string& path) {
    std::string bytes;
    auto u32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes += static_cast<char>(v >> (8 * i));
    };
    u32(1), u32(88), u32(0), u32(0), u32(9), u32(9);  // header: bounds 0,0 - 9,9
    for (int i = 0; i < 4; ++i) u32(0);               // frame
    u32(0x464D4520), u32(0x10000), u32(0), u32(5), u32(0), u32(0), u32(0), u32(0), u32(0), u32(0), u32(0), u32(0);
    u32(39), u32(24), u32(1), u32(0), u32(0x000000FF), u32(0);  // solid red brush as object 1
    u32(37), u32(12), u32(1);                                   // select it
    u32(37), u32(12), u32(0x80000008);                          // the null pen
    u32(43), u32(24), u32(0), u32(0), u32(5), u32(10);          // rectangle 0,0 - 5,10
    u32(14), u32(20), u32(0), u32(0), u32(20);                  // end
    std::ofstream(path, std::ios::binary) << bytes;
  }

  std::string File(const std::string& name) { return folder_.File(name); }
  // 20 x 10: red left half, blue right half.
  std::string HalfAndHalf() {
    const std::string path = File("halves.png");
    WritePng(path, 20, 10, {{0, 0, 10, 10, kRed}, {10, 0, 10, 10, kBlue}});
    return path;
  }
  static std::string Head(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
  }

  present_test::TempFolder folder_;
};

TEST_F(PresentRendering, SaveWritesTheFormatOfItsCodeAndPngForOthers) {
  std::unique_ptr<Image> image(LoadImageFile(WinPath(HalfAndHalf()).c_str()));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetKind(), Image::kBitmap);
  const struct {
    int32_t code;
    std::string signature;
  } cases[] = {{0x99, "\x89PNG"},  {0, "\x89PNG"},       {kFormatPng, "\x89PNG"},
               {kFormatBmp, "BM"}, {kFormatGif, "GIF8"}, {kFormatJpg, "\xFF\xD8\xFF"},
               {kFormatTif, "II*"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const std::string path = File("saved" + std::to_string(c.code));
    ASSERT_TRUE(SaveImageFile(image.get(), WinPath(path).c_str(), c.code));
    EXPECT_EQ(Head(path, c.signature.size()), c.signature);
  }
  EXPECT_EQ(LoadImageFile(WinPath(File("missing.png")).c_str()), nullptr);
}

struct ResizeProbe {
  int x, y;
  uint32_t rgb;
};

TEST_F(PresentRendering, ResizeModesPlaceTheSourceInTheTarget) {
  const std::string source = HalfAndHalf();
  const struct {
    int32_t mode;
    std::vector<ResizeProbe> probes;
  } cases[] = {
      // Stretched over 40 x 40.
      {0, {{1, 1, 0xFF0000}, {38, 1, 0x0000FF}, {1, 38, 0xFF0000}, {38, 38, 0x0000FF}, {15, 20, 0xFF0000}}},
      // Natural size at (10, 15): white around it.
      {1, {{1, 1, kWhite}, {38, 38, kWhite}, {15, 20, 0xFF0000}, {25, 20, 0x0000FF}, {20, 13, kWhite}}},
      // Fit: scale 2, 40 x 20 at (0, 10).
      {2, {{1, 1, kWhite}, {38, 38, kWhite}, {5, 20, 0xFF0000}, {35, 20, 0x0000FF}}},
      // Fill: scale 4, 80 x 40 at (-20, 0), cropped.
      {3, {{1, 1, 0xFF0000}, {38, 1, 0x0000FF}, {1, 38, 0xFF0000}, {38, 38, 0x0000FF}, {15, 20, 0xFF0000}}},
      // Other modes stretch.
      {9, {{1, 1, 0xFF0000}, {38, 38, 0x0000FF}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string target = File("resized" + std::to_string(c.mode) + ".png");
    ASSERT_TRUE(ResizeImageFile(WinPath(source).c_str(), WinPath(target).c_str(), kFormatPng, 40, 40, c.mode));
    const present_test::Pixels out = ReadPng(target);
    ASSERT_EQ(out.width, 40);
    ASSERT_EQ(out.height, 40);
    for (const ResizeProbe& p : c.probes) EXPECT_TRUE(NearRgb(out.Rgb(p.x, p.y), p.rgb)) << p.x << "," << p.y;
    EXPECT_EQ(out.At(1, 1) >> 24, 0xFFu);  // the target is opaque
  }
}

TEST_F(PresentRendering, ResizingToTheSameSizeKeepsThePixels) {
  const std::string source = File("alpha.png");
  WritePng(source, 8, 8, {{0, 0, 4, 8, 0x80FF0000}});  // half see-through red, half clear
  const std::string target = File("same.png");
  ASSERT_TRUE(ResizeImageFile(WinPath(source).c_str(), WinPath(target).c_str(), kFormatPng, 8, 8, 0));
  const present_test::Pixels out = ReadPng(target);
  ASSERT_EQ(out.width, 8);
  EXPECT_EQ(out.At(6, 4) >> 24, 0u);  // not drawn over white
  EXPECT_NEAR(static_cast<int>(out.At(1, 4) >> 24), 0x80, 1);
}

TEST_F(PresentRendering, ResizeAndConvertRefuseTinyImagesAndTargets) {
  const std::string source = HalfAndHalf(), tiny = File("tiny.png"), target = File("out.png");
  WritePng(tiny, 2, 20, {{0, 0, 2, 20, kRed}});
  EXPECT_FALSE(ResizeImageFile(WinPath(source).c_str(), WinPath(target).c_str(), 0, 2, 40, 0));
  EXPECT_FALSE(ResizeImageFile(WinPath(source).c_str(), WinPath(target).c_str(), 0, 40, 0, 0));
  EXPECT_FALSE(ResizeImageFile(WinPath(tiny).c_str(), WinPath(target).c_str(), 0, 40, 40, 0));
  EXPECT_FALSE(ResizeImageFile(WinPath(File("none.png")).c_str(), WinPath(target).c_str(), 0, 40, 40, 0));
  EXPECT_FALSE(ConvertImageFile(WinPath(tiny).c_str(), 1, WinPath(target).c_str(), 0));
  EXPECT_FALSE(ConvertImageFile(WinPath(source).c_str(), 21, WinPath(target).c_str(), 0));  // shorter than the limit
  EXPECT_FALSE(ConvertImageFile(WinPath(source).c_str(), 0, WinPath(target).c_str(), 0));
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(PresentRendering, ConvertScalesTheLongerSideToTheLimit) {
  const std::string source = File("wide.png"), target = File("converted.png");
  WritePng(source, 200, 75, {{0, 0, 100, 75, kRed}, {100, 0, 100, 75, kBlue}});
  const struct {
    int32_t limit, w, h;
  } cases[] = {{50, 50, 19}, {200, 200, 75}, {3, 3, 1}};  // 18.75 rounds to 19, 1.125 to 1
  for (const auto& c : cases) {
    SCOPED_TRACE(c.limit);
    ASSERT_TRUE(ConvertImageFile(WinPath(source).c_str(), c.limit, WinPath(target).c_str(), kFormatPng));
    const present_test::Pixels out = ReadPng(target);
    EXPECT_EQ(out.width, c.w);
    EXPECT_EQ(out.height, c.h);
  }
  const present_test::Pixels out = ReadPng(target);
  ASSERT_TRUE(ConvertImageFile(WinPath(source).c_str(), 50, WinPath(target).c_str(), kFormatPng));
  const present_test::Pixels fifty = ReadPng(target);
  EXPECT_TRUE(NearRgb(fifty.Rgb(5, 9), 0xFF0000));
  EXPECT_TRUE(NearRgb(fifty.Rgb(45, 9), 0x0000FF));
}

TEST_F(PresentRendering, FileSizeScalesWithTheResolution) {
  const std::string source = HalfAndHalf();
  float w = 0, h = 0;
  ASSERT_TRUE(ImageFileSize(WinPath(source).c_str(), 192, 48, &w, &h));
  EXPECT_EQ(w, 40.0f);
  EXPECT_EQ(h, 5.0f);
  EXPECT_FALSE(ImageFileSize(WinPath(File("none.png")).c_str(), 96, 96, &w, &h));
}

TEST_F(PresentRendering, GdiBitmapsOfBitmapsAndMetafiles) {
  const std::string source = File("part.png");
  WritePng(source, 10, 10, {{0, 0, 5, 10, kRed}});  // right half clear
  // A bitmap goes over white.
  HBITMAP handle = ImageFileHandle(WinPath(source).c_str(), 0xFF00FF00);
  ASSERT_NE(handle, nullptr);
  const std::string asPng = File("handle.png");
  ASSERT_TRUE(Kx2GdiWriteBitmapPng(handle, WinPath(asPng).c_str()));
  DeleteObject(handle);
  present_test::Pixels out = ReadPng(asPng);
  EXPECT_TRUE(NearRgb(out.Rgb(2, 5), 0xFF0000));
  EXPECT_TRUE(NearRgb(out.Rgb(8, 5), kWhite));

  // A metafile is played over the given background.
  const std::string emf = File("drawing.emf");
  WriteRedLeftHalfEmf(emf);
  handle = ImageFileHandle(WinPath(emf).c_str(), 0xFF00FF00);
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(Kx2GdiWriteBitmapPng(handle, WinPath(asPng).c_str()));
  DeleteObject(handle);
  out = ReadPng(asPng);
  ASSERT_EQ(out.width, 10);
  EXPECT_TRUE(NearRgb(out.Rgb(2, 5), 0xFF0000));
  EXPECT_TRUE(NearRgb(out.Rgb(8, 5), 0x00FF00));

  // Stretched onto a bitmap of a given size over the background; tiny sizes give none.
  handle = ImageFileBitmap(WinPath(source).c_str(), 30, 20, 0xFF0000FF);
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(Kx2GdiWriteBitmapPng(handle, WinPath(asPng).c_str()));
  DeleteObject(handle);
  out = ReadPng(asPng);
  ASSERT_EQ(out.width, 30);
  ASSERT_EQ(out.height, 20);
  EXPECT_TRUE(NearRgb(out.Rgb(5, 10), 0xFF0000));
  EXPECT_TRUE(NearRgb(out.Rgb(25, 10), 0x0000FF));
  EXPECT_EQ(ImageFileBitmap(WinPath(source).c_str(), 2, 20, 0), nullptr);
  EXPECT_EQ(ImageFileBitmap(WinPath(File("none.png")).c_str(), 20, 20, 0), nullptr);
}

TEST_F(PresentRendering, BlurMakesANewBitmapOfTheSameSize) {
  std::unique_ptr<Image> image(LoadImageFile(WinPath(HalfAndHalf()).c_str()));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(BlurImage(image.get(), 0), nullptr);
  EXPECT_EQ(BlurImage(image.get(), -1), nullptr);
  EXPECT_EQ(BlurImage(nullptr, 2), nullptr);
  std::unique_ptr<Bitmap> blurred(BlurImage(image.get(), 3));
  ASSERT_NE(blurred, nullptr);
  EXPECT_EQ(blurred->Width(), 20);
  EXPECT_EQ(blurred->Height(), 10);
}

TEST_F(PresentRendering, RecolourTakesTheImageAndGivesOneBack) {
  Image* image = LoadImageFile(WinPath(HalfAndHalf()).c_str());
  ASSERT_NE(image, nullptr);
  NativeRecolorRecord none{0, 0, 0, 255, 0, 20, 10};
  EXPECT_EQ(RecolorImage(none, image), image);  // nothing asked: the image itself

  NativeRecolorRecord zero{1, 0, 0, 255, 0, 0, 10};
  EXPECT_EQ(RecolorImage(zero, image), image);  // no size to draw into: unchanged

  NativeRecolorRecord gray{1, 0, 0, 255, 0, 20, 10};
  Image* recoloured = RecolorImage(gray, image);  // the source is freed
  ASSERT_NE(recoloured, nullptr);
  ASSERT_NE(recoloured, image);
  const std::string path = File("gray.png");
  ASSERT_TRUE(SaveImageFile(recoloured, WinPath(path).c_str(), kFormatPng));
  delete recoloured;
  const present_test::Pixels out = ReadPng(path);
  const uint32_t left = out.Rgb(2, 5);
  EXPECT_EQ((left >> 16) & 0xFF, (left >> 8) & 0xFF);
  EXPECT_EQ((left >> 8) & 0xFF, left & 0xFF);
  EXPECT_EQ(RecolorImage(gray, nullptr), nullptr);
}

// A canvas owner whose files the test names; identifiers without a file fail.
class TestOwner final : public IPresentCanvasOwner {
 public:
  std::map<LONG, std::u16string> files;
  std::vector<LONG> asked;
  BOOL GetBinaryDataFile(LONG id, VtlPathBuffer* path) override {
    asked.push_back(id);
    const auto found = files.find(id);
    if (found == files.end()) return FALSE;
    if (found->second.size() + 1 > path->capacity) return FALSE;
    std::copy(found->second.begin(), found->second.end(), path->text);
    path->text[found->second.size()] = 0;
    return TRUE;
  }
  BOOL DrawText(const void*, LONG, LONG, POINT) override { return TRUE; }
};

TEST_F(PresentRendering, PictureImageAsksTheOwnerAndFallsBackToThePlaceholder) {
  const std::string halves = HalfAndHalf(), placeholder = File("placeholder.png");
  WritePng(placeholder, 6, 4, {{0, 0, 6, 4, kBlue}});
  TestOwner owner;
  owner.files[5] = WinPath(halves);
  owner.files[6] = u"";
  owner.files[-1] = WinPath(placeholder);

  Present::Style::PictureRecord picture;
  picture.binDataId = 5;
  std::unique_ptr<Image> plain(PictureImage(&picture, &owner, nullptr));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->Width(), 20);
  EXPECT_EQ(owner.asked, std::vector<LONG>{5});

  picture.binDataId = 7;  // the owner fails: the placeholder
  owner.asked.clear();
  std::unique_ptr<Image> fallback(PictureImage(&picture, &owner, nullptr));
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->Width(), 6);
  EXPECT_EQ(owner.asked, (std::vector<LONG>{7, -1}));

  picture.binDataId = 6;  // success with an empty path: no image
  EXPECT_EQ(PictureImage(&picture, &owner, nullptr), nullptr);
  picture.binDataId = 0;
  EXPECT_EQ(PictureImage(&picture, &owner, nullptr), nullptr);

  picture.binDataId = 5;
  picture.transparency = 0.5f;  // adjusted: a recoloured copy with the picture's alpha
  std::unique_ptr<Image> faded(PictureImage(&picture, &owner, nullptr));
  ASSERT_NE(faded, nullptr);
  const std::string path = File("faded.png");
  ASSERT_TRUE(SaveImageFile(faded.get(), WinPath(path).c_str(), kFormatPng));
  EXPECT_NEAR(static_cast<int>(ReadPng(path).At(2, 5) >> 24), 127, 2);
}

TEST(PresentRadialLayout, PathRectanglesByDirectionAndShape) {
  const NativeRectF b{10, 20, 30, 40};  // diagonal 50
  const struct {
    uint8_t direction;
    bool ellipse;
    NativeRectF r;
  } cases[] = {
      {2, false, {10, 20, 30, 40}},    {2, true, {0, 15, 50, 50}},      {0, false, {10, 20, 60, 80}},
      {0, true, {-10, 10, 100, 100}},  {1, false, {-20, 20, 60, 80}},   {1, true, {-40, 10, 100, 100}},
      {3, false, {10, -20, 60, 80}},   {3, true, {-10, -30, 100, 100}}, {4, false, {-20, -20, 60, 80}},
      {4, true, {-40, -30, 100, 100}}, {7, false, {10, 20, 60, 80}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.direction) << (c.ellipse ? " ellipse" : " rectangle"));
    const NativeRectF r = RadialLayoutRect(b, c.direction, c.ellipse);
    EXPECT_FLOAT_EQ(r.x, c.r.x);
    EXPECT_FLOAT_EQ(r.y, c.r.y);
    EXPECT_FLOAT_EQ(r.width, c.r.width);
    EXPECT_FLOAT_EQ(r.height, c.r.height);
  }
  RadialGradientBrush brush(b, true, 4);
  EXPECT_TRUE(brush.Valid());
  EXPECT_FLOAT_EQ(brush.path.x, -40);
}

// A 100 x 100 white DIB section in a memory DC.
using DibCanvas = present_test::WhiteDib<100>;

TEST_F(PresentRendering, ARecordingIsDrawnBackAtTheOffsetPlusTheExtraOffset) {
  DibCanvas canvas;
  PaintRenderBlock block;
  EXPECT_EQ(AttachDevice(block.device, block.settings), kRenderNoTarget);  // no device context
  block.settings.device = canvas.dc();
  ASSERT_EQ(AttachDevice(block.device, block.settings), kRenderDone);
  EXPECT_EQ(block.device.kind, RenderRecord::kDeviceContext);
  EXPECT_EQ(block.device.dpiX, 96.0f);

  block.offset = {10, 10, 20, 20};
  block.extraX = 30;
  block.extraY = 40;
  ASSERT_EQ(BeginRecording(block), kRenderDone);
  EXPECT_EQ(block.current, &block.recording);
  EXPECT_EQ(block.recording.kind, RenderRecord::kImage);
  EXPECT_EQ(BeginRecording(block), 23);  // one recording at a time
  SolidColorBrush red(kRed);
  ASSERT_EQ(NativeRenderFillRectangle(block.current->render, red.Handle(), 10, 10, 20, 20), 0);
  EXPECT_EQ(canvas.At(20, 20), kWhite);  // nothing reaches the device while recording
  ASSERT_EQ(EndRecording(block), kRenderDone);
  EXPECT_EQ(block.current, &block.device);
  EXPECT_EQ(block.metafile, nullptr);
  EXPECT_EQ(canvas.At(50, 60), 0xFF0000u);
  EXPECT_EQ(canvas.At(20, 20), kWhite);
  EXPECT_EQ(canvas.At(38, 48), kWhite);
  block.device.Detach();
}

TEST_F(PresentRendering, PensAndArrowsOwnTheirHandles) {
  PenRecord plain(0xFF123456, 2.0f);
  EXPECT_TRUE(plain.Valid());
  EXPECT_EQ(plain.color, 0xFF123456u);
  EXPECT_EQ(plain.style, 0x04000400u);
  NativeBrush brush = GetNativeBrush();
  ASSERT_TRUE(NativeCreateSolidColorBrush(brush, kBlue));
  PenRecord brushed(0xFF123456, 3.0f, brush);  // takes the brush
  EXPECT_TRUE(brushed.Valid());
  EXPECT_EQ(brushed.color, 0xFF000000u);
  ArrowRecord arrows;
  arrows.endType = 1;
  arrows.endSize = 4;
  arrows.SetWidth(plain.pen, 5.0f);
  EXPECT_EQ(arrows.width, 5.0f);
}

}  // namespace
