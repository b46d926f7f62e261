// Streaming Deflate decoder. It pulls compressed bytes through a source in pieces of
// up to 4096 bytes and produces output in pieces; between pieces it keeps the last
// window's worth of output for matches to refer to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Basalt::Base::Compress {

class DeflateDecoder {
 public:
  // Fills up to `capacity` bytes; a result of 0 or less means no more input.
  using Source = int (*)(void* context, uint8_t* buffer, unsigned capacity);

  static constexpr size_t kInputPiece = 4096;

  static std::unique_ptr<DeflateDecoder> Create(int memClass, Source source, void* context);
  ~DeflateDecoder();

  // Decodes the next piece of output into an internal area, valid until the next
  // call. Returns its length, 0 after the final block, -1 on a data error (and -1
  // from then on).
  long Produce(const uint8_t** data);
  bool Finished() const;
  bool Failed() const;

  // After the final block: the next `len` raw bytes of input (the stream's trailer).
  // False when the source ends first.
  bool ReadRaw(uint8_t* data, size_t len);
  // Bytes pulled from the source and not consumed.
  size_t Unconsumed() const;

 private:
  struct State;
  explicit DeflateDecoder(State* state);
  State* m_state;
};

}  // namespace Basalt::Base::Compress
