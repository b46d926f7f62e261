// Private: the numbers of the compound file format.
#pragma once

#include <cstdint>
#include <cstring>

namespace kx2::cfb {

inline constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Special sector numbers.
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr uint32_t kNoEntry = 0xFFFFFFFF;

constexpr uint32_t kHeaderSize = 512;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kMiniSectorShift = 6;
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniStreamCutoff = 4096;
constexpr uint32_t kEntrySize = 128;

// Header field offsets.
enum : uint32_t {
  kOffMinorVersion = 24,
  kOffMajorVersion = 26,
  kOffByteOrder = 28,
  kOffSectorShift = 30,
  kOffMiniSectorShift = 32,
  kOffDirectorySectors = 40,
  kOffFatSectors = 44,
  kOffFirstDirectorySector = 48,
  kOffTransaction = 52,
  kOffMiniStreamCutoff = 56,
  kOffFirstMiniFatSector = 60,
  kOffMiniFatSectors = 64,
  kOffFirstDifatSector = 68,
  kOffDifatSectors = 72,
  kOffDifat = 76,
};

// Directory entry field offsets.
enum : uint32_t {
  kEntName = 0,
  kEntNameLength = 64,
  kEntType = 66,
  kEntColour = 67,
  kEntLeft = 68,
  kEntRight = 72,
  kEntChild = 76,
  kEntClsid = 80,
  kEntStateBits = 96,
  kEntCreated = 100,
  kEntModified = 108,
  kEntStart = 116,
  kEntSize = 120,
};

constexpr uint8_t kRed = 0;
constexpr uint8_t kBlack = 1;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64(const uint8_t* p) { return Get32(p) | (static_cast<uint64_t>(Get32(p + 4)) << 32); }
inline void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put64(uint8_t* p, uint64_t v) {
  Put32(p, static_cast<uint32_t>(v));
  Put32(p + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace kx2::cfb
