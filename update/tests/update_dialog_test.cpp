// The update dialog run modally by StartOnlineUpdate against the HTTP test server, driven
// on the test thread through the idle handler: each state's layout and text, closing with
// and without flag bit value 8, the update button and its address, and Cancel during a
// stalled download. Each state seen is written as a PNG into KX2_TEST_OUTPUT.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <kx2/Compositor.h>
#include <kx2/IdleHandler.h>
#include <kx2/Utf.h>
#include <kx2test/TempFiles.h>
#include <renewal/UpdateDialog.h>
#include <win/commctrl.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/user.h>
#include <win/userres.h>

#include "feed_server_fixture.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using updatetest::Feed;
using updatetest::ReadAll;

namespace {

// What a person sees of the dialog at one moment.
struct Seen {
  std::u16string message;
  bool update = false, progress = false, ok = false, cancel = false;
  RECT updateBox{}, progressBox{}, okBox{}, cancelBox{}, messageBox{}, bannerBox{};
  std::u16string caption;
  int bannerHeight = 0;  // the template's 119 dialog units in pixels
  int windowWidth = 0, windowHeight = 0, clientWidth = 0;
  int messageNeeds = 0;  // the height the message's text takes, wrapped at the message's width
  RECT window{};
  bool marquee = false;
};

RECT InDialog(HWND control) {
  RECT box{};
  GetWindowRect(control, &box);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&box), 2);
  return box;
}

Seen Look(HWND dialog) {
  Seen s;
  char16_t text[2100] = {};
  GetDlgItemTextW(dialog, renewal::kIdMessage, text, 2100);
  s.message = text;
  auto look = [&](int id, bool* shown, RECT* box) {
    HWND control = GetDlgItem(dialog, id);
    *shown = control && IsWindowVisible(control);
    if (control) *box = InDialog(control);
  };
  look(renewal::kIdUpdateButton, &s.update, &s.updateBox);
  look(renewal::kIdProgress, &s.progress, &s.progressBox);
  s.marquee = (GetWindowLongPtrW(GetDlgItem(dialog, renewal::kIdProgress), GWL_STYLE) & PBS_MARQUEE) != 0;
  look(IDOK, &s.ok, &s.okBox);
  look(IDCANCEL, &s.cancel, &s.cancelBox);
  HWND message = GetDlgItem(dialog, renewal::kIdMessage);
  s.messageBox = InDialog(message);
  if (HDC dc = GetDC(message)) {
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(message, WM_GETFONT, 0, 0)));
    RECT need{0, 0, s.messageBox.right - s.messageBox.left, 0};
    DrawTextW(dc, s.message.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    s.messageNeeds = need.bottom;
    SelectObject(dc, old);
    ReleaseDC(message, dc);
  }
  s.bannerBox = InDialog(GetDlgItem(dialog, renewal::kIdBanner));
  RECT units{0, 0, 291, 119};
  MapDialogRect(dialog, &units);
  s.bannerHeight = units.bottom;
  char16_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  s.caption = caption;
  RECT window{}, client{};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  s.window = window;
  s.windowWidth = window.right - window.left;
  s.windowHeight = window.bottom - window.top;
  s.clientWidth = client.right;
  return s;
}

void WritePicture(HWND dialog, const std::string& name) {
  const char* dir = std::getenv("KX2_TEST_OUTPUT");
  if (!dir || !*dir) return;
  cairo_surface_t* capture = Kx2CaptureWindow(dialog);
  if (!capture) return;
  Kx2WriteCapturePng(capture, kx2test::WinPath(std::string(dir) + "/" + name + ".png").c_str());
  cairo_surface_destroy(capture);
}

// A script of steps, each waiting for what the dialog shows and then acting on it, played
// whenever the dialog's modal loop would wait. A script that does not finish in time ends
// the dialog, so a failing test fails instead of hanging.
class DialogScript {
 public:
  struct Step {
    std::function<bool(const Seen&)> ready;
    std::function<void(HWND dialog)> act;
    std::string picture;  // written when the step is ready, when not empty
  };

  explicit DialogScript(std::vector<Step> steps) : steps_(std::move(steps)) {}
  ~DialogScript() { Kx2SetIdleHandler(nullptr, nullptr); }

