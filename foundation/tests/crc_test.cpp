// CRC-32 of the compression streams, against zlib's.
#include "basalt/base_compress.h"
#include "compress/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

namespace {

using Basalt::Base::BaseCompress;

TEST(Crc32, KnownValues) {
  ULONG state = 12345;
  EXPECT_EQ(BaseCompress::UpdateCRC(&state, nullptr, 0), 0u);
  EXPECT_EQ(state, 0xFFFFFFFFu);
  EXPECT_EQ(BaseCompress::UpdateCRC(&state, "abc", 3), 0x352441C2u);
  // Continuing the same register: the CRC of everything since the reset.
  EXPECT_EQ(BaseCompress::UpdateCRC(&state, "defghijklmnopqrstuvwxyz", 23),
            crc32(0, reinterpret_cast<const Bytef*>("abcdefghijklmnopqrstuvwxyz"), 26));
  BaseCompress::UpdateCRC(&state, nullptr, 0);
  EXPECT_EQ(BaseCompress::UpdateCRC(&state, "123456789", 9), 0xCBF43926u);
}

TEST(Crc32, EveryLengthAndAlignmentMatchesZlib) {
  std::mt19937 rng(1);
  std::vector<uint8_t> data(4096 + 64);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  for (size_t offset = 0; offset < 16; offset += 5) {
    for (size_t len = 0; len <= 600; ++len) {
      const uint8_t* p = data.data() + offset;
      const uint32_t expected = crc32(0, p, static_cast<uInt>(len));
      EXPECT_EQ(~Basalt::Base::Compress::Crc32Update(~0u, p, len), expected) << len;
      EXPECT_EQ(~Basalt::Base::Compress::Crc32UpdatePortable(~0u, p, len), expected) << len;
    }
  }
  EXPECT_EQ(~Basalt::Base::Compress::Crc32Update(~0u, data.data(), 4096), crc32(0, data.data(), 4096));
}

}  // namespace
