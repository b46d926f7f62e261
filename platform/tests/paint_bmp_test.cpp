// LoadImageW reading BMP files: formats, placement of the bits, DIB sections, sizes, and
// every kind of damage refused with ERROR_INVALID_DATA.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "win/gdi.h"
#include "win/kernel.h"
#include "win/user.h"
#include "win/userres.h"

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A 24-bit bottom-up 3 x 2 file: top row red, green, blue; bottom row white, black, grey.
// `gap` bytes lie between the header and the bits, which bfOffBits skips.
std::vector<uint8_t> Bmp24(size_t gap = 0) {
  const size_t stride = 12;  // 9 bytes of pixels padded to 4
  const size_t bits = 14 + 40 + gap;
  std::vector<uint8_t> b(bits + stride * 2, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 2, uint32_t(b.size()));
  Put32(b, 10, uint32_t(bits));
  Put32(b, 14, 40);
  Put32(b, 18, 3);
  Put32(b, 22, 2);
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  const uint8_t bottom[9] = {255, 255, 255, 0, 0, 0, 128, 128, 128};
  const uint8_t top[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};  // blue, green, red bytes
  std::copy(bottom, bottom + 9, b.begin() + long(bits));
  std::copy(top, top + 9, b.begin() + long(bits + stride));
  return b;
}

// An 8-bit file with a two-colour table (0 yellow, 1 navy) and 4 x 1 pixels 0 1 1 0.
std::vector<uint8_t> Bmp8() {
  std::vector<uint8_t> b(14 + 40 + 8 + 4, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 10, 14 + 40 + 8);
  Put32(b, 14, 40);
  Put32(b, 18, 4);
  Put32(b, 22, 1);
  Put16(b, 26, 1);
  Put16(b, 28, 8);
  Put32(b, 46, 2);  // colours used
  const uint8_t table[8] = {0, 255, 255, 0, 128, 0, 0, 0};
  std::copy(table, table + 8, b.begin() + 54);
  const uint8_t pixels[4] = {0, 1, 1, 0};
  std::copy(pixels, pixels + 4, b.begin() + 62);
  return b;
}

// A bottom-up run-length coded file (BI_RLE8, or BI_RLE4 with `fourBit`) of width x height
// with the same two colours as Bmp8 and the given coded bits.
std::vector<uint8_t> BmpRle(int width, int height, bool fourBit, const std::vector<uint8_t>& coded) {
  std::vector<uint8_t> b(14 + 40 + 8 + coded.size(), 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 10, 14 + 40 + 8);
  Put32(b, 14, 40);
  Put32(b, 18, uint32_t(width));
  Put32(b, 22, uint32_t(height));
  Put16(b, 26, 1);
  Put16(b, 28, fourBit ? 4 : 8);
  Put32(b, 30, fourBit ? 2 : 1);
  Put32(b, 34, uint32_t(coded.size()));
  Put32(b, 46, 2);
  const uint8_t table[8] = {0, 255, 255, 0, 128, 0, 0, 0};
  std::copy(table, table + 8, b.begin() + 54);
  for (size_t i = 0; i < coded.size(); ++i) b[62 + i] = coded[i];
  return b;
}

class PaintBmp : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("kx2_bmp_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::u16string Write(const std::vector<uint8_t>& bytes, const std::string& name) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    const std::string text = path.string();
    return std::u16string(text.begin(), text.end());
  }
  HBITMAP Load(const std::vector<uint8_t>& bytes, UINT flags = 0, int cx = 0, int cy = 0) {
    const std::u16string path = Write(bytes, "image.bmp");
    return static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, cx, cy, LR_LOADFROMFILE | flags));
  }
  static COLORREF At(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
  std::filesystem::path dir_;
};

