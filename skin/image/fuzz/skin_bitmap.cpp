// Bytes as an RT_BITMAP and as a "PNG" resource through both resource loaders, as an
// archive of icon sets through the image manager's loading, and as a picture file through
// OleLoadPicturePath (by way of LoadBitmapFromFile).
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <kx2/PathMap.h>
#include <kx2/ResourceContainer.h>
#include <win/afx.h>
#include <win/gdi.h>
#include <win/module.h>

#include "ornatex/image/bitmap_routines.h"
#include "ornatex/image/image_manager.h"

namespace {

constexpr uint64_t kMaxPixels = 4096u * 4096u;

std::string Folder() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz-skin-bitmap-" + std::to_string(getpid());
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The size a header declares, where one is recognisable: too large a picture is skipped.
bool TooLarge(const uint8_t* data, size_t size) {
  auto le32 = [&](size_t at) {
    return at + 4 <= size ? data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) | (uint32_t{data[at + 3]} << 24) : 0u;
  };
  auto be32 = [&](size_t at) {
    return at + 4 <= size ? (uint32_t{data[at]} << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) | data[at + 3] : 0u;
  };
  const uint64_t dib = uint64_t{le32(4)} * static_cast<uint32_t>(std::abs(static_cast<int32_t>(le32(8))));
  const uint64_t bmp = uint64_t{le32(18)} * static_cast<uint32_t>(std::abs(static_cast<int32_t>(le32(22))));
  const uint64_t png = uint64_t{be32(16)} * be32(20);
  return dib > kMaxPixels || bmp > kMaxPixels || png > kMaxPixels;
}

void Drop(HBITMAP b) {
  if (b) DeleteObject(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (TooLarge(data, size)) return 0;
  static const std::string folder = [] {
    std::string f = Folder();
    mkdir(f.c_str(), 0700);
    return f;
  }();
  const std::vector<uint8_t> bytes(data, data + size);
  kx2::rsrc::ContainerWriter writer;
  writer.Add(uint16_t{2}, std::u16string(u"IMAGE"), 0, bytes);
  writer.Add(std::u16string(u"PNG"), std::u16string(u"IMAGE"), 0, bytes);
  const std::string module = folder + "/module.rsrc";
  Write(module, writer.Build());
  if (HMODULE m = LoadLibraryExW(kx2::ToWindowsPath(module).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    BOOL alpha = FALSE;
    Drop(LoadBitmapFromResource(m, u"IMAGE", &alpha));
    Drop(LoadBitmapResourceRaw(m, u"IMAGE", &alpha));
    FreeLibrary(m);
  }
  {
    std::vector<uint8_t> archived(bytes);
    CMemFile file(archived.data(), static_cast<UINT>(archived.size()));
    CKtkImageManager manager;
    try {
      CArchive ar(&file, CArchive::load);
      manager.Serialize(ar);
    } catch (CException* e) {
      e->Delete();
    }
  }
  const std::string picture = folder + "/picture.img";
  Write(picture, bytes);
  BOOL alpha = FALSE;
  Drop(LoadBitmapFromFile(kx2::ToWindowsPath(picture).c_str(), &alpha));
  return 0;
}
