// The texture format (kind 257): a picture-table entry laid into a shape, tiled (offsets,
// scales, alignment, mirroring) or stretched (insets), with a transparency and a
// rotate-with-shape flag. A texture holds one reference on its picture identifier.
#pragma once

#include <cstdint>

#include <plastrum/format/FormatContext.h>
#include <plastrum/format/PresentPicture.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeTable.h>
#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentTexture : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual IPresentPicture* GetPicture() = 0;                // entry 0 for none
  virtual uint8_t GetMode() = 0;
  virtual int32_t GetOffsetX() = 0;
  virtual uint16_t GetScaleX() = 0;
  virtual int32_t GetOffsetY() = 0;
  virtual uint16_t GetScaleY() = 0;
  virtual uint8_t GetAlignment() = 0;
  virtual uint8_t GetMirrorType() = 0;
  virtual uint16_t GetOffsetLeft() = 0;
  virtual uint16_t GetOffsetRight() = 0;
  virtual uint16_t GetOffsetTop() = 0;
  virtual uint16_t GetOffsetBottom() = 0;
  virtual uint16_t GetTransparency() = 0;
  virtual uint8_t GetRotateWith() = 0;

 protected:
  ~IPresentTexture() = default;
};

// The fields in state order (k = 0..13); the picture identifier is held with a reference.
struct PLASTRUM_API TextureFields {
  uint16_t pictureID = 0;
  uint8_t mode = 0;     // TextureMode ("m:position")
  int32_t offsetX = 0;  // hundredths of a point
  uint16_t scaleX = 0;  // tenths of a percent
  int32_t offsetY = 0;
  uint16_t scaleY = 0;
  uint8_t alignment = 0;                                                      // TextureAlignment
  uint8_t mirrorType = 0;                                                     // FlipMode
  uint16_t offsetLeft = 0, offsetRight = 0, offsetTop = 0, offsetBottom = 0;  // tenths of a percent
  uint16_t transparency = 0;
  uint8_t rotateWith = 0;
};

class PLASTRUM_API CPresentTexture : public CPresentUnknown<IPresentTexture>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 993;
  static constexpr const char16_t* kElementName = u"m:presentTexture";

  CPresentTexture() = default;
  CPresentTexture(const CPresentTexture& other);
  CPresentTexture& operator=(const CPresentTexture&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresentTexture();

  // Entry 0: picture 0, scales 1000; entry 1: the same rotating with the shape.
  static CPresentTexture EmptyEntry();
  static CPresentTexture StandardEntry();

  bool IsSameValue(const CPresentTexture& other) const;
  int AssignValue(const CPresentTexture& other);
  void ClearEntry();
  uint64_t HashValue() const;

  // Assigns the picture identifier with references (0, 0xFFFF and entry 1 take none).
  static void SetPicture(CPresentTexture& value, uint32_t id);

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  IPresentPicture* GetPicture() override;
  uint8_t GetMode() override { return v.mode; }
  int32_t GetOffsetX() override { return v.offsetX; }
  uint16_t GetScaleX() override { return v.scaleX; }
  int32_t GetOffsetY() override { return v.offsetY; }
  uint16_t GetScaleY() override { return v.scaleY; }
  uint8_t GetAlignment() override { return v.alignment; }
  uint8_t GetMirrorType() override { return v.mirrorType; }
  uint16_t GetOffsetLeft() override { return v.offsetLeft; }
  uint16_t GetOffsetRight() override { return v.offsetRight; }
  uint16_t GetOffsetTop() override { return v.offsetTop; }
  uint16_t GetOffsetBottom() override { return v.offsetBottom; }
  uint16_t GetTransparency() override { return v.transparency; }
  uint8_t GetRotateWith() override { return v.rotateWith; }

  // Registers the picture's data (code 0) and recolour colour (265), then the picture (262).
  void ReportReferences(IKx2ShapeMapperCtx* mapper) const;
  int ExchangeMapped(CKx2DataBlock& archive);
  // The record with the raw picture identifier, followed by the picture's embedded record.
  int ExchangeEmbedded(CKx2DataBlock& archive);
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  TextureFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Texture;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresentTextureCtx
    : public CPresentFormatCtx<CPresentTexture, 14, 1009, &CPresentTexture::ExchangeMapped> {
 public:
  CPresentTextureCtx() = default;
  explicit CPresentTextureCtx(const CPresentTexture& value);
  CPresentTextureCtx(const CPresentTextureCtx& other);
  CPresentTextureCtx& operator=(const CPresentTextureCtx&) = delete;

  int Store(IKx2PropertyObject* host) override;
  int Load(IKx2PropertyObject* host, int* nothingFound) override;
  void Apply(CPresentTexture& target) override;
  void Merge(const CPresentTexture& value) override;
  int IsEqual(const CPresentTexture& value) override;
  int Archive(CKx2DataBlock& archive) override;

  // The value, the states and the nested picture context (value and states) of another.
  static int CopyFrom(CPresentTextureCtx& target, const CPresentTextureCtx& source);
  // The value of a table entry, the nested picture context from its picture entry, every
  // state common.
  void ResetFrom(const CPresentTexture& value);

  CPresentPictureCtx picture;
};

PLASTRUM_API CKx2ShapeTbl<CPresentTexture>& PresentTextureTable();
PLASTRUM_API int InitTextureTable();
PLASTRUM_API int32_t FreeTextureTable();
