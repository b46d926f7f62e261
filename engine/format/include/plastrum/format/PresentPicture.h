// The picture format (kind 262): which picture data a shape or texture shows, an identifier
// in the host's binary-data store, and how it is recoloured and adjusted.
//
// A picture holds one store reference on its data identifier: assigning one takes a
// reference on the new identifier (AddRefData) and gives the old one back. Without a store
// (no engine, or no store given to it) identifiers are kept as they are and counted by
// nobody. Pictures compare their data through the store (SameData), so equal pictures of
// equal data intern to one entry even when the store names the data twice.
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

class PLASTRUM_API IPresentPicture : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint16_t GetBinDataId() = 0;
  virtual uint8_t GetRecolor() = 0;
  virtual uint64_t GetRecolorColor() = 0;  // the whole reference: colour word low, second word high
  virtual int16_t GetBrightness() = 0;
  virtual int16_t GetContrast() = 0;
  virtual int16_t GetTransparency() = 0;

 protected:
  ~IPresentPicture() = default;
};

// The plain fields in state order (k = 0..5).
struct PLASTRUM_API PictureFields {
  uint16_t binDataId = 0;  // held with a store reference; assign through SetBinDataId
  uint8_t recolor = 0;     // RecolorMode
  PresentColorRef recolorColor;
  int16_t brightness = 0;  // tenths of a percent
  int16_t contrast = 0;
  int16_t transparency = 0;
};

class PLASTRUM_API CPresentPicture : public CPresentUnknown<IPresentPicture>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 998;
  static constexpr const char16_t* kElementName = u"m:presentPicture";

  CPresentPicture() = default;
  CPresentPicture(const CPresentPicture& other);
  CPresentPicture& operator=(const CPresentPicture&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentPicture();

  // The fixed entries: entry 0 (recolour colour scheme 4) and entry 1 (scheme 5).
  static CPresentPicture EmptyEntry();
  static CPresentPicture StandardEntry();

  // Table element operations.
  bool IsSameValue(const CPresentPicture& other) const;
  int AssignValue(const CPresentPicture& other);
  void ClearEntry();
  uint64_t HashValue() const;

  // Takes a store reference on id and gives the old one back; an identifier the store
  // refuses leaves 0.
  void SetBinDataId(uint32_t id);
  // Takes over an identifier that already carries a reference for this value.
  void AdoptBinDataId(uint32_t id);

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint16_t GetBinDataId() override { return v.binDataId; }
  uint8_t GetRecolor() override { return v.recolor; }
  uint64_t GetRecolorColor() override { return Present::ColorWords(v.recolorColor); }
  int16_t GetBrightness() override { return v.brightness; }
  int16_t GetContrast() override { return v.contrast; }
  int16_t GetTransparency() override { return v.transparency; }

  // Record 998 with the data identifier mapped under code 0 and the colour under 265 (the
  // document's lists and the context's archive).
  int ExchangeMapped(CKx2DataBlock& archive);
  // Record 998 carrying the picture data itself, or the identifier when the store keeps the
  // data (whole-shape archives and textures).
  int ExchangeEmbedded(CKx2DataBlock& archive);
  // Value number `index` as "m:presentPicture".
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);
  // Registers the data identifier (code 0) and the recolour colour (265) with a mapper.
  void ReportReferences(IKx2ShapeMapperCtx* mapper) const;

  PictureFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Picture;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresentPictureCtx
    : public CPresentFormatCtx<CPresentPicture, 6, 1014, &CPresentPicture::ExchangeEmbedded> {
 public:
  using CPresentFormatCtx::CPresentFormatCtx;

  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(CPresentPicture& target) override;
  void Merge(const CPresentPicture& value) override;
  int IsEqual(const CPresentPicture& value) override;
};

namespace Present {
// Whether two data identifiers denote the same data: equal identifiers do, 0 and another do
// not, and otherwise the store decides (without a store, different identifiers differ).
PLASTRUM_API bool SamePictureData(uint32_t a, uint32_t b);
}  // namespace Present

PLASTRUM_API CKx2ShapeTbl<CPresentPicture>& PresentPictureTable();
PLASTRUM_API int InitPictureTable();
PLASTRUM_API int32_t FreePictureTable();
