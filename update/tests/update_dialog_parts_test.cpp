// The update dialog's parts that stand without the dialog: its progress callback, the
// download on a worker thread (progress, result, Cancel, silence), the layout of its
// states over plain windows, its texts and banner, and the update button's address check.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <kx2/IdleHandler.h>
#include <kx2/Module.h>
#include <kx2/Utf.h>
#include <kx2test/TempFiles.h>
#include <renewal/UpdateDialogParts.h>
#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/resource.h>
#include <win/user.h>
#include <win/userres.h>

#include "feed_server_fixture.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using updatetest::Feed;
using updatetest::ReadAll;

namespace {

HWND Progress(HWND parent = nullptr) {
  InitCommonControls();
  return CreateWindowExW(0, PROGRESS_CLASSW, u"", parent ? WS_CHILD : WS_POPUP, 0, 0, 200, 20, parent, nullptr, nullptr,
                         nullptr);
}

TEST(UpdateProgressCallbackTest, MovesTheBarAndAbortsWithoutOne) {
  HWND bar = Progress();
  ASSERT_NE(bar, nullptr);
  renewal::CBindStatusCallback callback(bar);
  struct Case {
    ULONG progress, maximum;
    int low, high, position;
  } cases[] = {
      {30, 100, 0, 100, 30},
      {0, 0, 0, 0, 0},
      // Past 16 bits both are halved until the maximum fits.
      {100000, 200000, 0, 50000, 25000},
      {0xFFFFFFFF, 0xFFFFFFFF, 0, 0xFFFF, 0xFFFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(callback.OnProgress(c.progress, c.maximum, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, c.low) << c.maximum;
    EXPECT_EQ(range.iHigh, c.high) << c.maximum;
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), c.position) << c.maximum;
  }
  DestroyWindow(bar);

  renewal::CBindStatusCallback none;
  EXPECT_EQ(none.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), E_ABORT);
  void* out = &none;
  EXPECT_EQ(none.QueryInterface(IID_IUnknown, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(none.AddRef(), 1u);
  EXPECT_EQ(none.Release(), 1u);
  EXPECT_EQ(none.OnStartBinding(0, nullptr), E_NOTIMPL);
  EXPECT_EQ(none.GetBindInfo(nullptr, nullptr), E_NOTIMPL);
}

// A window that keeps what the worker posts to it.
struct Posted {
  std::optional<HRESULT> result;
  int progressMessages = 0;
  ULONG lastMaximum = 0;
  std::vector<UINT> order;  // the worker's messages as they came
};

LRESULT CALLBACK PostedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* posted = reinterpret_cast<Posted*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (posted && (message == renewal::kDownloadDoneMessage || message == renewal::kDownloadProgressMessage))
    posted->order.push_back(message);
  if (posted && message == renewal::kDownloadDoneMessage) posted->result = static_cast<HRESULT>(wParam);
  if (posted && message == renewal::kDownloadProgressMessage) {
    ++posted->progressMessages;
    posted->lastMaximum = static_cast<ULONG>(lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class FeedDownloadWorkerTest : public updatetest::FeedServerTest {
 protected:
  void SetUp() override {
    FeedServerTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PostedProc;
    wc.lpszClassName = u"UpdateWorkerTarget";
    RegisterClassW(&wc);
    target_ =
        CreateWindowExW(0, u"UpdateWorkerTarget", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(target_, nullptr);
    SetWindowLongPtrW(target_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&posted_));
  }
  void TearDown() override {
    DestroyWindow(target_);
    FeedServerTest::TearDown();
  }

  // Dispatches this thread's messages until the result came or the time is up.
  bool PumpUntilResult(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      if (posted_.result) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::yield();
    }
  }

  HWND target_ = nullptr;
  Posted posted_;
};

TEST_F(FeedDownloadWorkerTest, PostsProgressAndTheResult) {
  const std::string body = Feed("1", "7", "0", "0", "http://example.test/new") + std::string(3000, ' ');
  Serve(renewal::FeedFileName(0), body);
  renewal::FeedDownloadWorker worker(target_, 0, 5s);
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(PumpUntilResult(10s));
  EXPECT_EQ(*posted_.result, S_OK);
  EXPECT_GE(posted_.progressMessages, 1);
  EXPECT_EQ(posted_.lastMaximum, body.size());
  worker.Cancel();  // joins a finished thread
  renewal::OnlineUpdateVersioinCheck check;
  check.SetFeedPath(renewal::LocalFeedPath(0));
  renewal::FeedVersion current{1, 6, 0, 0};
  EXPECT_EQ(check.CompareWithFeed(&current), 0);
  EXPECT_EQ(ReadAll(Local(0)), body);
}

// Answers that never complete: a silent server, a stalled body. Cancel ends them at once,
// with nothing posted; left alone, silence past the limit is a failed download and the
// earlier feed stays.
TEST_F(FeedDownloadWorkerTest, CancelEndsAtOnceAndSilenceFails) {
  const std::string good = Feed("2", "0", "0", "0");
  Serve(renewal::FeedFileName(0), good);
  {
    renewal::FeedDownloadWorker worker(target_, 0, 5s);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(PumpUntilResult(10s));
    ASSERT_TRUE(Requested(SentPath(0)));
  }
  for (const char* kind : {"silent", "stall"}) {
    Command("answer " + FeedPath(0) + " " + kind);
    posted_ = Posted{};
    renewal::FeedDownloadWorker worker(target_, 0, 60s);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(Requested(SentPath(0))) << kind;
    auto began = std::chrono::steady_clock::now();
    worker.Cancel();
    EXPECT_LT(std::chrono::steady_clock::now() - began, 500ms) << kind;
    EXPECT_FALSE(worker.Running());
    EXPECT_FALSE(PumpUntilResult(0ms)) << kind;
    EXPECT_EQ(ReadAll(Local(0)), good) << kind;
  }
  for (const char* kind : {"silent", "stall", "short"}) {
    Command("answer " + FeedPath(0) + " " + kind);
    posted_ = Posted{};
    renewal::FeedDownloadWorker worker(target_, 0, 300ms);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(PumpUntilResult(10s)) << kind;
    EXPECT_NE(*posted_.result, S_OK) << kind;
    EXPECT_EQ(ReadAll(Local(0)), good) << kind;
    EXPECT_EQ(LeftoverFiles(), 1u) << kind;
  }
}

// A download started before its window exists: what it posts is held, then handed over in
// its order (progress before the result) once the window is named, and later messages go
// straight to it.
TEST_F(FeedDownloadWorkerTest, HeldUntilAWindowIsNamed) {
  renewal::FeedDownloadWorker::Outbox outbox(nullptr);
  outbox.Post(renewal::kDownloadProgressMessage, 1, 10);
  outbox.Post(renewal::kDownloadProgressMessage, 10, 10);
  outbox.Post(renewal::kDownloadDoneMessage, static_cast<WPARAM>(S_FALSE), 0);
  EXPECT_FALSE(PumpUntilResult(0ms));
  EXPECT_TRUE(posted_.order.empty());
  outbox.DeliverTo(target_);
  ASSERT_TRUE(PumpUntilResult(1s));
  EXPECT_EQ(*posted_.result, S_FALSE);
  const std::vector<UINT> held{renewal::kDownloadProgressMessage, renewal::kDownloadProgressMessage,
                               renewal::kDownloadDoneMessage};
  EXPECT_EQ(posted_.order, held);
  outbox.Post(renewal::kDownloadProgressMessage, 2, 20);
  posted_.result.reset();
  outbox.Post(renewal::kDownloadDoneMessage, static_cast<WPARAM>(S_OK), 0);
  ASSERT_TRUE(PumpUntilResult(1s));
  EXPECT_EQ(posted_.lastMaximum, 20u);

  const std::string body = Feed("1", "8", "0", "0") + std::string(2000, ' ');
  Serve(renewal::FeedFileName(0), body);
  posted_ = Posted{};
  renewal::FeedDownloadWorker worker(nullptr, 0, 5s);
  ASSERT_TRUE(worker.Start());
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (ReadAll(Local(0)) != body && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  EXPECT_FALSE(PumpUntilResult(0ms));
  worker.DeliverTo(target_);
  ASSERT_TRUE(PumpUntilResult(10s));
  EXPECT_EQ(*posted_.result, S_OK);
  ASSERT_GE(posted_.order.size(), 2u);
  EXPECT_EQ(posted_.order.back(), renewal::kDownloadDoneMessage);
  EXPECT_EQ(posted_.lastMaximum, body.size());
}

// Start waits for the request to be out, but a connection that is never answered (an
// address whose packets go nowhere) holds its caller back only briefly; Cancel still ends
// the transfer at once.
TEST_F(FeedDownloadWorkerTest, StartDoesNotWaitForAnUnansweredConnection) {
  ::setenv("KX2_RENEWAL_BASE", "http://10.255.255.1:9", 1);
  renewal::FeedDownloadWorker worker(target_, 0, 60s);
  const auto began = std::chrono::steady_clock::now();
  ASSERT_TRUE(worker.Start());
  EXPECT_LT(std::chrono::steady_clock::now() - began, 1s);
  worker.Cancel();
  EXPECT_LT(std::chrono::steady_clock::now() - began, 2s);
}

// The two halves of a download: begun on one thread and finished on another they replace
// the feed as DownloadFeed does; a begun download never finished (a stalled answer) leaves
// neither its partial file nor a changed feed.
TEST_F(FeedDownloadWorkerTest, BegunOnOneThreadFinishedOnAnother) {
  const std::string first = Feed("1", "9", "0", "0");
  Serve(renewal::FeedFileName(0), first);
  {
    renewal::OnlineUpdateVersioinCheck check;
    check.BeginDownload(nullptr, 0, 1s);
    HRESULT result = E_FAIL;
    std::thread([&] { result = check.FinishDownload(); }).join();
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(check.FinishDownload(), E_UNEXPECTED);  // nothing begun any more
  }
  EXPECT_EQ(ReadAll(Local(0)), first);

  Serve(renewal::FeedFileName(0), Feed("2", "0", "0", "0"));
  Command("answer " + FeedPath(0) + " stall");
  {
    renewal::OnlineUpdateVersioinCheck check;
    check.BeginDownload(nullptr, 0, 1s);
    ASSERT_TRUE(Requested(SentPath(0)));
  }
  EXPECT_EQ(ReadAll(Local(0)), first);
  EXPECT_EQ(LeftoverFiles(), 1u);
}

// A worker that fetches on its own thread while replacing is held: its whole answer waits
// (the earlier feed stays, the result is not out) until replacing is allowed; cancelled
// while it waits, it leaves the earlier feed and no partial file. Its ended result can be
// taken before any window is named, and is then not posted.
TEST_F(FeedDownloadWorkerTest, HeldAnswerReplacesTheFeedOnlyWhenAllowed) {
  const std::string earlier = Feed("1", "7", "0", "0");
  Serve(renewal::FeedFileName(0), earlier);
  {
    renewal::OnlineUpdateVersioinCheck check;
    ASSERT_EQ(check.DownloadFeed(nullptr, 0), S_OK);
  }
  const std::string newer = Feed("1", "8", "0", "0");
  Serve(renewal::FeedFileName(0), newer);
  {
    renewal::FeedDownloadWorker held(nullptr, 0, 5s);
    held.HoldReplacing();
    ASSERT_TRUE(held.StartOnItsThread());
    // The answer has arrived whole once its partial file holds all of it.
    auto arrived = [&] {
      for (const auto& entry : fs::directory_iterator(folder_ / "tmp" / "Taloria"))
        if (entry.path().extension() == ".part" && entry.file_size() == newer.size()) return true;
      return false;
    };
    const auto arrival = std::chrono::steady_clock::now() + 10s;
    while (!arrived() && std::chrono::steady_clock::now() < arrival) std::this_thread::yield();
    ASSERT_TRUE(arrived());
    EXPECT_FALSE(held.TakeResultIfEnded());
    EXPECT_EQ(ReadAll(Local(0)), earlier);
    held.Cancel();
    EXPECT_FALSE(held.TakeResultIfEnded());
  }
  EXPECT_EQ(ReadAll(Local(0)), earlier);
  EXPECT_EQ(LeftoverFiles(), 1u);

  renewal::FeedDownloadWorker worker(nullptr, 0, 5s);
  worker.HoldReplacing();
  ASSERT_TRUE(worker.StartOnItsThread());
  worker.AllowReplacing();
  std::optional<HRESULT> ended;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!(ended = worker.TakeResultIfEnded()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  ASSERT_TRUE(ended);
  EXPECT_EQ(*ended, S_OK);
  EXPECT_EQ(ReadAll(Local(0)), newer);
  worker.DeliverTo(target_);
  EXPECT_FALSE(PumpUntilResult(0ms));  // taken, so not posted
}

TEST(UpdateStallLimitTest, ReadFromTheVariable) {
  ::unsetenv("KX2_RENEWAL_STALL_MS");
  EXPECT_EQ(renewal::DownloadStallLimit(), 30000ms);
  ::setenv("KX2_RENEWAL_STALL_MS", "250", 1);
  EXPECT_EQ(renewal::DownloadStallLimit(), 250ms);
  ::setenv("KX2_RENEWAL_STALL_MS", "soon", 1);
  EXPECT_EQ(renewal::DownloadStallLimit(), 30000ms);
  ::unsetenv("KX2_RENEWAL_STALL_MS");
}

// The dialog's windows as plain windows: what the layout does to them.
class UpdateLayoutTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"UpdateLayoutPlain";
    RegisterClassW(&wc);
    owner_ = CreateWindowExW(0, u"UpdateLayoutPlain", u"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 800, 600,
                             nullptr, nullptr, nullptr, nullptr);
    w_.dialog =
        CreateWindowExW(0, u"UpdateLayoutPlain", u"Update Taloria", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0,
                        0, 430, 300, owner_, nullptr, nullptr, nullptr);
    auto child = [&](int id) {
      return CreateWindowExW(0, u"UpdateLayoutPlain", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w_.dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    };
    w_.message = child(renewal::kIdMessage);
    w_.updateButton = child(renewal::kIdUpdateButton);
    w_.progress = child(renewal::kIdProgress);
    w_.ok = child(IDOK);
    w_.cancel = child(IDCANCEL);
    RECT client{};
    GetClientRect(w_.dialog, &client);
    width_ = client.right;
  }
  void TearDown() override {
    DestroyWindow(w_.dialog);
    DestroyWindow(owner_);
  }
  static RECT InParent(HWND control) {
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
    return box;
  }

  HWND owner_ = nullptr;
  renewal::UpdateDialogWindows w_;
  int width_ = 0;
};

TEST_F(UpdateLayoutTest, EachStatePlacesItsControls) {
  struct Shown {
    HWND renewal::UpdateDialogWindows::*control;
    RECT box;  // left, top, right, bottom in the dialog's client
  };
  using W = renewal::UpdateDialogWindows;
  const int cw = width_;
  struct Case {
    int state;
    int windowHeight, messageHeight;
    std::vector<Shown> shown;
  } cases[] = {
      {0, 353, 80, {{&W::updateButton, {35, 288, 35 + 355, 288 + 25}}}},
      {1, 323, 60, {{&W::ok, {cw - 100, 258, cw - 15, 283}}}},
      {2, 293, 20, {{&W::progress, {10, 228, 10 + cw - 95, 248}}, {&W::cancel, {cw - 80, 228, cw - 15, 248}}}},
      {3, 323, 60, {{&W::ok, {cw - 100, 258, cw - 15, 283}}}},
      {4, 293, 20, {{&W::ok, {cw - 100, 228, cw - 15, 253}}}},
  };
  for (const Case& c : cases) {
    renewal::LayOutUpdateDialog(w_, c.state, width_, u"text of state " + kx2::Utf8ToUtf16(std::to_string(c.state)));
    RECT window{};
    GetWindowRect(w_.dialog, &window);
    EXPECT_EQ(window.right - window.left, width_) << c.state;
    EXPECT_EQ(window.bottom - window.top, c.windowHeight) << c.state;
    RECT message = InParent(w_.message);
    EXPECT_EQ(message.left, 5);
    EXPECT_EQ(message.top, 198);
    EXPECT_EQ(message.right, width_);
    EXPECT_EQ(message.bottom - message.top, c.messageHeight) << c.state;
    char16_t text[64] = {};
    GetWindowTextW(w_.message, text, 64);
    EXPECT_EQ(std::u16string(text), u"text of state " + kx2::Utf8ToUtf16(std::to_string(c.state)));
    for (HWND W::*control : {&W::updateButton, &W::progress, &W::ok, &W::cancel}) {
      const Shown* shown = nullptr;
      for (const Shown& s : c.shown)
        if (s.control == control) shown = &s;
      EXPECT_EQ(IsWindowVisible(w_.*control) != FALSE, shown != nullptr) << c.state;
      if (!shown) continue;
      RECT box = InParent(w_.*control);
      EXPECT_EQ(box.left, shown->box.left) << c.state;
      EXPECT_EQ(box.top, shown->box.top) << c.state;
      EXPECT_EQ(box.right, shown->box.right) << c.state;
      EXPECT_EQ(box.bottom, shown->box.bottom) << c.state;
    }
    // Centred on the owner.
    RECT owner{};
    GetWindowRect(owner_, &owner);
    EXPECT_NEAR((window.left + window.right) / 2, (owner.left + owner.right) / 2, 1) << c.state;
    EXPECT_NEAR((window.top + window.bottom) / 2, (owner.top + owner.bottom) / 2, 1) << c.state;
  }
}

// A message the table's height cannot hold makes the dialog taller by what is missing and
// moves the controls below it down by as much (each state's own rows, checked above, are
// the short texts' layout).
TEST_F(UpdateLayoutTest, AMessageTooLongForTheTableGrowsTheDialog) {
  HDC dc = GetDC(w_.message);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  ReleaseDC(w_.message, dc);
  constexpr int kLines = 12;
  std::u16string text = u"line 1";
  for (int i = 2; i <= kLines; ++i) text += u"\nline " + kx2::Utf8ToUtf16(std::to_string(i));
  using W = renewal::UpdateDialogWindows;
  struct Case {
    int state, windowHeight, messageHeight;
    HWND W::*control;
    int top;
  } cases[] = {{0, 353, 80, &W::updateButton, 288}, {1, 323, 60, &W::ok, 258}, {2, 293, 20, &W::progress, 228},
               {2, 293, 20, &W::cancel, 228},       {3, 323, 60, &W::ok, 258}, {4, 293, 20, &W::ok, 228}};
  for (const Case& c : cases) {
    renewal::LayOutUpdateDialog(w_, c.state, width_, text);
    const int more = kLines * metrics.tmHeight - c.messageHeight;
    ASSERT_GT(more, 0) << c.state;
    RECT window{};
    GetWindowRect(w_.dialog, &window);
    EXPECT_EQ(window.bottom - window.top, c.windowHeight + more) << c.state;
    RECT message = InParent(w_.message);
    EXPECT_EQ(message.top, 198) << c.state;
    EXPECT_EQ(message.bottom - message.top, kLines * metrics.tmHeight) << c.state;
    EXPECT_EQ(InParent(w_.*c.control).top, c.top + more) << c.state;
  }

  // Never taller than the work area: the buttons stay on the screen.
  std::u16string endless = text;
  for (int i = 0; i < 200; ++i) endless += u"\nmore";
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  renewal::LayOutUpdateDialog(w_, 0, width_, endless);
  RECT window{};
  GetWindowRect(w_.dialog, &window);
  EXPECT_EQ(window.bottom - window.top, area.bottom - area.top);
  RECT button = InParent(w_.updateButton);
  RECT client{};
  GetClientRect(w_.dialog, &client);
  EXPECT_LE(button.bottom, client.bottom);
}

// The Part sizes the window to the client's width: kept from the first layout, a later
// layout does not narrow the dialog by its frame each time.
TEST_F(UpdateLayoutTest, LaterLayoutsKeepTheWidth) {
  for (int state : {2, 0, 1, 1, 3}) renewal::LayOutUpdateDialog(w_, state, width_, u"");
  RECT window{};
  GetWindowRect(w_.dialog, &window);
  EXPECT_EQ(window.right - window.left, width_);
}

TEST(UpdateTextsTest, MessagesWordForWordWithTheVersion) {
  EXPECT_EQ(renewal::UpdateMessageText(0, u"1.7.0.2"),
            u"A new version of Taloria (v1.7.0.2) is available.\n\nThe new version may have fixed some errors existing "
            u"in this version, or new features may be included.\nWe STRONGLY recommend you to update to the new "
            u"version.\n\nThere is no additional cost for you to pay to upgrade to new version.");
  EXPECT_EQ(renewal::UpdateMessageText(1, u"1.7.0.2"),
            u"You have cancelled updating Taloria.\n\nYou can manually upgrade Taloria by clicking \"Updates\" in "
            u"\"Tools\" menu.");
  EXPECT_EQ(renewal::UpdateMessageText(2, u"x"), u"Checking for Updates. Please wait...");
  EXPECT_EQ(renewal::UpdateMessageText(3, u"x"),
            u"There was a problem with the network connection. Please check your network then try again.\n\nIf the "
            u"problem consists, please contact us.");
  EXPECT_EQ(renewal::UpdateMessageText(4, u"0.0.0.0"),
            u"The current version of Taloria(v0.0.0.0) is the latest version.");
  // A version text is put in as it is, never read as a format.
  EXPECT_EQ(renewal::UpdateMessageText(4, u"%s%n"), u"The current version of Taloria(v%s%n) is the latest version.");
}

TEST(UpdateBannerTest, BitmapIs405By190With24Bits) {
  HMODULE module = GetModuleHandleW(u"Renewal_Enu");
  ASSERT_NE(module, nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(renewal::kBannerBitmapId), RT_BITMAP);
  ASSERT_NE(found, nullptr);
  ASSERT_GE(SizeofResource(module, found), 40u);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(bytes, nullptr);
  auto u32 = [&](int at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
  };
  EXPECT_EQ(u32(4), 405u);
  EXPECT_EQ(u32(8), 190u);
  EXPECT_EQ(bytes[14] | bytes[15] << 8, 24);
  EXPECT_EQ(SizeofResource(module, found), 40u + ((405 * 3 + 3) & ~3) * 190);

  HBITMAP banner = LoadBitmapW(module, MAKEINTRESOURCEW(renewal::kBannerBitmapId));
  ASSERT_NE(banner, nullptr);
  BITMAP info{};
  ASSERT_TRUE(GetObjectW(banner, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 405);
  EXPECT_EQ(info.bmHeight, 190);
  // Night blue at the top, the amber centre topic of the map.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, banner);
  COLORREF sky = GetPixel(dc, 5, 5), topic = GetPixel(dc, 285, 88);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(banner);
  EXPECT_LT(GetRValue(sky), 40);
  EXPECT_GT(GetBValue(sky), 60);
  EXPECT_GT(GetRValue(topic), 230);
  EXPECT_LT(GetBValue(topic), 120);
}

// The dialog template as the library's resources hold it, read field by field.
TEST(UpdateTemplateTest, DialogResourceHoldsThePartsLayout) {
  HMODULE module = GetModuleHandleW(u"Renewal_Enu");
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(renewal::kUpdateDialogId), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  const size_t size = SizeofResource(module, found);
  size_t at = 0;
  auto word = [&] {
    EXPECT_LE(at + 2, size);
    uint16_t v = at + 2 <= size ? static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8) : 0;
    at += 2;
    return v;
  };
  auto dword = [&] { return word() | static_cast<uint32_t>(word()) << 16; };
  auto text = [&] {
    std::u16string out;
    for (uint16_t c = word(); c; c = word()) out += static_cast<char16_t>(c);
    return out;
  };
  // A class or title: 0xFFFF and an ordinal (as "#n"), else a text.
  auto name = [&] {
    if (at + 2 <= size && bytes[at] == 0xFF && bytes[at + 1] == 0xFF) {
      word();
      return u"#" + kx2::Utf8ToUtf16(std::to_string(word()));
    }
    return text();
  };
  ASSERT_EQ(word(), 1);
  ASSERT_EQ(word(), 0xFFFF);
  dword();  // help id
  EXPECT_EQ(dword(), 0u);
  const uint32_t style = dword();
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
            static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  const int items = word();
  EXPECT_EQ(items, 6);
  const int16_t box[] = {static_cast<int16_t>(word()), static_cast<int16_t>(word()), static_cast<int16_t>(word()),
                         static_cast<int16_t>(word())};
  EXPECT_EQ(box[2], 279);
  EXPECT_EQ(box[3], 160);
  EXPECT_EQ(name(), u"");  // no menu
  EXPECT_EQ(name(), u"");  // the dialog class
  EXPECT_EQ(text(), u"Update Taloria");
  EXPECT_EQ(word(), 8);  // points
  word();                // weight
  word();                // italic, character set
  EXPECT_EQ(text(), u"MS Shell Dlg");
  struct Expected {
    DWORD id;
    std::u16string className, title;
    int16_t x, y, cx, cy;
  } expected[] = {
      {1, u"#128", u"OK", 234, 139, 50, 14},
      {2, u"#128", u"Cancel", 180, 139, 50, 14},
      {7007, u"#130", u"#7001", 0, 0, 291, 119},
      {7001, u"#130", u"Static", 7, 89, 277, 14},
      {7000, u"msctls_progress32", u"", 7, 139, 168, 14},
      {7002, u"#128", u"Update Taloria to the Latest Version", 21, 114, 132, 17},
  };
  for (int i = 0; i < items && i < 6; ++i) {
    at = (at + 3) & ~size_t{3};
    dword();  // help id
    dword();  // extended style
    const uint32_t itemStyle = dword();
    const int16_t x = static_cast<int16_t>(word()), y = static_cast<int16_t>(word());
    const int16_t cx = static_cast<int16_t>(word()), cy = static_cast<int16_t>(word());
    const DWORD id = dword();
    const std::u16string className = name(), title = name();
    at += word();  // creation data
    const Expected& e = expected[i];
    EXPECT_EQ(id, e.id) << i;
    EXPECT_EQ(className, e.className) << i;
    EXPECT_EQ(title, e.title) << i;
    EXPECT_EQ(x, e.x) << i;
    EXPECT_EQ(y, e.y) << i;
    EXPECT_EQ(cx, e.cx) << i;
    EXPECT_EQ(cy, e.cy) << i;
    if (id == IDOK) {
      EXPECT_EQ(itemStyle & 0xF, static_cast<uint32_t>(BS_DEFPUSHBUTTON));
    }
    if (id == 7007) {
      EXPECT_EQ(itemStyle & 0x1F, 0xEu);  // a bitmap picture
    }
  }
}

TEST(UpdateExportsTest, OrdinalsNameTheExports) {
  HMODULE module = GetModuleHandleW(u"Renewal_Enu");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), GetProcAddress(module, "StartOnlineUpdate"));
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(2)), GetProcAddress(module, "CheckOnlineUpdate"));
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(3)), GetProcAddress(module, "InitOnlineUpdate"));
  EXPECT_NE(GetProcAddress(module, "StartOnlineUpdate"), nullptr);
}