TEST_F(PaintBmp, ReadsTrueColourAndPalettedFilesWhereverTheBitsLie) {
  for (size_t gap : {size_t{0}, size_t{6}}) {
    for (UINT flags : {0u, UINT(LR_CREATEDIBSECTION)}) {
      HBITMAP b = Load(Bmp24(gap), flags);
      ASSERT_TRUE(b) << gap << " " << flags;
      BITMAP bm{};
      GetObjectW(b, sizeof bm, &bm);
      EXPECT_EQ(bm.bmWidth, 3);
      EXPECT_EQ(bm.bmHeight, 2);
      EXPECT_EQ(bm.bmBits != nullptr, flags == LR_CREATEDIBSECTION);
      EXPECT_EQ(At(b, 0, 0), RGB(255, 0, 0));
      EXPECT_EQ(At(b, 2, 0), RGB(0, 0, 255));
      EXPECT_EQ(At(b, 1, 1), RGB(0, 0, 0));
      EXPECT_EQ(At(b, 2, 1), RGB(128, 128, 128));
      DeleteObject(b);
    }
  }
  HBITMAP paletted = Load(Bmp8());
  ASSERT_TRUE(paletted);
  EXPECT_EQ(At(paletted, 0, 0), RGB(255, 255, 0));
  EXPECT_EQ(At(paletted, 1, 0), RGB(0, 0, 128));
  DeleteObject(paletted);
  // Another size stretches; LR_DEFAULTSIZE keeps the file's.
  HBITMAP big = Load(Bmp24(), 0, 30, 20);
  ASSERT_TRUE(big);
  BITMAP bm{};
  GetObjectW(big, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 30);
  EXPECT_EQ(At(big, 25, 2), RGB(0, 0, 255));
  DeleteObject(big);
  HBITMAP same = Load(Bmp24(), LR_DEFAULTSIZE);
  GetObjectW(same, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 3);
  DeleteObject(same);
}

TEST_F(PaintBmp, DamagedFilesAreRefusedAsInvalidData) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  auto with = [](std::vector<uint8_t> b, auto&& change) {
    change(b);
    return b;
  };
  cases.push_back({"not BM", with(Bmp24(), [](auto& b) { b[0] = 'X'; })});
  cases.push_back({"header size too small", with(Bmp24(), [](auto& b) { Put32(b, 14, 20); })});
  cases.push_back({"header past the end", with(Bmp24(), [](auto& b) { Put32(b, 14, 4000); })});
  cases.push_back({"more colours than 8 bits", with(Bmp8(), [](auto& b) { Put32(b, 46, 300); })});
  cases.push_back({"colour table past the end", with(Bmp8(), [](auto& b) { b.resize(58); })});
  cases.push_back({"pixels cut short", with(Bmp24(), [](auto& b) { b.resize(b.size() - 5); })});
  cases.push_back({"bits offset past the end", with(Bmp24(), [](auto& b) { Put32(b, 10, 100000); })});
  cases.push_back({"size overflowing", with(Bmp24(), [](auto& b) {
                     Put32(b, 18, 0x7FFFFFFF);
                     Put32(b, 22, 0x7FFFFFFF);
                     Put16(b, 28, 32);
                   })});
  cases.push_back({"width too wide", with(Bmp24(), [](auto& b) { Put32(b, 18, 40000); })});
  cases.push_back({"zero width", with(Bmp24(), [](auto& b) { Put32(b, 18, 0); })});
  cases.push_back({"odd depth", with(Bmp24(), [](auto& b) { Put16(b, 28, 7); })});
  cases.push_back({"run-length coded true colour", with(Bmp24(), [](auto& b) { Put32(b, 30, 1); })});
  cases.push_back({"4-bit runs on 8-bit pixels", with(Bmp8(), [](auto& b) { Put32(b, 30, 2); })});
  cases.push_back({"run-length coded top-down", BmpRle(4, -2, false, {2, 1, 0, 1})});
  cases.push_back({"literal run past the data", BmpRle(4, 2, false, {0, 6, 1, 1})});
  cases.push_back({"move past the data", BmpRle(4, 2, false, {0, 2, 1})});
  cases.push_back({"a huge picture of a few bytes", BmpRle(32767, 32767, false, {0, 1})});
  cases.push_back({"empty", {}});
  for (const auto& c : cases) {
    for (UINT flags : {0u, UINT(LR_CREATEDIBSECTION)}) {
      SetLastError(0);
      HBITMAP b = Load(c.bytes, flags);
      EXPECT_EQ(b, nullptr) << c.what;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA)) << c.what;
      if (b) DeleteObject(b);
    }
  }
  EXPECT_EQ(LoadImageW(nullptr, u"/no/such/file.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(PaintBmp, RunLengthCodedFilesExpand) {
  const COLORREF yellow = RGB(255, 255, 0), navy = RGB(0, 0, 128);
  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    std::vector<COLORREF> top, bottom;  // rows as shown
  };
  const std::vector<Case> cases = {
      // Bottom row first: two navy, two yellow, end of row; then a literal 0 1 1 0, end.
      {"RLE8 runs and a literal run",
       BmpRle(4, 2, false, {2, 1, 2, 0, 0, 0, 0, 4, 0, 1, 1, 0, 0, 1}),
       {yellow, navy, navy, yellow},
       {navy, navy, yellow, yellow}},
      // The nibbles of a run alternate; a literal run of three nibbles takes two bytes.
      {"RLE4 alternating nibbles",
       BmpRle(4, 2, true, {4, 0x01, 0, 0, 0, 3, 0x10, 0x10, 0, 1}),
       {navy, yellow, navy, yellow},
       {yellow, navy, yellow, navy}},
      // A move skips pixels, which keep index 0; a run past the right edge is cut there.
      {"moves and cut runs",
       BmpRle(4, 2, false, {0, 2, 2, 1, 9, 1, 0, 1}),
       {yellow, yellow, navy, navy},
       {yellow, yellow, yellow, yellow}},
      {"no end marker", BmpRle(4, 2, false, {4, 1}), {yellow, yellow, yellow, yellow}, {navy, navy, navy, navy}},
  };
  for (const Case& c : cases) {
    for (UINT flags : {0u, UINT(LR_CREATEDIBSECTION)}) {
      HBITMAP b = Load(c.file, flags);
      ASSERT_TRUE(b) << c.what;
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(At(b, x, 0), c.top[size_t(x)]) << c.what << " top " << x;
        EXPECT_EQ(At(b, x, 1), c.bottom[size_t(x)]) << c.what << " bottom " << x;
      }
      DeleteObject(b);
    }
  }
}

