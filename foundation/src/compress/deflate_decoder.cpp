#include "compress/deflate_decoder.h"

#include "compress/deflate_format.h"
#include "compress/huffman_builder.h"
#include "compress/memory_class.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace Basalt::Base::Compress {
namespace {

// Decode-table entries, one 32-bit word each:
//   bits 0-7   bits the code takes (for a subtable pointer: the root bits)
//   bits 8-11  extra bits that follow (lengths, distances) or a subtable's index bits
//   bits 12-15 kind
//   bits 16-31 literal byte, base length or distance, code-length symbol, or the
//              subtable's offset
constexpr uint32_t kInvalid = 1u << 12;
constexpr uint32_t kEndBlock = 1u << 13;
constexpr uint32_t kSubtable = 1u << 14;
constexpr uint32_t kLiteral = 1u << 15;

constexpr unsigned kLitRootBits = 10;
constexpr unsigned kDistRootBits = 8;
constexpr unsigned kCodeLengthRootBits = 7;
// Root table plus room for a subtable of the largest possible size per long code.
constexpr size_t kLitTableSize =
    (size_t{1} << kLitRootBits) + kFixedLitLenSymbols * (1u << (kMaxCodeBits - kLitRootBits));
constexpr size_t kDistTableSize =
    (size_t{1} << kDistRootBits) + kFixedDistSymbols * (1u << (kMaxCodeBits - kDistRootBits));
constexpr size_t kCodeLengthTableSize = size_t{1} << kCodeLengthRootBits;

// Output is produced in pieces of about this size behind the kept window; the last
// match of a piece may run past it by up to a maximum match, and word-wise copies
// write up to 7 bytes beyond their end.
constexpr size_t kPiece = 32768;
constexpr size_t kPieceSlack = 512;

constexpr uint32_t LitLenEntry(unsigned sym) {
  if (sym < 256) return kLiteral | (sym << 16);
  if (sym == kEndOfBlock) return kEndBlock;
  if (sym < kLitLenSymbols) return (uint32_t{kLengthBase[sym - 257]} << 16) | (uint32_t{kLengthExtra[sym - 257]} << 8);
  return kInvalid;  // 286 and 287 take part in the fixed code but never occur
}
constexpr uint32_t DistEntry(unsigned sym) {
  if (sym < kDistSymbols) return (uint32_t{kDistBase[sym]} << 16) | (uint32_t{kDistExtra[sym]} << 8);
  return kInvalid;
}
constexpr uint32_t CodeLengthEntry(unsigned sym) { return sym << 16; }

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

constexpr std::array<uint8_t, 256> MakeByteReversal() {
  std::array<uint8_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned r = 0;
    for (int b = 0; b < 8; ++b) r |= ((i >> b) & 1u) << (7 - b);
    t[i] = static_cast<uint8_t>(r);
  }
  return t;
}
constexpr std::array<uint8_t, 256> kByteReversal = MakeByteReversal();

// Reverses the low `len` (1..15) bits of a code.
inline unsigned Reverse15(unsigned code, unsigned len) {
  const unsigned r16 = (unsigned{kByteReversal[code & 0xFF]} << 8) | kByteReversal[(code >> 8) & 0xFF];
  return r16 >> (16 - len);
}

