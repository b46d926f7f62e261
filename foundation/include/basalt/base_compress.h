// Compression streams of the foundation library: raw Deflate followed by an 8-byte
// trailer (CRC-32 of the uncompressed bytes, then their count modulo 2^32, both
// little-endian), produced through a caller's write callback and consumed through a
// caller's read callback. The CRC-32 routine is exported from here as well.
#pragma once

#include <basalt/export.h>

namespace Basalt::Base {

// Receives a chunk of compressed bytes; returns the number of bytes taken, or 0 or -1
// when the sink failed.
typedef int (*KX2COMPRESSWRITEPROC)(void* stream, const void* user, const void* data, unsigned len);
// Fills `buffer` with up to `capacity` compressed bytes; returns the number delivered,
// or 0 or -1 when no more are available.
typedef int (*KX2COMPRESSREADPROC)(void* stream, const void* user, void* buffer, unsigned capacity);

class BASALT_API BaseCompress {
 public:
  // Memory class 0 (what every stream of the system uses): a 4096-byte window.
  // Class 1: an 8192-byte window. Class 2: a 65536-byte window for reading; writing
  // keeps its matches within Deflate's 32768-byte distance limit.
  static void* OpenWrite(KX2COMPRESSWRITEPROC write, const void* user);
  static void* OpenWriteOfCustomMem(KX2COMPRESSWRITEPROC write, const void* user, int memClass);
  // Returns `len`, or -1 for a null stream or once the write callback has failed.
  static LONG Write(void* stream, const void* data, ULONG len);
  // Ends the Deflate data, appends the trailer, flushes and frees the stream.
  // Returns 0, or -1 for a null stream or when the write callback failed at any point.
  static LONG CloseWrite(void* stream);

  static void* OpenRead(KX2COMPRESSREADPROC read, const void* user);
  static void* OpenReadOfCustomMem(KX2COMPRESSREADPROC read, const void* user, int memClass);
  // Returns the number of bytes delivered (1..len), 0 at the end of the data, -1 on a
  // data error or a null stream.
  static LONG Read(void* stream, void* buffer, ULONG len);
  // Decodes whatever the reader left to the end of the final block, checks the trailer
  // and frees the stream. Returns -1 on any data error or trailer mismatch, else the
  // number of bytes pulled from the read callback but not consumed.
  static LONG CloseRead(void* stream);

  // CRC-32 (IEEE 802.3, reflected). A null `data` resets `*state` and returns 0;
  // otherwise the bytes run through the register in `*state` and the CRC of
  // everything fed since the reset is returned.
  static ULONG UpdateCRC(ULONG* state, const void* data, unsigned len);
};

}  // namespace Basalt::Base
