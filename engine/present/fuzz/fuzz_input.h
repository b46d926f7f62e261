// The fuzz targets' reader of their input: values are taken front to back, and once the
// bytes run out a value is completed with zeros, so every input decodes to some sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace PresentFuzz {

struct FuzzInput {
  const uint8_t* data;
  size_t size;

  FuzzInput(const uint8_t* bytes, size_t count) : data(bytes), size(count) {}

  template <typename T>
  T Take() {
    T v{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
  }
};

}  // namespace PresentFuzz
