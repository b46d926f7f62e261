// The frame assembler against a plain loop that parses each header and copies the body into
// one reused buffer; and a packet's way through the chat (encoded, chunked, gathered and
// decoded) against the foundation's Base64 encoding and decoding of the same bytes.
#include <benchmark/benchmark.h>

#include <basalt/text_encoding.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <tendril/chunk_codec.h>
#include <tendril/frame_assembler.h>
#include <tendril/packet.h>

namespace {

constexpr size_t kPackets = 100000;

// Enough distinct frames to make 100,000 by repeating the stream, within 64 MiB.
struct Stream {
  std::vector<unsigned char> bytes;
  size_t repeats = 1;
};

Stream MakeStream(size_t bodySize) {
  const size_t frameSize = 12 + bodySize;
  const size_t frames = std::min(kPackets, std::max<size_t>(1, (64u << 20) / frameSize));
  Stream stream;
  stream.repeats = (kPackets + frames - 1) / frames;
  stream.bytes.resize(frames * frameSize);
  std::mt19937 random(1);
  for (size_t i = 0; i < frames; ++i) {
    unsigned char* frame = stream.bytes.data() + i * frameSize;
    TDRL::StoreInt32LE(frame, 24);
    TDRL::StoreInt32LE(frame + 4, static_cast<int32_t>(i % 6));
    TDRL::StoreInt32LE(frame + 8, static_cast<int32_t>(bodySize));
    for (size_t b = 0; b < bodySize; b += 4) frame[12 + b] = static_cast<unsigned char>(random());
  }
  return stream;
}

void PlainLoop(benchmark::State& state) {
  const Stream stream = MakeStream(static_cast<size_t>(state.range(0)));
  std::vector<unsigned char> body(TDRL::kMaxPacketBody);
  for (auto _ : state) {
    int64_t types = 0;
    for (size_t r = 0; r < stream.repeats; ++r) {
      const unsigned char* p = stream.bytes.data();
      const unsigned char* end = p + stream.bytes.size();
      while (end - p >= 12) {
        const int32_t type = TDRL::LoadInt32LE(p);
        const int32_t length = TDRL::LoadInt32LE(p + 8);
        if (type < 1 || type > 47 || length < 0 || length > TDRL::kMaxPacketBody || end - p - 12 < length) break;
        std::memcpy(body.data(), p + 12, static_cast<size_t>(length));
        benchmark::DoNotOptimize(body.data());
        types += type;
        p += 12 + length;
      }
    }
    benchmark::DoNotOptimize(types);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.bytes.size() * stream.repeats));
}

void Assembler(benchmark::State& state) {
  const Stream stream = MakeStream(static_cast<size_t>(state.range(0)));
  TDRL::FrameAssembler assembler;
  for (auto _ : state) {
    int64_t types = 0;
    for (size_t r = 0; r < stream.repeats; ++r) {
      assembler.Feed(stream.bytes.data(), stream.bytes.size(), [&](TDRL::Packet& packet) {
        benchmark::DoNotOptimize(packet.Data());
        types += packet.Type();
      });
    }
    benchmark::DoNotOptimize(types);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.bytes.size() * stream.repeats));
}

BENCHMARK(PlainLoop)->Arg(64)->Arg(65536)->Unit(benchmark::kMillisecond);
BENCHMARK(Assembler)->Arg(64)->Arg(65536)->Unit(benchmark::kMillisecond);

TDRL::Packet MegabytePacket() {
  std::vector<unsigned char> body(1u << 20);
  std::mt19937 random(2);
  for (auto& b : body) b = static_cast<unsigned char>(random());
  TDRL::Packet packet;
  TDRL::CreatePacket(24, 3, body.data(), static_cast<int32_t>(body.size()), packet);
  return packet;
}

void FoundationBase64(benchmark::State& state) {
  const TDRL::Packet packet = MegabytePacket();
  for (auto _ : state) {
    char* text = nullptr;
    _ExpAsciiToBase64(packet.Data(), static_cast<int>(packet.DataSize()), &text);
    char* bytes = nullptr;
    const int size = _ExpBase64ToAscii(text, &bytes);
    benchmark::DoNotOptimize(size);
    std::free(bytes);
    std::free(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.DataSize()));
}

void ChatChunks(benchmark::State& state) {
  const TDRL::Packet packet = MegabytePacket();
  TDRL::ChunkReassembler reassembler;
  uint32_t counter = 0;
  for (auto _ : state) {
    const auto chunks = TDRL::MakeChunks(++counter, TDRL::EncodePacketText(packet));
    TDRL::Packet back;
    for (const auto& chunk : chunks) reassembler.Add("ann", chunk, 0, back);
    if (back.DataSize() != packet.DataSize()) state.SkipWithError("packet did not come back");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * packet.DataSize()));
}

BENCHMARK(FoundationBase64)->Unit(benchmark::kMillisecond);
BENCHMARK(ChatChunks)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
