// The colour format: a set of colour modifiers that a PresentColorRef points to by its
// colour-table identifier ("m:effectShapeID" in XML). Values are interned by content in the
// colour table (kind 265). Entry 0 is the all-zero value and entry 1 is reserved (a copy of
// entry 0 that is never handed out), so real modifier sets have identifiers from 2.
//
// Modifiers are held in tenths (1000 = 100 %). The value travels to a host property object
// through the colour field map (properties 0x7000..0x7013), as record 1001 of a record
// archive and as the XML element "m:presentColor".
#pragma once

#include <cstddef>
#include <cstdint>

#include <plastrum/format/FieldMap.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/format/ShapeTable.h>
#include <plastrum/Export.h>

class CKx2DataBlock;
struct ShapeXmlArchive;

class PLASTRUM_API IPresentColor : public IUnknown {
 public:
  // Writes the 20 properties into a host property sink; FALSE for a null sink.
  virtual BOOL ExportToSink(IKx2PropertyObject* sink) = 0;  // 3
  virtual uint8_t GetType() = 0;
  virtual int16_t GetAlphaMod() = 0;
  virtual int16_t GetAlphaOffset() = 0;
  virtual int16_t GetRedMod() = 0;
  virtual int16_t GetRedOffset() = 0;
  virtual int16_t GetGreenMod() = 0;
  virtual int16_t GetGreenOffset() = 0;
  virtual int16_t GetBlueMod() = 0;
  virtual int16_t GetBlueOffset() = 0;
  virtual int16_t GetHueMod() = 0;
  virtual int16_t GetHueOffset() = 0;
  virtual int16_t GetSaturationMod() = 0;
  virtual int16_t GetSaturationOffset() = 0;
  virtual int16_t GetLuminanceMod() = 0;
  virtual int16_t GetLuminanceOffset() = 0;
  virtual int16_t GetShade() = 0;
  virtual int16_t GetTint() = 0;
  virtual uint8_t GetComplement() = 0;
  virtual uint8_t GetGray() = 0;
  virtual uint8_t GetInverse() = 0;

 protected:
  ~IPresentColor() = default;
};

// The value of a colour entry, compared and interned as its first 37 bytes.
struct PLASTRUM_API PresentColorValue {
  uint8_t type = 0;  // 0 "None", 1 "Custom"
  uint8_t reserved = 0;
  int16_t alphaMod = 0;
  int16_t alphaOffset = 0;
  int16_t redMod = 0;
  int16_t redOffset = 0;
  int16_t greenMod = 0;
  int16_t greenOffset = 0;
  int16_t blueMod = 0;
  int16_t blueOffset = 0;
  int16_t hueMod = 0;
  int16_t hueOffset = 0;
  int16_t saturationMod = 0;
  int16_t saturationOffset = 0;
  int16_t luminanceMod = 0;
  int16_t luminanceOffset = 0;
  int16_t shade = 0;
  int16_t tint = 0;
  uint8_t complement = 0;
  uint8_t gray = 0;
  uint8_t inverse = 0;

  static constexpr size_t kComparedBytes = 37;
  // The sixteen modifiers in their order.
  int16_t* Modifiers() { return &alphaMod; }
  const int16_t* Modifiers() const { return &alphaMod; }
};
static_assert(offsetof(PresentColorValue, alphaMod) == 2 && offsetof(PresentColorValue, tint) == 32 &&
                  offsetof(PresentColorValue, inverse) == 36,
              "the modifiers follow the type and a spare byte, the flags follow the modifiers");

class PLASTRUM_API CPresentColor : public CPresentUnknown<IPresentColor>, public CKx2ShapeRefCnt {
 public:
  static constexpr uint16_t kRecordTag = 1001;
  static constexpr const char16_t* kElementName = u"m:presentColor";

  CPresentColor() = default;
  CPresentColor(const CPresentColor& other) : CKx2ShapeRefCnt(), value(other.value) {}
  CPresentColor& operator=(const CPresentColor&) = delete;
  ~CPresentColor() = default;

  // Table element operations.
  bool IsSameValue(const CPresentColor& other) const;
  int AssignValue(const CPresentColor& other) {
    value = other.value;
    return 1;
  }
  void ClearEntry() {}
  // A hash of the compared bytes, for the table's interning index.
  uint64_t HashValue() const {
    uint64_t h = 0xCBF29CE484222325ull;
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    for (size_t i = 0; i < PresentColorValue::kComparedBytes; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
  }

  BOOL ExportToSink(IKx2PropertyObject* sink) override;
  uint8_t GetType() override { return value.type; }
  int16_t GetAlphaMod() override { return value.alphaMod; }
  int16_t GetAlphaOffset() override { return value.alphaOffset; }
  int16_t GetRedMod() override { return value.redMod; }
  int16_t GetRedOffset() override { return value.redOffset; }
  int16_t GetGreenMod() override { return value.greenMod; }
  int16_t GetGreenOffset() override { return value.greenOffset; }
  int16_t GetBlueMod() override { return value.blueMod; }
  int16_t GetBlueOffset() override { return value.blueOffset; }
  int16_t GetHueMod() override { return value.hueMod; }
  int16_t GetHueOffset() override { return value.hueOffset; }
  int16_t GetSaturationMod() override { return value.saturationMod; }
  int16_t GetSaturationOffset() override { return value.saturationOffset; }
  int16_t GetLuminanceMod() override { return value.luminanceMod; }
  int16_t GetLuminanceOffset() override { return value.luminanceOffset; }
  int16_t GetShade() override { return value.shade; }
  int16_t GetTint() override { return value.tint; }
  uint8_t GetComplement() override { return value.complement; }
  uint8_t GetGray() override { return value.gray; }
  uint8_t GetInverse() override { return value.inverse; }

  // Record 1001 in the archive's direction: 1, or 0 when the record is not there (reading)
  // or could not be written.
  int Exchange(CKx2DataBlock& archive);
  // Value number `index` as "m:presentColor" under the archive's current element. Reading
  // starts from the empty value, so absent attributes read as 0. 1, or 0 when the element
  // is missing (reading) or could not be made (writing).
  int ExchangeXml(ShapeXmlArchive& archive, int32_t index);
  // Reads the value from a host property object (what the colour service interns).
  int LoadFromHost(IKx2PropertyObject* host);

  // The twenty entries of the colour field map and its end.
  static const FieldMapEntry kFieldMap[21];

  PresentColorValue value;
};

// The module-wide colour table.
PLASTRUM_API CKx2ShapeTbl<CPresentColor>& PresentColorTable();
// Puts the colour table's fixed entries in place (1, or 0 on failure) and empties it.
PLASTRUM_API int InitColorTable();
PLASTRUM_API int32_t FreeColorTable();