// Builds a decode table with a root of `rootBits` and subtables for longer codes.
// Over-subscribed and incomplete code-length sets fail, except a single code of one
// bit; a set with no codes at all only passes when `allowEmpty`.
bool BuildTable(const uint8_t* lens, unsigned n, unsigned rootBits, uint32_t* table, size_t capacity,
                uint32_t (*entryOf)(unsigned), bool allowEmpty) {
  unsigned count[kMaxCodeBits + 1] = {};
  for (unsigned i = 0; i < n; ++i) ++count[lens[i]];
  const unsigned used = n - count[0];
  const size_t rootSize = size_t{1} << rootBits;
  if (used == 0) {
    std::fill(table, table + rootSize, kInvalid);
    return allowEmpty;
  }
  int left = 1;
  for (int l = 1; l <= kMaxCodeBits; ++l) {
    left <<= 1;
    left -= static_cast<int>(count[l]);
    if (left < 0) return false;
  }
  if (left > 0) {
    if (!(used == 1 && count[1] == 1)) return false;
    std::fill(table, table + rootSize, kInvalid);  // the one-bit code leaves half unused
  }

  uint16_t sorted[kFixedLitLenSymbols];
  unsigned offset[kMaxCodeBits + 2] = {};
  for (int l = 1; l <= kMaxCodeBits; ++l) offset[l + 1] = offset[l] + count[l];
  for (unsigned i = 0; i < n; ++i)
    if (lens[i]) sorted[offset[lens[i]]++] = static_cast<uint16_t>(i);
  unsigned maxLen = kMaxCodeBits;
  while (count[maxLen] == 0) --maxLen;

  unsigned nextCode[kMaxCodeBits + 2] = {};
  unsigned code = 0;
  for (int l = 1; l <= kMaxCodeBits; ++l) {
    code = (code + (l > 1 ? count[l - 1] : 0)) << 1;
    nextCode[l] = code;
  }
  unsigned remaining[kMaxCodeBits + 1];
  std::copy(count, count + kMaxCodeBits + 1, remaining);

  size_t next = rootSize;
  unsigned curPrefix = ~0u, subBits = 0;
  size_t subBase = 0;
  for (unsigned k = 0; k < used; ++k) {
    const unsigned sym = sorted[k];
    const unsigned len = lens[sym];
    const unsigned rev = Reverse15(nextCode[len]++, len);
    const uint32_t entry = entryOf(sym) | len;
    if (len <= rootBits) {
      for (size_t i = rev; i < rootSize; i += size_t{1} << len) table[i] = entry;
    } else {
      const unsigned prefix = rev & static_cast<unsigned>(rootSize - 1);
      if (prefix != curPrefix) {
        // Size the subtable to hold every code that shares this prefix.
        unsigned bits = len - rootBits;
        int room = 1 << bits;
        while (bits + rootBits < maxLen) {
          room -= static_cast<int>(remaining[bits + rootBits]);
          if (room <= 0) break;
          ++bits;
          room <<= 1;
        }
        const size_t size = size_t{1} << bits;
        if (next + size > capacity) return false;
        table[prefix] = kSubtable | (bits << 8) | (static_cast<uint32_t>(next) << 16) | rootBits;
        curPrefix = prefix;
        subBits = bits;
        subBase = next;
        next += size;
      }
      for (size_t i = rev >> rootBits; i < (size_t{1} << subBits); i += size_t{1} << (len - rootBits))
        table[subBase + i] = entry;
    }
    --remaining[len];
  }
  return true;
}

struct FixedTables {
  uint32_t lit[kLitTableSize];
  uint32_t dist[kDistTableSize];
  FixedTables() {
    uint8_t distLens[kFixedDistSymbols];
    std::fill(std::begin(distLens), std::end(distLens), static_cast<uint8_t>(kFixedDistLength));
    BuildTable(kFixedLitLenLengths.data(), kFixedLitLenSymbols, kLitRootBits, lit, kLitTableSize, LitLenEntry, false);
    BuildTable(distLens, kFixedDistSymbols, kDistRootBits, dist, kDistTableSize, DistEntry, false);
  }
};
const FixedTables& Fixed() {
  static const FixedTables tables;
  return tables;
}

}  // namespace

struct DeflateDecoder::State {
  enum Mode { kHeader, kStored, kCodes, kDone, kError };

  Source source = nullptr;
  void* context = nullptr;
  size_t w = 0;

  std::unique_ptr<uint8_t[]> memory;
  // Output: the kept window (the last histLen bytes before index w), then the piece
  // being produced.
  uint8_t* buf = nullptr;
  size_t histLen = 0;
  size_t pieceLen = 0;

