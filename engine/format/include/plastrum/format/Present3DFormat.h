// The 3-D format (kind 263): top and bottom bevel, extrusion depth and contour with their
// colours, surface material and lighting, and the camera (preset, rotations, perspective).
// Its colours take no colour-table references.
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
struct ShapeXmlArchive;

class PLASTRUM_API IPresent3DFormat : public IUnknown {
 public:
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint8_t GetBevelTopType() = 0;
  virtual int32_t GetBevelTopWidth() = 0;
  virtual int32_t GetBevelTopHeight() = 0;
  virtual uint8_t GetBevelBottomType() = 0;
  virtual int32_t GetBevelBottomWidth() = 0;
  virtual int32_t GetBevelBottomHeight() = 0;
  virtual uint64_t GetDepthColor() = 0;
  virtual int32_t GetDepthValue() = 0;
  virtual uint64_t GetContourColor() = 0;
  virtual int32_t GetContourSize() = 0;
  virtual uint8_t GetSurfaceMaterial() = 0;
  virtual uint8_t GetSurfaceLighting() = 0;
  virtual int16_t GetSurfaceAngle() = 0;
  virtual uint8_t GetSurfacePreset() = 0;
  virtual int16_t GetRotationX() = 0;
  virtual int16_t GetRotationY() = 0;
  virtual int16_t GetRotationZ() = 0;
  virtual int16_t GetPerspective() = 0;
  virtual uint8_t GetKeepTextFlat() = 0;
  virtual int32_t GetObjectDistance() = 0;

 protected:
  ~IPresent3DFormat() = default;
};

// The twenty fields in state order; lengths in hundredths of a point, angles in tenths.
struct PLASTRUM_API Format3DFields {
  uint8_t bevelTopType = 0;  // BevelType
  int32_t bevelTopWidth = 0;
  int32_t bevelTopHeight = 0;
  uint8_t bevelBottomType = 0;
  int32_t bevelBottomWidth = 0;
  int32_t bevelBottomHeight = 0;
  PresentColorRef depthColor;
  int32_t depthValue = 0;
  PresentColorRef contourColor;
  int32_t contourSize = 0;
  uint8_t surfaceMaterial = 0;  // MaterialType
  uint8_t surfaceLighting = 0;  // LightRigType
  int16_t surfaceAngle = 0;
  uint8_t surfacePreset = 0;  // CameraPreset
  int16_t rotationX = 0, rotationY = 0, rotationZ = 0;
  int16_t perspective = 0;
  uint8_t keepTextFlat = 0;
  int32_t objectDistance = 0;
};

class PLASTRUM_API CPresent3DFormat : public CPresentUnknown<IPresent3DFormat>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 999;
  static constexpr const char16_t* kElementName = u"m:present3D";

  CPresent3DFormat() = default;
  CPresent3DFormat(const CPresent3DFormat& other) : CPresentUnknown(), CKx2ShapeRefCnt(), v(other.v) {}
  CPresent3DFormat& operator=(const CPresent3DFormat&) = delete;
  // Virtual: contexts derive from the value.
  virtual ~CPresent3DFormat() {
    v.depthColor = PresentColorRef();
    v.contourColor = PresentColorRef();
    styleSlot = -1;
  }

  // Entry 0: all zero, material "None" (11), lighting "None" (15). Entry 1: the same with
  // depth colour scheme "lt2" and contour colour scheme "dk1".
  static CPresent3DFormat EmptyEntry();
  static CPresent3DFormat StandardEntry();

  // The plain fields in state order.
  static auto PlainFields() -> const Present::Fields::Field (&)[20];
  bool IsSameValue(const CPresent3DFormat& other) const;
  int AssignValue(const CPresent3DFormat& other) {
    v = other.v;
    return 1;
  }
  void ClearEntry();
  uint64_t HashValue() const;

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint8_t GetBevelTopType() override { return v.bevelTopType; }
  int32_t GetBevelTopWidth() override { return v.bevelTopWidth; }
  int32_t GetBevelTopHeight() override { return v.bevelTopHeight; }
  uint8_t GetBevelBottomType() override { return v.bevelBottomType; }
  int32_t GetBevelBottomWidth() override { return v.bevelBottomWidth; }
  int32_t GetBevelBottomHeight() override { return v.bevelBottomHeight; }
  uint64_t GetDepthColor() override { return Present::ColorWords(v.depthColor); }
  int32_t GetDepthValue() override { return v.depthValue; }
  uint64_t GetContourColor() override { return Present::ColorWords(v.contourColor); }
  int32_t GetContourSize() override { return v.contourSize; }
  uint8_t GetSurfaceMaterial() override { return v.surfaceMaterial; }
  uint8_t GetSurfaceLighting() override { return v.surfaceLighting; }
  int16_t GetSurfaceAngle() override { return v.surfaceAngle; }
  uint8_t GetSurfacePreset() override { return v.surfacePreset; }
  int16_t GetRotationX() override { return v.rotationX; }
  int16_t GetRotationY() override { return v.rotationY; }
  int16_t GetRotationZ() override { return v.rotationZ; }
  int16_t GetPerspective() override { return v.perspective; }
  uint8_t GetKeepTextFlat() override { return v.keepTextFlat; }
  int32_t GetObjectDistance() override { return v.objectDistance; }

  int ExchangeMapped(CKx2DataBlock& archive);
  // Colours raw, each repeated inside the record (depth first) when it names a colour-table
  // entry.
  int ExchangeEmbedded(CKx2DataBlock& archive);
  // "m:present3D" with "m:present3DFormat" (bevels, depth, contour, surface; the bottom bevel
  // as "m:bevelBottomType", "m:bevelBottomWidth", "m:bevelBottomHeight") and
  // "m:present3DRotation" (camera).
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);

  Format3DFields v;
  // The style cache's vector and index of the record built from this entry, or -1.
  static constexpr Present::StyleKind kStyleKind = Present::StyleKind::Format3D;
  int32_t styleSlot = -1;
};

class PLASTRUM_API CPresent3DFormatCtx
    : public CPresentPlainCtx<CPresent3DFormat, 20, 1015, &CPresent3DFormat::ExchangeMapped> {
 public:
  using CPresentPlainCtx::CPresentPlainCtx;
};

PLASTRUM_API CKx2ShapeTbl<CPresent3DFormat>& Present3DFormatTable();
PLASTRUM_API int Init3DFormatTable();
PLASTRUM_API int32_t Free3DFormatTable();
