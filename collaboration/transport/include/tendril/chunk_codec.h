// Packets as group-chat messages: the Base64 text of header and body cut into chunks of at
// most 512 characters, each behind the header "{counter}[index_count]", and the gathering of
// received chunks back into packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tendril/export.h>
#include <tendril/packet.h>

namespace TDRL {

inline constexpr size_t kChunkChars = 512;
// The Base64 text of the largest packet, and the chunks it takes.
inline constexpr size_t kMaxPacketText = 4 * ((kMaxPacketSize + 2) / 3);
inline constexpr int32_t kMaxChunkCount = static_cast<int32_t>((kMaxPacketText + kChunkChars - 1) / kChunkChars);
static_assert(kMaxPacketText == 1400832 && kMaxChunkCount == 2736);
// "{4294967295}[2147483647_2147483647]" and 512 characters.
inline constexpr size_t kChunkBufferSize = 40 + kChunkChars;

// The Base64 text of a packet: its bytes from the header to the block's write pointer.
TENDRIL_API std::string EncodePacketText(const Packet& packet);
inline int32_t ChunkCount(size_t textLength) {
  return static_cast<int32_t>(textLength / kChunkChars + (textLength % kChunkChars ? 1 : 0));
}
// Writes chunk index (1..count) of text into buffer; answers its length.
TENDRIL_API size_t FormatChunk(char (&buffer)[kChunkBufferSize], uint32_t counter, int32_t index, int32_t count,
                               std::string_view text);
// Every chunk of text, in order.
TENDRIL_API std::vector<std::string> MakeChunks(uint32_t counter, std::string_view text);

struct ChunkHeader {
  uint32_t sequence = 0;
  int32_t index = 0;
  int32_t count = 0;
};

enum class ChunkKind {
  kWhole,      // no "[" or "]": the body is one whole packet text
  kChunk,      // a well-formed header; payload follows it
  kMalformed,  // brackets present but the header does not read
};
TENDRIL_API ChunkKind ParseChunk(std::string_view body, ChunkHeader& header, std::string_view& payload);

// Decodes a packet text given as pieces in order (every piece but the last a whole number of
// Base64 groups): strict Base64, at least the 12 header bytes, a type of 1..47 and a header
// length equal to the bytes behind the header, within the size limit. False drops it.
TENDRIL_API bool DecodePacketText(const std::string_view* pieces, size_t count, Packet& packet);
inline bool DecodePacketText(std::string_view text, Packet& packet) { return DecodePacketText(&text, 1, packet); }

// Received chunks, gathered per sender and sequence number: each chunk goes to its index, a
// repeat or a chunk that does not fit its entry is ignored, and an entry completes only when
// every index from 1 to its count is there. Whole-text bodies complete at once.
class TENDRIL_API ChunkReassembler {
 public:
  enum class Result {
    kPending,   // taken; the packet is not complete
    kComplete,  // a packet arrived: Add decoded it into the packet
    kDropped,   // refused chunk, repeat, or a complete text that did not decode
  };

  // now is a millisecond tick, used only to find stale entries.
  Result Add(std::string_view sender, std::string_view body, uint32_t now, Packet& packet);
  // Forgets a sender's unfinished entries (the member left).
  void DropSender(std::string_view sender);
  // Forgets entries whose last chunk came more than maxAge ms before now.
  void DropStale(uint32_t now, uint32_t maxAge);
  size_t PendingEntries() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    int32_t count = 0;
    uint32_t lastTick = 0;
    std::map<int32_t, std::string> pieces;
  };
  using Key = std::pair<std::string, uint32_t>;
  using KeyView = std::pair<std::string_view, uint32_t>;
  struct KeyLess {
    using is_transparent = void;
    static KeyView View(const Key& key) { return {key.first, key.second}; }
    static KeyView View(const KeyView& key) { return key; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
      return View(a) < View(b);
    }
  };
  std::map<Key, Entry, KeyLess> entries_;
};

}  // namespace TDRL
