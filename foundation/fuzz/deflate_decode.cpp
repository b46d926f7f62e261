// Our Deflate decoder on arbitrary bytes, against zlib: whenever either accepts the
// data, both must accept it and produce the same bytes. zlib reads with a 4 KiB
// window and one output byte per call, so that like ours it refuses any distance
// beyond the window or beyond the output so far.
#include "basalt/base_compress.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Basalt::Base::BaseCompress;

constexpr size_t kOutputCap = 1 << 18;  // beyond this the comparison is skipped

struct Source {
  const uint8_t* data;
  size_t size, pos, piece;
};

int Feed(void*, const void* user, void* buffer, unsigned capacity) {
  auto* s = static_cast<Source*>(const_cast<void*>(user));
  size_t n = std::min<size_t>({capacity, s->size - s->pos, s->piece});
  std::memcpy(buffer, s->data + s->pos, n);
  s->pos += n;
  return static_cast<int>(n);
}

// 1: accepted, 0: refused, -1: too much output to compare.
int ZlibInflate(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  z_stream z{};
  if (inflateInit2(&z, -12) != Z_OK) abort();
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  int rc = Z_OK, result = 0;
  uint8_t byte;
  for (;;) {
    z.next_out = &byte;
    z.avail_out = 1;
    rc = inflate(&z, Z_NO_FLUSH);
    if (z.avail_out == 0) out.push_back(byte);
    if (rc == Z_STREAM_END) {
      result = 1;
      break;
    }
    if (rc != Z_OK || out.size() > kOutputCap) {
      result = out.size() > kOutputCap ? -1 : 0;
      break;
    }
  }
  inflateEnd(&z);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte chooses how the source and the reader cut the data.
  const uint8_t shape = data[0];
  ++data;
  --size;

  Source src{data, size, 0, shape & 0x80 ? size_t{1} + (shape & 0x0F) * 97u : SIZE_MAX};
  void* stream = BaseCompress::OpenRead(&Feed, &src);
  std::vector<uint8_t> ours;
  const size_t readPiece = 1 + ((shape >> 4) & 7) * 1500u;
  std::vector<uint8_t> buf(readPiece);
  bool oursOk = true;
  for (;;) {
    const LONG n = BaseCompress::Read(stream, buf.data(), static_cast<ULONG>(readPiece));
    if (n < 0) {
      oursOk = false;
      break;
    }
    if (n == 0) break;
    ours.insert(ours.end(), buf.begin(), buf.begin() + n);
    if (ours.size() > kOutputCap) break;
  }
  const bool capped = ours.size() > kOutputCap;
  BaseCompress::CloseRead(stream);

  std::vector<uint8_t> theirs;
  const int zlibResult = ZlibInflate(data, size, theirs);
  if (capped || zlibResult < 0) return 0;
  if (oursOk != (zlibResult == 1)) abort();
  if (oursOk && ours != theirs) abort();
  return 0;
}
