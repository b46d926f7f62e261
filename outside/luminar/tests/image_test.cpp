#include <fstream>
#include <iterator>
#include <vector>

#include "Canvas.h"
#include "Files.h"
#include "kx2/ImageCodec.h"
#include "win/userres.h"

namespace {

// A 40x30 picture of four colour blocks, the top-right one half transparent when
// `alpha`, the bottom-left one fully transparent.
std::vector<uint32_t> TestPixels(bool alpha) {
  std::vector<uint32_t> px(40 * 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      uint32_t c = x < 20 ? (y < 15 ? 0xFFCC2010 : 0xFF1040E0) : (y < 15 ? 0xFF20B040 : 0xFFF0E0D0);
      if (alpha && x >= 20 && y < 15) c = 0x8020B040;
      if (alpha && x < 20 && y >= 15) c = 0x00000000;
      px[size_t(y * 40 + x)] = c;
    }
  return px;
}

// Straight ARGB of every pixel, through the bitmap composited over a background.
std::vector<uint32_t> Composite(NativeImage image, DWORD background) {
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

uint32_t Over(uint32_t argb, uint32_t background) {
  const uint32_t a = argb >> 24;
  uint32_t out = 0;
  for (int s : {0, 8, 16}) {
    const uint32_t c = ((argb >> s) & 0xFF) * a + ((background >> s) & 0xFF) * (255 - a);
    out |= ((c + 127) / 255) << s;
  }
  return out;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// JPEG is lossy: its tolerance is on the mean difference, the others' on every pixel.
// Metafile raster records are opaque.
struct Format {
  const char* name;
  const char* extension;
  bool keepsAlpha;
  int tolerance;
  LONG type;
};

struct Difference {
  int worst = 0;
  double mean = 0;
  bool Within(const Format& f) const { return f.tolerance ? mean <= f.tolerance : worst <= 1; }
};

Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  Difference d;
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int s : {0, 8, 16}) {
      const int e = std::abs(Channel(a[i], s) - Channel(b[i], s));
      d.worst = std::max(d.worst, e);
      sum += e;
    }
  d.mean = a.empty() ? 0 : sum / double(a.size() * 3);
  return d;
}

const Format kFormats[] = {
    {"image/png", "png", true, 0, 1},  {"image/bmp", "bmp", true, 0, 1},   {"image/gif", "gif", false, 0, 1},
    {"image/tiff", "tif", true, 0, 1}, {"image/jpeg", "jpg", false, 3, 1}, {"emf", "emf", false, 0, 2},
    {"wmf", "wmf", false, 0, 2},
};

}  // namespace

TEST(LuminarImage, EveryFormatRoundTrips) {
  TempFolder folder;
  for (const Format& f : kFormats) {
    const bool alpha = f.keepsAlpha;
    std::vector<uint32_t> px = TestPixels(alpha);
    ImageHolder source;
    ASSERT_TRUE(NativeBitmapCreateFromScan0(source.h, 40, 30, 160, alpha, px.data()));
    const std::string path = folder.File(std::string("round.") + f.extension);
    ASSERT_TRUE(NativeImageSaveToFile(source.h, WinPath(path).c_str(), f.name)) << f.name;
    ImageHolder loaded;
    ASSERT_TRUE(NativeImageLoadFromFile(loaded.h, WinPath(path).c_str(), 0)) << f.name;
    EXPECT_EQ(NativeImageGetType(loaded.h), f.type) << f.name;
    ASSERT_EQ(NativeImageGetWidth(loaded.h), 40u) << f.name;
    ASSERT_EQ(NativeImageGetHeight(loaded.h), 30u) << f.name;
    EXPECT_NEAR(NativeImageGetHorizontalResolution(loaded.h), 96, 0.5) << f.name;
    const std::vector<uint32_t> got = Composite(loaded.h, 0xFF808080);
    ASSERT_EQ(got.size(), px.size());
    std::vector<uint32_t> expected;
    for (uint32_t p : px) expected.push_back(Over(p, 0x808080));
    const Difference d = Compare(got, expected);
    EXPECT_TRUE(d.Within(f)) << f.name << ": worst " << d.worst << ", mean " << d.mean;
  }
}