  // Input: 8 bytes of history (the bit buffer may still hold them when the data
  // ends and must give them back), then the 4096-byte piece.
  uint8_t* inBuf = nullptr;
  const uint8_t* in = nullptr;
  const uint8_t* inEnd = nullptr;
  bool eof = false;
  unsigned overrun = 0;  // zero bytes fed in after the input ended

  uint64_t bitbuf = 0;
  unsigned bitcnt = 0;

  Mode mode = kHeader;
  bool lastBlock = false;
  unsigned storedLeft = 0;
  uint32_t* litTable = nullptr;
  uint32_t* distTable = nullptr;
  uint32_t* clTable = nullptr;
  const uint32_t* curLit = nullptr;
  const uint32_t* curDist = nullptr;

  size_t Refill();
  unsigned NextByte() {
    if (in == inEnd) {
      if (!eof && Refill() == 0) eof = true;
      if (in == inEnd) {
        ++overrun;
        return 0;
      }
    }
    return *in++;
  }
  void Need(unsigned n) {
    if (bitcnt >= n) return;
    if (inEnd - in >= 8) {
      bitbuf |= Load64(in) << bitcnt;
      in += (63 - bitcnt) >> 3;
      bitcnt |= 56;
      return;
    }
    while (bitcnt < n) {
      bitbuf |= uint64_t{NextByte()} << bitcnt;
      bitcnt += 8;
    }
  }
  void Drop(unsigned n) {
    bitbuf >>= n;
    bitcnt -= n;
  }
  bool ReadPastEnd() const { return overrun * 8 > bitcnt; }

  bool Run(uint8_t*& out, uint8_t* limit);
  bool ReadBlockHeader();
  bool ReadDynamicTables();
  bool CopyStored(uint8_t*& out, uint8_t* limit);
  bool DecodeCodes(uint8_t*& out, uint8_t* limit);
  bool EndOfBlock();
  bool FinishData();
};

std::unique_ptr<DeflateDecoder> DeflateDecoder::Create(int memClass, Source source, void* context) {
  auto* s = new (std::nothrow) State;
  if (!s) return nullptr;
  std::unique_ptr<State> guard(s);
  s->w = static_cast<size_t>(MemoryClassOf(memClass).decoderWindow);
  s->source = source;
  s->context = context;
  const size_t outBytes = s->w + kPiece + kPieceSlack;
  const size_t inBytes = 8 + kInputPiece + 8;
  const size_t tableBytes = (kLitTableSize + kDistTableSize + kCodeLengthTableSize) * sizeof(uint32_t);
  s->memory.reset(new (std::nothrow) uint8_t[tableBytes + outBytes + inBytes]);
  if (!s->memory) return nullptr;
  uint8_t* p = s->memory.get();
  s->litTable = reinterpret_cast<uint32_t*>(p);
  s->distTable = s->litTable + kLitTableSize;
  s->clTable = s->distTable + kDistTableSize;
  p += tableBytes;
  s->buf = p;
  p += outBytes;
  s->inBuf = p;
  std::memset(s->inBuf, 0, inBytes);
  s->in = s->inEnd = s->inBuf + 8;
  Fixed();

  auto* dec = new (std::nothrow) DeflateDecoder(s);
  if (!dec) return nullptr;
  guard.release();
  return std::unique_ptr<DeflateDecoder>(dec);
}

DeflateDecoder::DeflateDecoder(State* state) : m_state(state) {}
DeflateDecoder::~DeflateDecoder() { delete m_state; }

bool DeflateDecoder::Finished() const { return m_state->mode == State::kDone; }
bool DeflateDecoder::Failed() const { return m_state->mode == State::kError; }
size_t DeflateDecoder::Unconsumed() const { return static_cast<size_t>(m_state->inEnd - m_state->in); }

