// The shadow format (kind 261): position type, colour, transparency, size, blur, angle and
// distance of a shape's shadow. Its colour takes no colour-table reference.
#pragma once

#include <cstdint>

#include <plastrum/format/ColorRef.h>
#include <plastrum/format/FormatContext.h>
#include <plastrum/format/PlainContext.h>
#include <plastrum/format/FormatHash.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeTable.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentShadow : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint8_t GetType() = 0;
  virtual uint64_t GetColor() = 0;
  virtual int16_t GetTransparency() = 0;
  virtual int16_t GetSize() = 0;
  virtual int32_t GetBlur() = 0;
  virtual int16_t GetAngle() = 0;
  virtual int32_t GetDistance() = 0;

 protected:
  ~IPresentShadow() = default;
};

struct PLASTRUM_API ShadowFields {
  uint8_t type = 0;  // ShadowType
  PresentColorRef color;
  int16_t transparency = 0;  // tenths of a percent
  int16_t size = 0;          // tenths of a percent
  int32_t blur = 0;          // tenths
  int16_t angle = 0;         // tenths of a degree
  int32_t distance = 0;      // hundredths of a point
};

class PLASTRUM_API CPresentShadow : public CPresentUnknown<IPresentShadow>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 997;
  static constexpr const char16_t* kElementName = u"m:presentShadow";

  CPresentShadow() = default;
  CPresentShadow(const CPresentShadow& other) : CPresentUnknown(), CKx2ShapeRefCnt(), v(other.v) {}
  CPresentShadow& operator=(const CPresentShadow&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentShadow() {
    v.color = PresentColorRef();
    styleSlot = -1;
  }

  // Entry 1: all zero with scheme colour 0.
  static CPresentShadow StandardEntry();

  // The plain fields in state order.
  static auto PlainFields() -> const Present::Fields::Field (&)[7];
  bool IsSameValue(const CPresentShadow& other) const;
  int AssignValue(const CPresentShadow& other) {
    v = other.v;
    return 1;
  }
  void ClearEntry();
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint8_t GetType() override { return v.type; }
  uint64_t GetColor() override { return Present::ColorWords(v.color); }
  int16_t GetTransparency() override { return v.transparency; }
  int16_t GetSize() override { return v.size; }
  int32_t GetBlur() override { return v.blur; }
  int16_t GetAngle() override { return v.angle; }
  int32_t GetDistance() override { return v.distance; }

  int ExchangeMapped(CKx2DataBlock& archive);
  // The colour raw, repeated inside the record when it names a colour-table entry.
  int ExchangeEmbedded(CKx2DataBlock& archive);
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  ShadowFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Shadow;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresentShadowCtx
    : public CPresentPlainCtx<CPresentShadow, 7, 1013, &CPresentShadow::ExchangeMapped> {
 public:
  using CPresentPlainCtx::CPresentPlainCtx;
};

PLASTRUM_API CKx2ShapeTbl<CPresentShadow>& PresentShadowTable();
PLASTRUM_API int InitShadowTable();
PLASTRUM_API int32_t FreeShadowTable();
