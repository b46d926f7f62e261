// Image bytes through load, draw and save: whatever the bytes, loading either fails
// cleanly or gives an image that draws and saves.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "kx2/ImageCodec.h"
#include "luminar/Luminar.h"

namespace {

std::u16string Wide(const std::string& s) {
  std::u16string out = u"Z:";
  for (char c : s) out += c == '/' ? u'\\' : char16_t(static_cast<unsigned char>(c));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    char pattern[] = "/tmp/luminar-fuzz-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  // Pictures the size rule allows but that take seconds just to clear (a GIF's screen of
  // 18,000 x 14,000 around a tiny frame) are left out: they are slow, not wrong.
  int w = 0, h = 0;
  if (Kx2ProbeImageSize(data, size, &w, &h) && int64_t(w) * h > 4 * 1024 * 1024) return 0;
  const std::string in = dir + "/in", out = dir + "/out";
  FILE* f = fopen(in.c_str(), "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  NativeImage image = GetNativeImage();
  if (NativeImageLoadFromFile(image, Wide(in).c_str(), 0) && NativeImageGetWidth(image) <= 2048 &&
      NativeImageGetHeight(image) <= 2048) {
    NativeImage canvas = GetNativeImage();
    NativeBitmapCreateFromScan0(canvas, 64, 64, 0, 1, nullptr);
    NativeRender render = GetNativeRender();
    NativeCreateRenderImage(render, canvas);
    NativeRenderDrawImageRect(render, image, 2, 2, 60, 60);
    ReleaseNativeRender(render);
    NativeImageSaveToFile(canvas, Wide(out).c_str(), "image/png");
    NativeImageSaveToFile(image, Wide(out).c_str(), size % 2 ? "emf" : "image/bmp");
    ReleaseNativeImage(canvas);
  }
  ReleaseNativeImage(image);
  return 0;
}