  int Run(int major, int minor, int patch, int revision, int flags) {
    began_ = std::chrono::steady_clock::now();
    Kx2SetIdleHandler(&DialogScript::Idle, this);
    int result = StartOnlineUpdate(major, minor, patch, revision, flags);
    Kx2SetIdleHandler(nullptr, nullptr);
    return result;
  }
  bool Finished() const { return next_ == steps_.size(); }
  bool TimedOut() const { return timedOut_; }
  const std::vector<Seen>& Seens() const { return seen_; }

 private:
  static BOOL Idle(void* context) {
    auto* self = static_cast<DialogScript*>(context);
    HWND dialog = FindWindowW(WC_DIALOG, u"Update Taloria");
    if (!dialog || !IsWindowVisible(dialog)) return TRUE;
    if (std::chrono::steady_clock::now() - self->began_ > 15s) {
      self->timedOut_ = true;
      EndDialog(dialog, -2);
      return FALSE;
    }
    if (self->next_ >= self->steps_.size()) return TRUE;
    Seen seen = Look(dialog);
    Step& step = self->steps_[self->next_];
    if (!step.ready(seen)) return TRUE;
    self->seen_.push_back(seen);
    if (!step.picture.empty()) WritePicture(dialog, step.picture);
    ++self->next_;
    if (step.act) step.act(dialog);
    return TRUE;
  }

  std::vector<Step> steps_;
  size_t next_ = 0;
  bool timedOut_ = false;
  std::vector<Seen> seen_;
  std::chrono::steady_clock::time_point began_;
};

bool Is(const Seen& s, int state, const std::u16string& version = u"") {
  return s.message == renewal::UpdateMessageText(state, version);
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void Close(HWND dialog) { SendMessageW(dialog, WM_CLOSE, 0, 0); }

int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/task")) ++count;
  return count;
}

