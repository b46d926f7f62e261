// Loading a 1024 x 1024 RGBA PNG through LoadBitmapFromFile against libpng's simplified
// reader on the same file (decoding into a BGRA buffer). The file is written once with the
// platform's PNG writer from noisy pixels, so that decoding is real work.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <kx2/ImageCodec.h>
#include <kx2/PathMap.h>
#include <win/gdi.h>

#include "ornatex/image/bitmap_routines.h"

namespace {

constexpr int kSide = 1024;

const std::string& PictureFile() {
  static const std::string path = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string p = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench-skin-images-" + std::to_string(getpid()) + ".png";
    std::vector<uint8_t> pixels(size_t{kSide} * kSide * 4);
    std::mt19937 random(9);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / 4 % 97) + (random() % 16));
    if (!Kx2WritePng(kx2::ToWindowsPath(p).c_str(), pixels.data(), kSide, kSide, kSide * 4, TRUE)) std::abort();
    std::atexit([] { unlink(PictureFile().c_str()); });
    return p;
  }();
  return path;
}

void BM_LoadBitmapFromFile(benchmark::State& state) {
  const std::u16string path = kx2::ToWindowsPath(PictureFile());
  for (auto _ : state) {
    BOOL alpha = FALSE;
    HBITMAP b = LoadBitmapFromFile(path.c_str(), &alpha);
    if (!b || !alpha) state.SkipWithError("not loaded");
    DeleteObject(b);
  }
}
BENCHMARK(BM_LoadBitmapFromFile)->Unit(benchmark::kMillisecond);

void BM_LibpngSimplifiedReader(benchmark::State& state) {
  const std::string& path = PictureFile();
  std::vector<uint8_t> pixels(size_t{kSide} * kSide * 4);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) state.SkipWithError("not read");
    image.format = PNG_FORMAT_BGRA;
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_LibpngSimplifiedReader)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
