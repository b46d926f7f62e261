// The fields collaboration packets carry, in their wire widths, and little-endian access to
// them; without the message block, so that code which never touches one need not include ACE.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace TDRL {

// Little-endian field access shared by the readers, the assembler and the chunk codec; one
// 4-byte access each, so that a field just written is read back without a stall.
inline uint32_t ToLittleEndian(uint32_t v) {
  if constexpr (std::endian::native == std::endian::big) {
    v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }
  return v;
}
inline int32_t LoadInt32LE(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return static_cast<int32_t>(ToLittleEndian(v));
}
inline void StoreInt32LE(unsigned char* p, int32_t value) {
  const uint32_t v = ToLittleEndian(static_cast<uint32_t>(value));
  std::memcpy(p, &v, sizeof v);
}

struct Int32Pair {
  int32_t first = 0;
  int32_t second = 0;
};

// Four values naming one item of the shared map (the item selector) or a request.
struct Int32Quad {
  int32_t values[4] = {};
};

// The fixed head of the bodies of types 24, 25, 39 and 40. Kept here in its wire layout so
// that the offsets are checked; it still travels field by field, little-endian.
struct MemberRecord {
  char roomName[260];
  char16_t userName[260];
  int32_t value;
  int32_t payloadLength;
  Int32Quad itemSelector;
};
static_assert(offsetof(MemberRecord, roomName) == 0);
static_assert(offsetof(MemberRecord, userName) == 260);
static_assert(offsetof(MemberRecord, value) == 780);
static_assert(offsetof(MemberRecord, payloadLength) == 784);
static_assert(offsetof(MemberRecord, itemSelector) == 788);
static_assert(sizeof(MemberRecord) == 804);
inline constexpr size_t kMemberRecordSize = 804;

// Whether the kMemberRecordSize bytes at p hold a record whose room and user names are both
// terminated, as a reader requires; `userUnits` then counts the user name's units.
inline bool MemberRecordNamesTerminated(const unsigned char* p, size_t& userUnits) {
  if (!std::memchr(p, 0, offsetof(MemberRecord, userName))) return false;
  const unsigned char* user = p + offsetof(MemberRecord, userName);
  for (size_t i = 0; i < sizeof(MemberRecord::userName) / 2; ++i) {
    if (user[2 * i] == 0 && user[2 * i + 1] == 0) {
      userUnits = i;
      return true;
    }
  }
  return false;
}

}  // namespace TDRL
