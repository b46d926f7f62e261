// Hashing of format values for the tables' interning index. A kind's HashValue covers
// exactly the fields its equality compares (and never a field that equality compares through
// an outside service, such as the binary-data identifier of a picture).
#pragma once

#include <cstdint>

#include <plastrum/format/ColorRef.h>
#include <plastrum/Export.h>

namespace Present {

class PLASTRUM_API ValueHash {
 public:
  ValueHash& Add(uint64_t v) {
    h_ = (h_ ^ v) * 0x100000001B3ull;
    h_ ^= h_ >> 29;
    return *this;
  }
  ValueHash& Add(const PresentColorRef& c) { return Add(static_cast<uint64_t>(c.Second()) << 32 | c.value); }
  uint64_t Get() const { return h_ ^ (h_ >> 32); }

 private:
  uint64_t h_ = 0xCBF29CE484222325ull;
};

// A colour reference as the 64-bit value the getters and the host carry: the colour word
// low, the second word high.
inline uint64_t ColorWords(const PresentColorRef& c) { return static_cast<uint64_t>(c.Second()) << 32 | c.value; }

}  // namespace Present
