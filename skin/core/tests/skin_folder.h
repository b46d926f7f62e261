// A folder skin written by a test: its INI lines (UTF-8) and plain 24-bit bitmaps, in a
// folder of its own under the test's temporary folder.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <win/gdi.h>

namespace ornatex_test {

class SkinFolder {
 public:
  explicit SkinFolder(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    folder_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name;
    mkdir(folder_.c_str(), 0700);
  }
  // The folder as the skin's code names it.
  std::u16string Path() const { return kx2::ToWindowsPath(folder_); }
  std::string PosixPath() const { return folder_; }

  void Write(const std::vector<std::u16string>& lines, const std::string& ini = "skin.ini") const {
    std::ofstream out(folder_ + "/" + ini, std::ios::binary);
    for (const auto& line : lines) out << kx2::Utf16ToUtf8(line) << "\r\n";
  }

  // A bottom-up 24-bit bitmap whose pixel at (x, y) is colour(x, y).
  void WriteBitmap(const std::string& name, int width, int height,
                   const std::function<COLORREF(int, int)>& colour) const {
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> bytes(54 + static_cast<size_t>(stride) * height, 0);
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B', bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1, bytes[28] = 24;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const COLORREF c = colour(x, y);
        uint8_t* p = &bytes[54 + static_cast<size_t>(height - 1 - y) * stride + x * 3];
        p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
      }
    std::ofstream(folder_ + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void WriteBitmap(const std::string& name, int width, int height, COLORREF colour) const {
    WriteBitmap(name, width, height, [colour](int, int) { return colour; });
  }

 private:
  std::string folder_;
};

}  // namespace ornatex_test
