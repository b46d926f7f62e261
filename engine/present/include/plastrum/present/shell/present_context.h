// The device and zoom context the host converts through and binds to canvases and
// calligraphies.
//
// The record holds the device and target handles (the context never frees either), the
// default resolution used when the device reports none, the zooms, origin, offset, two
// flags and a mode that the render binding reads. A context whose record could not be made
// answers 0 or FALSE in every slot and changes nothing.
#pragma once

#include <cstdint>

#include <win/types.h>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/Export.h>

namespace Present {

struct PLASTRUM_API ContextRecord {
  HANDLE device = nullptr;
  HANDLE target = nullptr;
  float defaultDpi = 96.0f;
  float zoomX = 1.0f;
  float zoomY = 1.0f;
  float originX = 0.0f, originY = 0.0f;
  float offsetX = 0.0f, offsetY = 0.0f;
  uint8_t flag1 = 1, flag2 = 1;
  uint8_t mode = 0;
};

}  // namespace Present

class IPresentContext : public IUnknown {
 public:
  virtual void SetDevice(HANDLE device) = 0;                      // 3
  virtual HANDLE GetDevice() = 0;                                 // 4
  virtual HANDLE DetachDevice() = 0;                              // 5
  virtual void SetTarget(HANDLE target) = 0;                      // 6
  virtual HANDLE GetTarget() = 0;                                 // 7
  virtual void SetDefaultDpi(uint32_t dpi) = 0;                   // 8
  virtual void SetZoomXY(uint32_t x, uint32_t y) = 0;             // 9: 1/10000
  virtual void SetZoom(uint32_t value) = 0;                       // 10
  virtual void SetOrigin(int32_t x, int32_t y) = 0;               // 11
  virtual void SetOffset(int32_t x, int32_t y) = 0;               // 12
  virtual void SetMode(uint8_t mode) = 0;                         // 13
  virtual BOOL HasDevice() = 0;                                   // 14
  virtual BOOL PointsToPixels(POINT* points, int32_t count) = 0;  // 15
  virtual BOOL PointToPixels(LONG* x, LONG* y) = 0;               // 16
  virtual BOOL PixelsToPoints(POINT* points, int32_t count) = 0;  // 17
  virtual BOOL PixelToPoint(LONG* x, LONG* y) = 0;                // 18
  virtual BOOL DisplayCaret(LONG x, LONG y) = 0;                  // 19

 protected:
  ~IPresentContext() = default;
};

class PLASTRUM_API PresentContext final : public CPresentUnknown<IPresentContext> {
 public:
  // Makes its record; when that fails the context has none.
  PresentContext();
  ~PresentContext();
  PresentContext(const PresentContext&) = delete;
  PresentContext& operator=(const PresentContext&) = delete;

  void SetDevice(HANDLE device) override;
  HANDLE GetDevice() override;
  HANDLE DetachDevice() override;
  void SetTarget(HANDLE target) override;
  HANDLE GetTarget() override;
  // 0 keeps the resolution: it is what the conversions fall back to and divide by.
  void SetDefaultDpi(uint32_t dpi) override;
  void SetZoomXY(uint32_t x, uint32_t y) override;
  void SetZoom(uint32_t value) override;
  void SetOrigin(int32_t x, int32_t y) override;
  void SetOffset(int32_t x, int32_t y) override;
  void SetMode(uint8_t mode) override;
  BOOL HasDevice() override;
  // Host units to pixels and back, in place; FALSE (nothing converted) without a record, a
  // negative count or null points with a count.
  BOOL PointsToPixels(POINT* points, int32_t count) override;
  BOOL PointToPixels(LONG* x, LONG* y) override;
  BOOL PixelsToPoints(POINT* points, int32_t count) override;
  BOOL PixelToPoint(LONG* x, LONG* y) override;
  // Hands the device and the point to the rendering library's caret; FALSE without a record.
  BOOL DisplayCaret(LONG x, LONG y) override;

  // The record, or null when it could not be made.
  Present::ContextRecord* Record() { return record_; }
  // The pixel scale of each axis: device resolution times zoom, or the default resolution
  // when that is 0. 0 without a record.
  float ScaleX() const;
  float ScaleY() const;

 private:
  Present::ContextRecord* record_;
};
