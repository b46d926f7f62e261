// From StartOnlineUpdate to the dialog laid out and painted with the offer of a newer
// version (the export's fetch, the dialog made from its resource, its own fetch on the
// worker, the layout), against the peer: two CheckOnlineUpdate calls on the same feed, as the export
// and the dialog each fetch it. Both against the HTTP test server.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include <kx2/IdleHandler.h>
#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <renewal/UpdateDialog.h>
#include <win/dialog.h>
#include <win/user.h>

namespace {

namespace fs = std::filesystem;

struct Setup {
  fs::path folder;
  std::unique_ptr<kx2test::PeerProcess> server;

  Setup() {
    folder = fs::temp_directory_path() / ("bench-update-dialog-" + std::to_string(::getpid()));
    fs::create_directories(folder / "server" / "feeds");
    fs::create_directories(folder / "tmp");
    std::ofstream(folder / "server" / "feeds" / kx2::Utf16ToUtf8(renewal::FeedFileName(0)), std::ios::binary)
        << "<?xml version=\"1.0\"?>\n<update major=\"2\" minor=\"0\" patch=\"0\" revision=\"0\" "
           "url=\"http://example.test/get\"/>\n";
    server = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder / "server").string()});
    if (!server) std::abort();
    ::setenv("KX2_RENEWAL_BASE", ("http://127.0.0.1:" + std::to_string(server->Port())).c_str(), 1);
    ::setenv("TMP", (folder / "tmp").c_str(), 1);
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

using Clock = std::chrono::steady_clock;

// The moment the dialog, laid out and painted, first waits with the offer shown; the
// dialog is then ended (its teardown is not timed).
BOOL EndAtTheOffer(void* reached) {
  HWND dialog = FindWindowW(WC_DIALOG, u"Update Taloria");
  HWND button = dialog ? GetDlgItem(dialog, renewal::kIdUpdateButton) : nullptr;
  if (button && IsWindowVisible(button)) {
    *static_cast<std::optional<Clock::time_point>*>(reached) = Clock::now();
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

void StartOnlineUpdateToTheOffer(benchmark::State& state) {
  TheSetup();
  for (auto _ : state) {
    std::optional<Clock::time_point> reached;
    Kx2SetIdleHandler(&EndAtTheOffer, &reached);
    const Clock::time_point began = Clock::now();
    StartOnlineUpdate(1, 6, 0, 0, 0);
    Kx2SetIdleHandler(nullptr, nullptr);
    if (reached) state.SetIterationTime(std::chrono::duration<double>(*reached - began).count());
    if (!reached) {
      state.SkipWithError("the dialog did not offer the update");
      break;
    }
  }
}

void TwoCheckOnlineUpdateCalls(benchmark::State& state) {
  TheSetup();
  for (auto _ : state) {
    if (CheckOnlineUpdate(1, 6, 0, 0, 0) != 0 || CheckOnlineUpdate(1, 6, 0, 0, 0) != 0) {
      state.SkipWithError("the feed was not read");
      break;
    }
  }
}

BENCHMARK(StartOnlineUpdateToTheOffer)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(TwoCheckOnlineUpdateCalls)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