TEST(LuminarImage, UnknownFormatNameFailsToSave) {
  TempFolder folder;
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 4, 4, 0, 1, nullptr));
  EXPECT_FALSE(NativeImageSaveToFile(image.h, WinPath(folder.File("x.xyz")).c_str(), "image/xyz"));
  ImageHolder empty;
  EXPECT_FALSE(NativeImageSaveToFile(empty.h, WinPath(folder.File("y.png")).c_str(), "image/png"));
}

TEST(LuminarImage, PillowReadsOurFilesWithTheSamePixels) {
  if (!HaveProgram("/usr/bin/python3") || RunCommand("/usr/bin/python3 -c 'import PIL'") != 0)
    GTEST_SKIP() << "python3-pil is not installed";
  TempFolder folder;
  for (const Format& f : kFormats) {
    if (f.type != 1 || !strcmp(f.extension, "png")) continue;
    std::vector<uint32_t> px = TestPixels(f.keepsAlpha);
    ImageHolder image;
    ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 40, 30, 160, f.keepsAlpha, px.data()));
    const std::string path = folder.File(std::string("pil.") + f.extension);
    ASSERT_TRUE(NativeImageSaveToFile(image.h, WinPath(path).c_str(), f.name));
    std::string out;
    ASSERT_EQ(
        RunCommand("/usr/bin/python3 -c \"import sys;from PIL import Image;im=Image.open(sys.argv[1]).convert('RGBA');"
                   "print(im.size[0],im.size[1],im.tobytes().hex())\" " +
                       path,
                   &out),
        0)
        << f.name;
    int w = 0, h = 0;
    char hex[40 * 30 * 8 + 2] = {};
    ASSERT_EQ(sscanf(out.c_str(), "%d %d %9600s", &w, &h, hex), 3) << f.name;
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    // Pillow's pixels against ours, as we read the same file.
    ImageHolder ours;
    ASSERT_TRUE(NativeImageLoadFromFile(ours.h, WinPath(path).c_str(), 0));
    const std::vector<uint32_t> mine = Composite(ours.h, 0xFF808080);
    std::vector<uint32_t> theirs;
    for (size_t i = 0; i < px.size(); ++i) {
      unsigned r, g, b, a;
      ASSERT_EQ(sscanf(hex + i * 8, "%2x%2x%2x%2x", &r, &g, &b, &a), 4);
      theirs.push_back(Over((a << 24) | (r << 16) | (g << 8) | b, 0x808080));
    }
    const Difference d = Compare(mine, theirs);
    EXPECT_TRUE(d.Within(f)) << f.name << ": worst " << d.worst << ", mean " << d.mean;
  }
}

TEST(LuminarImage, MetafilePeersConvertOurEmfAndWmf) {
  TempFolder folder;
  std::vector<uint32_t> px = TestPixels(false);
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 40, 30, 160, 0, px.data()));
  struct Peer {
    const char* format;
    const char* program;
    std::string command;
  };
  const std::string emf = folder.File("peer.emf"), wmf = folder.File("peer.wmf");
  const Peer peers[] = {
      {"emf", "/usr/bin/emf2svg-conv", "/usr/bin/emf2svg-conv -i " + emf + " -o " + folder.File("emf.svg")},
      {"wmf", "/usr/bin/wmf2svg", "/usr/bin/wmf2svg -o " + folder.File("wmf.svg") + " " + wmf},
  };
  for (const Peer& p : peers) {
    if (!HaveProgram(p.program)) {
      ADD_FAILURE() << p.program << " is not installed (scripts/setup installs it)";
      continue;
    }
    ASSERT_TRUE(NativeImageSaveToFile(image.h, WinPath(p.format[0] == 'e' ? emf : wmf).c_str(), p.format));
    EXPECT_EQ(RunCommand(p.command), 0) << p.command;
    const std::vector<uint8_t> svg = ReadBytes(folder.File(std::string(p.format) + ".svg"));
    const std::string text(svg.begin(), svg.end());
    // The picture's size, 40 by 30. emf2svg measures the header's bounds without counting
    // their inclusive right and bottom edges, so it may say one less.
    const size_t svg_at = text.find("<svg");
    ASSERT_NE(svg_at, std::string::npos) << p.format;
    double w = 0, h = 0;
    const size_t wa = text.find("width=\"", svg_at), ha = text.find("height=\"", svg_at);
    ASSERT_NE(wa, std::string::npos);
    ASSERT_NE(ha, std::string::npos);
    w = atof(text.c_str() + wa + 7), h = atof(text.c_str() + ha + 8);
    EXPECT_NEAR(w, 40, 1) << p.format;
    EXPECT_NEAR(h, 30, 1) << p.format;
  }
}

