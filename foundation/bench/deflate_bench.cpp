// Deflate and CRC-32 of the compression streams beside zlib and libdeflate, on a
// 3 MB XML corpus and a 2 MB binary corpus, both generated here. Every benchmark
// reports MB/s of uncompressed data and, for the encoders, the ratio
// (uncompressed / compressed).
#include "basalt/base_compress.h"
#include "compress/crc32.h"

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Basalt::Base::BaseCompress;
using Bytes = std::vector<uint8_t>;

// A map document as XML: nested topics with generated ids, titles drawn from a
// vocabulary, styles, notes and timestamps.
const Bytes& XmlCorpus() {
  static const Bytes corpus = [] {
    static const char* const kWords[] = {
        "project",  "plan",     "review", "budget",  "meeting",  "design",  "market", "customer", "release",  "quality",
        "research", "team",     "goal",   "risk",    "schedule", "feature", "report", "strategy", "launch",   "support",
        "analysis", "training", "sales",  "product", "idea",     "summary", "action", "owner",    "deadline", "status"};
    static const char* const kColors[] = {"#FF0000", "#00A0E9", "#FFCC00", "#33AA33", "#666666", "#9933CC"};
    std::mt19937 rng(2024);
    auto id = [&] {
      static const char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
      std::string s;
      for (int i = 0; i < 26; ++i) s += kAlphabet[rng() % 36];
      return s;
    };
    auto sentence = [&](int words) {
      std::string s;
      for (int i = 0; i < words; ++i) {
        if (i) s += ' ';
        s += kWords[rng() % std::size(kWords)];
      }
      return s;
    };
    std::string x =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
        "<xmap-content xmlns=\"urn:xmind:xmap:xmlns:content:2.0\" version=\"2.0\">\n"
        "<sheet id=\"" +
        id() + "\" timestamp=\"1700000000000\">\n";
    int depth = 1;
    uint64_t stamp = 1700000000000;
    while (x.size() < 3 * 1000 * 1000) {
      const std::string indent(static_cast<size_t>(depth) * 2, ' ');
      stamp += rng() % 100000;
      x += indent + "<topic id=\"" + id() + "\" style-id=\"" + id() + "\" timestamp=\"" + std::to_string(stamp) +
           "\">\n" + indent + "  <title>" + sentence(1 + static_cast<int>(rng() % 4)) + "</title>\n";
      if (rng() % 4 == 0)
        x += indent + "  <notes><plain>" + sentence(5 + static_cast<int>(rng() % 20)) + "</plain></notes>\n";
      if (rng() % 3 == 0)
        x += indent + "  <marker-refs><marker-ref marker-id=\"priority-" + std::to_string(rng() % 9 + 1) +
             "\"/></marker-refs>\n";
      if (rng() % 5 == 0)
        x += indent + "  <style fill=\"" + kColors[rng() % std::size(kColors)] + "\" line-width=\"" +
             std::to_string(rng() % 4 + 1) + "pt\"/>\n";
      const unsigned step = rng() % 10;
      if (step < 4 && depth < 8) {
        x += indent + "  <children><topics type=\"attached\">\n";
        ++depth;
      } else if (step < 8 || depth == 1) {
        x += indent + "</topic>\n";
      } else {
        x += indent + "</topic>\n" + std::string(static_cast<size_t>(depth - 1) * 2, ' ') + "</topics></children>\n";
        --depth;
      }
    }
    x += "</sheet>\n</xmap-content>\n";
    return Bytes(x.begin(), x.end());
  }();
  return corpus;
}

