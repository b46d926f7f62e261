#include "compress/deflate_encoder.h"

#include "compress/deflate_format.h"
#include "compress/huffman_builder.h"
#include "compress/memory_class.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Basalt::Base::Compress {
namespace {

// Room ahead of the position that guarantees a full-length match can be tried.
constexpr int kMinLookahead = kMaxMatch + kMinMatch + 1;
constexpr int kMaxBlockSymbols = 4095;
// Greedy matching with the parameters of the usual level 3: matches of up to this
// length have each of their positions hashed, a chain walk stops at the first match
// this long or after this many candidates.
constexpr int kInsertLimit = 6;
constexpr int kNiceLength = 32;
constexpr int kMaxChain = 32;
// A block can only go out stored when its raw bytes are no more than its fixed-code
// size: at most 31 bits per symbol, 4095 symbols. Bytes of the block that the window
// slides away are kept up to this bound; a longer block can never be sent stored.
constexpr int kKeptCapacity = 16384;

constexpr std::array<uint8_t, 256> MakeLengthCodes() {
  std::array<uint8_t, 256> t{};
  for (int l = 0; l < 256; ++l) {
    int c = 0;
    while (c + 1 < 29 && kLengthBase[c + 1] - kMinMatch <= l) ++c;
    t[l] = static_cast<uint8_t>(c);
  }
  return t;
}
// Distance codes of (distance - 1): below 256 directly, above by its bits 7 and up
// (every base from code 16 on is a multiple of 128).
constexpr std::array<uint8_t, 512> MakeDistCodes() {
  std::array<uint8_t, 512> t{};
  for (int i = 0; i < 512; ++i) {
    int d = i < 256 ? i : (i - 256) << 7;
    int c = 0;
    while (c + 1 < kDistSymbols && kDistBase[c + 1] - 1 <= d) ++c;
    t[i] = static_cast<uint8_t>(c);
  }
  return t;
}
constexpr std::array<uint8_t, 256> kLengthCode = MakeLengthCodes();
constexpr std::array<uint8_t, 512> kDistCode = MakeDistCodes();

// Positions drop by the window size; those that fall out become "none" (0).
void SlidePositions(uint16_t* p, size_t n, uint16_t w) {
#if defined(__SSE2__)
  const __m128i wv = _mm_set1_epi16(static_cast<short>(w));
  for (size_t i = 0; i < n; i += 8) {
    __m128i* q = reinterpret_cast<__m128i*>(p + i);
    _mm_storeu_si128(q, _mm_subs_epu16(_mm_loadu_si128(q), wv));
  }
#else
  for (size_t i = 0; i < n; ++i) p[i] = p[i] >= w ? static_cast<uint16_t>(p[i] - w) : 0;
#endif
}

inline int DistCodeOf(unsigned d) { return d < 256 ? kDistCode[d] : kDistCode[256 + (d >> 7)]; }

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

struct FixedCodes {
  uint16_t lit[kFixedLitLenSymbols];
  uint16_t dist[kFixedDistSymbols];
  uint8_t distLens[kFixedDistSymbols];
  FixedCodes() {
    BuildCanonicalCodes(kFixedLitLenLengths.data(), kFixedLitLenSymbols, lit);
    std::fill(std::begin(distLens), std::end(distLens), static_cast<uint8_t>(kFixedDistLength));
    BuildCanonicalCodes(distLens, kFixedDistSymbols, dist);
  }
};
const FixedCodes& Fixed() {
  static const FixedCodes codes;
  return codes;
}

}  // namespace

struct DeflateEncoder::State {
  // Window geometry.
  int w = 0, wmask = 0, maxDist = 0;
  unsigned hashShift = 0, hashMask = 0;

  Sink sink = nullptr;
  void* context = nullptr;

