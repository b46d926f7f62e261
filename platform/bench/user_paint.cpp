// Window painting against Cairo alone, in one run:
//  - a full repaint of a 1024 x 768 window with 50 children, each filling its client area in
//    WM_PAINT, against filling the same 51 rectangles with Cairo on one surface;
//  - writing the window's capture as PNG against cairo_surface_write_to_png of a copy.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kx2/Compositor.h"
#include "win/gdi.h"
#include "win/user.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768, kColumns = 10, kRows = 5;

LRESULT CALLBACK FillProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))));
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The children's rectangles in the parent's client area, with a margin between them.
std::vector<RECT> ChildRects() {
  std::vector<RECT> rects;
  const int w = kWidth / kColumns, h = kHeight / kRows;
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column)
      rects.push_back(RECT{column * w + 4, row * h + 4, (column + 1) * w - 4, (row + 1) * h - 4});
  return rects;
}

struct Scene {
  HWND top = nullptr;
  Scene() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FillProc;
    wc.lpszClassName = u"BenchPaintFill";
    RegisterClassW(&wc);
    top = CreateWindowExW(0, u"BenchPaintFill", u"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight,
                          nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(top, GWLP_USERDATA, COLOR_WINDOW);
    int i = 0;
    for (const RECT& r : ChildRects()) {
      HWND child = CreateWindowExW(0, u"BenchPaintFill", u"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, top, nullptr, nullptr, nullptr);
      SetWindowLongPtrW(child, GWLP_USERDATA, (i++ % 2) ? COLOR_3DFACE : COLOR_HIGHLIGHT);
    }
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  ~Scene() { DestroyWindow(top); }
};

std::string TempPng(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/" + name + std::to_string(getpid()) + ".png";
}

void BM_WindowRepaint(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) RedrawWindow(scene.top, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  state.SetItemsProcessed(state.iterations() * 51);
}
BENCHMARK(BM_WindowRepaint)->Unit(benchmark::kMicrosecond);

void BM_CairoFill51(benchmark::State& state) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  const std::vector<RECT> rects = ChildRects();
  for (auto _ : state) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
    cairo_fill(cr);
    int i = 0;
    for (const RECT& r : rects) {
      if (i++ % 2)
        cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
      else
        cairo_set_source_rgb(cr, 0, 0, 0.5);
      cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
      cairo_fill(cr);
    }
    cairo_surface_flush(surface);
  }
  state.SetItemsProcessed(state.iterations() * 51);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoFill51)->Unit(benchmark::kMicrosecond);

void BM_CapturePng(benchmark::State& state) {
  Scene scene;
  cairo_surface_t* capture = Kx2CaptureWindow(scene.top);
  const std::string path = TempPng("bench_capture");
  const std::u16string wide(path.begin(), path.end());
  for (auto _ : state) Kx2WriteCapturePng(capture, wide.c_str());
  cairo_surface_destroy(capture);
  unlink(path.c_str());
}
BENCHMARK(BM_CapturePng)->Unit(benchmark::kMillisecond);

void BM_CairoWriteToPng(benchmark::State& state) {
  Scene scene;
  cairo_surface_t* capture = Kx2CaptureWindow(scene.top);
  // A same-sized copy Cairo owns, with the same pixels.
  cairo_surface_t* copy = cairo_image_surface_create(cairo_image_surface_get_format(capture), kWidth, kHeight);
  cairo_t* cr = cairo_create(copy);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, capture, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  const std::string path = TempPng("bench_cairo");
  for (auto _ : state) cairo_surface_write_to_png(copy, path.c_str());
  cairo_surface_destroy(copy);
  cairo_surface_destroy(capture);
  unlink(path.c_str());
}
BENCHMARK(BM_CairoWriteToPng)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