// Binary records as a document store holds them: tagged records with small integers,
// slowly varying floats, UTF-16 names and some compressed-looking payloads.
const Bytes& BinaryCorpus() {
  static const Bytes corpus = [] {
    std::mt19937 rng(77);
    Bytes b;
    auto put = [&](const void* p, size_t n) {
      const auto* c = static_cast<const uint8_t*>(p);
      b.insert(b.end(), c, c + n);
    };
    float x = 0, y = 0;
    while (b.size() < 2 * 1000 * 1000) {
      const uint16_t tag = static_cast<uint16_t>(992 + rng() % 10);
      put(&tag, 2);
      switch (rng() % 4) {
        case 0:  // geometry: floats along a path
          for (int i = 0; i < 16; ++i) {
            x += std::sin(static_cast<float>(i)) * 3.5f;
            y += static_cast<float>(rng() % 100) / 10.0f;
            put(&x, 4);
            put(&y, 4);
          }
          break;
        case 1: {  // a record of small fields
          const uint32_t fields[6] = {static_cast<uint32_t>(rng() % 16),
                                      static_cast<uint32_t>(rng() % 256),
                                      0,
                                      1,
                                      static_cast<uint32_t>(rng() % 65536),
                                      0xFFFFFFFF};
          put(fields, sizeof fields);
          break;
        }
        case 2: {  // a UTF-16 name
          static const char16_t* const kNames[] = {u"Central Topic", u"Main Topic", u"Subtopic", u"Floating"};
          const char16_t* n = kNames[rng() % 4];
          put(n, std::char_traits<char16_t>::length(n) * 2);
          break;
        }
        default:  // an embedded, already compressed picture
          for (int i = 0; i < 48; ++i) b.push_back(static_cast<uint8_t>(rng()));
      }
    }
    b.resize(2 * 1000 * 1000);
    return b;
  }();
  return corpus;
}

const Bytes& Corpus(int which) { return which == 0 ? XmlCorpus() : BinaryCorpus(); }
const char* CorpusName(int which) { return which == 0 ? "xml-3MB" : "binary-2MB"; }

void Report(benchmark::State& state, size_t in, size_t out) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in));
  if (out) state.counters["ratio"] = static_cast<double>(in) / static_cast<double>(out);
  state.SetLabel(CorpusName(static_cast<int>(state.range(0))));
}

// ---- ours ----

int CollectOutput(void*, const void* user, const void* data, unsigned len) {
  auto* out = static_cast<Bytes*>(const_cast<void*>(user));
  const auto* p = static_cast<const uint8_t*>(data);
  out->insert(out->end(), p, p + len);
  return static_cast<int>(len);
}

Bytes OurCompress(const Bytes& in) {
  Bytes out;
  out.reserve(in.size() + in.size() / 100 + 64);
  void* w = BaseCompress::OpenWrite(&CollectOutput, &out);
  BaseCompress::Write(w, in.data(), static_cast<ULONG>(in.size()));
  BaseCompress::CloseWrite(w);
  return out;
}

struct Cursor {
  const Bytes* data;
  size_t pos;
};
int FeedInput(void*, const void* user, void* buffer, unsigned capacity) {
  auto* c = static_cast<Cursor*>(const_cast<void*>(user));
  const size_t n = std::min<size_t>(capacity, c->data->size() - c->pos);
  std::memcpy(buffer, c->data->data() + c->pos, n);
  c->pos += n;
  return static_cast<int>(n);
}

void BM_Ours_Compress(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  size_t outSize = 0;
  for (auto _ : state) {
    Bytes out = OurCompress(in);
    outSize = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, in.size(), outSize);
}

void BM_Ours_Decompress(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  const Bytes packed = OurCompress(in);
  Bytes out(in.size());
  for (auto _ : state) {
    Cursor c{&packed, 0};
    void* r = BaseCompress::OpenRead(&FeedInput, &c);
    LONG n = BaseCompress::Read(r, out.data(), static_cast<ULONG>(out.size()));
    if (BaseCompress::CloseRead(r) != 0 || n != static_cast<LONG>(in.size())) state.SkipWithError("round trip failed");
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, in.size(), 0);
}

void BM_Ours_Crc32(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ULONG reg;
    BaseCompress::UpdateCRC(&reg, nullptr, 0);
    benchmark::DoNotOptimize(BaseCompress::UpdateCRC(&reg, in.data(), static_cast<unsigned>(in.size())));
  }
  Report(state, in.size(), 0);
}

