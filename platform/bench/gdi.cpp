// GDI against Cairo on the same pixels: ExtTextOutW of 2,000 glyphs with advances against
// cairo_show_glyphs of the same glyphs, face and positions; a 1920x1080 SRCCOPY BitBlt
// against cairo_paint of the same surface (operator SOURCE: a copy, as SRCCOPY is).
#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <vector>

#include <kx2/GdiCairo.h>
#include <win/gdi.h>

namespace {

constexpr int kGlyphs = 2000;
constexpr int kEm = 12;
constexpr int kTextWidth = 16384, kTextHeight = 32;
const char kFace[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::u16string Text() {
  std::u16string s;
  const char16_t sample[] = u"The quick brown fox jumps over the lazy dog 0123456789 ";
  while (s.size() < kGlyphs) s += sample;
  s.resize(kGlyphs);
  return s;
}

struct TextScene {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(kTextWidth, kTextHeight, 1, 32, nullptr);
  HFONT font;
  std::u16string text = Text();
  std::vector<INT> dx;
  TextScene() {
    SelectObject(dc, bitmap);
    LOGFONTW lf{};
    lf.lfHeight = -kEm;
    const std::u16string face = u"DejaVu Sans";
    face.copy(lf.lfFaceName, face.size());
    font = CreateFontIndirectW(&lf);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    dx.resize(text.size());
    GetCharWidthW(dc, 0, 0, dx.data());
    for (size_t i = 0; i < text.size(); ++i) GetCharWidthW(dc, text[i], text[i], &dx[i]);
  }
};

void BM_ExtTextOutW(benchmark::State& state) {
  TextScene scene;
  for (auto _ : state)
    ExtTextOutW(scene.dc, 0, 4, 0, nullptr, scene.text.data(), static_cast<UINT>(scene.text.size()), scene.dx.data());
  state.SetItemsProcessed(state.iterations() * kGlyphs);
}
BENCHMARK(BM_ExtTextOutW)->Unit(benchmark::kMicrosecond);

void BM_CairoShowGlyphs(benchmark::State& state) {
  TextScene scene;  // the same advances and glyphs
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kTextWidth, kTextHeight);
  FT_Library library;
  FT_Init_FreeType(&library);
  FT_Face face;
  FT_New_Face(library, kFace, 0, &face);
  cairo_font_face_t* cface = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING);
  std::vector<cairo_glyph_t> glyphs(scene.text.size());
  double x = 0;
  for (size_t i = 0; i < scene.text.size(); ++i) {
    glyphs[i].index = FT_Get_Char_Index(face, scene.text[i]);
    glyphs[i].x = x;
    glyphs[i].y = 4 + 14;
    x += scene.dx[i];
  }
  cairo_t* cr = cairo_create(surface);
  cairo_set_font_face(cr, cface);
  cairo_set_font_size(cr, kEm);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    cairo_surface_flush(surface);
  }
  state.SetItemsProcessed(state.iterations() * kGlyphs);
  cairo_font_options_destroy(options);
  cairo_destroy(cr);
  cairo_font_face_destroy(cface);
  cairo_surface_destroy(surface);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
BENCHMARK(BM_CairoShowGlyphs)->Unit(benchmark::kMicrosecond);

void BM_BitBltSrcCopy(benchmark::State& state) {
  HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
  HBITMAP a = CreateBitmap(1920, 1080, 1, 32, nullptr), b = CreateBitmap(1920, 1080, 1, 32, nullptr);
  SelectObject(src, a);
  SelectObject(dst, b);
  for (auto _ : state) BitBlt(dst, 0, 0, 1920, 1080, src, 0, 0, SRCCOPY);
  state.SetBytesProcessed(state.iterations() * 1920 * 1080 * 4);
  DeleteDC(src);
  DeleteDC(dst);
  DeleteObject(a);
  DeleteObject(b);
}
BENCHMARK(BM_BitBltSrcCopy)->Unit(benchmark::kMicrosecond);

void BM_CairoPaint(benchmark::State& state) {
  cairo_surface_t* a = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
  cairo_surface_t* b = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
  cairo_t* cr = cairo_create(b);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, a, 0, 0);
  for (auto _ : state) {
    cairo_paint(cr);
    cairo_surface_flush(b);
  }
  state.SetBytesProcessed(state.iterations() * 1920 * 1080 * 4);
  cairo_destroy(cr);
  cairo_surface_destroy(a);
  cairo_surface_destroy(b);
}
BENCHMARK(BM_CairoPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // The test fonts, so that both sides draw DejaVu Sans whatever the machine has.
  setenv("FONTCONFIG_FILE", KX2_SOURCE_DIR "/testing/fonts.conf", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
