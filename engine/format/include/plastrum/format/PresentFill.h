// The fill format (kind 259): how the inside of a shape, or a line's stroke, is painted: a
// type (none, solid, gradient, texture, hatch, auto), a solid colour with a transparency, and
// identifiers of a gradient, a texture and a hatch entry. The type says which applies; the
// others stay stored. A fill holds one reference on each non-zero identifier.
#pragma once

#include <cstdint>

#include <plastrum/format/ColorRef.h>
#include <plastrum/format/FormatContext.h>
#include <plastrum/format/PresentGradient.h>
#include <plastrum/format/PresentHatch.h>
#include <plastrum/format/PresentTexture.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeTable.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentFill : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint8_t GetType() = 0;
  virtual uint64_t GetSolidColor() = 0;
  virtual int16_t GetTransparency() = 0;
  virtual IPresentGradient* GetGradient() = 0;  // entry 0 for none
  virtual IPresentTexture* GetTexture() = 0;
  virtual IPresentHatch* GetHatch() = 0;

 protected:
  ~IPresentFill() = default;
};

struct PLASTRUM_API FillFields {
  uint8_t type = 0;  // FillType
  PresentColorRef solidColor;
  int16_t transparency = 0;  // tenths of a percent
  uint16_t gradientID = 0;   // held with references
  uint16_t textureID = 0;
  uint16_t hatchID = 0;
};

class PLASTRUM_API CPresentFill : public CPresentUnknown<IPresentFill>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 995;
  static constexpr const char16_t* kElementName = u"m:presentFill";

  CPresentFill() = default;
  CPresentFill(const CPresentFill& other);
  CPresentFill& operator=(const CPresentFill&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentFill();

  // Flag 1: solid in scheme colour 4 naming the standard gradient, texture and hatch (1);
  // flag 0: type 0 in scheme colour 4 naming none. Old identifiers are released. Returns 1.
  static int SetDefault(CPresentFill& value, int flag);
  static void SetGradient(CPresentFill& value, uint32_t id);
  static void SetTexture(CPresentFill& value, uint32_t id);
  static void SetHatch(CPresentFill& value, uint32_t id);

  bool IsSameValue(const CPresentFill& other) const;
  int AssignValue(const CPresentFill& other);
  void ClearEntry();
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint8_t GetType() override { return v.type; }
  uint64_t GetSolidColor() override { return Present::ColorWords(v.solidColor); }
  int16_t GetTransparency() override { return v.transparency; }
  IPresentGradient* GetGradient() override;
  IPresentTexture* GetTexture() override;
  IPresentHatch* GetHatch() override;

  // Registers, in order: the solid colour (265), the gradient's, texture's and hatch's own
  // references, then the gradient (256), texture (257) and hatch (258).
  void ReportReferences(IKx2ShapeMapperCtx* mapper) const;
  int ExchangeMapped(CKx2DataBlock& archive);
  // The record with raw identifiers, followed by the embedded records of the gradient,
  // texture and hatch it names.
  int ExchangeEmbedded(CKx2DataBlock& archive);
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  FillFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Fill;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresentFillCtx : public CPresentFormatCtx<CPresentFill, 6, 1011, &CPresentFill::ExchangeEmbedded> {
 public:
  CPresentFillCtx() = default;
  explicit CPresentFillCtx(const CPresentFill& value);
  CPresentFillCtx(const CPresentFillCtx& other);
  CPresentFillCtx& operator=(const CPresentFillCtx&) = delete;

  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(CPresentFill& target) override;
  void Merge(const CPresentFill& value) override;
  int IsEqual(const CPresentFill& value) override;
  int Archive(CKx2DataBlock& archive) override;

  // The value, the states and each nested context of another; 0 when an assign fails.
  static int CopyFrom(CPresentFillCtx& target, const CPresentFillCtx& source);
  // The value of a table entry, the nested contexts from the entries it names, every state
  // common (nested ones too).
  void ResetFrom(const CPresentFill& value);

  CPresentGradientCtx gradient;
  CPresentTextureCtx texture;
  CPresentHatchCtx hatch;
};

PLASTRUM_API CKx2ShapeTbl<CPresentFill>& PresentFillTable();
PLASTRUM_API int InitFillTable();
PLASTRUM_API int32_t FreeFillTable();
