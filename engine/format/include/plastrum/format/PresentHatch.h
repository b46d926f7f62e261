// The hatch format (kind 258): a two-colour pattern from the fixed hatch styles, with a
// rotate-with-shape flag. Its colours take no colour-table references.
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
class CPresentFill;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentHatch : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint8_t GetStyle() = 0;
  virtual uint64_t GetForeColor() = 0;
  virtual uint64_t GetBackColor() = 0;
  virtual uint8_t GetRotateWith() = 0;

 protected:
  ~IPresentHatch() = default;
};

struct PLASTRUM_API HatchFields {
  uint8_t style = 0;  // HatchStyle
  PresentColorRef foreColor;
  PresentColorRef backColor;
  uint8_t rotateWith = 0;
};

class PLASTRUM_API CPresentHatch : public CPresentUnknown<IPresentHatch>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 994;
  static constexpr const char16_t* kElementName = u"m:presentHatch";

  CPresentHatch() = default;
  CPresentHatch(const CPresentHatch& other) : CPresentUnknown(), CKx2ShapeRefCnt(), v(other.v) {}
  CPresentHatch& operator=(const CPresentHatch&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentHatch() { styleSlot = -1; }

  // Flag 1: fore colour scheme 0, back colour scheme 1, rotating; flag 0: style 0, no
  // colours, not rotating. Returns 1.
  static int SetDefault(CPresentHatch& value, int flag);
  // Interns the value and hands the identifier to the fill's hatch; 0 when interning fails
  // (the fill is unchanged), else 1.
  static int InternForFill(const CPresentHatch& value, CPresentFill& fill);

  // The plain fields in state order.
  static auto PlainFields() -> const Present::Fields::Field (&)[4];
  bool IsSameValue(const CPresentHatch& other) const;
  int AssignValue(const CPresentHatch& other) {
    v = other.v;
    return 1;
  }
  void ClearEntry();
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint8_t GetStyle() override { return v.style; }
  uint64_t GetForeColor() override { return Present::ColorWords(v.foreColor); }
  uint64_t GetBackColor() override { return Present::ColorWords(v.backColor); }
  uint8_t GetRotateWith() override { return v.rotateWith; }

  // Registers the colours that name colour-table entries (265), fore colour first.
  void ReportReferences(IKx2ShapeMapperCtx* mapper) const;
  int ExchangeMapped(CKx2DataBlock& archive);
  int ExchangeEmbedded(CKx2DataBlock& archive);
  // "m:presentHatch": its "m:id" carries the style name, not the position.
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  HatchFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Hatch;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresentHatchCtx : public CPresentPlainCtx<CPresentHatch, 4, 1010, &CPresentHatch::ExchangeMapped> {
 public:
  using CPresentPlainCtx::CPresentPlainCtx;
};

PLASTRUM_API CKx2ShapeTbl<CPresentHatch>& PresentHatchTable();
PLASTRUM_API int InitHatchTable();
PLASTRUM_API int32_t FreeHatchTable();