// The slicing-by-8 table path, used where the processor has no carry-less multiply.
void BM_Ours_Crc32Portable(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Basalt::Base::Compress::Crc32UpdatePortable(~0u, in.data(), in.size()));
  Report(state, in.size(), 0);
}

// ---- zlib ----

Bytes ZlibCompress(const Bytes& in, int level, int windowBits) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, -windowBits, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(in.size())));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

void BM_Zlib_Compress(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  const int level = static_cast<int>(state.range(1));
  const int windowBits = static_cast<int>(state.range(2));
  size_t outSize = 0;
  for (auto _ : state) {
    Bytes out = ZlibCompress(in, level, windowBits);
    outSize = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, in.size(), outSize);
}

// The peers' decoders read the same Deflate data as ours: what our encoder wrote,
// without the trailer.
Bytes OurDeflateData(const Bytes& in) {
  Bytes packed = OurCompress(in);
  packed.resize(packed.size() - 8);
  return packed;
}

void BM_Zlib_Decompress(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  const Bytes packed = OurDeflateData(in);
  Bytes out(in.size());
  for (auto _ : state) {
    z_stream z{};
    inflateInit2(&z, -15);
    z.next_in = const_cast<Bytef*>(packed.data());
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
    inflateEnd(&z);
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, in.size(), 0);
}

void BM_Zlib_Crc32(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0, in.data(), static_cast<uInt>(in.size())));
  Report(state, in.size(), 0);
}

// ---- libdeflate ----

void BM_Libdeflate_Compress(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  libdeflate_compressor* c = libdeflate_alloc_compressor(static_cast<int>(state.range(1)));
  Bytes out(libdeflate_deflate_compress_bound(c, in.size()));
  size_t outSize = 0;
  for (auto _ : state) {
    outSize = libdeflate_deflate_compress(c, in.data(), in.size(), out.data(), out.size());
    benchmark::DoNotOptimize(out.data());
  }
  libdeflate_free_compressor(c);
  Report(state, in.size(), outSize);
}

void BM_Libdeflate_Decompress(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  const Bytes packed = OurDeflateData(in);
  Bytes out(in.size());
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  for (auto _ : state) {
    if (libdeflate_deflate_decompress(d, packed.data(), packed.size(), out.data(), out.size(), nullptr) !=
        LIBDEFLATE_SUCCESS)
      state.SkipWithError("decompress failed");
    benchmark::DoNotOptimize(out.data());
  }
  libdeflate_free_decompressor(d);
  Report(state, in.size(), 0);
}

void BM_Libdeflate_Crc32(benchmark::State& state) {
  const Bytes& in = Corpus(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(libdeflate_crc32(0, in.data(), in.size()));
  Report(state, in.size(), 0);
}

void Corpora(benchmark::internal::Benchmark* b) { b->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond); }

BENCHMARK(BM_Ours_Compress)->Apply(Corpora);
// zlib level 1 with its usual 32 KiB window and with our 4 KiB one; level 6 for scale.
BENCHMARK(BM_Zlib_Compress)
    ->ArgsProduct({{0, 1}, {1}, {15, 12}})
    ->Args({0, 6, 15})
    ->Args({1, 6, 15})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libdeflate_Compress)->ArgsProduct({{0, 1}, {1, 6}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours_Decompress)->Apply(Corpora);
BENCHMARK(BM_Zlib_Decompress)->Apply(Corpora);
BENCHMARK(BM_Libdeflate_Decompress)->Apply(Corpora);
BENCHMARK(BM_Ours_Crc32)->Apply(Corpora);
BENCHMARK(BM_Ours_Crc32Portable)->Apply(Corpora);
BENCHMARK(BM_Zlib_Crc32)->Apply(Corpora);
BENCHMARK(BM_Libdeflate_Crc32)->Apply(Corpora);

}  // namespace

BENCHMARK_MAIN();