  std::unique_ptr<uint8_t[]> memory;
  uint8_t* window = nullptr;  // 2W bytes (and a zeroed tail for word-wise compares)
  uint16_t* head = nullptr;   // hash heads: window positions, 0 = none
  uint16_t* prev = nullptr;   // chain links by position modulo W
  uint8_t* kept = nullptr;    // the current block's bytes that slid out of the window
  uint8_t* out = nullptr;     // output pieces

  int strstart = 0, lookahead = 0, blockStart = 0;
  int keptLen = 0;
  bool keptOverflow = false;

  // Symbols of the current block: a literal, or a match length - 3 with its distance
  // (distance 0 marks a literal).
  int symCount = 0;
  uint8_t symLit[kMaxBlockSymbols + 1];
  uint16_t symDist[kMaxBlockSymbols + 1];
  uint32_t litFreq[kLitLenSymbols];
  uint32_t distFreq[kDistSymbols];

  uint64_t bitbuf = 0;
  unsigned bitcnt = 0;
  size_t outPos = 0;

  // Multiplicative hash of the 3 bytes at p. A shift-and-xor hash over so few bits
  // chains together strings that share little more than their last byte, and the
  // chain walks dominate the encoder's time; this one puts almost only real
  // 3-byte matches on a chain.
  unsigned Hash(const uint8_t* p) const {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return ((v & 0xFFFFFFu) * 0x9E3779B1u) >> hashShift;
  }
  void Insert(int pos) {
    unsigned h = Hash(window + pos);
    prev[pos & wmask] = head[h];
    head[h] = static_cast<uint16_t>(pos);
  }

  void Deflate(const uint8_t* in, size_t avail, bool finish);
  void Fill(const uint8_t*& in, size_t& avail);
  void Slide();
  int LongestMatch(unsigned candidate, int pos, int ahead, int* matchPos) const;
  void FlushBlock(bool last);

  void PutBits(uint64_t bits, unsigned n) {
    bitbuf |= bits << bitcnt;
    bitcnt += n;
  }
  void FlushBits() {
    std::memcpy(out + outPos, &bitbuf, 8);
    unsigned bytes = bitcnt >> 3;
    outPos += bytes;
    bitbuf = bytes ? bitbuf >> (bytes * 8) : bitbuf;
    bitcnt &= 7;
    if (outPos >= kOutputPiece) HandOutPiece();
  }
  void AlignToByte() {
    bitcnt = (bitcnt + 7) & ~7u;
    FlushBits();
  }
  void HandOutPiece() {
    sink(context, out, kOutputPiece);
    outPos -= kOutputPiece;
    std::memmove(out, out + kOutputPiece, outPos);
  }
  void PutRaw(const uint8_t* data, size_t len) {
    while (len) {
      size_t n = std::min(len, kOutputPiece - outPos);
      std::memcpy(out + outPos, data, n);
      outPos += n;
      data += n;
      len -= n;
      if (outPos == kOutputPiece) HandOutPiece();
    }
  }
  void SendSymbols(const uint16_t* litCodes, const uint8_t* litLens, const uint16_t* distCodes,
                   const uint8_t* distLens);
  void SendStored(bool last, int storedLen);
};

std::unique_ptr<DeflateEncoder> DeflateEncoder::Create(int memClass, Sink sink, void* context) {
  const MemoryClass mc = MemoryClassOf(memClass);
  auto* s = new (std::nothrow) State;
  if (!s) return nullptr;
  std::unique_ptr<State> guard(s);
  s->w = mc.encoderWindow;
  s->wmask = s->w - 1;
  s->maxDist = s->w - kMinLookahead;
  s->hashShift = static_cast<unsigned>(32 - mc.hashBits);
  s->hashMask = (1u << mc.hashBits) - 1;
  s->sink = sink;
  s->context = context;

  const size_t windowBytes = 2 * static_cast<size_t>(s->w) + 16;
  const size_t headBytes = (size_t{1} << mc.hashBits) * sizeof(uint16_t);
  const size_t prevBytes = static_cast<size_t>(s->w) * sizeof(uint16_t);
  const size_t outBytes = 2 * kOutputPiece;
  const size_t total = windowBytes + headBytes + prevBytes + kKeptCapacity + outBytes;
  s->memory.reset(new (std::nothrow) uint8_t[total]);
  if (!s->memory) return nullptr;
  std::memset(s->memory.get(), 0, total);
  uint8_t* p = s->memory.get();
  s->window = p;
  p += windowBytes;
  s->head = reinterpret_cast<uint16_t*>(p);
  p += headBytes;
  s->prev = reinterpret_cast<uint16_t*>(p);
  p += prevBytes;
  s->kept = p;
  p += kKeptCapacity;
  s->out = p;
  std::memset(s->litFreq, 0, sizeof s->litFreq);
  std::memset(s->distFreq, 0, sizeof s->distFreq);
  Fixed();

  auto* enc = new (std::nothrow) DeflateEncoder(s);
  if (!enc) return nullptr;
  guard.release();
  return std::unique_ptr<DeflateEncoder>(enc);
}

