// Output of the formatter: writes into the caller's buffer up to its capacity and keeps
// counting past it, so a bounded caller learns that the text was cut.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Basalt::Text {

class FormatSink {
 public:
  // `capacity` counts the units available for text, the terminator not included.
  FormatSink(char16_t* out, size_t capacity) : out_(out), capacity_(capacity) {}

  void Put(char16_t c) {
    if (count_ < capacity_) out_[count_] = c;
    ++count_;
  }
  void Put(const char16_t* text, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(text[i]);
  }
  void PutAscii(const char* text, size_t n) {
    for (size_t i = 0; i < n; ++i) Put(static_cast<char16_t>(static_cast<unsigned char>(text[i])));
  }
  // Long runs of padding beyond the buffer cost nothing: they are only counted.
  void Repeat(char16_t c, uint64_t n) {
    while (n > 0 && count_ < capacity_) {
      out_[count_++] = c;
      --n;
    }
    count_ += n;
  }

  uint64_t count() const { return count_; }
  bool cut() const { return count_ > capacity_; }
  // Terminates at the end of what fitted; the buffer has one unit beyond `capacity`.
  void Terminate() { out_[count_ < capacity_ ? count_ : capacity_] = 0; }

 private:
  char16_t* out_;
  size_t capacity_;
  uint64_t count_ = 0;
};

// One parsed directive: flags, width, precision.
struct FormatSpec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  uint64_t width = 0;
  bool hasPrecision = false;
  uint64_t precision = 0;
};

// Lays out one floating conversion ('e', 'E', 'f', 'g' or 'G') of value.
void FormatFloat(FormatSink& sink, const FormatSpec& spec, double value, char16_t conversion);

}  // namespace Basalt::Text
