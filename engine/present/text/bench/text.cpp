// The text layer against its peers, on the test fonts (FONTCONFIG_FILE=testing/fonts.conf):
// MeasureText of a 10,000-unit mixed Latin and CJK text through the calligraphy beside
// summing FreeType's FT_Get_Advance over the same characters, faces and size; DrawText of a
// 200-character line beside cairo_show_glyphs of the same glyphs.
#include <benchmark/benchmark.h>

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <memory>
#include <string>
#include <vector>

#include <luminar/Luminar.h>

#include <plastrum/present/text/Calligraphy.h>
#include <plastrum/present/text/CharClass.h>
#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/Typography.h>

namespace {

using namespace Present::Text;

constexpr int kPixels = 16;       // 12 points at 96 dpi
constexpr int kHostSize = -1200;  // the same in host units
const char* kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* kHei = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";

std::u16string MixedText(size_t units) {
  const std::u16string piece = u"Mind maps grow \u6F22\u5B57\u306E\u30C6\u30B9\u30C8 and branch out \u8FD0\u884C ";
  std::u16string text;
  while (text.size() < units) text += piece;
  text.resize(units);
  return text;
}

// A DC over a bitmap, a render on it and a calligraphy over the render.
struct Stage {
  explicit Stage(int width) {
    InitFontConfiguration();
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -64;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = SelectObject(dc, bitmap);
    NativeRender render = GetNativeRender();
    NativeCreateRenderDC(render, dc);
    calligraphy = Present::NewCalligraphy(ContextCalligraphySettings(render, 96, 96, 0, 0));
    TextFormat f{};
    f.weight = 400;
    const std::u16string sans = u"DejaVu Sans", hei = u"WenQuanYi Micro Hei";
    std::copy(sans.begin(), sans.end(), f.slots[0].faceName);
    std::copy(hei.begin(), hei.end(), f.slots[1].faceName);
    f.slots[0].size = f.slots[1].size = kHostSize;
    f.slots[0].widthPercent = f.slots[1].widthPercent = 100;
    font = Present::GetPresentTypography()->NewTextObject(&f);
    record = CalligraphyText{font, 0, 720, 0, 0, 0, 0, 0x10000000};
  }
  ~Stage() {
    Present::GetPresentTypography()->FreeTextObject(font);
    Present::FreeCalligraphy(calligraphy);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  IPresentCalligraphy* calligraphy;
  TextObject* font;
  CalligraphyText record;
};

void MeasureTextMixed(benchmark::State& state) {
  Stage stage(256);
  const std::u16string text = MixedText(10000);
  std::vector<int32_t> cumulative(text.size());
  for (auto _ : state) {
    SIZE extent{};
    stage.calligraphy->MeasureText(&stage.record, text.c_str(), static_cast<int>(text.size()), cumulative.data(),
                                   &extent, 0);
    benchmark::DoNotOptimize(extent);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(MeasureTextMixed)->Unit(benchmark::kMicrosecond);

void FreeTypeAdvancesMixed(benchmark::State& state) {
  FT_Library library;
  FT_Init_FreeType(&library);
  FT_Face sans, hei;
  if (FT_New_Face(library, kSans, 0, &sans) || FT_New_Face(library, kHei, 0, &hei)) {
    state.SkipWithError("the test fonts are not installed");
    return;
  }
  FT_Set_Pixel_Sizes(sans, 0, kPixels);
  FT_Set_Pixel_Sizes(hei, 0, kPixels);
  const std::u16string text = MixedText(10000);
  for (auto _ : state) {
    FT_Fixed sum = 0;
    for (char16_t c : text) {
      FT_Face face = SlotOfClass(GetTextCharClass(c)) ? hei : sans;
      FT_Fixed advance = 0;
      FT_Get_Advance(face, FT_Get_Char_Index(face, c), FT_LOAD_DEFAULT, &advance);
      sum += advance;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  FT_Done_Face(sans);
  FT_Done_Face(hei);
  FT_Done_FreeType(library);
}
BENCHMARK(FreeTypeAdvancesMixed)->Unit(benchmark::kMicrosecond);

const std::u16string& LatinLine() {
  static const std::u16string line = [] {
    std::u16string s;
    const std::u16string words = u"The quick brown fox jumps over the lazy dog while the map grows. ";
    while (s.size() < 200) s += words;
    s.resize(200);
    return s;
  }();
  return line;
}

void DrawTextLine(benchmark::State& state) {
  Stage stage(2048);
  const std::u16string& line = LatinLine();
  for (auto _ : state) stage.calligraphy->DrawText(&stage.record, line.c_str(), 200, nullptr, nullptr);
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(DrawTextLine)->Unit(benchmark::kMicrosecond);

void CairoShowGlyphsLine(benchmark::State& state) {
  FT_Library library;
  FT_Init_FreeType(&library);
  FT_Face face;
  if (FT_New_Face(library, kSans, 0, &face)) {
    state.SkipWithError("the test fonts are not installed");
    return;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2048, 64);
  cairo_t* cr = cairo_create(surface);
  cairo_font_face_t* cface = cairo_ft_font_face_create_for_ft_face(face, 0);
  cairo_set_font_face(cr, cface);
  cairo_set_font_size(cr, kPixels);
  FT_Set_Pixel_Sizes(face, 0, kPixels);
  std::vector<cairo_glyph_t> glyphs;
  double x = 0;
  for (char16_t c : LatinLine()) {
    const FT_UInt g = FT_Get_Char_Index(face, c);
    glyphs.push_back(cairo_glyph_t{g, x, 20});
    FT_Fixed advance = 0;
    FT_Get_Advance(face, g, FT_LOAD_DEFAULT, &advance);
    x += advance / 65536.0;
  }
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    cairo_surface_flush(surface);
  }
  state.SetItemsProcessed(state.iterations() * 200);
  cairo_destroy(cr);
  cairo_font_face_destroy(cface);
  cairo_surface_destroy(surface);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
BENCHMARK(CairoShowGlyphsLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