DeflateEncoder::DeflateEncoder(State* state) : m_state(state) {}
DeflateEncoder::~DeflateEncoder() { delete m_state; }

void DeflateEncoder::Write(const uint8_t* data, size_t len) {
  if (len) m_state->Deflate(data, len, false);
}

void DeflateEncoder::Finish() {
  m_state->Deflate(nullptr, 0, true);
  m_state->FlushBlock(true);
  m_state->AlignToByte();
}

void DeflateEncoder::PutBytes(const uint8_t* data, size_t len) { m_state->PutRaw(data, len); }

void DeflateEncoder::Flush() {
  State& s = *m_state;
  s.FlushBits();
  if (s.outPos) {
    s.sink(s.context, s.out, s.outPos);
    s.outPos = 0;
  }
}

void DeflateEncoder::State::Slide() {
  // Bytes of the current block about to leave the window are kept, so that the
  // block can still be sent stored.
  if (blockStart < w) {
    const int from = std::max(blockStart, 0);
    const int n = w - from;
    if (!keptOverflow && keptLen + n <= kKeptCapacity) {
      std::memcpy(kept + keptLen, window + from, static_cast<size_t>(n));
      keptLen += n;
    } else {
      keptOverflow = true;
    }
  }
  std::memcpy(window, window + w, static_cast<size_t>(strstart + lookahead - w));
  strstart -= w;
  blockStart -= w;
  SlidePositions(head, hashMask + 1, static_cast<uint16_t>(w));
  SlidePositions(prev, static_cast<size_t>(w), static_cast<uint16_t>(w));
}

void DeflateEncoder::State::Fill(const uint8_t*& in, size_t& avail) {
  do {
    if (strstart >= w + maxDist) Slide();
    if (!avail) break;
    const size_t room = static_cast<size_t>(2 * w - lookahead - strstart);
    const size_t n = std::min(room, avail);
    std::memcpy(window + strstart + lookahead, in, n);
    in += n;
    avail -= n;
    lookahead += static_cast<int>(n);
  } while (lookahead < kMinLookahead && avail);
}

