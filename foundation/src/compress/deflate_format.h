// The fixed vocabulary of RFC 1951 shared by the encoder and the decoder.
#pragma once

#include <array>
#include <cstdint>

namespace Basalt::Base::Compress {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kMaxDistance = 32768;
constexpr int kMaxCodeBits = 15;
constexpr int kMaxCodeLengthBits = 7;

constexpr int kEndOfBlock = 256;
constexpr int kLitLenSymbols = 286;  // as a dynamic block may declare them
constexpr int kFixedLitLenSymbols = 288;
constexpr int kDistSymbols = 30;
constexpr int kCodeLengthSymbols = 19;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                    33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                    1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLengthOrder[kCodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

// Code lengths of the fixed literal/length and distance codes.
constexpr std::array<uint8_t, kFixedLitLenSymbols> MakeFixedLitLenLengths() {
  std::array<uint8_t, kFixedLitLenSymbols> l{};
  for (int i = 0; i < kFixedLitLenSymbols; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  return l;
}
constexpr std::array<uint8_t, kFixedLitLenSymbols> kFixedLitLenLengths = MakeFixedLitLenLengths();
constexpr int kFixedDistLength = 5;
constexpr int kFixedDistSymbols = 32;

// Block types as the 2-bit BTYPE field gives them.
enum BlockType : int { kStoredBlock = 0, kFixedBlock = 1, kDynamicBlock = 2, kReservedBlock = 3 };

}  // namespace Basalt::Base::Compress
