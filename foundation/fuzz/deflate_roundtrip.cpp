// Encode then decode through the compression streams, with the input cut into writes
// and the output into reads in ways the first bytes choose; zlib must inflate what
// we wrote, too.
#include "basalt/base_compress.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Basalt::Base::BaseCompress;
using Bytes = std::vector<uint8_t>;

int Collect(void*, const void* user, const void* data, unsigned len) {
  auto* out = static_cast<Bytes*>(const_cast<void*>(user));
  out->insert(out->end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + len);
  return static_cast<int>(len);
}

struct Source {
  const Bytes* data;
  size_t pos, piece;
};

int Feed(void*, const void* user, void* buffer, unsigned capacity) {
  auto* s = static_cast<Source*>(const_cast<void*>(user));
  const size_t n = std::min<size_t>({capacity, s->data->size() - s->pos, s->piece});
  std::memcpy(buffer, s->data->data() + s->pos, n);
  s->pos += n;
  return static_cast<int>(n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int memClass = data[0] % 3;
  const size_t writePiece = 1 + data[1] * 37u;
  const size_t readPiece = 1 + data[2] * 53u;
  data += 3;
  size -= 3;
  // Inputs repeat themselves so that matches of every length and distance occur.
  Bytes input(data, data + size);
  if (size && (data[0] & 1))
    for (int i = 0; i < 3 && input.size() < 100000; ++i) input.insert(input.end(), input.begin(), input.end());

  Bytes packed;
  void* w = BaseCompress::OpenWriteOfCustomMem(&Collect, &packed, memClass);
  for (size_t pos = 0; pos < input.size();) {
    const size_t n = std::min(writePiece, input.size() - pos);
    if (BaseCompress::Write(w, input.data() + pos, static_cast<ULONG>(n)) != static_cast<LONG>(n)) abort();
    BaseCompress::Write(w, input.data(), 0);
    pos += n;
  }
  if (BaseCompress::CloseWrite(w) != 0) abort();

  Source src{&packed, 0, readPiece};
  void* r = BaseCompress::OpenReadOfCustomMem(&Feed, &src, memClass);
  Bytes back, buf(readPiece);
  for (;;) {
    const LONG n = BaseCompress::Read(r, buf.data(), static_cast<ULONG>(readPiece));
    if (n < 0) abort();
    if (n == 0) break;
    back.insert(back.end(), buf.begin(), buf.begin() + n);
  }
  if (BaseCompress::CloseRead(r) != 0 || back != input) abort();

  z_stream z{};
  inflateInit2(&z, -15);
  Bytes inflated(input.size() + 1);
  z.next_in = packed.data();
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = inflated.data();
  z.avail_out = static_cast<uInt>(inflated.size());
  const int rc = inflate(&z, Z_FINISH);
  inflated.resize(z.total_out);
  if (rc != Z_STREAM_END || inflated != input || z.avail_in != 8) abort();
  inflateEnd(&z);
  return 0;
}
