// From StartOnlineUpdate to the dialog laid out with the offer of a newer version (the
// export's fetch, the dialog made from its resource, its own fetch on the worker, the
// layout), and on to the offer painted, against the peer: two CheckOnlineUpdate calls on
// the same feed, as the export and the dialog each fetch it. All against the HTTP test
// server.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
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

// Where the run's files go: a memory file system when there is one and TMPDIR names no
// other place. Every fetch makes a file and replaces another, and the server keeps each
// request in a file of its own; on a disk file system without a journal (ext4 here) making
// a file scans past every recently deleted one, so the measure run first paid for the last
// run's clean-up, and the two measures' ratio swung with their order, not with the code.
fs::path RunFolderBase() {
  const char* chosen = std::getenv("TMPDIR");
  std::error_code error;
  if ((!chosen || !*chosen) && fs::is_directory("/dev/shm", error)) return "/dev/shm";
  return fs::temp_directory_path();
}

struct Setup {
  fs::path folder;
  std::unique_ptr<kx2test::PeerProcess> server;

  Setup() {
    folder = RunFolderBase() / ("bench-update-dialog-" + std::to_string(::getpid()));
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

// Where one run reached: the state-0 layout (the update button shown, as the window core
// reports it once the layout has returned to the message loop; the button visible in the
// template reports a show at its creation too, delivered after the first layout hid it
// again: that one does not count) and the painted offer (the
// first wait with the offer on screen, where the dialog is ended; its teardown is not
// timed).
struct Reached {
  std::optional<Clock::time_point> layout, painted;
};
Reached* g_reached = nullptr;

void OnShown(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG, DWORD, DWORD) {
  if (g_reached && !g_reached->layout && object == OBJID_WINDOW && GetDlgCtrlID(hwnd) == renewal::kIdUpdateButton &&
      (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE))
    g_reached->layout = Clock::now();
}

BOOL EndAtTheOffer(void* context) {
  auto* reached = static_cast<Reached*>(context);
  HWND dialog = FindWindowW(WC_DIALOG, u"Update Taloria");
  HWND button = dialog ? GetDlgItem(dialog, renewal::kIdUpdateButton) : nullptr;
  if (button && IsWindowVisible(button)) {
    reached->painted = Clock::now();
    EndDialog(dialog, IDCANCEL);
  }
  return TRUE;
}

// One StartOnlineUpdate, timed up to the moment `which` picks.
void StartOnlineUpdateTo(benchmark::State& state, std::optional<Clock::time_point> Reached::*which) {
  TheSetup();
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, nullptr, &OnShown, 0, GetCurrentThreadId(), 0);
  // One untimed run first: the process's first dialog also lists the system's fonts.
  {
    Reached warm;
    Kx2SetIdleHandler(&EndAtTheOffer, &warm);
    StartOnlineUpdate(1, 6, 0, 0, 0);
    Kx2SetIdleHandler(nullptr, nullptr);
  }
  for (auto _ : state) {
    Reached reached;
    g_reached = &reached;
    Kx2SetIdleHandler(&EndAtTheOffer, &reached);
    const Clock::time_point began = Clock::now();
    StartOnlineUpdate(1, 6, 0, 0, 0);
    Kx2SetIdleHandler(nullptr, nullptr);
    g_reached = nullptr;
    if (!(reached.*which)) {
      state.SkipWithError("the dialog did not offer the update");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(*(reached.*which) - began).count());
  }
  if (hook) UnhookWinEvent(hook);
}

void StartOnlineUpdateToTheLayout(benchmark::State& state) { StartOnlineUpdateTo(state, &Reached::layout); }
void StartOnlineUpdateToThePaintedOffer(benchmark::State& state) { StartOnlineUpdateTo(state, &Reached::painted); }

void TwoCheckOnlineUpdateCalls(benchmark::State& state) {
  TheSetup();
  for (auto _ : state) {
    if (CheckOnlineUpdate(1, 6, 0, 0, 0) != 0 || CheckOnlineUpdate(1, 6, 0, 0, 0) != 0) {
      state.SkipWithError("the feed was not read");
      break;
    }
  }
}

BENCHMARK(StartOnlineUpdateToTheLayout)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(StartOnlineUpdateToThePaintedOffer)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(TwoCheckOnlineUpdateCalls)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