class UpdateDialogTest : public updatetest::FeedServerTest {
 protected:
  void SetUp() override {
    FeedServerTest::SetUp();
    ::setenv("KX2_RENEWAL_STALL_MS", "800", 1);
    windows_ = Kx2LiveWindowCount();
  }
  void TearDown() override {
    ::unsetenv("KX2_RENEWAL_STALL_MS");
    ::unsetenv("KX2_SHELL_OPENER");
    EXPECT_EQ(Kx2LiveWindowCount(), windows_);
    FeedServerTest::TearDown();
  }
  // The opener records what it is handed, one line each.
  std::string RecordingOpener() {
    const std::string script = (folder_ / "opener.sh").string();
    record_ = (folder_ / "opened.txt").string();
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << record_ << "'\n";
    ::chmod(script.c_str(), 0755);
    ::setenv("KX2_SHELL_OPENER", script.c_str(), 1);
    return record_;
  }
  std::string Opened(bool expectSomething) const {
    const auto deadline = std::chrono::steady_clock::now() + (expectSomething ? 10s : 0s);
    while (ReadAll(record_).empty() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    return ReadAll(record_);
  }

  UINT windows_ = 0;
  std::string record_;
};

// Each state laid out as its table row says, its text word for word.
TEST_F(UpdateDialogTest, StatesForEachFeed) {
  struct Case {
    const char* name;
    std::string feed;  // empty: the server cannot be reached
    int state;
    std::u16string version;
  } cases[] = {
      {"newer", Feed("1", "7", "0", "2"), 0, u"1.7.0.2"},
      {"equal", Feed("1", "6", "0", "0"), 4, u"1.6.0.0"},
      {"not-xml", "this is no feed", 4, u"0.0.0.0"},
      {"unreachable", "", 3, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder_ / "tmp" / "Taloria");
    if (c.feed.empty())
      ::setenv("KX2_RENEWAL_BASE", "http://127.0.0.1:1", 1);
    else
      Serve(renewal::FeedFileName(0), c.feed);
    DialogScript script({{[&](const Seen& s) { return Is(s, c.state, c.version); }, [](HWND d) { Close(d); },
                          std::string("update-dialog-state") + std::to_string(c.state) + "-" + c.name}});
    EXPECT_EQ(script.Run(1, 6, 0, 0, 0), 1);
    ASSERT_TRUE(script.Finished());
    const Seen& s = script.Seens().front();
    // The window keeps the client width it was first laid out with.
    const int cw = s.windowWidth;
    EXPECT_EQ(s.messageBox.left, 5);
    EXPECT_EQ(s.messageBox.top, 198);
    EXPECT_EQ(s.update, c.state == 0);
    EXPECT_FALSE(s.progress);
    EXPECT_FALSE(s.cancel);
    EXPECT_EQ(s.ok, c.state != 0);
    EXPECT_EQ(s.messageBox.right, cw);
    EXPECT_EQ(s.caption, u"Update Taloria");
    EXPECT_EQ(s.bannerBox.left, 0);
    EXPECT_EQ(s.bannerBox.top, 0);
    EXPECT_EQ(s.bannerBox.right, cw - 10);
    // Its height is kept: the template's, or the bitmap's where the picture control takes
    // its bitmap's size.
    EXPECT_TRUE(s.bannerBox.bottom == s.bannerHeight || s.bannerBox.bottom == 190) << s.bannerBox.bottom;
    if (c.state == 0) {
      // Its message needs more than the table's 80 pixels in this face: the dialog grows by
      // what is missing, and the button stays 10 pixels below the message.
      const int more = s.messageBox.bottom - s.messageBox.top - 80;
      EXPECT_GE(more, 0);
      EXPECT_EQ(s.messageBox.bottom - s.messageBox.top, s.messageNeeds > 80 ? s.messageNeeds : 80);
      EXPECT_EQ(s.windowHeight, 353 + more);
      EXPECT_EQ(s.updateBox.left, 35);
      EXPECT_EQ(s.updateBox.top, 288 + more);
      EXPECT_EQ(s.updateBox.right - s.updateBox.left, 355);
      EXPECT_EQ(s.updateBox.bottom - s.updateBox.top, 25);
    } else {
      const int top = c.state == 3 ? 258 : 228;
      EXPECT_EQ(s.windowHeight, c.state == 3 ? 323 : 293);
      EXPECT_EQ(s.messageBox.bottom - s.messageBox.top, c.state == 3 ? 60 : 20);
      EXPECT_EQ(s.okBox.left, cw - 100);
      EXPECT_EQ(s.okBox.top, top);
      EXPECT_EQ(s.okBox.right - s.okBox.left, 85);
      EXPECT_EQ(s.okBox.bottom - s.okBox.top, 25);
    }
    ::setenv("KX2_RENEWAL_BASE", ("http://127.0.0.1:" + std::to_string(server_->Port())).c_str(), 1);
  }
}

// With flag bit value 8 the first close of the offer shows the cancelled text with OK;
// the second closes. Without it the first close closes.
TEST_F(UpdateDialogTest, CloseWithFlag8AsksOnceWithout8Closes) {
  Serve(renewal::FeedFileName(8), Feed("1", "7", "0", "0"));
  int closes = 0;
  DialogScript confirm({
      {[](const Seen& s) { return Is(s, 0, u"1.7.0.0"); }, [&](HWND d) { ++closes, Close(d); }, ""},
      {[](const Seen& s) { return Is(s, 1); }, [&](HWND d) { ++closes, Close(d); }, "update-dialog-state1-declined"},
  });
  EXPECT_EQ(confirm.Run(1, 6, 0, 0, 8), 1);
  EXPECT_TRUE(confirm.Finished());
  EXPECT_FALSE(confirm.TimedOut());
  EXPECT_EQ(closes, 2);
  const Seen& declined = confirm.Seens().back();
  EXPECT_TRUE(declined.ok);
  EXPECT_FALSE(declined.update);
  EXPECT_EQ(declined.windowHeight, 323);
  EXPECT_EQ(declined.okBox.top, 258);

  Serve(renewal::FeedFileName(0), Feed("1", "7", "0", "0"));
  DialogScript plain({{[](const Seen& s) { return Is(s, 0, u"1.7.0.0"); }, [](HWND d) { Close(d); }, ""}});
  EXPECT_EQ(plain.Run(1, 6, 0, 0, 0), 1);
  EXPECT_TRUE(plain.Finished());
  EXPECT_FALSE(plain.TimedOut());
}

// The update button hands a web address to the opener and closes; a file or a program
// named by the feed is never opened, and the dialog still closes.
TEST_F(UpdateDialogTest, UpdateButtonOpensOnlyWebAddresses) {
  RecordingOpener();
  for (const char* url : {"file:///bin/sh", "C:\\x.exe", "http://example.test/taloria-1.7"}) {
    SCOPED_TRACE(url);
    Serve(renewal::FeedFileName(0), Feed("1", "7", "0", "0", url));
    DialogScript script(
        {{[](const Seen& s) { return s.update; }, [](HWND d) { Click(d, renewal::kIdUpdateButton); }, ""}});
    EXPECT_EQ(script.Run(1, 6, 0, 0, 0), 1);
    EXPECT_TRUE(script.Finished());
    EXPECT_FALSE(script.TimedOut());
  }
  EXPECT_EQ(Opened(true), "http://example.test/taloria-1.7\n");
}

// Checking shows the bar with its marquee and Cancel while the feed does not come, centred
// on the host's active window; Cancel closes at once and leaves no thread behind.
TEST_F(UpdateDialogTest, CancelDuringAStalledDownloadClosesAtOnce) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.lpszClassName = u"UpdateDialogHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowExW(0, u"UpdateDialogHost", u"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 900, 700,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  SetActiveWindow(host);
  ::setenv("KX2_RENEWAL_STALL_MS", "60000", 1);
  Serve(renewal::FeedFileName(0), Feed("1", "7", "0", "0"));
  // The export's own fetch is refused at once; the dialog's stalls.
  Command("answer " + FeedPath(0) + " 404");
  Command("answer " + FeedPath(0) + " stall");
  const int threads = ThreadCount();
  std::chrono::steady_clock::time_point cancelled;
  DialogScript script({{[](const Seen& s) { return Is(s, 2) && s.progress && s.cancel; },
                        [&](HWND d) {
                          cancelled = std::chrono::steady_clock::now();
                          Click(d, IDCANCEL);
                        },
                        "update-dialog-state2-checking"}});
  EXPECT_EQ(script.Run(1, 6, 0, 0, 0), 1);
  auto took = std::chrono::steady_clock::now() - cancelled;
  ASSERT_TRUE(script.Finished());
  EXPECT_LT(took, 1s);
  const Seen& s = script.Seens().front();
  EXPECT_TRUE(s.marquee);
  RECT owner{};
  GetWindowRect(host, &owner);
  DestroyWindow(host);
  EXPECT_NEAR((s.window.left + s.window.right) / 2, (owner.left + owner.right) / 2, 1);
  EXPECT_NEAR((s.window.top + s.window.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
  EXPECT_EQ(s.windowHeight, 293);
  EXPECT_EQ(s.progressBox.left, 10);
  EXPECT_EQ(s.progressBox.top, 228);
  EXPECT_EQ(s.progressBox.right - s.progressBox.left, s.windowWidth - 95);
  EXPECT_EQ(s.cancelBox.left, s.windowWidth - 80);
  EXPECT_EQ(s.cancelBox.right - s.cancelBox.left, 65);
  // A platform thread is joined when its function has returned; the system thread under
  // it is gone a moment later.
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (ThreadCount() > threads && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  EXPECT_EQ(ThreadCount(), threads);
}

// A feed that never finishes arriving counts as a network problem once it has been
// silent for the limit.
TEST_F(UpdateDialogTest, SilentTransferBecomesANetworkProblem) {
  // The silence counts from the request, which goes out before the dialog is made: the
  // limit must outlast the dialog's making on a slow (sanitized) build, or the dialog goes
  // straight to state 3 and checking is never seen.
  ::setenv("KX2_RENEWAL_STALL_MS", "3000", 1);
  Serve(renewal::FeedFileName(0), Feed("1", "7", "0", "0"));
  Command("answer " + FeedPath(0) + " 404");
  Command("answer " + FeedPath(0) + " silent");
  DialogScript script({{[](const Seen& s) { return Is(s, 2); }, nullptr, ""},
                       {[](const Seen& s) { return Is(s, 3); }, [](HWND d) { Click(d, IDOK); }, ""}});
  EXPECT_EQ(script.Run(1, 6, 0, 0, 0), 1);
  EXPECT_TRUE(script.Finished());
  EXPECT_FALSE(script.TimedOut());
}

}  // namespace
