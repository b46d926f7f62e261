// The render side of a paint context: the device target, an optional metafile recording
// that is drawn back into the device when it ends, and the pen and arrow records the
// painters stroke with.
//
// Result codes: 0 done, 3 out of memory, 21 no target.
#pragma once

#include <cstdint>

#include <luminar/Luminar.h>
#include <plastrum/present/painting/RenderingImages.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/Export.h>

namespace Present::Rendering {

inline constexpr int32_t kRenderDone = 0;
inline constexpr int32_t kRenderOutOfMemory = 3;
inline constexpr int32_t kRenderNoTarget = 21;

struct PLASTRUM_API RenderRecord {
  enum Target : uint8_t { kNone = 0, kDeviceContext = 1, kDevice = 2, kImage = 3 };

  RenderRecord();
  ~RenderRecord();
  RenderRecord(const RenderRecord&) = delete;
  RenderRecord& operator=(const RenderRecord&) = delete;

  // True while the handle draws somewhere.
  bool Valid() const;
  // Ends the target; the handle stays, empty.
  void Detach();

  uint8_t kind = kNone;
  float dpiX = 96.0f, dpiY = 96.0f;
  NativeRender render;
};

struct PLASTRUM_API PaintRenderBlock {
  PaintRenderBlock() = default;
  ~PaintRenderBlock();
  PaintRenderBlock(const PaintRenderBlock&) = delete;
  PaintRenderBlock& operator=(const PaintRenderBlock&) = delete;

  ContextRecord settings;
  RenderRecord device;
  Metafile* metafile = nullptr;
  RenderRecord recording;
  NativeRectF offset{};
  float extraX = 0.0f, extraY = 0.0f;
  bool recordingOn = false;
  // The record drawing goes to now: the device, or the recording while one runs.
  RenderRecord* current = &device;
};

// Makes the record's target from the settings' device context (alone: kind 1; with the
// settings' target as its device: kind 2), reads its resolution, sets its smoothing (the
// settings' first flag) and, when either zoom is not 1, its zoom. 21 without a device
// context or when the target cannot be made.
PLASTRUM_API int32_t AttachDevice(RenderRecord& record, const ContextRecord& settings);

// Starts recording a metafile against the device context over the drawing-offset rectangle;
// drawing then goes to the recording. 3 when the metafile cannot be made (the device target
// is detached), 21 when its target cannot be made; 23 when a recording already runs.
PLASTRUM_API int32_t BeginRecording(PaintRenderBlock& block);
// Ends a recording: drawing goes to the device again, and the metafile is drawn into it at
// the offset plus the extra offset, at the offset's size, and freed. 0, or the drawing's
// status.
PLASTRUM_API int32_t EndRecording(PaintRenderBlock& block);

// A pen with the painters' style word: made from the brush when one is given (then its
// colour reads 0xFF000000), else from the colour. The record owns both handles.
struct PLASTRUM_API PenRecord {
  PenRecord(uint32_t argb, float width, NativeBrush brush = nullptr);
  ~PenRecord();
  PenRecord(const PenRecord&) = delete;
  PenRecord& operator=(const PenRecord&) = delete;

  bool Valid() const { return pen != nullptr; }

  uint32_t color;
  uint32_t style = 0x04000400;
  float width;
  NativeBrush brush;
  NativePen pen;
};

// The arrows of a calligraphy pen and their width.
struct PLASTRUM_API ArrowRecord {
  uint8_t beginType = 0, beginSize = 0, endType = 0, endSize = 0;
  float width = 0.0f;

  // Sets the pen's width and, unless the arrows the pen has still fit that width, sets its
  // arrows again (each only when its type is not 0).
  void SetWidth(NativePen pen, float newWidth);
};

}  // namespace Present::Rendering
