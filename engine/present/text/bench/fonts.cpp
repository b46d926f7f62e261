// HasGlyph for 1,000,000 code points over DejaVu Sans and WenQuanYi Micro Hei, against
// FreeType's FT_Get_Char_Index on the same faces and code points. Run with the test fonts:
//   FONTCONFIG_FILE=testing/fonts.conf build/bin/bench_fonts
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <vector>

#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextCaches.h>

namespace {

constexpr int kCount = 1000000;

// Mostly Latin, CJK and symbols, some supplementary: the mix real maps draw.
const std::vector<uint32_t>& CodePoints() {
  static const std::vector<uint32_t> points = [] {
    std::vector<uint32_t> v(kCount);
    uint32_t x = 12345;
    for (auto& c : v) {
      x = x * 1103515245 + 12345;
      const uint32_t r = x >> 8;
      switch (r % 4) {
        case 0:
          c = 0x20 + r % 0x250;
          break;
        case 1:
          c = 0x4E00 + r % 0x5200;
          break;
        case 2:
          c = r % 0x10000;
          break;
        default:
          c = 0x1D400 + r % 0x400;
          break;
      }
    }
    return v;
  }();
  return points;
}

void HasGlyphOverTwoFaces(benchmark::State& state) {
  Present::Text::InitFontConfiguration();
  const int faces[2] = {Present::Text::FindFace(u"DejaVu Sans"), Present::Text::FindFace(u"WenQuanYi Micro Hei")};
  if (faces[0] < 0 || faces[1] < 0) {
    state.SkipWithError("the test fonts are not installed");
    return;
  }
  const auto& points = CodePoints();
  for (auto _ : state) {
    int found = 0;
    for (int i = 0; i < kCount; ++i) found += Present::Text::HasGlyph(0, faces[i & 1], points[i]);
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(HasGlyphOverTwoFaces)->Unit(benchmark::kMillisecond);

void FreeTypeCharIndexOverTwoFaces(benchmark::State& state) {
  FT_Library library;
  FT_Init_FreeType(&library);
  FT_Face faces[2];
  if (FT_New_Face(library, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &faces[0]) ||
      FT_New_Face(library, "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 0, &faces[1])) {
    state.SkipWithError("the test fonts are not installed");
    return;
  }
  const auto& points = CodePoints();
  for (auto _ : state) {
    int found = 0;
    for (int i = 0; i < kCount; ++i) found += FT_Get_Char_Index(faces[i & 1], points[i]) != 0;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  FT_Done_Face(faces[0]);
  FT_Done_Face(faces[1]);
  FT_Done_FreeType(library);
}
BENCHMARK(FreeTypeCharIndexOverTwoFaces)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