// A 4 x 4 icon (or cursor with its hot spot at 1, 2) file: one 32-bit entry whose left
// half is transparent by the mask and right half opaque green.
std::vector<uint8_t> IconFile(bool cursor) {
  const size_t image = 40 + 16 * 4 + 4 * 4;  // header, colour rows, mask rows (4 bytes each)
  std::vector<uint8_t> b(6 + 16 + image, 0);
  Put16(b, 2, cursor ? 2 : 1);
  Put16(b, 4, 1);
  b[6] = 4, b[7] = 4;
  Put16(b, 10, cursor ? 1 : 1);
  Put16(b, 12, cursor ? 2 : 32);
  Put32(b, 14, uint32_t(image));
  Put32(b, 18, 22);
  const size_t h = 22;
  Put32(b, h, 40);
  Put32(b, h + 4, 4);
  Put32(b, h + 8, 8);
  Put16(b, h + 12, 1);
  Put16(b, h + 14, 32);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) Put32(b, h + 40 + size_t(y * 4 + x) * 4, x >= 2 ? 0x0000FF00u : 0u);
  for (int y = 0; y < 4; ++y) b[h + 40 + 64 + size_t(y) * 4] = 0xC0;  // left two columns transparent
  return b;
}

TEST_F(PaintBmp, IconAndCursorFilesLoadTheirEntry) {
  const std::u16string icoPath = Write(IconFile(false), "image.ico");
  HICON icon = static_cast<HICON>(LoadImageW(nullptr, icoPath.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
  ASSERT_TRUE(icon);
  int w = 0, h = 0;
  Kx2GetIconSize(icon, &w, &h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bits = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bits);
  RECT all{0, 0, 4, 4};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(0, 255, 0));
  SelectObject(dc, old);
  DeleteObject(bits);
  DeleteDC(dc);
  DestroyIcon(icon);

  const std::u16string curPath = Write(IconFile(true), "image.cur");
  HCURSOR cursor = static_cast<HCURSOR>(LoadImageW(nullptr, curPath.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
  ASSERT_TRUE(cursor);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 1u);
  EXPECT_EQ(info.yHotspot, 2u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);

  // An entry reaching past the file, or the wrong kind of directory, is refused.
  std::vector<uint8_t> cut = IconFile(false);
  Put32(cut, 18, 4000);
  for (const auto& [bytes, type] : {std::pair{cut, UINT(IMAGE_ICON)}, std::pair{IconFile(true), UINT(IMAGE_ICON)}}) {
    const std::u16string path = Write(bytes, "bad.ico");
    SetLastError(0);
    EXPECT_EQ(LoadImageW(nullptr, path.c_str(), type, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  }
}

}  // namespace
