#include "ornatex/schema/skin_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <kx2/ImageCodec.h>
#include <kx2/PathMap.h>
#include <kx2/Utf.h>
#include <win/gdi.h>

namespace {

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

CKtkSkinFolderWriter::CKtkSkinFolderWriter(std::string folder) : folder_(std::move(folder)) {
  std::error_code ignored;  // a folder that cannot be made fails each write instead
  std::filesystem::create_directories(folder_, ignored);
}

std::u16string CKtkSkinFolderWriter::WindowsPath() const { return kx2::ToWindowsPath(folder_); }

std::string CKtkSkinFolderWriter::Prepare(const std::string& name) const {
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const std::filesystem::path path = std::filesystem::path(folder_) / relative;
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  return path.string();
}

bool CKtkSkinFolderWriter::WriteIni(const std::vector<std::u16string>& lines, const std::string& name) const {
  std::string text;
  for (const auto& line : lines) text += kx2::Utf16ToUtf8(line) + "\r\n";
  return WriteBytes(Prepare(name), std::vector<uint8_t>(text.begin(), text.end()));
}

bool CKtkSkinFolderWriter::WriteBitmap(const std::string& name, int width, int height,
                                       const std::function<COLORREF(int, int)>& colour) const {
  if (width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return false;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> bytes(54 + stride * static_cast<size_t>(height), 0);
  bytes[0] = 'B', bytes[1] = 'M';
  Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  Put32(bytes, 10, 54);
  Put32(bytes, 14, 40);
  Put32(bytes, 18, static_cast<uint32_t>(width));
  Put32(bytes, 22, static_cast<uint32_t>(height));
  bytes[26] = 1, bytes[28] = 24;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      uint8_t* p = &bytes[54 + static_cast<size_t>(height - 1 - y) * stride + static_cast<size_t>(x) * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  return WriteBytes(Prepare(name), bytes);
}

bool CKtkSkinFolderWriter::WritePng(const std::string& name, int width, int height,
                                    const std::function<uint32_t(int, int)>& argb) const {
  if (width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return false;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = argb(x, y);
      uint8_t* p = &pixels[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
      p[0] = static_cast<uint8_t>(c), p[1] = static_cast<uint8_t>(c >> 8), p[2] = static_cast<uint8_t>(c >> 16);
      p[3] = static_cast<uint8_t>(c >> 24);
    }
  const std::u16string path = kx2::ToWindowsPath(Prepare(name));
  return Kx2WritePng(path.c_str(), pixels.data(), width, height, static_cast<ptrdiff_t>(width) * 4, TRUE) != FALSE;
}