long DeflateDecoder::Produce(const uint8_t** data) {
  State& s = *m_state;
  if (s.mode == State::kError) return -1;
  if (s.pieceLen) {
    // Keep the last window's worth of output in front of the next piece.
    const size_t keep = std::min(s.w, s.histLen + s.pieceLen);
    std::memmove(s.buf + s.w - keep, s.buf + s.w + s.pieceLen - keep, keep);
    s.histLen = keep;
    s.pieceLen = 0;
  }
  if (s.mode == State::kDone) return 0;
  uint8_t* const start = s.buf + s.w;
  uint8_t* out = start;
  const bool ok = s.Run(out, start + kPiece);
  s.pieceLen = static_cast<size_t>(out - start);
  if (!ok) s.mode = State::kError;  // what was decoded before the fault is still handed out
  *data = start;
  if (s.pieceLen) return static_cast<long>(s.pieceLen);
  return ok ? 0 : -1;
}

bool DeflateDecoder::ReadRaw(uint8_t* data, size_t len) {
  State& s = *m_state;
  while (len) {
    if (s.in == s.inEnd && s.Refill() == 0) return false;
    const size_t n = std::min(len, static_cast<size_t>(s.inEnd - s.in));
    std::memcpy(data, s.in, n);
    s.in += n;
    data += n;
    len -= n;
  }
  return true;
}

size_t DeflateDecoder::State::Refill() {
  std::memmove(inBuf, inEnd - 8, 8);
  uint8_t* base = inBuf + 8;
  size_t filled = 0;
  while (filled < kInputPiece) {
    const unsigned room = static_cast<unsigned>(kInputPiece - filled);
    const int got = source(context, base + filled, room);
    if (got <= 0) break;
    filled += std::min(static_cast<unsigned>(got), room);
  }
  in = base;
  inEnd = base + filled;
  return filled;
}

bool DeflateDecoder::State::Run(uint8_t*& out, uint8_t* limit) {
  while (out < limit) {
    switch (mode) {
      case kHeader:
        if (!ReadBlockHeader()) return false;
        break;
      case kStored:
        if (!CopyStored(out, limit)) return false;
        break;
      case kCodes:
        if (!DecodeCodes(out, limit)) return false;
        break;
      case kDone:
        return true;
      case kError:
        return false;
    }
  }
  return true;
}

bool DeflateDecoder::State::ReadBlockHeader() {
  Need(3);
  lastBlock = bitbuf & 1;
  const unsigned type = (bitbuf >> 1) & 3;
  Drop(3);
  switch (type) {
    case kStoredBlock: {
      Drop(bitcnt & 7);
      Need(32);
      const unsigned len = bitbuf & 0xFFFF;
      const unsigned nlen = (bitbuf >> 16) & 0xFFFF;
      Drop(32);
      if (nlen != (~len & 0xFFFF)) return false;
      storedLeft = len;
      mode = kStored;
      break;
    }
    case kFixedBlock:
      curLit = Fixed().lit;
      curDist = Fixed().dist;
      mode = kCodes;
      break;
    case kDynamicBlock:
      if (!ReadDynamicTables()) return false;
      curLit = litTable;
      curDist = distTable;
      mode = kCodes;
      break;
    default:
      return false;
  }
  return !ReadPastEnd();
}

