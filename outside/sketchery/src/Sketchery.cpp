// The knob and handle bitmaps: small Cairo drawings made once at start-up.
#include "sketchery/Sketchery.h"

#include <cairo.h>

#include <cmath>
#include <mutex>
#include <vector>

#include <kx2/ErrorBoundary.h>

namespace {

struct Design {
  LONG id;
  int size;
  void (*draw)(cairo_t* cr, double size);
};

void Fill(cairo_t* cr, double r, double g, double b) {
  cairo_set_source_rgb(cr, r, g, b);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// Square control handle: white with a dark frame.
void ControlHandle(cairo_t* cr, double s) {
  cairo_rectangle(cr, 0.5, 0.5, s - 1, s - 1);
  Fill(cr, 1, 1, 1);
}
// Knob: a green disc.
void Knob(cairo_t* cr, double s) {
  cairo_arc(cr, s / 2, s / 2, s / 2 - 0.5, 0, 2 * M_PI);
  Fill(cr, 0.35, 0.8, 0.35);
}
// End handle: a red square.
void EndHandle(cairo_t* cr, double s) {
  cairo_rectangle(cr, 0.5, 0.5, s - 1, s - 1);
  Fill(cr, 0.9, 0.3, 0.3);
}
// Connection site: a blue cross.
void ConnectionSite(cairo_t* cr, double s) {
  cairo_set_source_rgb(cr, 0.1, 0.3, 0.9);
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, 1, 1), cairo_line_to(cr, s - 1, s - 1);
  cairo_move_to(cr, s - 1, 1), cairo_line_to(cr, 1, s - 1);
  cairo_stroke(cr);
}
// Adjust knob: a yellow diamond.
void AdjustKnob(cairo_t* cr, double s) {
  cairo_move_to(cr, s / 2, 0.5), cairo_line_to(cr, s - 0.5, s / 2);
  cairo_line_to(cr, s / 2, s - 0.5), cairo_line_to(cr, 0.5, s / 2);
  cairo_close_path(cr);
  Fill(cr, 1, 0.85, 0.1);
}
// Rotation knob: a green disc with a dark ring.
void RotationKnob(cairo_t* cr, double s) {
  cairo_arc(cr, s / 2, s / 2, s / 2 - 0.5, 0, 2 * M_PI);
  Fill(cr, 0.3, 0.75, 0.3);
  cairo_arc(cr, s / 2, s / 2, s / 4, 0, 2 * M_PI);
  cairo_set_source_rgb(cr, 0.1, 0.35, 0.1);
  cairo_fill(cr);
}

const Design kDesigns[] = {
    {1, 7, ControlHandle},  {3, 9, Knob},        {4, 7, EndHandle},
    {5, 8, ConnectionSite}, {10, 8, AdjustKnob}, {12, 9, RotationKnob},
};

// The library's state is never destroyed: the engine shuts drawing down from its module's
// end, which the loader may run after this library's static objects are gone (the engine
// loaded at run time ends at exit, behind them).
struct DrawingState {
  std::mutex lock;
  bool started = false;
  std::vector<SketcheryBitmap> bitmaps;
};
DrawingState& State() {
  static DrawingState* state = new DrawingState;
  return *state;
}

void FreeAll() {
  for (SketcheryBitmap& b : State().bitmaps) ReleaseNativeImage(b.image);
  State().bitmaps.clear();
}

}  // namespace

SKETCHERY_API BOOL StartupDrawing() {
  return kx2::Guard(FALSE, [] {
    std::lock_guard<std::mutex> lock(State().lock);
    if (State().started) return true;
    State().bitmaps.reserve(std::size(kDesigns));
    for (const Design& d : kDesigns) {
      cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, d.size, d.size);
      cairo_t* cr = cairo_create(s);
      d.draw(cr, d.size);
      cairo_destroy(cr);
      cairo_surface_flush(s);
      // Into a Luminar bitmap: straight BGRA rows for the scan0 door.
      std::vector<uint8_t> straight(size_t(d.size) * size_t(d.size) * 4);
      const uint8_t* data = cairo_image_surface_get_data(s);
      const int stride = cairo_image_surface_get_stride(s);
      for (int y = 0; y < d.size; ++y)
        for (int x = 0; x < d.size; ++x) {
          const uint8_t* p = data + y * stride + x * 4;
          uint8_t* o = &straight[(size_t(y) * size_t(d.size) + size_t(x)) * 4];
          const unsigned a = p[3];
          for (int c = 0; c < 3; ++c) o[c] = a ? uint8_t(std::min(255u, (p[c] * 255u + a / 2) / a)) : 0;
          o[3] = uint8_t(a);
        }
      cairo_surface_destroy(s);
      NativeImage image = GetNativeImage();
      if (!image || !NativeBitmapCreateFromScan0(image, d.size, d.size, d.size * 4, 1, straight.data())) {
        if (image) ReleaseNativeImage(image);
        FreeAll();
        return false;
      }
      State().bitmaps.push_back({d.id, d.size, d.size, image});
    }
    State().started = true;
    return true;
  });
}

// Nothing is cached beyond the bitmaps; they live until shutdown.
SKETCHERY_API void CleanupResource() {}

SKETCHERY_API void ShutdownDrawing() {
  kx2::Guard([] {
    std::lock_guard<std::mutex> lock(State().lock);
    FreeAll();
    State().started = false;
  });
}

SKETCHERY_API SketcheryBitmap* GetBitmapResource(LONG id) {
  std::lock_guard<std::mutex> lock(State().lock);
  if (!State().started) return nullptr;
  for (SketcheryBitmap& b : State().bitmaps)
    if (b.id == id) return &b;
  return nullptr;
}
