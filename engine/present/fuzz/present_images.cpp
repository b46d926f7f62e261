// Fuzzed image files through the image pipeline: file size, resize in every mode, convert,
// GDI bitmaps and recolouring with arbitrary records. Any result will do; nothing may crash,
// leak or read out of bounds. The first 24 bytes choose the operations' values, the rest is
// the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <kx2/ImageCodec.h>
#include <win/gdi.h>

#include "fuzz_input.h"
#include "plastrum/present/painting/ImageEffects.h"
#include "plastrum/present/painting/ImageFiles.h"

using namespace Present::Rendering;

namespace {

struct Folder {
  std::filesystem::path path;
  std::string input, output;
  std::u16string inputWin, outputWin;
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-images-XXXXXX").string();
    path = mkdtemp(pattern.data());
    input = (path / "input").string();
    output = (path / "output").string();
    inputWin = Win(input);
    outputWin = Win(output);
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  static std::u16string Win(const std::string& posix) {
    std::u16string out = u"Z:";
    for (char c : posix) out += c == '/' ? u'\\' : char16_t(static_cast<unsigned char>(c));
    return out;
  }
};

Folder& Files() {
  static Folder folder;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PresentFuzz::FuzzInput in{data, size};
  const uint8_t mode = in.Take<uint8_t>();
  const uint8_t code = in.Take<uint8_t>();
  const int32_t width = in.Take<uint8_t>();
  const int32_t height = in.Take<uint8_t>();
  const int32_t limit = in.Take<uint16_t>() % 600;
  NativeRecolorRecord record{};
  record.mode = in.Take<uint8_t>();
  record.alpha = in.Take<uint8_t>();
  record.brightness = in.Take<float>();
  record.contrast = in.Take<float>();
  record.color = in.Take<uint32_t>();
  record.width = in.Take<uint8_t>() - 8;  // a few negative sizes too
  record.height = in.Take<uint8_t>() - 8;
  // The rest is the file.
  data = in.data;
  size = in.size;

  // Pictures the codecs would decode to gigabytes are beyond what a fuzz run may allocate.
  int w = 0, h = 0;
  if (Kx2ProbeImageSize(data, size, &w, &h) && int64_t{w} * h > 4'000'000) return 0;
  Folder& f = Files();
  std::ofstream(f.input, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));

  std::unique_ptr<Image> image(LoadImageFile(f.inputWin.c_str()));
  // Metafiles declare their size in their header and play lazily: keep them small too.
  if (image && int64_t{image->Width()} * image->Height() > 4'000'000) return 0;

  float fw = 0, fh = 0;
  ImageFileSize(f.inputWin.c_str(), 96.0f + mode, 72.0f, &fw, &fh);
  ResizeImageFile(f.inputWin.c_str(), f.outputWin.c_str(), code, width, height, mode % 5);
  ConvertImageFile(f.inputWin.c_str(), limit, f.outputWin.c_str(), code);
  if (HBITMAP handle = ImageFileHandle(f.inputWin.c_str(), record.color)) DeleteObject(handle);
  if (HBITMAP bitmap = ImageFileBitmap(f.inputWin.c_str(), width, height, record.color)) DeleteObject(bitmap);
  if (image) {
    std::unique_ptr<Bitmap> blurred(BlurImage(image.get(), float(mode % 7)));
    Image* recoloured = RecolorImage(record, image.release());
    SaveImageFile(recoloured, f.outputWin.c_str(), code);
    delete recoloured;
  }
  return 0;
}
