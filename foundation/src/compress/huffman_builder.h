// Length-limited Huffman code construction for the encoder.
#pragma once

#include <cstdint>

namespace Basalt::Base::Compress {

// Fills lens[0..n) with code lengths of at most `limit` bits for the symbol
// frequencies freq[0..n). Unused symbols get length 0. At least two symbols always
// get a code (a missing one is invented), so every code written is complete: decoders
// such as zlib refuse incomplete codes other than a single one-bit code.
void BuildCodeLengths(const uint32_t* freq, int n, int limit, uint8_t* lens);

// Canonical codes for the lengths, bit-reversed so that they can be written least
// significant bit first.
void BuildCanonicalCodes(const uint8_t* lens, int n, uint16_t* codes);

// Reverses the low `bits` bits of `code`.
uint32_t ReverseBits(uint32_t code, int bits);

}  // namespace Basalt::Base::Compress
