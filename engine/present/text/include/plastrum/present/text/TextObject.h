// The host's text format and the pooled text objects that carry it (handed out by
// PresentTypography::NewTextObject). The records keep the host's byte layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include <win/types.h>

#include <plastrum/Export.h>

namespace Present::Text {

// One script slot of a text format: slot 0 carries Latin, right-to-left, other scripts and
// private use; slot 1 Hangul, Han and Kana.
struct TextSlot {
  uint32_t faceState;    // bit 0: the face is known to be installed
  int32_t size;          // logical units; its absolute value is the size
  int32_t width;         // logical units, used when widthPercent is 0
  int16_t crossShift;    // added to y in horizontal text, to x in vertical text
  uint8_t widthPercent;  // 0 explicit width, 100 natural width, else percent of natural
  uint8_t extra;         // takes part in the slot identity test
  WCHAR faceName[32];
};
static_assert(sizeof(TextSlot) == 80);

enum : uint16_t {
  kFormatItalic = 0x1,
  kFormatOutline = 0x8,
  kFormatShadow = 0x10,
  kFormatEmboss = 0x100,
  kFormatEngrave = 0x200,
  kFormatVertical = 0x8000,
};

struct TextFormat {
  uint16_t flags;
  uint16_t reserved0;
  int32_t weight;
  uint8_t shadowKind;  // 2: extruded shadow
  uint8_t reserved1[7];
  uint32_t shadowColor;      // stored colour: value
  uint32_t shadowColorKind;  // and kind word
  int16_t shadowOffsetX;     // percent of the line height
  int16_t shadowOffsetY;
  uint8_t outlinePen;  // 0-15 pen style of width 0; 16 solid 2 pixels wide
  uint8_t reserved2[3];
  TextSlot slots[2];
};
static_assert(sizeof(TextFormat) == 192);
static_assert(offsetof(TextFormat, shadowColor) == 16 && offsetof(TextFormat, shadowOffsetX) == 24);
static_assert(offsetof(TextFormat, outlinePen) == 28 && offsetof(TextFormat, slots) == 32);

enum : uint16_t {
  kTextObjectInUse = 0x1,
  kTextObjectPooled = 0x2,
  kTextObjectOneFont = 0x4,  // both slots use the same font
  kTextObjectOneSize = 0x8,  // both slots have the same size
};

struct TextObject {
  TextFormat format;
  int32_t fontIndex[2];  // sorted index of each slot's face in the font table, -1 when absent
  int16_t useCount;
  uint16_t flags;
  uint32_t reserved;
};
static_assert(sizeof(TextObject) == 208);

// Fills an object from a format: copies it, resolves the slots' faces, looks up their font
// indexes and sets the one-font and one-size bits. Face names are kept to 31 units.
PLASTRUM_API void InitTextObject(TextObject* object, const TextFormat& format);
// Each slot's face made an installed one: its own, its substitute or the slot's default.
PLASTRUM_API void ResolveSlotFaces(TextFormat* format);
PLASTRUM_API bool SlotsDiffer(const TextSlot& a, const TextSlot& b);
// A free pooled object, a new pooled one while fewer than 10 are pooled, or a free-standing
// one; its use count goes up by one. Null with error 2 when memory runs out.
PLASTRUM_API TextObject* AcquireTextObject();
// One use less; at 0 a pooled object goes back to the pool and another is freed (true). False
// for null, while uses remain, or for an object the pool did not hand out.
PLASTRUM_API bool FreeTextObject(TextObject* object);
// Module stop: every pooled object is freed.
PLASTRUM_API void ReleaseTextObjectPool();
PLASTRUM_API int PooledTextObjectCount();
PLASTRUM_API int LooseTextObjectCount();

}  // namespace Present::Text
