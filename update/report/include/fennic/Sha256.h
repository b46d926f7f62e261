// SHA-256 (FIPS 180-2): the report's network identity is the digest of the address text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fennic {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // The digest, big-endian; the engine must be reset before further use.
  std::array<uint8_t, 32> Final();
  void Reset();

  // The lower-case hexadecimal digest of the bytes of a text (64 characters).
  static std::string HexDigest(std::string_view text);

 private:
  void Compress(const uint8_t block[64]);

  std::array<uint32_t, 8> state_;
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // bytes hashed so far
};

}  // namespace fennic