TEST(LuminarImage, TruncatedOrDamagedFilesFailToLoad) {
  TempFolder folder;
  std::vector<uint32_t> px = TestPixels(true);
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 40, 30, 160, 1, px.data()));
  for (const Format& f : kFormats) {
    const std::string path = folder.File(std::string("whole.") + f.extension);
    ASSERT_TRUE(NativeImageSaveToFile(image.h, WinPath(path).c_str(), f.name));
    const std::vector<uint8_t> bytes = ReadBytes(path);
    for (size_t cut : {bytes.size() / 2, bytes.size() - 30, size_t(10)}) {
      const std::string partial = folder.File(std::string("cut.") + f.extension);
      WriteBytes(partial, std::vector<uint8_t>(bytes.begin(), bytes.begin() + ptrdiff_t(cut)));
      ImageHolder loaded;
      EXPECT_FALSE(NativeImageLoadFromFile(loaded.h, WinPath(partial).c_str(), 0)) << f.name << " cut at " << cut;
      EXPECT_EQ(NativeImageGetType(loaded.h), 0) << f.name;
      EXPECT_EQ(NativeImageGetWidth(loaded.h), 0u) << f.name;
    }
  }
  ImageHolder missing;
  EXPECT_FALSE(NativeImageLoadFromFile(missing.h, WinPath(folder.File("none.png")).c_str(), 0));
}

TEST(LuminarImage, PicturesAboveTheSizeRuleAreRefused) {
  TempFolder folder;
  // A BMP header claiming 40000 x 1 pixels (with the bits present) and a GIF screen of
  // 40000 x 1.
  std::vector<uint8_t> bmp = {'B', 'M', 0, 0,    0,    0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                              0,   0,   0, 0x40, 0x9C, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0};
  bmp.resize(54 + 120000, 0);
  const std::string path = folder.File("wide.bmp");
  WriteBytes(path, bmp);
  ImageHolder image;
  EXPECT_FALSE(NativeImageLoadFromFile(image.h, WinPath(path).c_str(), 0));
  int w = 0, h = 0;
  EXPECT_FALSE(Kx2ProbeImageSize(bmp.data(), bmp.size(), &w, &h));
  ImageHolder big;
  EXPECT_FALSE(NativeBitmapCreateFromScan0(big.h, 32768, 1, 0, 1, nullptr));
  EXPECT_TRUE(NativeBitmapCreateFromScan0(big.h, 32767, 1, 0, 1, nullptr));
}

TEST(LuminarImage, BitmapFromGdiIsOpaqueAndSavesAsBmp) {
  Canvas canvas(12, 10);
  RECT r{0, 0, 6, 10};
  HBRUSH b = CreateSolidBrush(0x0000FF);
  FillRect(canvas.dc, &r, b);
  DeleteObject(b);
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromHBITMAP(image.h, canvas.bitmap, nullptr));
  EXPECT_EQ(NativeImageGetWidth(image.h), 12u);
  const std::vector<uint32_t> px = Composite(image.h, 0xFF00FF00);
  EXPECT_EQ(px[0], 0xFF0000u);
  EXPECT_EQ(px[11], 0xFFFFFFu);  // opaque white, not the green background
  TempFolder folder;
  const std::string path = folder.File("ddb.bmp");
  ASSERT_TRUE(SaveDDBtoDIB(canvas.bitmap, nullptr, WinPath(path).c_str()));
  const std::vector<uint8_t> bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), 30u);
  EXPECT_EQ(bytes[28], 32);  // bits per pixel
  ImageHolder loaded;
  ASSERT_TRUE(NativeImageLoadFromFile(loaded.h, WinPath(path).c_str(), 0));
  EXPECT_EQ(Composite(loaded.h, 0xFF00FF00)[0], 0xFF0000u);
  EXPECT_FALSE(SaveDDBtoDIB(nullptr, nullptr, WinPath(path).c_str()));
}

