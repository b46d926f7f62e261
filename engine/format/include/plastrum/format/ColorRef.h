// PresentColorRef: the 8-byte colour reference every format value that has a colour holds.
//
// Word 1 is the colour itself, by kind: RGB A,R,G,B in bits 24-31, 16-23, 8-15, 0-7; CMYK
// C,M,Y,K (0..100) in the same bytes; HSL hue in degrees as a signed 16-bit number in bits
// 16-31, saturation and luminance in hundredths in bits 8-15 and 0-7; system: the system
// colour index; scheme: the scheme index (0..11) in bits 0-7 and a tint in hundredths of the
// scheme colour's factor as a signed 16-bit number in bits 8-23 (bits 24-31 carry its sign,
// so that equal colours always pack to equal words).
// Word 2 holds the colour-table identifier of a modifier set (bits 0-15, 0 = none), the
// opacity (bits 16-23) and the kind (bits 24-27) with the flags none (bit 28), automatic
// (bit 29) and don't-care (bit 30). The three special values are exactly word 1 = 0 with
// word 2 = 0x10000000, 0x20000000 or 0x40000000.
//
// A reference does not count its colour-table identifier itself: the reference that
// interning a colour gives passes to the PresentColorRef that stores it, and the colour
// service of the engine adds and drops references for the host.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

class CKx2DataBlock;
struct ShapeXmlArchive;

namespace Present {

enum ColorKind : uint8_t {
  kColorRgb = 0,
  kColorCmyk = 1,
  kColorHsl = 2,
  kColorSystem = 4,
  kColorScheme = 5,
};

constexpr uint32_t kColorNone = 0x10000000u;
constexpr uint32_t kColorAuto = 0x20000000u;
constexpr uint32_t kColorDontCare = 0x40000000u;

// Scheme colours by index.
constexpr int kSchemeColorCount = 12;
PLASTRUM_API extern const char16_t* const kSchemeColorNames[kSchemeColorCount];
// The index of a scheme colour name; -1 for an unknown or null name.
PLASTRUM_API int SchemeColorIndex(const char16_t* name);

}  // namespace Present

struct PLASTRUM_API PresentColorRef {
  uint32_t value = 0;
  uint16_t colorId = 0;
  uint8_t opacity = 0;
  uint8_t kindFlags = 0;

  PresentColorRef() = default;
  PresentColorRef(uint32_t value_, uint32_t second) { Assign(value_, second); }

  uint32_t Second() const {
    return colorId | static_cast<uint32_t>(opacity) << 16 | static_cast<uint32_t>(kindFlags) << 24;
  }
  uint8_t Kind() const { return kindFlags & 0x0F; }
  bool IsSpecial() const {
    return value == 0 &&
           (Second() == Present::kColorNone || Second() == Present::kColorAuto || Second() == Present::kColorDontCare);
  }
  bool operator==(const PresentColorRef& o) const { return value == o.value && Second() == o.Second(); }
  bool operator!=(const PresentColorRef& o) const { return !(*this == o); }

  // An opaque scheme colour without modifiers (what the tables' default entries use).
  static PresentColorRef SchemeColor(uint8_t index) { return PresentColorRef(index, 0x05FF0000u); }

  // Stores the two words. The identifier held before keeps its count; the new one is stored
  // without a further reference (the caller's passes to this reference).
  void Assign(uint32_t value_, uint32_t second);
  // Drops one colour-table reference of the held identifier (none for 0, the fixed entries
  // and identifiers beyond the table). The words stay as they are.
  void Release() const;

  // The reference as one 8-byte item of a record archive, in the archive's direction.
  // 1, or 0 when writing failed.
  int Exchange(CKx2DataBlock& archive);
  // The same, with a non-zero identifier passed through the archive's mapper under code 265:
  // MapIn after reading, MapOut before writing.
  int ExchangeMapped(CKx2DataBlock& archive);
  // The XML form: a colour element ("m:schemeClr", "m:srgbClr", "m:noneClr", "m:autoClr",
  // "m:dontcareClr") under the current element, or inside a wrapper element of the given name
  // when wrapperName is not null. Other kinds write nothing and read as 0, 0. Identifiers pass
  // through the archive's mapper under code 265.
  int ExchangeXml(ShapeXmlArchive& archive, const char16_t* wrapperName);
};
static_assert(sizeof(PresentColorRef) == 8, "a colour reference is two 32-bit words");
