// Handle lifetimes, live counts per kind and the drawing journal.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include <kx2/ErrorBoundary.h>

#include "Object.h"

namespace {

std::atomic<LONG> g_live[6];

std::mutex g_journalLock;
bool g_journalOn = false;
std::string g_journal;

}  // namespace

LuminarObject::LuminarObject(LuminarKind k) : kind(k) { ++g_live[k]; }
LuminarObject::~LuminarObject() { --g_live[kind]; }

namespace luminar {

bool Finite(float v) { return std::isfinite(v); }

cairo_pattern_t* SolidPattern(DWORD argb) {
  return cairo_pattern_create_rgba(((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                                   (argb >> 24) / 255.0);
}

void SetSourceArgb(cairo_t* cr, DWORD argb) {
  cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                        (argb >> 24) / 255.0);
}

void Journal(const char* format, ...) {
  std::lock_guard<std::mutex> lock(g_journalLock);
  if (!g_journalOn) return;
  char line[256];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  g_journal += line;
  g_journal += '\n';
}

LONG Release(NativeHandle h, LuminarKind kind) {
  if (!h || h->kind != kind) return -1;
  const LONG left = --h->refs;
  if (left == 0) delete h;
  return left;
}

SurfacePtr NewImageSurface(int width, int height) {
  if (width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return nullptr;
  SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return s;
}

void PathData::AddPolygon(const NativePointF* points, LONG count, bool closed) {
  if (count > 0) ops.reserve(ops.size() + size_t(count) + 1);
  for (LONG i = 0; i < count; ++i) {
    if (i == 0)
      MoveTo(points[i].x, points[i].y);
    else
      LineTo(points[i].x, points[i].y);
  }
  if (closed && count > 0) Close();
}

void PathData::AddRectangle(double x, double y, double w, double h) {
  MoveTo(x, y);
  LineTo(x + w, y);
  LineTo(x + w, y + h);
  LineTo(x, y + h);
  Close();
}

void PathData::AddEllipse(double x, double y, double w, double h) {
  // Four quarter arcs; the control distance 0.5523 is the usual cubic circle constant.
  const double k = 0.5522847498, rx = w / 2, ry = h / 2, cx = x + rx, cy = y + ry;
  MoveTo(cx + rx, cy);
  CurveTo(cx + rx, cy + k * ry, cx + k * rx, cy + ry, cx, cy + ry);
  CurveTo(cx - k * rx, cy + ry, cx - rx, cy + k * ry, cx - rx, cy);
  CurveTo(cx - rx, cy - k * ry, cx - k * rx, cy - ry, cx, cy - ry);
  CurveTo(cx + k * rx, cy - ry, cx + rx, cy - k * ry, cx + rx, cy);
  Close();
}

void PathData::Apply(cairo_t* cr) const {
  for (const Op& op : ops) {
    switch (op.type) {
      case Op::kMove:
        cairo_move_to(cr, op.pts[0], op.pts[1]);
        break;
      case Op::kLine:
        cairo_line_to(cr, op.pts[0], op.pts[1]);
        break;
      case Op::kCurve:
        cairo_curve_to(cr, op.pts[0], op.pts[1], op.pts[2], op.pts[3], op.pts[4], op.pts[5]);
        break;
      case Op::kClose:
        cairo_close_path(cr);
        break;
    }
  }
}

std::vector<std::vector<NativePointF>> PathData::Flatten() const {
  std::vector<std::vector<NativePointF>> out;
  SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
  ContextPtr cr(cairo_create(s.get()));
  cairo_set_tolerance(cr.get(), 0.05);
  Apply(cr.get());
  cairo_path_t* flat = cairo_copy_path_flat(cr.get());
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_t* d = &flat->data[i];
    if (d->header.type == CAIRO_PATH_MOVE_TO) {
      out.emplace_back();
      out.back().push_back({static_cast<float>(d[1].point.x), static_cast<float>(d[1].point.y)});
    } else if (d->header.type == CAIRO_PATH_LINE_TO) {
      if (out.empty()) out.emplace_back();
      out.back().push_back({static_cast<float>(d[1].point.x), static_cast<float>(d[1].point.y)});
    }
  }
  cairo_path_destroy(flat);
  // A close leaves a lone move back to the figure's start behind it.
  std::erase_if(out, [](const std::vector<NativePointF>& f) { return f.size() < 2; });
  return out;
}

}  // namespace luminar

using namespace luminar;

namespace {

template <class T>
NativeHandle MakeHandle() {
  return kx2::Guard(static_cast<NativeHandle>(nullptr), [] { return static_cast<NativeHandle>(new T); });
}

}  // namespace

LUMINAR_API NativeRender GetNativeRender() { return MakeHandle<Render>(); }
LUMINAR_API NativePen GetNativePen() { return MakeHandle<Pen>(); }
LUMINAR_API NativeBrush GetNativeBrush() { return MakeHandle<Brush>(); }
LUMINAR_API NativeImage GetNativeImage() { return MakeHandle<Image>(); }
LUMINAR_API NativePath GetNativePath() { return MakeHandle<Path>(); }
LUMINAR_API NativeRegion GetNativeRegion() { return MakeHandle<Region>(); }

LUMINAR_API LONG NativeAddRef(NativeHandle handle) { return handle ? ++handle->refs : -1; }

LUMINAR_API LONG ReleaseNativeRender(NativeRender h) {
  return kx2::Guard(LONG{-1}, [&] { return Release(h, kLuminarRender); });
}
LUMINAR_API LONG ReleaseNativePen(NativePen h) {
  return kx2::Guard(LONG{-1}, [&] { return Release(h, kLuminarPen); });
}
LUMINAR_API LONG ReleaseNativeBrush(NativeBrush h) {
  return kx2::Guard(LONG{-1}, [&] { return Release(h, kLuminarBrush); });
}
LUMINAR_API LONG ReleaseNativeImage(NativeImage h) {
  return kx2::Guard(LONG{-1}, [&] { return Release(h, kLuminarImage); });
}
LUMINAR_API LONG ReleaseNativePath(NativePath h) {
  return kx2::Guard(LONG{-1}, [&] { return Release(h, kLuminarPath); });
}
LUMINAR_API LONG ReleaseNativeRegion(NativeRegion h) {
  return kx2::Guard(LONG{-1}, [&] { return Release(h, kLuminarRegion); });
}

LUMINAR_API LONG LuminarLiveHandles(LONG kind) { return kind >= 0 && kind < 6 ? g_live[kind].load() : 0; }

LUMINAR_API void LuminarJournalEnable(BOOL on) {
  std::lock_guard<std::mutex> lock(g_journalLock);
  g_journalOn = on != FALSE;
}

LUMINAR_API void LuminarJournalClear() {
  std::lock_guard<std::mutex> lock(g_journalLock);
  g_journal.clear();
}

LUMINAR_API size_t LuminarJournalRead(char* buffer, size_t size) {
  std::lock_guard<std::mutex> lock(g_journalLock);
  if (buffer && size) {
    const size_t n = std::min(size - 1, g_journal.size());
    memcpy(buffer, g_journal.data(), n);
    buffer[n] = 0;
  }
  return g_journal.size() + 1;
}
