// The silent update check (download into a temporary file, rename, read the feed, compare)
// against a bare libcurl fetch of the same feed into a file followed by the foundation's
// XMLNode::LoadFile, both against the HTTP test server.
#include <benchmark/benchmark.h>

#include <basalt/xml/node.h>
#include <curl/curl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <renewal/Renewal.h>

namespace {

namespace fs = std::filesystem;

struct Setup {
  fs::path folder;
  std::string url;
  std::unique_ptr<kx2test::PeerProcess> server;

  Setup() {
    folder = fs::temp_directory_path() / ("bench-update-feed-" + std::to_string(::getpid()));
    fs::create_directories(folder / "server" / "feeds");
    fs::create_directories(folder / "tmp");
    // UTF-16LE with its mark, as the foundation's file loader reads it: both sides parse
    // the file once.
    std::u16string feed =
        u"\uFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<update major=\"2\" minor=\"0\" patch=\"0\" "
        u"revision=\"0\" url=\"http://example.test/get\"/>\n";
    std::ofstream out(folder / "server" / "feeds" / kx2::Utf16ToUtf8(renewal::FeedFileName(0)), std::ios::binary);
    for (char16_t c : feed) out.put(static_cast<char>(c & 0xff)).put(static_cast<char>(c >> 8));
    out.close();
    server = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder / "server").string()});
    if (!server) std::abort();
    std::string base = "http://127.0.0.1:" + std::to_string(server->Port());
    ::setenv("KX2_RENEWAL_BASE", base.c_str(), 1);
    ::setenv("TMP", (folder / "tmp").c_str(), 1);
    url = base + "//updates//" + kx2::Utf16ToUtf8(renewal::FeedFileName(0));
    curl_global_init(CURL_GLOBAL_DEFAULT);
  }
  ~Setup() {
    server.reset();
    fs::remove_all(folder);
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void CheckOnlineUpdateCall(benchmark::State& state) {
  TheSetup();
  for (auto _ : state) {
    if (CheckOnlineUpdate(1, 6, 0, 0, 0) != 0) {
      state.SkipWithError("the feed was not read");
      break;
    }
  }
}

size_t WriteFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

void PlainCurlFetchAndLoad(benchmark::State& state) {
  Setup& s = TheSetup();
  const fs::path local = s.folder / "peer.xml";
  const std::u16string path = u"Z:" + kx2::Utf8ToUtf16(local.string());
  for (auto _ : state) {
    FILE* file = std::fopen(local.c_str(), "wb");
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, s.url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteFile);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, file);
    CURLcode code = curl_easy_perform(easy);
    curl_easy_cleanup(easy);
    std::fclose(file);
    Basalt::XMLDom::XMLNode root;
    const char16_t* major = code == CURLE_OK && root.LoadFile(path.c_str()) ? root.GetAttrValue(u"major") : nullptr;
    if (!major || major[0] != u'2') {
      state.SkipWithError("the feed was not read");
      break;
    }
    benchmark::DoNotOptimize(major);
  }
}

BENCHMARK(CheckOnlineUpdateCall)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainCurlFetchAndLoad)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
