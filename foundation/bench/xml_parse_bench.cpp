// Parsing a large FreeMind-style map into the XML object model, beside pugixml on the same
// text (UTF-16LE, as our reader takes it) and on its UTF-8 form (pugixml's own encoding).
// Each iteration parses into a fresh document and frees it; the Free benchmarks time only
// the freeing of a parsed document, which is a large share of a whole parse.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <pugixml.hpp>

#include <basalt/xml_dom.h>
#include <kx2/Utf.h>

namespace {

// A deterministic map of about 6 MB (UTF-8): nested topics with the attributes FreeMind
// writes, fonts, icons, edges, entity references, non-ASCII text and rich-text notes.
class MapText {
 public:
  MapText() {
    out_ = "<map version=\"1.0.1\">\n<!-- To view this file, download free mind mapping software FreeMind -->\n";
    while (out_.size() < 6u * 1024 * 1024) Topic(0);
    out_ += "</map>\n";
    utf16_ = kx2::Utf8ToUtf16(out_);
  }
  const std::string& Utf8() const { return out_; }
  const std::u16string& Utf16() const { return utf16_; }

 private:
  uint32_t Next() {
    seed_ = seed_ * 1664525u + 1013904223u;
    return seed_ >> 8;
  }

  void Topic(int depth) {
    uint32_t id = ++topics_;
    out_ += "<node CREATED=\"" + std::to_string(1200000000000ull + id * 7919ull) + "\" ID=\"ID_" +
            std::to_string(100000000 + Next() % 900000000) + "\" MODIFIED=\"" +
            std::to_string(1300000000000ull + id * 104729ull) + "\" TEXT=\"" + Words() + "\"";
    if (Next() % 4 == 0) out_ += " FOLDED=\"true\"";
    if (Next() % 3 == 0) out_ += " COLOR=\"#" + std::to_string(100000 + Next() % 899999) + "\"";
    out_ += ">\n";
    if (Next() % 3 == 0) out_ += "<font BOLD=\"true\" NAME=\"SansSerif\" SIZE=\"12\"/>\n";
    if (Next() % 4 == 0) out_ += "<icon BUILTIN=\"idea\"/>\n";
    if (Next() % 5 == 0) out_ += "<edge COLOR=\"#808080\" STYLE=\"bezier\" WIDTH=\"thin\"/>\n";
    if (Next() % 8 == 0)
      out_ += "<richcontent TYPE=\"NOTE\"><html>\n  <head>\n  </head>\n  <body>\n    <p>\n      " + Words() +
              " &amp; " + Words() + "\n    </p>\n  </body>\n</html>\n</richcontent>\n";
    int children = depth < 6 ? static_cast<int>(Next() % 5) : 0;
    for (int i = 0; i < children; ++i) Topic(depth + 1);
    out_ += "</node>\n";
  }

  std::string Words() {
    static const char* const kWords[] = {
        "mind",    "map",         "idea", "topic",  "branch", "Über",  "naïve", "&quot;quoted&quot;",
        "R&amp;D", "&lt;tag&gt;", "plan", "résumé", "日本語", "карта", "note"};
    std::string s;
    int n = 1 + static_cast<int>(Next() % 6);
    for (int i = 0; i < n; ++i) {
      if (i) s += ' ';
      s += kWords[Next() % (sizeof kWords / sizeof kWords[0])];
    }
    return s;
  }

  std::string out_;
  std::u16string utf16_;
  uint32_t seed_ = 12345;
  uint32_t topics_ = 0;
};

const MapText& Map() {
  static const MapText map;
  return map;
}

void BM_BasaltXMLDocumentLoadUtf16(benchmark::State& state) {
  const std::u16string& text = Map().Utf16();
  for (auto _ : state) {
    Basalt::XMLDom::XMLDocument doc;
    const char16_t* end = doc.Load(text.c_str(), nullptr);
    if (!end || doc.parseInfo.errorOccurred) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(end);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Map().Utf8().size()));
  state.counters["MB_utf8"] = static_cast<double>(Map().Utf8().size()) / 1e6;
}

void BM_PugixmlLoadUtf16(benchmark::State& state) {
  const std::u16string& text = Map().Utf16();
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_parse_result r =
        doc.load_buffer(text.data(), text.size() * sizeof(char16_t), pugi::parse_default, pugi::encoding_utf16_le);
    if (!r) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Map().Utf8().size()));
}

void BM_PugixmlLoadUtf8(benchmark::State& state) {
  const std::string& text = Map().Utf8();
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!r) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Map().Utf8().size()));
}

// Times only the destruction of a parsed document (the parse runs outside the measured
// span, by manual timing, so the free step is not lost in the parse's noise). The
// iterations are fixed: a free can be so short that the library would run thousands of
// untimed parses to fill its minimum time.
template <class Doc, class Parse>
void TimeFree(benchmark::State& state, Parse&& parse) {
  for (auto _ : state) {
    auto doc = std::make_unique<Doc>();
    if (!parse(*doc)) {
      state.SkipWithError("parse failed");
      break;
    }
    auto start = std::chrono::steady_clock::now();
    doc.reset();
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

void BM_BasaltXMLDocumentFree(benchmark::State& state) {
  TimeFree<Basalt::XMLDom::XMLDocument>(state, [](Basalt::XMLDom::XMLDocument& doc) {
    return doc.Load(Map().Utf16().c_str(), nullptr) && !doc.parseInfo.errorOccurred;
  });
}

void BM_PugixmlFreeUtf16(benchmark::State& state) {
  TimeFree<pugi::xml_document>(state, [](pugi::xml_document& doc) {
    const std::u16string& text = Map().Utf16();
    return static_cast<bool>(
        doc.load_buffer(text.data(), text.size() * sizeof(char16_t), pugi::parse_default, pugi::encoding_utf16_le));
  });
}

BENCHMARK(BM_BasaltXMLDocumentLoadUtf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLoadUtf16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLoadUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BasaltXMLDocumentFree)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlFreeUtf16)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
