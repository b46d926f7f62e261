// Streaming Deflate encoder: greedy matching over hash chains in a small window,
// blocks of at most 4095 symbols sent stored, with fixed codes or with dynamic codes,
// whichever its size estimate prefers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Basalt::Base::Compress {

class DeflateEncoder {
 public:
  // Receives every full 4096-byte piece of output, and the rest at Flush().
  using Sink = void (*)(void* context, const uint8_t* data, size_t len);

  // Null when memory runs out; every buffer of the encoder is taken here.
  static std::unique_ptr<DeflateEncoder> Create(int memClass, Sink sink, void* context);
  ~DeflateEncoder();

  // Takes every byte at once; output leaves through the sink as pieces fill.
  void Write(const uint8_t* data, size_t len);
  // Ends the input: the final block goes out, padded to a byte boundary.
  void Finish();
  // Raw bytes after the Deflate data (the stream's trailer).
  void PutBytes(const uint8_t* data, size_t len);
  // Hands whatever output is buffered to the sink.
  void Flush();

  static constexpr size_t kOutputPiece = 4096;

 private:
  struct State;
  explicit DeflateEncoder(State* state);
  State* m_state;
};

}  // namespace Basalt::Base::Compress