int DeflateEncoder::State::LongestMatch(unsigned candidate, int pos, int ahead, int* matchPos) const {
  const uint8_t* scan = window + pos;
  const int maxLen = std::min(kMaxMatch, ahead);
  const int nice = std::min(kNiceLength, ahead);
  const unsigned limit = pos > maxDist ? static_cast<unsigned>(pos - maxDist) : 0;
  int bestLen = kMinMatch - 1;
  int chain = kMaxChain;

  // Length of the match at m: whole words compared while they agree.
  auto matchLength = [&](const uint8_t* m) {
    int len = 0;
    for (;;) {
      const uint64_t diff = Load64(scan + len) ^ Load64(m + len);
      if (diff) {
        len += __builtin_ctzll(diff) >> 3;
        break;
      }
      len += 8;
      if (len >= maxLen) break;
    }
    return std::min(len, maxLen);
  };

  // Until a first match, a candidate must agree on its first 3 bytes; after that, a
  // candidate that could beat the best must agree on the 4 bytes that end one
  // past it. Candidates failing these tests could not win, so the choice is the
  // same as comparing every candidate in full.
  const uint32_t first3 = Load32(scan) & 0xFFFFFFu;
  do {
    const uint8_t* m = window + candidate;
    if (((Load32(m) & 0xFFFFFFu) != first3)) continue;
    const int len = matchLength(m);
    *matchPos = static_cast<int>(candidate);
    bestLen = len;
    if (len >= nice) return bestLen;
    break;
  } while ((candidate = prev[candidate & wmask]) > limit && --chain != 0);
  if (bestLen < kMinMatch) return bestLen;

  uint32_t scanEnd = Load32(scan + bestLen - 3);
  while ((candidate = prev[candidate & wmask]) > limit && --chain != 0) {
    const uint8_t* m = window + candidate;
    if (Load32(m + bestLen - 3) != scanEnd) continue;
    const int len = matchLength(m);
    if (len > bestLen) {
      *matchPos = static_cast<int>(candidate);
      bestLen = len;
      if (len >= nice) break;
      scanEnd = Load32(scan + bestLen - 3);
    }
  }
  return bestLen;
}

void DeflateEncoder::State::Deflate(const uint8_t* in, size_t avail, bool finish) {
  for (;;) {
    if (lookahead < kMinLookahead) {
      Fill(in, avail);
      if (lookahead < kMinLookahead && !finish) return;
      if (lookahead == 0) return;
    }
    // Positions are coded from locals until the lookahead runs low; a full block
    // goes out first, so that the block's bytes end where its symbols do.
    int pos = strstart, ahead = lookahead;
    int count = symCount;
    const int stop = (finish && avail == 0) ? 0 : kMinLookahead - 1;
    while (ahead > stop) {
      if (count == kMaxBlockSymbols) {
        strstart = pos;
        lookahead = ahead;
        symCount = count;
        FlushBlock(false);
        count = 0;
      }
      int matchLen = 0, matchPos = 0;
      if (ahead >= kMinMatch) {
        const unsigned h = Hash(window + pos);
        const unsigned candidate = head[h];
        prev[pos & wmask] = static_cast<uint16_t>(candidate);
        head[h] = static_cast<uint16_t>(pos);
        if (candidate != 0 && pos - static_cast<int>(candidate) <= maxDist)
          matchLen = LongestMatch(candidate, pos, ahead, &matchPos);
      }
      if (matchLen >= kMinMatch) {
        const unsigned dist = static_cast<unsigned>(pos - matchPos);
        symLit[count] = static_cast<uint8_t>(matchLen - kMinMatch);
        symDist[count] = static_cast<uint16_t>(dist);
        ++count;
        ++litFreq[kEndOfBlock + 1 + kLengthCode[matchLen - kMinMatch]];
        ++distFreq[DistCodeOf(dist - 1)];
        ahead -= matchLen;
        if (matchLen <= kInsertLimit && ahead >= kMinMatch) {
          for (int k = 1; k < matchLen; ++k) Insert(pos + k);
        }
        pos += matchLen;
      } else {
        const uint8_t c = window[pos];
        symLit[count] = c;
        symDist[count] = 0;
        ++count;
        ++litFreq[c];
        ++pos;
        --ahead;
      }
    }
    symCount = count;
    strstart = pos;
    lookahead = ahead;
    if (lookahead == 0 && finish && avail == 0) return;
  }
}

