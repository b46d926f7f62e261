// Icon files through OleLoadPicturePath: the largest image of the directory, PNG or DIB.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kx2/PathMap.h"
#include "win/olectl.h"

namespace {

void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, uint16_t(x));
  Put16(v, uint16_t(x >> 16));
}

// A DIB icon image of side x side, 32 bits, with its AND mask.
std::vector<uint8_t> DibImage(int side, uint32_t pixel) {
  std::vector<uint8_t> v;
  Put32(v, 40);
  Put32(v, uint32_t(side));
  Put32(v, uint32_t(side * 2));
  Put16(v, 1);
  Put16(v, 32);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  for (int i = 0; i < side * side; ++i) Put32(v, pixel);
  v.resize(v.size() + size_t((side + 31) / 32 * 4) * side, 0);
  return v;
}

std::string WriteIcon(const std::vector<std::vector<uint8_t>>& images, const std::vector<int>& sides) {
  std::vector<uint8_t> file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, uint16_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(uint8_t(sides[i]));
    file.push_back(uint8_t(sides[i]));
    file.push_back(0);
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, uint32_t(images[i].size()));
    Put32(file, offset);
    offset += uint32_t(images[i].size());
  }
  for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/test.ico";
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
  return path;
}

TEST(ImagingIcoFile, TheLargestImageIsThePicture) {
  const std::string path = WriteIcon({DibImage(16, 0x80FF0000), DibImage(32, 0xFF00FF00)}, {16, 32});
  IPicture* picture = nullptr;
  const std::u16string windows = kx2::ToWindowsPath(path);
  ASSERT_EQ(OleLoadPicturePath(const_cast<LPOLESTR>(windows.c_str()), nullptr, 0, 0, IID_IPicture,
                               reinterpret_cast<void**>(&picture)),
            S_OK);
  OLE_XSIZE_HIMETRIC w = 0;
  picture->get_Width(&w);
  EXPECT_EQ((w * 96 + 1270) / 2540, 32);
  picture->Release();
}

TEST(ImagingIcoFile, DamagedDirectoriesAreNoPicture) {
  std::vector<uint8_t> outside = DibImage(16, 0);
  const std::string path = WriteIcon({outside}, {16});
  // The entry's offset past the end of the file.
  FILE* f = std::fopen(path.c_str(), "r+b");
  std::fseek(f, 6 + 12, SEEK_SET);
  const uint8_t far[4] = {0xFF, 0xFF, 0, 0};
  std::fwrite(far, 1, 4, f);
  std::fclose(f);
  IPicture* picture = nullptr;
  const std::u16string windows = kx2::ToWindowsPath(path);
  EXPECT_EQ(OleLoadPicturePath(const_cast<LPOLESTR>(windows.c_str()), nullptr, 0, 0, IID_IPicture,
                               reinterpret_cast<void**>(&picture)),
            CTL_E_INVALIDPICTURE);
  EXPECT_EQ(picture, nullptr);
}

}  // namespace
