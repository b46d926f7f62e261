// A 10 MiB upload and download through a TransferList against plain libcurl easy transfers
// of the same file, both against the HTTP test server.
#include <benchmark/benchmark.h>

#include <curl/curl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <tendril/http_transfers.h>

namespace {

namespace fs = std::filesystem;

struct Setup {
  fs::path folder;
  fs::path source;
  std::string host;
  std::unique_ptr<kx2test::PeerProcess> server;

  Setup() {
    folder = fs::temp_directory_path() / ("bench-collab-http-" + std::to_string(::getpid()));
    fs::create_directories(folder / "server");
    fs::create_directories(folder / "client");
    source = folder / "client" / "big.bin";
    std::string bytes(10u << 20, '\0');
    std::mt19937 random(1);
    for (auto& b : bytes) b = static_cast<char>(random());
    std::ofstream(source, std::ios::binary) << bytes;
    server = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder / "server").string()});
    if (!server) std::abort();
    host = "127.0.0.1:" + std::to_string(server->Port());
    ::setenv("KX2_TENDRIL_HTTP", host.c_str(), 1);
    fs::copy_file(source, folder / "server" / "attachments" / "big.bin", fs::copy_options::overwrite_existing);
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

void TransferListUpload(benchmark::State& state) {
  Setup& s = TheSetup();
  const std::u16string path = kx2::Utf8ToUtf16(s.source.string());
  for (auto _ : state) {
    TDRL::HttpHelper::TransferList list(nullptr);
    list.StartUpload(u"big.bin", path.c_str(), false);
    list.WaitIdle(60000);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (10 << 20));
}

void PlainCurlUpload(benchmark::State& state) {
  Setup& s = TheSetup();
  const std::string url = "http://" + s.host + "/upload.php";
  for (auto _ : state) {
    CURL* easy = curl_easy_init();
    curl_mime* mime = curl_mime_init(easy);
    curl_mimepart* field = curl_mime_addpart(mime);
    curl_mime_name(field, "tendril");
    curl_mime_data(field, "", 0);
    curl_mimepart* file = curl_mime_addpart(mime);
    curl_mime_name(file, "file");
    curl_mime_filedata(file, s.source.c_str());
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_MIMEPOST, mime);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(
        easy, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void*) { return size * count; });
    if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("upload failed");
    curl_slist_free_all(headers);
    curl_mime_free(mime);
    curl_easy_cleanup(easy);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (10 << 20));
}

struct Applied : TDRL::IAttachmentRoom, TDRL::IAttachmentApplier {
  TDRL::IAttachmentApplier* GetCoEditManager() override { return this; }
  void ApplyAttachmentFile(const TDRL::Int32Quad&, const char16_t*) override { ++count; }
  int count = 0;
};

void TransferListDownload(benchmark::State& state) {
  Setup& s = TheSetup();
  const std::u16string path = kx2::Utf8ToUtf16((s.folder / "client" / "down.bin").string());
  Applied room;
  for (auto _ : state) {
    TDRL::HttpHelper::TransferList list(&room);
    list.StartDownload(path.c_str(), u"big.bin", {});
    list.WaitIdle(60000);
  }
  if (room.count != static_cast<int>(state.iterations())) state.SkipWithError("download failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (10 << 20));
}

void PlainCurlDownload(benchmark::State& state) {
  Setup& s = TheSetup();
  const std::string url = "http://" + s.host + "/attachments/big.bin";
  const std::string path = (s.folder / "client" / "plain.bin").string();
  for (auto _ : state) {
    FILE* out = std::fopen(path.c_str(), "wb");
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, out);
    if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("download failed");
    curl_easy_cleanup(easy);
    std::fclose(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (10 << 20));
}

BENCHMARK(PlainCurlUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TransferListUpload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PlainCurlDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TransferListDownload)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
