// Helpers shared by the Deflate tests: memory sinks and sources for the callback
// streams, zlib as the reference peer, and a plain bit-by-bit Deflate reader that
// lists the blocks and symbols of a stream so tests can see what the encoder chose.
#pragma once

#include "basalt/base_compress.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace deflate_test {

using Bytes = std::vector<uint8_t>;
using Basalt::Base::BaseCompress;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Sink for write streams: appends every chunk; can be told to fail or to answer
// with a count rounded up to 16 (as the encrypting sink does).
struct MemorySink {
  Bytes data;
  std::vector<size_t> chunkSizes;
  int failAtChunk = -1;  // index of the chunk answered with `failResult`
  int failResult = 0;
  bool roundUp = false;

  static int Callback(void*, const void* user, const void* data, unsigned len) {
    auto* s = static_cast<MemorySink*>(const_cast<void*>(user));
    if (static_cast<int>(s->chunkSizes.size()) == s->failAtChunk) {
      s->chunkSizes.push_back(len);
      return s->failResult;
    }
    s->chunkSizes.push_back(len);
    const auto* p = static_cast<const uint8_t*>(data);
    s->data.insert(s->data.end(), p, p + len);
    return s->roundUp ? static_cast<int>((len + 15) & ~15u) : static_cast<int>(len);
  }
};

// Source for read streams: hands out the bytes in pieces of at most `maxPiece`.
struct MemorySource {
  Bytes data;
  size_t pos = 0;
  size_t maxPiece = SIZE_MAX;
  size_t calls = 0;

  static int Callback(void*, const void* user, void* buffer, unsigned capacity) {
    auto* s = static_cast<MemorySource*>(const_cast<void*>(user));
    ++s->calls;
    const size_t n = std::min({static_cast<size_t>(capacity), s->data.size() - s->pos, s->maxPiece});
    if (n == 0) return 0;
    std::memcpy(buffer, s->data.data() + s->pos, n);
    s->pos += n;
    return static_cast<int>(n);
  }
};

// Compresses through a write stream, writing in the given piece sizes (cycled).
inline Bytes Compress(const Bytes& input, const std::vector<size_t>& pieces = {SIZE_MAX}, int memClass = 0) {
  MemorySink sink;
  void* w = BaseCompress::OpenWriteOfCustomMem(&MemorySink::Callback, &sink, memClass);
  size_t pos = 0, k = 0;
  while (pos < input.size()) {
    const size_t n = std::min(pieces[k++ % pieces.size()], input.size() - pos);
    BaseCompress::Write(w, input.data() + pos, static_cast<ULONG>(n));
    pos += n;
  }
  BaseCompress::CloseWrite(w);
  return sink.data;
}

struct ReadResult {
  Bytes data;
  bool readFailed = false;  // some Read returned -1
  LONG closeResult = 0;
};

// Decompresses through a read stream, reading in the given piece sizes (cycled).
inline ReadResult Decompress(const Bytes& compressed, const std::vector<size_t>& pieces = {65536}, int memClass = 0,
                             bool close = true) {
  MemorySource src{compressed};
  ReadResult r;
  void* s = BaseCompress::OpenReadOfCustomMem(&MemorySource::Callback, &src, memClass);
  std::vector<uint8_t> buf;
  for (size_t k = 0;; ++k) {
    const size_t want = pieces[k % pieces.size()];
    buf.resize(std::max<size_t>(want, 1));
    const LONG n = BaseCompress::Read(s, buf.data(), static_cast<ULONG>(want));
    if (n < 0) {
      r.readFailed = true;
      break;
    }
    if (n == 0 && want != 0) break;
    r.data.insert(r.data.end(), buf.begin(), buf.begin() + n);
  }
  const LONG closed = BaseCompress::CloseRead(s);  // the only way to free a read stream
  r.closeResult = close ? closed : 0;
  return r;
}

inline Bytes ZlibRawDeflate(const Bytes& input, int level, int windowBits) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -windowBits, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(input.size())) + 16);
  z.next_in = const_cast<Bytef*>(input.data());
  z.avail_in = static_cast<uInt>(input.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Raw inflate with zlib; nullopt when zlib rejects the data or it ends early.
inline std::optional<Bytes> ZlibRawInflate(const uint8_t* data, size_t len, int windowBits = 15,
                                           size_t outPiece = 65536, size_t* consumed = nullptr) {
  z_stream z{};
  if (inflateInit2(&z, -windowBits) != Z_OK) return std::nullopt;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(len);
  Bytes out, piece(outPiece);
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = piece.data();
    z.avail_out = static_cast<uInt>(piece.size());
    rc = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), piece.begin(), piece.begin() + (piece.size() - z.avail_out));
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
  }
  if (consumed) *consumed = z.total_in;
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

inline Bytes RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<uint8_t>(rng());
  return b;
}

// Text with the repetition of markup: what the document stores hold.
inline Bytes XmlText(size_t n, uint32_t seed) {
  static const char* const kWords[] = {"topic", "branch", "relation", "boundary", "note",          "marker",    "label",
                                       "style", "fill",   "line",     "shadow",   "Central Topic", "Main Topic"};
  std::mt19937 rng(seed);
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map>\n";
  int id = 1;
  while (s.size() < n) {
    const char* w = kWords[rng() % std::size(kWords)];
    s += "  <topic id=\"" + std::to_string(id++) + "\" kind=\"" + w + "\" x=\"" + std::to_string(rng() % 4000) +
         "\" y=\"" + std::to_string(rng() % 3000) + "\">\n    <title>" + w + " " + std::to_string(rng() % 97) +
         "</title>\n  </topic>\n";
  }
  s.resize(n);
  return ToBytes(s);
}

// A Deflate block as the bit-by-bit reader saw it.
struct Symbol {
  int literal = -1;  // 0..255, or -1 for a match
  int length = 0;
  int distance = 0;
};
struct Block {
  bool final = false;
  int type = 0;
  std::vector<Symbol> symbols;  // stored blocks: one literal per byte
};

// Lists the blocks of raw Deflate data; nullopt when it is malformed.
std::optional<std::vector<Block>> ListBlocks(const Bytes& data);

}  // namespace deflate_test
