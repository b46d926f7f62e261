#include <plastrum/present/painting/RenderRecords.h>

namespace Present::Rendering {

RenderRecord::RenderRecord() : render(GetNativeRender()) {}

RenderRecord::~RenderRecord() {
  if (render) ReleaseNativeRender(render);
}

bool RenderRecord::Valid() const { return render && NativeIsValid(render); }

void RenderRecord::Detach() {
  if (Valid()) NativeDestroyRender(render);
  kind = kNone;
}

PaintRenderBlock::~PaintRenderBlock() { delete metafile; }

namespace {

void Configure(RenderRecord& record, uint8_t kind, const ContextRecord& settings) {
  record.kind = kind;
  record.dpiX = NativeRenderGetDpiX(record.render);
  record.dpiY = NativeRenderGetDpiY(record.render);
  NativeRenderSetSmoothingMode(record.render, settings.flag1 ? 1 : 0);
}

}  // namespace

int32_t AttachDevice(RenderRecord& record, const ContextRecord& settings) {
  HDC hdc = static_cast<HDC>(settings.device);
  if (!hdc || !record.render) return kRenderNoTarget;
  const bool withDevice = settings.target != nullptr;
  const bool made = withDevice ? NativeCreateRenderDevice(record.render, hdc, settings.target)
                               : NativeCreateRenderDC(record.render, hdc);
  if (!made) {
    record.kind = RenderRecord::kNone;
    return kRenderNoTarget;
  }
  Configure(record, withDevice ? RenderRecord::kDevice : RenderRecord::kDeviceContext, settings);
  if (settings.zoomX != 1.0f || settings.zoomY != 1.0f)
    NativeRenderSetZoom(record.render, settings.zoomX, settings.zoomY);
  return kRenderDone;
}

int32_t BeginRecording(PaintRenderBlock& block) {
  if (block.recordingOn || block.metafile) return 23;
  block.metafile = Metafile::Record(static_cast<HDC>(block.settings.device), block.offset);
  if (!block.metafile) {
    block.device.Detach();
    return kRenderOutOfMemory;
  }
  if (!block.recording.render || !NativeCreateRenderImage(block.recording.render, block.metafile->Handle())) {
    delete block.metafile;
    block.metafile = nullptr;
    return kRenderNoTarget;
  }
  Configure(block.recording, RenderRecord::kImage, block.settings);
  block.recordingOn = true;
  block.current = &block.recording;
  return kRenderDone;
}

int32_t EndRecording(PaintRenderBlock& block) {
  if (block.recording.Valid()) block.recording.Detach();
  block.current = &block.device;
  block.recordingOn = false;
  int32_t status = kRenderDone;
  if (block.metafile) {
    status = NativeRenderDrawImageRect(block.device.render, block.metafile->Handle(), block.offset.x + block.extraX,
                                       block.offset.y + block.extraY, block.offset.width, block.offset.height);
    delete block.metafile;
    block.metafile = nullptr;
  }
  return status;
}

PenRecord::PenRecord(uint32_t argb, float width_, NativeBrush brush_)
    : color(brush_ ? 0xFF000000u : argb), width(width_), brush(brush_), pen(GetNativePen()) {
  if (!pen) return;
  const bool made = brush ? NativeCreatePen(pen, brush, width) : NativeCreatePenWithColor(pen, argb, width);
  if (!made) {
    ReleaseNativePen(pen);
    pen = nullptr;
  }
}

PenRecord::~PenRecord() {
  if (brush) ReleaseNativeBrush(brush);
  if (pen) ReleaseNativePen(pen);
}

void ArrowRecord::SetWidth(NativePen pen, float newWidth) {
  width = newWidth;
  NativePenSetThickness(pen, newWidth);
  if (NativePenIsEqualArrowRevision(pen, newWidth)) return;
  if (beginType != 0) NativePenSetBeginArrow(pen, beginType, beginSize, newWidth);
  if (endType != 0) NativePenSetEndArrow(pen, endType, endSize, newWidth);
}

}  // namespace Present::Rendering
