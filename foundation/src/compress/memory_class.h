// Window and hash sizes chosen by a stream's memory class.
#pragma once

namespace Basalt::Base::Compress {

struct MemoryClass {
  int encoderWindow;  // bytes of history the encoder matches against
  int hashBits;       // width of the encoder's 3-byte hash: the window has as many
                      // positions as the hash has heads, so chains stay short
  int decoderWindow;  // bytes of history the decoder keeps
};

// Class 1: 8 KiB; class 2: 64 KiB for reading, while writing keeps to Deflate's
// 32 KiB distance limit (16-bit window positions cover twice the window); any other
// class: 4 KiB, which is what every stream of the system uses.
inline MemoryClass MemoryClassOf(int memClass) {
  switch (memClass) {
    case 1:
      return {8192, 13, 8192};
    case 2:
      return {32768, 15, 65536};
    default:
      return {4096, 12, 4096};
  }
}

}  // namespace Basalt::Base::Compress