void DeflateEncoder::State::SendSymbols(const uint16_t* litCodes, const uint8_t* litLens, const uint16_t* distCodes,
                                        const uint8_t* distLens) {
  uint64_t bb = bitbuf;
  unsigned bc = bitcnt;
  size_t op = outPos;
  for (int i = 0; i < symCount; ++i) {
    const unsigned dist = symDist[i];
    if (dist == 0) {
      const unsigned c = symLit[i];
      bb |= uint64_t{litCodes[c]} << bc;
      bc += litLens[c];
    } else {
      const unsigned l = symLit[i];
      const unsigned lc = kLengthCode[l];
      const unsigned sym = kEndOfBlock + 1 + lc;
      bb |= (litCodes[sym] | (uint64_t{l - (kLengthBase[lc] - kMinMatch)} << litLens[sym])) << bc;
      bc += litLens[sym] + kLengthExtra[lc];
      const unsigned d = dist - 1;
      const unsigned dc = static_cast<unsigned>(DistCodeOf(d));
      bb |= (distCodes[dc] | (uint64_t{d - (kDistBase[dc] - 1u)} << distLens[dc])) << bc;
      bc += distLens[dc] + kDistExtra[dc];
    }
    // At most 7 bits stay behind, so the next symbol (48 bits at most) fits.
    std::memcpy(out + op, &bb, 8);
    const unsigned bytes = bc >> 3;
    op += bytes;
    bb = bytes ? bb >> (bytes * 8) : bb;
    bc &= 7;
    if (op >= kOutputPiece) {
      outPos = op;
      HandOutPiece();
      op = outPos;
    }
  }
  bitbuf = bb;
  bitcnt = bc;
  outPos = op;
  PutBits(litCodes[kEndOfBlock], litLens[kEndOfBlock]);
  FlushBits();
}

void DeflateEncoder::State::SendStored(bool last, int storedLen) {
  PutBits(last ? 1 : 0, 3);
  AlignToByte();
  const uint8_t header[4] = {static_cast<uint8_t>(storedLen), static_cast<uint8_t>(storedLen >> 8),
                             static_cast<uint8_t>(~storedLen), static_cast<uint8_t>(~storedLen >> 8)};
  PutRaw(header, 4);
  PutRaw(kept, static_cast<size_t>(keptLen));
  const int from = std::max(blockStart, 0);
  PutRaw(window + from, static_cast<size_t>(strstart - from));
}

