// The shared rules of the shape-format XML: the exchange state handed to every reader and
// writer, element placement, and how numbers, lengths, flags and vocabulary names become
// text and back.
//
// Every element and attribute name carries the prefix "m:". Writing value number i of a kind
// creates the kind's element, sets "m:id" to i and appends the element to the archive's
// current element; reading value number i takes the i-th child of that name under the
// current element ("m:id" is not consulted).
//
// Units: lengths are held in hundredths of a point (7200 per inch) and written in
// millimetres; percentages, angles and colour modifiers are held in tenths. Numbers are
// formatted with the foundation's formatting ("." as the decimal point). The readers are
// lenient (a text without a leading number reads as 0) but never overflow: every result is
// computed in 64 bits and saturated to the field it goes into.
#pragma once

#include <cstdint>
#include <limits>

#include <plastrum/format/Vocabulary.h>
#include <plastrum/format/XmlElement.h>
#include <plastrum/Export.h>

class IKx2ShapeMapperCtx;

// The XML exchange state.
struct PLASTRUM_API ShapeXmlArchive {
  enum : uint32_t { kModeMask = 3 };
  static constexpr int kNumberUnits = 260;

  // Namespace switch: a namespace is in force when the handle is set and the text is not
  // empty; writers then use the namespaced element and attribute calls.
  void* nsHandle = nullptr;
  const char16_t* nsText = nullptr;
  // Where FormatLength writes; the caller uses the text at once.
  char16_t number[kNumberUnits] = {};
  // mode & 3: 1 or 3 reads, 0 or 2 writes.
  uint32_t mode = 0;
  // The mapper of this exchange; the kinds ask it for GetMapper(1). May be null.
  IKx2ShapeMapperCtx* mapper = nullptr;
  // Creates the elements the writers make.
  IKX2XMLDocument* factory = nullptr;
  // The element a value is read under or appended to.
  IKX2XMLElement* current = nullptr;

  bool IsReading() const { return (mode & kModeMask) == 1 || (mode & kModeMask) == 3; }
  bool NamespaceInForce() const { return nsHandle && nsText && *nsText; }
  // The per-file mapper, or null.
  IKx2ShapeMapperCtx* Mapper() const;
};

namespace Present::ShapeXml {

// ---- Elements and attributes ----------------------------------------------------------------
// A new element from the archive's factory (namespaced when a namespace is in force); null
// when there is no factory or it refuses.
PLASTRUM_API IKX2XMLElement* CreateElement(const ShapeXmlArchive& archive, const char16_t* name);
// The element of value number `index`: created, with "m:id" set. Null as CreateElement.
PLASTRUM_API IKX2XMLElement* BeginValueElement(const ShapeXmlArchive& archive, const char16_t* name, int32_t index);
// Appends an element to the archive's current element and releases the caller's reference.
PLASTRUM_API void AppendToCurrent(const ShapeXmlArchive& archive, IKX2XMLElement* element);
// The element of value number `index` under the current element, or null.
PLASTRUM_API IKX2XMLElement* FindValueElement(const ShapeXmlArchive& archive, const char16_t* name, int32_t index);

// Sets an attribute: namespaced (with the empty namespace) when a namespace is in force.
PLASTRUM_API void SetAttribute(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name,
                               const char16_t* text);
// Reads an attribute that carries a vocabulary name (namespaced when a namespace is in force).
PLASTRUM_API const char16_t* GetVocabularyAttribute(const ShapeXmlArchive& archive, IKX2XMLElement* element,
                                                    const char16_t* name);

// ---- Number texts ----------------------------------------------------------------------------
// Fits a 64-bit value into an integer type, saturating at its limits.
template <class T>
constexpr T Saturate(int64_t value) {
  if (value < static_cast<int64_t>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (value > static_cast<int64_t>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(value);
}

// Writes "%d" of value into out (at least 16 units).
PLASTRUM_API void FormatInt(char16_t* out, int64_t value);
// The leading decimal integer of the text after blanks and tabs, saturated to 64 bits; 0
// without one (and for null).
PLASTRUM_API int64_t ParseInteger(const char16_t* text);
// The leading decimal number of the text as the foundation reads it (0 without one).
PLASTRUM_API double ParseReal(const char16_t* text);

// A value held in tenths: "%d" of v/10 when v is a multiple of 10, else v/10 with three
// decimals ("45.500"), then the unit ("%" or "\u00B0"). out holds at least 32 units.
PLASTRUM_API void FormatScaled(char16_t* out, int64_t tenths, const char16_t* unit);
// The text's leading number times 10, truncated toward zero (a trailing unit is ignored).
PLASTRUM_API int64_t ParseScaled(const char16_t* text);

// A length in hundredths of a point as millimetres to the micrometre: "3.528mm", "10mm".
// ParseLength gives every written length back exactly (a value beyond 32 bits, which no
// length field holds, is written as the nearest 32-bit one). Writes into the archive's
// number buffer and returns it.
PLASTRUM_API const char16_t* FormatLength(ShapeXmlArchive& archive, int64_t hundredthsOfPoint);
PLASTRUM_API void FormatLength(char16_t* out, int64_t hundredthsOfPoint);
// A length text in pt, mm, cm, inches ("), px, pi, ch or geup as hundredths of a point;
// 0 for any other unit or none. Saturated to 32 bits. A number with a third significant
// decimal is rounded to the nearest hundredth; coarser texts (as older files hold) read by
// the older rule: hundredths of the unit rounded up, then truncated.
PLASTRUM_API int32_t ParseLength(const char16_t* text);

// A flag as "0" or "1".
PLASTRUM_API void FormatFlag(char16_t* out, bool on);
// A flag or byte read as a decimal number: true with the value (saturated to 0..255) when the
// text is not empty; false (leave the field) for null or empty text.
PLASTRUM_API bool ParseByte(const char16_t* text, uint8_t* out);
// A word flag: "true"/"TRUE"/"1" give 1, "false"/"FALSE"/"0" give 0; false (leave the field)
// for anything else.
PLASTRUM_API bool ParseWordFlag(const char16_t* text, uint8_t* out);

// ---- Vocabulary attributes ----------------------------------------------------------------
// Writes the value's name (a null text for a value without one).
PLASTRUM_API void WriteVocabulary(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name,
                                  const VocabularyTable& table, uint8_t value);
// The value of the name in the attribute; `fallback` when the attribute is absent or the name
// is unknown.
PLASTRUM_API uint8_t ReadVocabulary(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name,
                                    const VocabularyTable& table, uint8_t fallback);

}  // namespace Present::ShapeXml
