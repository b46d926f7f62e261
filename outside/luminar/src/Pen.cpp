// Pens: a colour or a brush, a width and the line-format values as stored.
#include <kx2/ErrorBoundary.h>

#include "Object.h"

namespace luminar {
Pen::~Pen() {
  if (brush) Release(brush, kLuminarBrush);
}
}  // namespace luminar

using namespace luminar;

namespace {

LONG SetValue(NativePen pen, LONG Pen::*field, LONG value) {
  Pen* p = As<Pen>(pen, kLuminarPen);
  if (!p || !p->filled) return kNativeBadArgument;
  p->*field = value;
  return kNativeOk;
}

LONG SetArrow(NativePen pen, Arrow Pen::*field, LONG type, LONG size, float width) {
  Pen* p = As<Pen>(pen, kLuminarPen);
  if (!p || !p->filled || !Finite(width)) return kNativeBadArgument;
  p->*field = Arrow{type, size, width};
  return kNativeOk;
}

}  // namespace

LUMINAR_API BOOL NativeCreatePen(NativePen pen, NativeBrush brush, float width) {
  Pen* p = As<Pen>(pen, kLuminarPen);
  Brush* b = As<Brush>(brush, kLuminarBrush);
  if (!p || !b || b->type == BrushKind::kNone || !Finite(width) || width < 0) return FALSE;
  ++b->refs;
  if (p->brush) Release(p->brush, kLuminarBrush);
  p->brush = b;
  p->color = 0xFF000000;
  p->width = width;
  p->filled = true;
  return TRUE;
}

LUMINAR_API BOOL NativeCreatePenWithColor(NativePen pen, DWORD argb, float width) {
  Pen* p = As<Pen>(pen, kLuminarPen);
  if (!p || !Finite(width) || width < 0) return FALSE;
  if (p->brush) Release(p->brush, kLuminarBrush);
  p->brush = nullptr;
  p->color = argb;
  p->width = width;
  p->filled = true;
  return TRUE;
}

LUMINAR_API LONG NativePenSetThickness(NativePen pen, float width) {
  Pen* p = As<Pen>(pen, kLuminarPen);
  if (!p || !p->filled || !Finite(width) || width < 0) return kNativeBadArgument;
  p->width = width;
  return kNativeOk;
}

LUMINAR_API LONG NativePenSetDashType(NativePen pen, LONG v) { return SetValue(pen, &Pen::dash, v); }
LUMINAR_API LONG NativePenSetCapType(NativePen pen, LONG v) { return SetValue(pen, &Pen::cap, v); }
LUMINAR_API LONG NativePenSetCompoundType(NativePen pen, LONG v) { return SetValue(pen, &Pen::compound, v); }
LUMINAR_API LONG NativePenSetJoinType(NativePen pen, LONG v) { return SetValue(pen, &Pen::join, v); }

LUMINAR_API LONG NativePenSetBeginArrow(NativePen pen, LONG type, LONG size, float width) {
  return SetArrow(pen, &Pen::begin, type, size, width);
}

LUMINAR_API LONG NativePenSetEndArrow(NativePen pen, LONG type, LONG size, float width) {
  return SetArrow(pen, &Pen::end, type, size, width);
}

// Heads are scaled by the width they were made for; they still fit when no head is set or
// every set head was made for this width.
LUMINAR_API BOOL NativePenIsEqualArrowRevision(NativePen pen, float width) {
  Pen* p = As<Pen>(pen, kLuminarPen);
  if (!p || !p->filled) return FALSE;
  const bool beginFits = p->begin.type < 1 || p->begin.type > 5 || p->begin.width == width;
  const bool endFits = p->end.type < 1 || p->end.type > 5 || p->end.width == width;
  return beginFits && endFits;
}
