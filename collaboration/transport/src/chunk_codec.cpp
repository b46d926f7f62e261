#include <tendril/chunk_codec.h>

#include <cstdio>
#include <cstring>

#include <tendril/base64.h>
#include <tendril/packet_types.h>

namespace TDRL {

namespace {

// Digits only, no sign or space, at most max; the C library's atoi would take anything.
bool ReadDecimal(std::string_view text, int32_t max, int32_t& value) {
  if (text.empty() || text.size() > 10) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// An unsigned 32-bit number with the C library's automatic base: "0x" hexadecimal, a leading
// "0" octal, else decimal; the whole text must be the number.
bool ReadSequence(std::string_view text, uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  uint64_t v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    if (digit >= base) return false;
    v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (v > UINT32_MAX) return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

std::string EncodePacketText(const Packet& packet) { return Base64Encode(packet.Data(), packet.DataSize()); }

size_t FormatChunk(char (&buffer)[kChunkBufferSize], uint32_t counter, int32_t index, int32_t count,
                   std::string_view text) {
  const size_t start = static_cast<size_t>(index - 1) * kChunkChars;
  const size_t size = start < text.size() ? std::min(kChunkChars, text.size() - start) : 0;
  const int header = std::snprintf(buffer, sizeof buffer, "{%u}[%d_%d]", counter, index, count);
  std::memcpy(buffer + header, text.data() + start, size);
  return static_cast<size_t>(header) + size;
}

std::vector<std::string> MakeChunks(uint32_t counter, std::string_view text) {
  std::vector<std::string> chunks;
  const int32_t count = ChunkCount(text.size());
  chunks.reserve(static_cast<size_t>(count));
  char buffer[kChunkBufferSize];
  for (int32_t index = 1; index <= count; ++index) {
    chunks.emplace_back(buffer, FormatChunk(buffer, counter, index, count, text));
  }
  return chunks;
}

ChunkKind ParseChunk(std::string_view body, ChunkHeader& header, std::string_view& payload) {
  const size_t open = body.find('[');
  const size_t close = body.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos) {
    payload = body;
    return ChunkKind::kWhole;
  }
  const size_t braceOpen = body.find('{');
  const size_t braceClose = body.find('}');
  const size_t underscore = body.find('_');
  // The header is the message's start, its marks in their order.
  if (braceOpen != 0 || braceClose == std::string_view::npos || braceClose + 1 != open ||
      underscore == std::string_view::npos || underscore < open || underscore > close) {
    return ChunkKind::kMalformed;
  }
  if (!ReadSequence(body.substr(1, braceClose - 1), header.sequence) ||
      !ReadDecimal(body.substr(open + 1, underscore - open - 1), INT32_MAX, header.index) ||
      !ReadDecimal(body.substr(underscore + 1, close - underscore - 1), INT32_MAX, header.count)) {
    return ChunkKind::kMalformed;
  }
  payload = body.substr(close + 1);
  return ChunkKind::kChunk;
}

bool DecodePacketText(const std::string_view* pieces, size_t count, Packet& packet) {
  if (count == 0) return false;
  size_t bytes = 0;
  for (size_t i = 0; i < count; ++i) {
    size_t pieceBytes = 0;
    if (!Base64DecodedLength(pieces[i], pieceBytes)) return false;
    if (i + 1 < count && pieces[i].find('=') != std::string_view::npos) return false;
    bytes += pieceBytes;
  }
  if (bytes < static_cast<size_t>(kPacketHeaderSize) || bytes > static_cast<size_t>(kMaxPacketSize)) return false;

  // The 12 header bytes are the first 16 characters, whole groups without padding; they may
  // span pieces only when a piece is shorter than that.
  std::string head;
  for (size_t i = 0; i < count && head.size() < 16; ++i) head.append(pieces[i].substr(0, 16 - head.size()));
  unsigned char header[kPacketHeaderSize];
  if (head.size() < 16 || !Base64Decode(head, header, false)) return false;
  const int32_t type = LoadInt32LE(header);
  const int32_t argument = LoadInt32LE(header + 4);
  const int32_t length = LoadInt32LE(header + 8);
  if (!IsReceivableType(type) || length < 0 || static_cast<size_t>(length) != bytes - kPacketHeaderSize) return false;

  Packet made;
  if (!CreatePacket(type, argument, nullptr, length, made)) return false;
  unsigned char* out = made.MutableData();
  for (size_t i = 0; i < count; ++i) {
    size_t pieceBytes = 0;
    Base64DecodedLength(pieces[i], pieceBytes);
    if (!Base64Decode(pieces[i], out, i + 1 == count)) return false;
    out += pieceBytes;
  }
  made.BodyFilled();
  packet = std::move(made);
  return true;
}

ChunkReassembler::Result ChunkReassembler::Add(std::string_view sender, std::string_view body, uint32_t now,
                                               Packet& packet) {
  ChunkHeader header;
  std::string_view payload;
  switch (ParseChunk(body, header, payload)) {
    case ChunkKind::kWhole:
      return DecodePacketText(payload, packet) ? Result::kComplete : Result::kDropped;
    case ChunkKind::kMalformed:
      return Result::kDropped;
    case ChunkKind::kChunk:
      break;
  }
  // Every chunk but the last carries exactly 512 characters, the last 1 to 512: that keeps an
  // entry within the text of the largest packet.
  if (header.count < 1 || header.count > kMaxChunkCount || header.index < 1 || header.index > header.count ||
      payload.empty() || payload.size() > kChunkChars ||
      (header.index < header.count && payload.size() != kChunkChars)) {
    return Result::kDropped;
  }
  if (header.count == 1) return DecodePacketText(payload, packet) ? Result::kComplete : Result::kDropped;

  auto found = entries_.find(KeyView(sender, header.sequence));
  if (found == entries_.end()) {
    found = entries_.emplace(Key(std::string(sender), header.sequence), Entry()).first;
    found->second.count = header.count;
  }
  Entry& entry = found->second;
  if (entry.count != header.count) return Result::kDropped;
  if (!entry.pieces.emplace(header.index, std::string(payload)).second) return Result::kDropped;  // a repeat
  entry.lastTick = now;
  if (entry.pieces.size() < static_cast<size_t>(entry.count)) return Result::kPending;

  std::vector<std::string_view> pieces;
  pieces.reserve(entry.pieces.size());
  for (const auto& [index, text] : entry.pieces) pieces.push_back(text);
  const bool decoded = DecodePacketText(pieces.data(), pieces.size(), packet);
  entries_.erase(found);
  return decoded ? Result::kComplete : Result::kDropped;
}

void ChunkReassembler::DropSender(std::string_view sender) {
  auto first = entries_.lower_bound(KeyView(sender, 0));
  auto last = first;
  while (last != entries_.end() && last->first.first == sender) ++last;
  entries_.erase(first, last);
}

void ChunkReassembler::DropStale(uint32_t now, uint32_t maxAge) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    // Unsigned difference: correct across the tick's wrap-around.
    if (now - it->second.lastTick > maxAge)
      it = entries_.erase(it);
    else
      ++it;
  }
}

}  // namespace TDRL