void DeflateEncoder::State::FlushBlock(bool last) {
  const int storedLen = strstart - blockStart;
  litFreq[kEndOfBlock] = 1;

  uint8_t litLens[kLitLenSymbols], distLens[kDistSymbols];
  BuildCodeLengths(litFreq, kLitLenSymbols, kMaxCodeBits, litLens);
  BuildCodeLengths(distFreq, kDistSymbols, kMaxCodeBits, distLens);

  int hlit = kLitLenSymbols;
  while (hlit > kEndOfBlock + 1 && litLens[hlit - 1] == 0) --hlit;
  int hdist = kDistSymbols;
  while (hdist > 1 && distLens[hdist - 1] == 0) --hdist;

  // The code lengths of both codes as one run-length coded sequence.
  uint8_t all[kLitLenSymbols + kDistSymbols];
  std::memcpy(all, litLens, static_cast<size_t>(hlit));
  std::memcpy(all + hlit, distLens, static_cast<size_t>(hdist));
  const int total = hlit + hdist;
  uint8_t rleSym[kLitLenSymbols + kDistSymbols];
  uint8_t rleExtra[kLitLenSymbols + kDistSymbols];
  int rleCount = 0;
  uint32_t clFreq[kCodeLengthSymbols] = {};
  auto emit = [&](int sym, int extra) {
    rleSym[rleCount] = static_cast<uint8_t>(sym);
    rleExtra[rleCount] = static_cast<uint8_t>(extra);
    ++rleCount;
    ++clFreq[sym];
  };
  for (int i = 0; i < total;) {
    const int len = all[i];
    int run = 1;
    while (i + run < total && all[i + run] == len) ++run;
    i += run;
    if (len == 0) {
      while (run >= 11) {
        const int r = std::min(run, 138);
        emit(18, r - 11);
        run -= r;
      }
      if (run >= 3) {
        emit(17, run - 3);
        run = 0;
      }
    } else {
      emit(len, 0);
      --run;
      while (run >= 3) {
        const int r = std::min(run, 6);
        emit(16, r - 3);
        run -= r;
      }
    }
    while (run-- > 0) emit(len, 0);
  }
  uint8_t clLens[kCodeLengthSymbols];
  BuildCodeLengths(clFreq, kCodeLengthSymbols, kMaxCodeLengthBits, clLens);
  int hclen = kCodeLengthSymbols;
  while (hclen > 4 && clLens[kCodeLengthOrder[hclen - 1]] == 0) --hclen;

  // Size estimates in bits, without the 3-bit block header.
  uint64_t extraBits = 0;
  for (int c = 0; c < 29; ++c) extraBits += uint64_t{litFreq[kEndOfBlock + 1 + c]} * kLengthExtra[c];
  for (int c = 0; c < kDistSymbols; ++c) extraBits += uint64_t{distFreq[c]} * kDistExtra[c];
  uint64_t dynBits = 5 + 5 + 4 + 3 * static_cast<uint64_t>(hclen) + extraBits;
  for (int c = 0; c < kCodeLengthSymbols; ++c) dynBits += uint64_t{clFreq[c]} * clLens[c];
  dynBits += uint64_t{clFreq[16]} * 2 + uint64_t{clFreq[17]} * 3 + uint64_t{clFreq[18]} * 7;
  uint64_t fixedBits = extraBits;
  for (int c = 0; c < kLitLenSymbols; ++c) {
    dynBits += uint64_t{litFreq[c]} * litLens[c];
    fixedBits += uint64_t{litFreq[c]} * kFixedLitLenLengths[c];
  }
  for (int c = 0; c < kDistSymbols; ++c) {
    dynBits += uint64_t{distFreq[c]} * distLens[c];
    fixedBits += uint64_t{distFreq[c]} * kFixedDistLength;
  }
  const uint64_t dynBytes = (dynBits + 3 + 7) >> 3;
  const uint64_t fixedBytes = (fixedBits + 3 + 7) >> 3;
  const uint64_t best = std::min(fixedBytes, dynBytes);
  const bool storable = !keptOverflow && storedLen <= 0xFFFF;

  if (storable && static_cast<uint64_t>(storedLen) + 4 <= best) {
    SendStored(last, storedLen);
  } else if (fixedBytes == best) {
    PutBits((last ? 1 : 0) | (kFixedBlock << 1), 3);
    const FixedCodes& f = Fixed();
    SendSymbols(f.lit, kFixedLitLenLengths.data(), f.dist, f.distLens);
  } else {
    PutBits((last ? 1 : 0) | (kDynamicBlock << 1), 3);
    PutBits(static_cast<uint64_t>(hlit - 257) | (static_cast<uint64_t>(hdist - 1) << 5) |
                (static_cast<uint64_t>(hclen - 4) << 10),
            14);
    for (int i = 0; i < hclen; ++i) {
      PutBits(clLens[kCodeLengthOrder[i]], 3);
      FlushBits();
    }
    uint16_t clCodes[kCodeLengthSymbols];
    BuildCanonicalCodes(clLens, kCodeLengthSymbols, clCodes);
    static constexpr uint8_t kRepeatBits[3] = {2, 3, 7};
    for (int i = 0; i < rleCount; ++i) {
      const int sym = rleSym[i];
      PutBits(clCodes[sym], clLens[sym]);
      if (sym >= 16) PutBits(rleExtra[i], kRepeatBits[sym - 16]);
      FlushBits();
    }
    uint16_t litCodes[kLitLenSymbols], distCodes[kDistSymbols];
    BuildCanonicalCodes(litLens, kLitLenSymbols, litCodes);
    BuildCanonicalCodes(distLens, kDistSymbols, distCodes);
    SendSymbols(litCodes, litLens, distCodes, distLens);
  }

  symCount = 0;
  std::memset(litFreq, 0, sizeof litFreq);
  std::memset(distFreq, 0, sizeof distFreq);
  blockStart = strstart;
  keptLen = 0;
  keptOverflow = false;
}

}  // namespace Basalt::Base::Compress