TEST(UpdateAddressTest, OnlyWebAddressesOpen) {
  struct Case {
    const char16_t* url;
    bool web;
  } cases[] = {
      {u"http://example.test/get", true},
      {u"HTTPS://example.test/get?a=b", true},
      {u"file:///bin/sh", false},
      {u"C:\\x.exe", false},
      {u"/bin/sh", false},
      {u"ftp://example.test/x", false},
      {u"http://", false},
      {u"http:///etc/passwd", false},
      {u"http://a b", false},
      {u"http://a\nb", false},
      {u"", false},
      {u"javascript:alert(1)", false},
  };
  for (const Case& c : cases) EXPECT_EQ(renewal::IsWebAddress(c.url), c.web) << kx2::Utf16ToUtf8(c.url);
}

// The opener is a recording script: web addresses reach it; others never do.
TEST(UpdateAddressTest, OpenHandsWebAddressesToTheOpener) {
  kx2test::TempFolder folder("update-opener");
  const std::string script = folder.File("opener.sh"), record = folder.File("opened.txt");
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << record << "'\n";
  ::chmod(script.c_str(), 0755);
  ::setenv("KX2_SHELL_OPENER", script.c_str(), 1);
  EXPECT_FALSE(renewal::OpenUpdateAddress(nullptr, u"file:///bin/sh"));
  EXPECT_FALSE(renewal::OpenUpdateAddress(nullptr, u"C:\\x.exe"));
  EXPECT_TRUE(renewal::OpenUpdateAddress(nullptr, u"http://example.test/get"));
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (ReadAll(record).empty() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  ::unsetenv("KX2_SHELL_OPENER");
  EXPECT_EQ(ReadAll(record), "http://example.test/get\n");
}

}  // namespace