bool DeflateDecoder::State::ReadDynamicTables() {
  Need(14);
  const unsigned hlit = (bitbuf & 31) + 257;
  const unsigned hdist = ((bitbuf >> 5) & 31) + 1;
  const unsigned hclen = ((bitbuf >> 10) & 15) + 4;
  Drop(14);
  if (hlit > kLitLenSymbols || hdist > kDistSymbols) return false;
  uint8_t clLens[kCodeLengthSymbols] = {};
  for (unsigned i = 0; i < hclen; ++i) {
    Need(3);
    clLens[kCodeLengthOrder[i]] = bitbuf & 7;
    Drop(3);
  }
  if (ReadPastEnd() || !BuildTable(clLens, kCodeLengthSymbols, kCodeLengthRootBits, clTable, kCodeLengthTableSize,
                                   CodeLengthEntry, false))
    return false;

  uint8_t lens[kLitLenSymbols + kDistSymbols];
  const unsigned total = hlit + hdist;
  for (unsigned i = 0; i < total;) {
    Need(kMaxCodeLengthBits + 7);
    const uint32_t e = clTable[bitbuf & ((1u << kCodeLengthRootBits) - 1)];
    if (e & kInvalid) return false;
    Drop(e & 0xFF);
    const unsigned sym = e >> 16;
    if (sym < 16) {
      lens[i++] = static_cast<uint8_t>(sym);
    } else {
      unsigned repeat;
      uint8_t value = 0;
      if (sym == 16) {
        if (i == 0) return false;
        value = lens[i - 1];
        repeat = 3 + (bitbuf & 3);
        Drop(2);
      } else if (sym == 17) {
        repeat = 3 + (bitbuf & 7);
        Drop(3);
      } else {
        repeat = 11 + (bitbuf & 127);
        Drop(7);
      }
      if (i + repeat > total) return false;
      std::memset(lens + i, value, repeat);
      i += repeat;
    }
    if (ReadPastEnd()) return false;
  }
  // Without an end-of-block code the block could never end.
  if (lens[kEndOfBlock] == 0) return false;
  return BuildTable(lens, hlit, kLitRootBits, litTable, kLitTableSize, LitLenEntry, false) &&
         BuildTable(lens + hlit, hdist, kDistRootBits, distTable, kDistTableSize, DistEntry, true);
}

bool DeflateDecoder::State::CopyStored(uint8_t*& out, uint8_t* limit) {
  // Whole bytes the bit buffer read ahead come first; none of them may be one fed
  // in after the input ended.
  while (storedLeft && bitcnt >= 8 && out < limit) {
    if (overrun * 8 >= bitcnt) return false;
    *out++ = static_cast<uint8_t>(bitbuf);
    Drop(8);
    --storedLeft;
  }
  if (bitcnt == 0) bitbuf = 0;  // the bits above were a look at the bytes copied directly below
  while (storedLeft && out < limit) {
    if (in == inEnd && (eof || Refill() == 0)) {
      eof = true;
      return false;
    }
    const size_t n =
        std::min({static_cast<size_t>(storedLeft), static_cast<size_t>(inEnd - in), static_cast<size_t>(limit - out)});
    std::memcpy(out, in, n);
    out += n;
    in += n;
    storedLeft -= static_cast<unsigned>(n);
  }
  if (storedLeft == 0) return EndOfBlock();
  return true;
}

bool DeflateDecoder::State::EndOfBlock() {
  mode = kHeader;
  return lastBlock ? FinishData() : true;
}

bool DeflateDecoder::State::FinishData() {
  // Whole bytes still in the bit buffer go back to the input: they follow the
  // Deflate data (the trailer).
  Drop(bitcnt & 7);
  const unsigned whole = bitcnt >> 3;
  if (overrun > whole) return false;
  in -= whole - overrun;
  bitbuf = 0;
  bitcnt = 0;
  overrun = 0;
  mode = kDone;
  return true;
}

