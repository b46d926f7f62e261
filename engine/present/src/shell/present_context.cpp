#include <plastrum/present/shell/present_context.h>

#include <new>

#include <luminar/Luminar.h>
#include <plastrum/present/shell/units.h>

namespace {

float ScaleOf(const Present::ContextRecord& record, LONG dpi, float zoom) {
  const float scale = static_cast<float>(static_cast<double>(dpi) * zoom);
  return scale == 0.0f ? record.defaultDpi : scale;
}

}  // namespace

PresentContext::PresentContext() : record_(new (std::nothrow) Present::ContextRecord()) {}

PresentContext::~PresentContext() { delete record_; }

void PresentContext::SetDevice(HANDLE device) {
  if (record_) record_->device = device;
}

HANDLE PresentContext::GetDevice() { return record_ ? record_->device : nullptr; }

HANDLE PresentContext::DetachDevice() {
  if (!record_) return nullptr;
  HANDLE device = record_->device;
  record_->device = nullptr;
  return device;
}

void PresentContext::SetTarget(HANDLE target) {
  if (record_) record_->target = target;
}

HANDLE PresentContext::GetTarget() { return record_ ? record_->target : nullptr; }

void PresentContext::SetDefaultDpi(uint32_t dpi) {
  if (record_ && dpi != 0) record_->defaultDpi = static_cast<float>(dpi);
}

void PresentContext::SetZoomXY(uint32_t x, uint32_t y) {
  if (!record_) return;
  record_->zoomX = static_cast<float>(x / 10000.0);
  record_->zoomY = static_cast<float>(y / 10000.0);
}

void PresentContext::SetZoom(uint32_t value) { SetZoomXY(value, value); }

void PresentContext::SetOrigin(int32_t x, int32_t y) {
  if (!record_) return;
  record_->originX = static_cast<float>(x);
  record_->originY = static_cast<float>(y);
}

void PresentContext::SetOffset(int32_t x, int32_t y) {
  if (!record_) return;
  record_->offsetX = static_cast<float>(x);
  record_->offsetY = static_cast<float>(y);
}

void PresentContext::SetMode(uint8_t mode) {
  if (record_) record_->mode = mode;
}

BOOL PresentContext::HasDevice() { return record_ && record_->device ? TRUE : FALSE; }

// Each point asks the device again: the host may change its resolution between calls.
float PresentContext::ScaleX() const {
  return record_ ? ScaleOf(*record_, GetDeviceDpiX(record_->device), record_->zoomX) : 0.0f;
}

float PresentContext::ScaleY() const {
  return record_ ? ScaleOf(*record_, GetDeviceDpiY(record_->device), record_->zoomY) : 0.0f;
}

BOOL PresentContext::PointsToPixels(POINT* points, int32_t count) {
  if (!record_ || count < 0 || (!points && count > 0)) return FALSE;
  for (int32_t i = 0; i < count; ++i) {
    points[i].x = Present::HostToPixel(points[i].x, ScaleX());
    points[i].y = Present::HostToPixel(points[i].y, ScaleY());
  }
  return TRUE;
}

BOOL PresentContext::PointToPixels(LONG* x, LONG* y) {
  if (!record_ || !x || !y) return FALSE;
  *x = Present::HostToPixel(*x, ScaleX());
  *y = Present::HostToPixel(*y, ScaleY());
  return TRUE;
}

BOOL PresentContext::PixelsToPoints(POINT* points, int32_t count) {
  if (!record_ || count < 0 || (!points && count > 0)) return FALSE;
  for (int32_t i = 0; i < count; ++i) {
    points[i].x = Present::PixelToHost(points[i].x, ScaleX());
    points[i].y = Present::PixelToHost(points[i].y, ScaleY());
  }
  return TRUE;
}

BOOL PresentContext::PixelToPoint(LONG* x, LONG* y) {
  if (!record_ || !x || !y) return FALSE;
  *x = Present::PixelToHost(*x, ScaleX());
  *y = Present::PixelToHost(*y, ScaleY());
  return TRUE;
}

BOOL PresentContext::DisplayCaret(LONG x, LONG y) {
  if (!record_) return FALSE;
  ::DisplayCaret(record_->device, x, y);
  return TRUE;
}
