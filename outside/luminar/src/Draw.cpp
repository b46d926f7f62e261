// The drawing calls: outline with a pen, fill with a brush, draw an image.
#include <kx2/ErrorBoundary.h>

#include "Object.h"
#include "PixelPolyline.h"
#include "Stroke.h"

using namespace luminar;

namespace {

bool FinitePoints(const NativePointF* points, LONG count) {
  for (LONG i = 0; i < count; ++i)
    if (!Finite(points[i].x) || !Finite(points[i].y)) return false;
  return true;
}

// Checks the render and pen, then strokes; every status is journalled.
LONG Outline(const char* name, NativeRender render, NativePen pen, const PathData& path,
             const std::vector<NativePointF>* arrows) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Render* r = As<Render>(render, kLuminarRender);
    Pen* p = As<Pen>(pen, kLuminarPen);
    LONG status = kNativeOk;
    if (!r || !p || !p->filled)
      status = kNativeBadArgument;
    else if (!r->target)
      status = kNativeNoTarget;
    else {
      r->Begin();
      StrokePath(*r, *p, path, arrows);
      r->End();
    }
    Journal("%s status %d", name, int(status));
    return status;
  });
}

LONG Fill(const char* name, NativeRender render, NativeBrush brush, const PathData& path, bool evenOdd) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Render* r = As<Render>(render, kLuminarRender);
    Brush* b = As<Brush>(brush, kLuminarBrush);
    LONG status = kNativeOk;
    if (!r || !b || b->type == BrushKind::kNone) {
      status = kNativeBadArgument;
    } else if (!r->target) {
      status = kNativeNoTarget;
    } else {
      PatternPtr pattern = b->MakePattern();
      if (!pattern || cairo_pattern_status(pattern.get()) != CAIRO_STATUS_SUCCESS) {
        status = kNativeOutOfMemory;
      } else {
        r->Begin();
        cairo_t* cr = r->cr.get();
        cairo_set_source(cr, pattern.get());
        cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        path.Apply(cr);
        cairo_fill(cr);
        r->End();
      }
    }
    Journal("%s status %d", name, int(status));
    return status;
  });
}

LONG DrawImage(const char* name, NativeRender render, NativeImage image, float x, float y, float w, float h,
               bool natural) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Render* r = As<Render>(render, kLuminarRender);
    Image* img = As<Image>(image, kLuminarImage);
    LONG status = kNativeOk;
    if (!r || !img || !img->type || !Finite(x) || !Finite(y) || !Finite(w) || !Finite(h))
      status = kNativeBadArgument;
    else if (!r->target)
      status = kNativeNoTarget;
    else if (r->image == img)
      status = kNativeBadArgument;  // an image never draws into itself
    else {
      if (natural) w = float(img->width), h = float(img->height);
      if (w != 0 && h != 0 && img->width > 0 && img->height > 0) {
        r->Begin();
        cairo_t* cr = r->cr.get();
        cairo_rectangle(cr, x, y, w, h);
        cairo_clip(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, double(w) / img->width, double(h) / img->height);
        cairo_set_source_surface(cr, img->surface.get(), -img->originX, -img->originY);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_paint(cr);
        r->End();
      }
    }
    Journal("%s %gx%g status %d", name, double(w), double(h), int(status));
    return status;
  });
}

// A polygon or polyline as the render will paint it: thinned where it paints pixels.
void AddPolygonFor(NativeRender render, const NativePointF* points, LONG count, bool closed, PathData* path) {
  const Render* r = As<Render>(render, kLuminarRender);
  if (r && r->target && r->PaintsPixels()) {
    const std::vector<NativePointF>& kept = PixelPolylineOnce(points, count, r->ToDevice());
    path->AddPolygon(kept.data(), LONG(kept.size()), closed);
  } else {
    path->AddPolygon(points, count, closed);
  }
}

}  // namespace

LUMINAR_API LONG NativeRenderDrawLine(NativeRender render, NativePen pen, float x1, float y1, float x2, float y2) {
  if (!Finite(x1) || !Finite(y1) || !Finite(x2) || !Finite(y2)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    const std::vector<NativePointF> pts{{x1, y1}, {x2, y2}};
    PathData path;
    path.AddPolygon(pts.data(), 2, false);
    return Outline("DrawLine", render, pen, path, &pts);
  });
}

LUMINAR_API LONG NativeRenderDrawLines(NativeRender render, NativePen pen, const NativePointF* points, LONG count) {
  if (!points || count < 2 || !FinitePoints(points, count)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    const std::vector<NativePointF> pts(points, points + count);
    PathData path;
    AddPolygonFor(render, points, count, false, &path);
    return Outline("DrawLines", render, pen, path, &pts);
  });
}

LUMINAR_API LONG NativeRenderDrawPolygon(NativeRender render, NativePen pen, const NativePointF* points, LONG count) {
  if (!points || count < 2 || !FinitePoints(points, count)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    PathData path;
    AddPolygonFor(render, points, count, true, &path);
    return Outline("DrawPolygon", render, pen, path, nullptr);
  });
}

LUMINAR_API LONG NativeRenderFillPolygon(NativeRender render, NativeBrush brush, const NativePointF* points, LONG count,
                                         LONG fillMode) {
  if (!points || count < 2 || !FinitePoints(points, count)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    PathData path;
    AddPolygonFor(render, points, count, true, &path);
    return Fill("FillPolygon", render, brush, path, fillMode == 0);
  });
}

LUMINAR_API LONG NativeRenderDrawRectangle(NativeRender render, NativePen pen, float x, float y, float w, float h) {
  if (!Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    PathData path;
    path.AddRectangle(x, y, w, h);
    return Outline("DrawRectangle", render, pen, path, nullptr);
  });
}

LUMINAR_API LONG NativeRenderFillRectangle(NativeRender render, NativeBrush brush, float x, float y, float w, float h) {
  if (!Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    PathData path;
    path.AddRectangle(x, y, w, h);
    return Fill("FillRectangle", render, brush, path, false);
  });
}

LUMINAR_API LONG NativeRenderDrawEllipse(NativeRender render, NativePen pen, float x, float y, float w, float h) {
  if (!Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    PathData path;
    path.AddEllipse(x, y, w, h);
    return Outline("DrawEllipse", render, pen, path, nullptr);
  });
}

LUMINAR_API LONG NativeRenderFillEllipse(NativeRender render, NativeBrush brush, float x, float y, float w, float h) {
  if (!Finite(x) || !Finite(y) || !Finite(w) || !Finite(h)) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] {
    PathData path;
    path.AddEllipse(x, y, w, h);
    return Fill("FillEllipse", render, brush, path, false);
  });
}

LUMINAR_API LONG NativeRenderFillRegion(NativeRender render, NativeBrush brush, NativeRegion region) {
  Region* g = As<Region>(region, kLuminarRegion);
  if (!g || !g->filled) return kNativeBadArgument;
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&] { return Fill("FillRegion", render, brush, g->data, true); });
}

LUMINAR_API LONG NativeRenderDrawImage(NativeRender render, NativeImage image, float x, float y) {
  return DrawImage("DrawImage", render, image, x, y, 0, 0, true);
}

LUMINAR_API LONG NativeRenderDrawImageRect(NativeRender render, NativeImage image, float x, float y, float w, float h) {
  return DrawImage("DrawImageRect", render, image, x, y, w, h, false);
}
