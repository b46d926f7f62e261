// Kind codes of the shape-format model and the header every table entry starts with.
//
// A kind code names one format table. It is also the code under which the identifiers of
// that kind are remapped between a document and the process, archived, and named in
// property exchanges, so the numbers are part of stored documents and must not change.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

namespace Present {

enum ShapeKind : uint32_t {
  kKindGradient = 256,
  kKindTexture = 257,
  kKindHatch = 258,
  kKindFill = 259,
  kKindLine = 260,
  kKindShadow = 261,
  kKindPicture = 262,
  kKind3DFormat = 263,
  kKindShape = 264,
  kKindColor = 265,
};

// Tables of kinds 256..511 keep two fixed entries (the empty value and a permanent
// standard default); any other table keeps only the empty value.
constexpr bool IsShapeFormatKind(int32_t kind) { return kind >= 256 && kind <= 511; }
constexpr int32_t FixedEntryCount(int32_t kind) { return IsShapeFormatKind(kind) ? 2 : 1; }

// Identifiers are 16-bit table indexes. 0 names the empty value; 0xFFFF (and -1 widened)
// names nothing at all and is ignored by reference counting, so the last usable identifier
// is 0xFFFE.
constexpr uint32_t kNoIdentifier = 0xFFFF;
constexpr int32_t kMaxIdentifier = 0xFFFE;

}  // namespace Present

// The header of every table entry. Values that are not stored in a table keep index -1
// and count 0.
struct PLASTRUM_API CKx2ShapeRefCnt {
  enum : uint8_t {
    kTentative = 0x01,  // reserved by NewEntry, not yet filled by Replace
    kDuplicate = 0x02,  // equal to another entry but keeps its own identifier
  };

  int32_t index = -1;
  int32_t refCount = 0;
  uint8_t flags = 0;

  bool IsTentative() const { return (flags & kTentative) != 0; }
  bool IsDuplicate() const { return (flags & kDuplicate) != 0; }
  // Tentative and duplicate entries are never handed out by interning.
  bool IsHidden() const { return (flags & (kTentative | kDuplicate)) != 0; }
};