bool DeflateDecoder::State::DecodeCodes(uint8_t*& outRef, uint8_t* const limit) {
  uint64_t bb = bitbuf;
  unsigned bc = bitcnt;
  const uint8_t* ip = in;
  uint8_t* out = outRef;
  const uint32_t* const lt = curLit;
  const uint32_t* const dt = curDist;
  const uint8_t* const lowest = buf + w - histLen;  // earliest byte a match may copy
  const size_t window = w;
  bool ok = true;

  constexpr uint64_t kLitMask = (uint64_t{1} << kLitRootBits) - 1;
  constexpr uint64_t kDistMask = (uint64_t{1} << kDistRootBits) - 1;

  while (out < limit) {
    bool slow = false;
    if (inEnd - ip >= 8) {
      // At least 56 bits: enough for a length with its extra bits and a distance
      // with its extra bits.
      bb |= Load64(ip) << bc;
      ip += (63 - bc) >> 3;
      bc |= 56;
    } else {
      bitbuf = bb;
      bitcnt = bc;
      in = ip;
      while (bitcnt <= 56) {
        bitbuf |= uint64_t{NextByte()} << bitcnt;
        bitcnt += 8;
      }
      bb = bitbuf;
      bc = bitcnt;
      ip = in;
      slow = true;
    }

    uint32_t e = lt[bb & kLitMask];
    if (e & kSubtable) e = lt[(e >> 16) + ((bb >> kLitRootBits) & ((1u << ((e >> 8) & 15)) - 1))];
    if (e & kLiteral) {
      bb >>= e & 0xFF;
      bc -= e & 0xFF;
      if (slow && overrun * 8 > bc) {
        ok = false;
        break;
      }
      *out++ = static_cast<uint8_t>(e >> 16);
      // Two more literals fit in the bits at hand (15 bits each at most).
      if (slow) continue;
      e = lt[bb & kLitMask];
      if (e & kSubtable) e = lt[(e >> 16) + ((bb >> kLitRootBits) & ((1u << ((e >> 8) & 15)) - 1))];
      if (!(e & kLiteral)) continue;
      bb >>= e & 0xFF;
      bc -= e & 0xFF;
      *out++ = static_cast<uint8_t>(e >> 16);
      e = lt[bb & kLitMask];
      if (e & kSubtable) e = lt[(e >> 16) + ((bb >> kLitRootBits) & ((1u << ((e >> 8) & 15)) - 1))];
      if (!(e & kLiteral)) continue;
      bb >>= e & 0xFF;
      bc -= e & 0xFF;
      *out++ = static_cast<uint8_t>(e >> 16);
      continue;
    }
    if (e & (kEndBlock | kInvalid)) {
      if (e & kInvalid) {
        ok = false;
        break;
      }
      bb >>= e & 0xFF;
      bc -= e & 0xFF;
      if (slow && overrun * 8 > bc) {
        ok = false;
        break;
      }
      bitbuf = bb;
      bitcnt = bc;
      in = ip;
      outRef = out;
      return EndOfBlock();
    }

    unsigned n = e & 0xFF;
    bb >>= n;
    bc -= n;
    unsigned extra = (e >> 8) & 15;
    const unsigned length = (e >> 16) + static_cast<unsigned>(bb & ((1u << extra) - 1));
    bb >>= extra;
    bc -= extra;

    uint32_t d = dt[bb & kDistMask];
    if (d & kSubtable) d = dt[(d >> 16) + ((bb >> kDistRootBits) & ((1u << ((d >> 8) & 15)) - 1))];
    if (d & kInvalid) {
      ok = false;
      break;
    }
    n = d & 0xFF;
    bb >>= n;
    bc -= n;
    extra = (d >> 8) & 15;
    const size_t dist = (d >> 16) + static_cast<unsigned>(bb & ((1u << extra) - 1));
    bb >>= extra;
    bc -= extra;
    if ((slow && overrun * 8 > bc) || dist > window || dist > static_cast<size_t>(out - lowest)) {
      ok = false;
      break;
    }

    const uint8_t* src = out - dist;
    uint8_t* const end = out + length;
    if (dist >= 8) {
      do {
        std::memcpy(out, src, 8);
        out += 8;
        src += 8;
      } while (out < end);
    } else if (dist == 1) {
      std::memset(out, *src, length);
    } else {
      for (unsigned i = 0; i < length; ++i) out[i] = src[i];
    }
    out = end;
  }
  bitbuf = bb;
  bitcnt = bc;
  in = ip;
  outRef = out;
  return ok;
}

}  // namespace Basalt::Base::Compress
