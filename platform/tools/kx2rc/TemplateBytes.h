// Writing a binary template field by field, little-endian (the dialog and menu statements).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kx2rc {

class Bytes {
 public:
  void Word(uint32_t v) {
    out_.push_back(static_cast<uint8_t>(v & 0xFF));
    out_.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
  }
  void Dword(uint32_t v) {
    Word(v & 0xFFFF);
    Word(v >> 16);
  }
  void Text(const std::u16string& text) {
    for (char16_t c : text) Word(c);
    Word(0);
  }
  void Align4() {
    while (out_.size() % 4) out_.push_back(0);
  }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

}  // namespace kx2rc
