// Password-keyed encryption of buffers in place: AES-128 in 1-bit cipher feedback
// mode under a key derived from the password with SHA-1. One instance is one
// continuous cipher stream: its register starts at zero and carries over from call to
// call, so a reader must process the same bytes in the same order as the writer.
#pragma once

#include <basalt/export.h>

namespace Basalt::Base {

class BASALT_API BaseEncrypt {
 public:
  // The only mode: AES-128, CFB-1, SHA-1 key derivation.
  static constexpr int kModeAesCfb1 = 4;

  // Null when `mode` is not 4 or memory runs out. A null password is the empty one.
  static void* Create(const char16_t* password, int mode);
  // Encrypt or decrypt `len` bytes in place (callers pass multiples of 16; any
  // length is taken whole, bit by bit). Nothing happens for 0 or less.
  static void WriteBlock(void* instance, void* buffer, LONG len);
  static void ReadBlock(void* instance, void* buffer, LONG len);
  static void Release(void* instance);
  // The 40-digit upper-case hex SHA-1 digest of the text's bytes, fed to the hash
  // ceil(length / 64) times in a row; `out` must hold 45 bytes.
  static void MakePassword(const char* text, char* out);
  // Would hand the handle to an external cipher module's release entry; no such
  // module exists, so this does nothing.
  static void DestroyInst(void* handle);
};

}  // namespace Basalt::Base
