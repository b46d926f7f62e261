// Pictures for the image tests: written by Pillow under Debian's own interpreter into the
// test's temporary folder, and resource modules holding bytes of the test's choice.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/ResourceContainer.h>
#include <kx2/Utf.h>
#include <win/gdi.h>
#include <win/module.h>

namespace ornatex_test {

using Bytes = std::vector<uint8_t>;

inline std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

inline bool HavePillow() { return std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0; }

// Runs a Python snippet with `out` as sys.argv[1]; the snippet writes the picture there.
inline bool Pillow(const std::string& code, const std::string& out) {
  const std::string script = TempFolder() + "/fixture.py";
  std::ofstream(script) << "import sys\nfrom PIL import Image, PngImagePlugin\n" << code << "\n";
  const std::string command = "/usr/bin/python3 " + script + " " + out;
  return std::system(command.c_str()) == 0;
}

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::u16string Windows(const std::string& posix) { return kx2::ToWindowsPath(posix); }

// A resource module (loaded as data) with the given resources; freed by the caller.
inline HMODULE ResourceModule(const std::string& name, const kx2::rsrc::ContainerWriter& writer) {
  const std::string path = TempFolder() + "/" + name;
  WriteAll(path, writer.Build());
  return LoadLibraryExW(Windows(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// A bitmap's pixels, top row first, 4 bytes each (blue, green, red, fourth).
inline std::vector<uint32_t> Pixels(HBITMAP bitmap, int* width = nullptr, int* height = nullptr) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return {};
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = bm.bmWidth;
  bmi.bmiHeader.biHeight = -bm.bmHeight;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> out(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), out.data(), &bmi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (width) *width = bm.bmWidth;
  if (height) *height = bm.bmHeight;
  return out;
}

inline uint8_t Blue(uint32_t p) { return static_cast<uint8_t>(p); }
inline uint8_t Green(uint32_t p) { return static_cast<uint8_t>(p >> 8); }
inline uint8_t Red(uint32_t p) { return static_cast<uint8_t>(p >> 16); }
inline uint8_t Alpha(uint32_t p) { return static_cast<uint8_t>(p >> 24); }

}  // namespace ornatex_test
