// The foundation's formatter beside glibc's snprintf, and its UTF-8 to UTF-16 conversion
// beside ICU's, in one run.
#include <basalt/string_util.h>
#include <basalt/text_encoding.h>

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <string>
#include <vector>

using Basalt::Util::StringUtil;

namespace {

void BM_sprintf_fmt_Integers(benchmark::State& state) {
  char16_t out[128];
  int i = 0;
  for (auto _ : state) {
    ++i;
    benchmark::DoNotOptimize(StringUtil::snprintf_fmt(out, 128, u"%d %5u %#x %-8d|", i, i * 7u, i, -i));
  }
}
BENCHMARK(BM_sprintf_fmt_Integers);

void BM_snprintf_Integers(benchmark::State& state) {
  char out[128];
  int i = 0;
  for (auto _ : state) {
    ++i;
    benchmark::DoNotOptimize(std::snprintf(out, 128, "%d %5u %#x %-8d|", i, i * 7u, i, -i));
  }
}
BENCHMARK(BM_snprintf_Integers);

void BM_sprintf_fmt_Reals(benchmark::State& state) {
  char16_t out[128];
  double v = 1.0;
  for (auto _ : state) {
    v += 0.37;
    benchmark::DoNotOptimize(StringUtil::snprintf_fmt(out, 128, u"%.3f %g", v, v * 1e-3));
  }
}
BENCHMARK(BM_sprintf_fmt_Reals);

void BM_snprintf_Reals(benchmark::State& state) {
  char out[128];
  double v = 1.0;
  for (auto _ : state) {
    v += 0.37;
    benchmark::DoNotOptimize(std::snprintf(out, 128, "%.3f %g", v, v * 1e-3));
  }
}
BENCHMARK(BM_snprintf_Reals);

void BM_sprintf_fmt_Text(benchmark::State& state) {
  char16_t out[128];
  for (auto _ : state)
    benchmark::DoNotOptimize(StringUtil::snprintf_fmt(out, 128, u"%s\\%s.%s", u"Languages", u"ENU", u"BasaltRes"));
}
BENCHMARK(BM_sprintf_fmt_Text);

void BM_snprintf_Text(benchmark::State& state) {
  char out[128];
  for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(out, 128, "%s\\%s.%s", "Languages", "ENU", "BasaltRes"));
}
BENCHMARK(BM_snprintf_Text);

// About 64 KiB of mixed text: mostly ASCII, with Latin, CJK and emoji.
const std::string& SampleUtf8() {
  static const std::string text = [] {
    std::string piece = "Mind map topic \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80 note: 12.5%; ";
    std::string s;
    while (s.size() < 65536) s += piece;
    return s;
  }();
  return text;
}

void BM_Utf8ToUtf16_Basalt(benchmark::State& state) {
  const std::string& in = SampleUtf8();
  std::vector<UTF16> out(in.size() + 1);
  for (auto _ : state) {
    const UTF8* s = reinterpret_cast<const UTF8*>(in.data());
    UTF16* t = out.data();
    int bytes = 0;
    benchmark::DoNotOptimize(_ExpUTF8ToUTF16(&s, s + in.size(), &t, t + out.size(), &bytes, 0));
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_Utf8ToUtf16_Basalt);

void BM_Utf8ToUtf16_Icu(benchmark::State& state) {
  const std::string& in = SampleUtf8();
  std::vector<UChar> out(in.size() + 1);
  for (auto _ : state) {
    UErrorCode e = U_ZERO_ERROR;
    int32_t len = 0;
    u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &len, in.data(), static_cast<int32_t>(in.size()), &e);
    benchmark::DoNotOptimize(len);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_Utf8ToUtf16_Icu);

}  // namespace

BENCHMARK_MAIN();