TEST(LuminarImage, MetafileRecordingReplaysScaledIntoTheTarget) {
  Canvas canvas(80, 80);
  ImageHolder meta;
  const NativeRectF bounds{10, 10, 20, 20};
  ASSERT_TRUE(NativeMetafileRecordMetafile(meta.h, canvas.dc, &bounds));
  EXPECT_EQ(NativeImageGetType(meta.h), 2);
  NativeRender recorder = GetNativeRender();
  ASSERT_TRUE(NativeCreateRenderImage(recorder, meta.h));
  BrushHolder red;
  ASSERT_TRUE(NativeCreateSolidColorBrush(red.h, 0xFFFF0000));
  ASSERT_EQ(NativeRenderFillRectangle(recorder, red.h, 10, 10, 10, 20), kNativeOk);  // the left half
  ASSERT_TRUE(NativeDestroyRender(recorder));
  ReleaseNativeRender(recorder);
  ASSERT_EQ(NativeRenderDrawImageRect(canvas.render, meta.h, 0, 0, 80, 80), kNativeOk);
  EXPECT_EQ(canvas.At(20, 40), 0xFF0000u);
  EXPECT_FALSE(canvas.Inked(60, 40));
}

TEST(LuminarDevice, DpiAndCaret) {
  EXPECT_EQ(GetDeviceDpiX(nullptr), 0);
  Canvas canvas(4, 4);
  EXPECT_EQ(GetDeviceDpiX(canvas.dc), 96);
  EXPECT_EQ(GetDeviceDpiY(canvas.dc), 96);
  DisplayCaret(canvas.dc, 12, 34);
  LONG x = 0, y = 0;
  ASSERT_TRUE(LuminarCaretOf(canvas.dc, &x, &y));
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
}

TEST(LuminarImage, BitmapFromIconKeepsItsTransparency) {
  // A 2x2 24-bit icon: colour rows then the AND mask (bottom-up); the mask makes the
  // bottom-left pixel transparent.
  std::vector<uint8_t> bits = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0};
  bits.resize(40, 0);
  const uint8_t colour[2][8] = {{0, 0, 255, 0, 255, 0, 0, 0}, {255, 0, 0, 255, 255, 255, 0, 0}};  // rows padded to 8
  for (const auto& row : colour) bits.insert(bits.end(), row, row + 8);
  const uint8_t mask[2][4] = {{0x80, 0, 0, 0}, {0, 0, 0, 0}};  // bottom row first
  for (const auto& row : mask) bits.insert(bits.end(), row, row + 4);
  HICON icon = CreateIconFromResourceEx(bits.data(), DWORD(bits.size()), TRUE, 0x00030000, 0, 0, 0);
  ASSERT_NE(icon, nullptr);
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromHICON(image.h, icon));
  EXPECT_EQ(NativeImageGetWidth(image.h), 2u);
  EXPECT_EQ(NativeImageGetHeight(image.h), 2u);
  const std::vector<uint32_t> px = Composite(image.h, 0xFF00FF00);
  ASSERT_EQ(px.size(), 4u);
  EXPECT_EQ(px[0], 0x0000FFu);  // top-left: blue
  EXPECT_EQ(px[1], 0xFFFFFFu);
  EXPECT_EQ(px[2], 0x00FF00u);  // bottom-left: masked out, the background shows
  EXPECT_EQ(px[3], 0x00FF00u);  // bottom-right: green itself
  DestroyIcon(icon);
  ImageHolder none;
  EXPECT_FALSE(NativeBitmapCreateFromHICON(none.h, nullptr));
}
