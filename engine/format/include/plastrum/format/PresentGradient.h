// The gradient format (kind 256): a colour ramp of up to ten stops with a type, a direction,
// an angle and a rotate-with-shape flag.
//
// All ten stop slots always exist; only the first stopCount are meaningful. A stop count
// above ten, from any source, is taken as ten, so nothing ever reaches past the slots. Stop
// colours take no colour-table references (as for shadows and 3-D formats).
#pragma once

#include <cstdint>

#include <plastrum/format/ColorRef.h>
#include <plastrum/format/FormatContext.h>
#include <plastrum/format/FormatHash.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeTable.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentGradient : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint8_t GetType() = 0;
  virtual uint8_t GetDirection() = 0;
  virtual int16_t GetAngle() = 0;
  virtual uint8_t GetStopCount() = 0;
  // No bound check beyond the ten slots: callers pass 0..stopCount-1.
  virtual uint16_t GetStopPosition(int32_t index) = 0;
  virtual uint64_t GetStopColor(int32_t index) = 0;  // colour word low, second word high
  virtual uint16_t GetStopTransparency(int32_t index) = 0;
  virtual uint8_t GetRotateWith() = 0;

 protected:
  ~IPresentGradient() = default;
};

struct PLASTRUM_API GradientFields {
  static constexpr int kMaxStops = 10;
  uint8_t type = 0;                       // GradientType
  uint8_t direction = 0;                  // GradientDirection
  int16_t angle = 0;                      // tenths of a degree
  uint8_t stopCount = 0;                  // 0..10
  uint16_t stopPosition[kMaxStops] = {};  // thousandths
  PresentColorRef stopColor[kMaxStops];
  uint16_t stopTransparency[kMaxStops] = {};  // thousandths
  uint8_t rotateWith = 0;

  // The stop count as used everywhere: at most ten.
  int Stops() const { return stopCount < kMaxStops ? stopCount : kMaxStops; }
};

class PLASTRUM_API CPresentGradient : public CPresentUnknown<IPresentGradient>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 992;
  static constexpr const char16_t* kElementName = u"m:presentGradient";

  CPresentGradient() = default;
  CPresentGradient(const CPresentGradient& other) : CPresentUnknown(), CKx2ShapeRefCnt(), v(other.v) {}
  CPresentGradient& operator=(const CPresentGradient&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentGradient() { styleSlot = -1; }

  // Flag 1: the standard gradient (angle 450, stops 0/500/1000 in scheme colours 4, 5, 6,
  // rotating with the shape); flag 0: type, direction, angle, count and rotation 0, stops as
  // they are. Returns 1.
  static int SetDefault(CPresentGradient& value, int flag);

  bool IsSameValue(const CPresentGradient& other) const;
  int AssignValue(const CPresentGradient& other) {
    v = other.v;
    return 1;
  }
  void ClearEntry();
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint8_t GetType() override { return v.type; }
  uint8_t GetDirection() override { return v.direction; }
  int16_t GetAngle() override { return v.angle; }
  uint8_t GetStopCount() override { return v.stopCount; }
  uint16_t GetStopPosition(int32_t i) override { return InRange(i) ? v.stopPosition[i] : 0; }
  uint64_t GetStopColor(int32_t i) override { return InRange(i) ? Present::ColorWords(v.stopColor[i]) : 0; }
  uint16_t GetStopTransparency(int32_t i) override { return InRange(i) ? v.stopTransparency[i] : 0; }
  uint8_t GetRotateWith() override { return v.rotateWith; }

  // Registers every stop colour that names a colour-table entry (code 265).
  void ReportReferences(IKx2ShapeMapperCtx* mapper) const;
  // Record 992 with the stop colours mapped (the document's lists and the context's archive).
  int ExchangeMapped(CKx2DataBlock& archive);
  // Record 992 with the colours unmapped (inside a fill's embedded record).
  int ExchangeEmbedded(CKx2DataBlock& archive);
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  GradientFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Gradient;
  int32_t styleSlot = -1;

 private:
  static bool InRange(int32_t i) { return i >= 0 && i < GradientFields::kMaxStops; }
};

class PLASTRUM_API CPresentGradientCtx
    : public CPresentFormatCtx<CPresentGradient, 8, 1008, &CPresentGradient::ExchangeMapped> {
 public:
  using CPresentFormatCtx::CPresentFormatCtx;

  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(CPresentGradient& target) override;
  void Merge(const CPresentGradient& value) override;
  int IsEqual(const CPresentGradient& value) override;
};

PLASTRUM_API CKx2ShapeTbl<CPresentGradient>& PresentGradientTable();
PLASTRUM_API int InitGradientTable();
PLASTRUM_API int32_t FreeGradientTable();
