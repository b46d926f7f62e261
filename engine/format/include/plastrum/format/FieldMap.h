// Typed field maps: static tables that describe the fields of a plain record (where each lies,
// its type, its host property identifier, its range), so that one walker can move the whole
// record to or from a host property object in either direction.
//
// A map is an array of entries ended by an entry of type 0. The entries are static data of
// the program, not a stored format: on this 64-bit build the callback, the accessor and the
// nested map are pointer-sized fields.
#pragma once

#include <cstddef>
#include <cstdint>

#include <plastrum/HostProperty.h>
#include <plastrum/Export.h>

// Field types.
enum FieldMapType : uint16_t {
  kFieldEnd = 0,
  kFieldNested = 1,    // a record of its own, exchanged as a child object with its own map
  kFieldCallback = 2,  // the entry's callback exchanges it
  kFieldCallback2 = 3,
  kFieldInt8 = 16,     // host value type 2
  kFieldInt16 = 17,    // 3
  kFieldInt32 = 18,    // 4
  kFieldLong = 19,     // 5
  kFieldUInt8 = 20,    // 6
  kFieldUInt16 = 21,   // 7
  kFieldUInt32 = 22,   // 8
  kFieldULong = 23,    // 9
  kFieldInt64 = 24,    // 10
  kFieldUInt64 = 25,   // 11
  kFieldFloat = 26,    // 12
  kFieldDouble = 27,   // 13
  kFieldBlock16 = 28,  // 14, a heap copy of the 16 bytes
  kFieldReserved48 = 48,
  kFieldTextBuffer = 49,  // a wide buffer of minLow units, exchanged as text (1)
  kFieldSysString = 50,   // a system string held by pointer (1)
  kFieldReserved51 = 51,
  kFieldKx2String = 52,  // a CKx2String (1)
  kFieldTableId = 53,    // a 16-bit table identifier, exchanged as an object
};

// Field map directions.
enum : int { kFieldMapRead = 0, kFieldMapWrite = 1 };

// Unbounded bound word.
constexpr uint32_t kFieldUnbounded = 0xFFFFFFFFu;
// bitShift of a field that is not a bit field.
constexpr uint8_t kFieldNoBits = 255;

// Exchanges a field of type 2 or 3 itself: (record, direction, host, property) -> non-zero on
// success.
typedef int (*FieldMapCallback)(void* record, int direction, IKx2PropertyObject* host, uint32_t propertyId);

// What a table-identifier field (type 53) talks to. Writing, the entry's accessor yields
// the service, which exports the identified entry as an object under the property. Reading,
// the property holds an object reference (type 0x8002) whose owner is the service: it
// interns the referenced object and gives an identifier with one reference; the field's old
// identifier is given back through the same service.
class PLASTRUM_API IKx2FieldIdService : public IKx2ReferenceOwner {
 public:
  virtual BOOL ExportIdentifier(IKx2PropertyObject* host, uint32_t propertyId, uint16_t id) = 0;  // 7
  virtual uint16_t InternObject(const Kx2::PropertyValue& value) = 0;                             // 8
  virtual void ReleaseIdentifier(uint16_t id) = 0;                                                // 9

 protected:
  ~IKx2FieldIdService() = default;
};
typedef IKx2FieldIdService* (*FieldMapAccessor)();

struct PLASTRUM_API FieldMapEntry {
  uint32_t propertyId;
  uint32_t reserved0;
  // Lower bound (low word); kFieldUnbounded = none. Array fields: the element count. Type 49:
  // the buffer's capacity in units. Type 1: the class code of a child object to create. Signed
  // bit fields: the bit count to sign-extend from.
  uint32_t minLow;
  int32_t minHigh;  // high word of the lower bound (64-bit types)
  int32_t offset;   // byte offset of the field in the record
  uint32_t reserved1;
  uint32_t maxLow;  // upper bound (low word); kFieldUnbounded = none
  int32_t maxHigh;
  uint16_t type;
  uint8_t bitShift;  // first bit of a bit field; kFieldNoBits when not a bit field
  uint8_t bitWidth;
  FieldMapCallback callback;    // types 2 and 3
  FieldMapAccessor accessor;    // type 53
  const FieldMapEntry* nested;  // type 1: the child record's map
};

// Entry builders for static maps.
constexpr FieldMapEntry FieldMapScalar(uint32_t propertyId, uint16_t type, size_t offset) {
  return FieldMapEntry{propertyId,
                       0,
                       kFieldUnbounded,
                       -1,
                       static_cast<int32_t>(offset),
                       0,
                       kFieldUnbounded,
                       -1,
                       type,
                       kFieldNoBits,
                       0,
                       nullptr,
                       nullptr,
                       nullptr};
}
constexpr FieldMapEntry FieldMapRange(uint32_t propertyId, uint16_t type, size_t offset, int64_t min, int64_t max) {
  return FieldMapEntry{propertyId,
                       0,
                       static_cast<uint32_t>(min),
                       static_cast<int32_t>(min >> 32),
                       static_cast<int32_t>(offset),
                       0,
                       static_cast<uint32_t>(max),
                       static_cast<int32_t>(max >> 32),
                       type,
                       kFieldNoBits,
                       0,
                       nullptr,
                       nullptr,
                       nullptr};
}
constexpr FieldMapEntry FieldMapEndEntry() {
  return FieldMapEntry{0, 0, 0, 0, 0, 0, 0, 0, kFieldEnd, 0, 0, nullptr, nullptr, nullptr};
}

class PLASTRUM_API FieldMap {
 public:
  // Moves every field of `record` described by `map` to the host object (direction
  // kFieldMapWrite) or from it (kFieldMapRead). A field that fails (out of range, refused by
  // the host, out of memory) fails alone: the walk goes on. 0 when the host, the record or
  // the map is missing, else 1.
  static int ExchangeAll(IKx2PropertyObject* host, void* record, const FieldMapEntry* map, int direction);
  // One entry; true when it was exchanged (or there was nothing to read).
  static bool ExchangeField(IKx2PropertyObject* host, void* record, const FieldMapEntry& entry, int direction);
};
