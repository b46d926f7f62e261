// Text contexts: the pool, binding a device context and the coordinate conversions.
#include <plastrum/present/text/TextContext.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include <basalt/error.h>
#include <basalt/text_encoding.h>

namespace Present::Text {
namespace {

constexpr size_t kContextPool = 5;

std::vector<TextContext*>& Pool() {
  static auto* pool = new std::vector<TextContext*>();
  return *pool;
}

// The per-take reset of a context.
void Take(TextContext* c) {
  c->poolFlags &= ~kContextTaken;
  c->dc = nullptr;
  c->logicalOrigin = POINT{0, 0};
  c->deviceOrigin = POINT{0, 0};
  c->unitsPerInchX = c->unitsPerInchY = 0;
  c->options = 0;
  c->colorSource = nullptr;
  c->mappingCode = 1;
  c->logicalExtent = SIZE{1, 1};
  c->deviceExtent = SIZE{1, 1};
  c->scaleX = c->scaleY = 1;
}

int Truncate(double v) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return v > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<int>(v);
}

int MulDivOr(int v, int num, int den) { return den ? _Kx2IntMulDiv(v, num, den) : v; }

}  // namespace

TextContext* AcquireTextContext() {
  auto& pool = Pool();
  TextContext* c = nullptr;
  for (TextContext* p : pool)
    if (!(p->poolFlags & kContextInUse)) {
      c = p;
      c->poolFlags |= kContextInUse;
      break;
    }
  if (!c) {
    c = new (std::nothrow) TextContext{};
    if (!c) {
      Basalt::Error::BaseError::_SetError(2);
      return nullptr;
    }
    if (pool.size() < kContextPool) {
      try {
        pool.push_back(c);
        c->poolFlags = kContextInUse | kContextPooled;
      } catch (const std::bad_alloc&) {
        c->poolFlags = 0;
      }
    } else {
      c->poolFlags = 0;
    }
  }
  Take(c);
  return c;
}

void GiveBackTextContext(TextContext* context) {
  if (!context) return;
  context->dc = nullptr;
  context->object = nullptr;
  if (context->poolFlags & kContextPooled)
    context->poolFlags &= ~kContextInUse;
  else
    delete context;
}

void ReleaseTextContextPool() {
  for (TextContext* c : Pool()) delete c;
  Pool().clear();
  ReleaseStrayTextFonts();
}

int PooledTextContextCount() { return static_cast<int>(Pool().size()); }

void ClearTextFontState(TextContext* context) {
  context->key = TextSelectionKey{};
  context->keyValid = false;
  context->font = nullptr;
  context->lineHeight = 0;
  context->instance = -1;
  for (auto& r : context->recent) r = TextContext::RecentFont{};
  context->selected = nullptr;
}

HDC AttachTextContext(HDC dc, TextContext* c) {
  HDC previous = c->dc;
  c->dc = dc;
  c->selected = nullptr;
  if (!dc) return previous;
  GetViewportOrgEx(dc, &c->deviceOrigin);
  GetWindowOrgEx(dc, &c->logicalOrigin);
  GetViewportExtEx(dc, &c->deviceExtent);
  GetWindowExtEx(dc, &c->logicalExtent);
  const int mode = GetMapMode(dc);
  if (mode != c->mappingCode) {
    c->mappingCode = mode;
    if (mode != 7 && mode != 8) {
      SetMapMode(dc, mode);
      GetViewportExtEx(dc, &c->deviceExtent);
      GetWindowExtEx(dc, &c->logicalExtent);
    }
  }
  SetMapMode(dc, MM_TEXT);
  c->textFlags = 0;
  c->textColor = GetTextColor(dc);
  c->backColor = GetBkColor(dc);
  c->backMode = GetBkMode(dc);
  return previous;
}

int SetTextScale(TextContext* c, int cx, int cy, float scaleX, float scaleY) {
  if (!c || !c->dc || (c->mappingCode != 7 && c->mappingCode != 8)) return 0;
  c->deviceExtent = SIZE{cx, cy};
  c->scaleX = scaleX != 0 ? scaleX : static_cast<float>(cx);
  c->scaleY = scaleY != 0 ? scaleY : static_cast<float>(cy);
  return 1;
}

void LogicalToDevice(const TextContext* c, POINT* points, int count) {
  if (c->mappingCode == 1) return;
  for (int i = 0; i < count; ++i) {
    const double lx = c->logicalExtent.cx ? c->logicalExtent.cx : 1, ly = c->logicalExtent.cy ? c->logicalExtent.cy : 1;
    points[i].x =
        c->deviceOrigin.x + Truncate(c->scaleX * (static_cast<double>(points[i].x) - c->logicalOrigin.x) / lx);
    points[i].y =
        c->deviceOrigin.y + Truncate(c->scaleY * (static_cast<double>(points[i].y) - c->logicalOrigin.y) / ly);
  }
}

void DeviceToLogical(const TextContext* c, POINT* points, int count) {
  if (c->mappingCode == 1) return;
  for (int i = 0; i < count; ++i) {
    // A zero scale leaves the point as it is.
    if (c->scaleX != 0)
      points[i].x = c->logicalOrigin.x +
                    Truncate((static_cast<double>(points[i].x) - c->deviceOrigin.x) * c->logicalExtent.cx / c->scaleX);
    if (c->scaleY != 0)
      points[i].y = c->logicalOrigin.y +
                    Truncate((static_cast<double>(points[i].y) - c->deviceOrigin.y) * c->logicalExtent.cy / c->scaleY);
  }
}

int LengthToDeviceX(const TextContext* c, int v) {
  return c->mappingCode == 1 ? v : MulDivOr(v, c->deviceExtent.cx, c->logicalExtent.cx);
}
int LengthToDeviceY(const TextContext* c, int v) {
  return c->mappingCode == 1 ? v : MulDivOr(v, c->deviceExtent.cy, c->logicalExtent.cy);
}
int LengthToLogicalX(const TextContext* c, int v) {
  return c->mappingCode == 1 ? v : MulDivOr(v, c->logicalExtent.cx, c->deviceExtent.cx);
}
int LengthToLogicalY(const TextContext* c, int v) {
  return c->mappingCode == 1 ? v : MulDivOr(v, c->logicalExtent.cy, c->deviceExtent.cy);
}

}  // namespace Present::Text
