// Reads a fuzz input front to back, the fields the collaboration targets take from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzing {

// Reads the input front to back; past its end every byte reads as zero.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int32_t Int() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return static_cast<int32_t>(v);
  }
  std::vector<unsigned char> Bytes(size_t n) {
    std::vector<unsigned char> out;
    while (n-- > 0 && !Empty()) out.push_back(Byte());
    return out;
  }
  std::string Text(size_t n) {
    std::string out;
    while (n-- > 0 && !Empty()) out.push_back(static_cast<char>(Byte()));
    return out;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace fuzzing
