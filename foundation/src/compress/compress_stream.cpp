// The callback streams of BaseCompress: Deflate data, then CRC-32 and length.
#include "basalt/base_compress.h"

#include "compress/crc32.h"
#include "compress/deflate_decoder.h"
#include "compress/deflate_encoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace Basalt::Base {
namespace {

using Compress::Crc32Update;
using Compress::DeflateDecoder;
using Compress::DeflateEncoder;

void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t GetLE32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

struct WriteStream {
  KX2COMPRESSWRITEPROC callback = nullptr;
  const void* user = nullptr;
  std::unique_ptr<DeflateEncoder> encoder;
  uint32_t crc = 0xFFFFFFFFu;
  uint32_t length = 0;      // uncompressed bytes modulo 2^32
  uint64_t handedOut = 0;   // compressed bytes the callback took
  bool sinkFailed = false;  // the callback refused a chunk: the output is incomplete

  // A chunk is offered until the callback has taken all of it; 0 or -1 is a
  // failure, and a count above what was offered (the encrypting sink rounds up to
  // its blocks) takes the whole chunk.
  static void Sink(void* context, const uint8_t* data, size_t len) {
    auto* s = static_cast<WriteStream*>(context);
    while (len && !s->sinkFailed) {
      const int taken = s->callback(s, s->user, data, static_cast<unsigned>(len));
      if (taken <= 0) {
        s->sinkFailed = true;
        return;
      }
      const size_t n = std::min(static_cast<size_t>(taken), len);
      s->handedOut += n;
      data += n;
      len -= n;
    }
  }
};

struct ReadStream {
  KX2COMPRESSREADPROC callback = nullptr;
  const void* user = nullptr;
  std::unique_ptr<DeflateDecoder> decoder;
  uint32_t crc = 0xFFFFFFFFu;
  uint32_t length = 0;
  const uint8_t* staged = nullptr;  // decoded bytes not yet delivered
  size_t stagedLen = 0;
  bool ended = false;
  bool failed = false;

  static int Source(void* context, uint8_t* buffer, unsigned capacity) {
    auto* s = static_cast<ReadStream*>(context);
    return s->callback(s, s->user, buffer, capacity);
  }

  // Decodes the next piece into the staging area; false at the end or on an error.
  bool Stage() {
    const long n = decoder->Produce(&staged);
    if (n <= 0) {
      stagedLen = 0;
      if (n < 0)
        failed = true;
      else
        ended = true;
      return false;
    }
    stagedLen = static_cast<size_t>(n);
    crc = Crc32Update(crc, staged, stagedLen);
    length += static_cast<uint32_t>(stagedLen);
    return true;
  }
};

}  // namespace

void* BaseCompress::OpenWrite(KX2COMPRESSWRITEPROC write, const void* user) {
  return OpenWriteOfCustomMem(write, user, 0);
}

void* BaseCompress::OpenWriteOfCustomMem(KX2COMPRESSWRITEPROC write, const void* user, int memClass) {
  if (!write) return nullptr;
  auto* s = new (std::nothrow) WriteStream;
  if (!s) return nullptr;
  s->callback = write;
  s->user = user;
  s->encoder = DeflateEncoder::Create(memClass, &WriteStream::Sink, s);
  if (!s->encoder) {
    delete s;
    return nullptr;
  }
  return s;
}

LONG BaseCompress::Write(void* stream, const void* data, ULONG len) {
  auto* s = static_cast<WriteStream*>(stream);
  if (!s || (!data && len)) return -1;
  if (s->sinkFailed) return -1;
  if (len) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    s->crc = Crc32Update(s->crc, bytes, len);
    s->length += len;
    s->encoder->Write(bytes, len);
  }
  return s->sinkFailed ? -1 : static_cast<LONG>(len);
}

LONG BaseCompress::CloseWrite(void* stream) {
  auto* s = static_cast<WriteStream*>(stream);
  if (!s) return -1;
  if (!s->sinkFailed) {
    s->encoder->Finish();
    uint8_t trailer[8];
    PutLE32(trailer, ~s->crc);
    PutLE32(trailer + 4, s->length);
    s->encoder->PutBytes(trailer, sizeof trailer);
    s->encoder->Flush();
  }
  const bool failed = s->sinkFailed;
  delete s;
  return failed ? -1 : 0;
}

void* BaseCompress::OpenRead(KX2COMPRESSREADPROC read, const void* user) { return OpenReadOfCustomMem(read, user, 0); }

void* BaseCompress::OpenReadOfCustomMem(KX2COMPRESSREADPROC read, const void* user, int memClass) {
  if (!read) return nullptr;
  auto* s = new (std::nothrow) ReadStream;
  if (!s) return nullptr;
  s->callback = read;
  s->user = user;
  s->decoder = DeflateDecoder::Create(memClass, &ReadStream::Source, s);
  if (!s->decoder) {
    delete s;
    return nullptr;
  }
  return s;
}

LONG BaseCompress::Read(void* stream, void* buffer, ULONG len) {
  auto* s = static_cast<ReadStream*>(stream);
  if (!s || (!buffer && len) || s->failed) return -1;
  const size_t want = std::min<size_t>(len, INT32_MAX);
  auto* dst = static_cast<uint8_t*>(buffer);
  size_t delivered = 0;
  while (delivered < want) {
    if (!s->stagedLen && (s->ended || !s->Stage())) break;
    const size_t n = std::min(want - delivered, s->stagedLen);
    std::memcpy(dst + delivered, s->staged, n);
    delivered += n;
    s->staged += n;
    s->stagedLen -= n;
  }
  if (delivered) return static_cast<LONG>(delivered);
  return s->failed ? -1 : 0;
}

LONG BaseCompress::CloseRead(void* stream) {
  auto* s = static_cast<ReadStream*>(stream);
  if (!s) return -1;
  // Whatever the reader left undecoded is decoded now: the trailer can only vouch
  // for the data once all of it has been through the CRC.
  while (!s->failed && !s->ended) s->Stage();
  LONG result = -1;
  uint8_t trailer[8];
  if (!s->failed && s->decoder->ReadRaw(trailer, sizeof trailer) && GetLE32(trailer) == ~s->crc &&
      GetLE32(trailer + 4) == s->length)
    result = static_cast<LONG>(std::min<size_t>(s->decoder->Unconsumed(), INT32_MAX));
  delete s;
  return result;
}

ULONG BaseCompress::UpdateCRC(ULONG* state, const void* data, unsigned len) {
  if (!state) return 0;
  if (!data) {
    *state = 0xFFFFFFFFu;
    return 0;
  }
  *state = Compress::Crc32Update(*state, static_cast<const uint8_t*>(data), len);
  return ~*state;
}

}  // namespace Basalt::Base
