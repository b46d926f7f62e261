// Two hosts co-editing one map: `vantorel collab` run twice as two processes (temporary
// folders and registries of their own, different users) against prosody and the collaboration
// and HTTP test servers on loopback.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kx2test/PeerLauncher.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// One `vantorel collab` process: a command line in, one JSON line out.
class Host {
 public:
  Host(const fs::path& home, const std::string& user, const std::vector<std::string>& settings) {
    fs::create_directories(home / "tmp");
    fs::create_directories(home / "config");
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry(*e);
      const std::string name = entry.substr(0, entry.find('='));
      if (name == "TMPDIR" || name == "TMP" || name == "TEMP" || name == "XDG_CONFIG_HOME" || name == "KX2_REGISTRY" ||
          name.rfind("KX2_TENDRIL_", 0) == 0) {
        continue;
      }
      env.push_back(entry);
    }
    for (const char* name : {"TMPDIR=", "TMP=", "TEMP="}) env.push_back(name + (home / "tmp").string());
    env.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
    env.push_back("KX2_REGISTRY=" + (home / "config" / "registry").string());
    env.insert(env.end(), settings.begin(), settings.end());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const std::string program = std::string(KX2_BIN_DIR) + "/vantorel";
    const std::string map = std::string(KX2_SOURCE_DIR) + "/examples/lisbon-trip.mm";
    std::vector<std::string> args = {program, "collab", map, "--user", user};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    ready_ = Line().find("ready") != std::string::npos;
  }
  ~Host() {
    if (pid_ > 0) {
      Ask("quit");
      ::close(input_);
      // Every host ends by itself once its input is closed; one that hangs is stopped.
      const auto deadline = std::chrono::steady_clock::now() + 10s;
      int status = 0;
      while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
          ::kill(pid_, SIGKILL);
          ::waitpid(pid_, &status, 0);
          break;
        }
        std::this_thread::yield();
      }
    }
    if (output_ >= 0) ::close(output_);
  }
  bool Ready() const { return ready_; }

  std::string Ask(const std::string& command) {
    const std::string line = command + "\n";
    if (::write(input_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return {};
    return Line();
  }
  // Asks again until the answer satisfies done (10 s at most).
  std::string AskUntil(const std::string& command, const std::function<bool(const std::string&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string answer;
    std::string all;
    while (std::chrono::steady_clock::now() < deadline) {
      answer = Ask(command);
      all += answer;
      if (done(all)) return all;
      std::this_thread::yield();
    }
    return all;
  }

 private:
  std::string Line() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{output_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return {};
      char chunk[4096];
      const ssize_t n = ::read(output_, chunk, sizeof chunk);
      if (n <= 0) return {};
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  bool ready_ = false;
  std::string buffer_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TwoHosts, CoEditOneMapThroughTheServersAndTheChatRoom) {
  const fs::path folder = fs::path(testing::TempDir()) / ("two-hosts-" + std::to_string(::getpid()));
  fs::create_directories(folder / "prosody");
  fs::create_directories(folder / "http");
  auto xmpp = kx2test::PeerProcess::StartPythonPeer("prosody_peer.py", {(folder / "prosody").string()});
  if (!xmpp) GTEST_SKIP() << "prosody is not installed (scripts/setup installs it)";
  auto collab = kx2test::PeerProcess::StartPythonPeer("collab_server.py");
  auto http = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder / "http").string()});
  ASSERT_TRUE(collab && http);
  const std::vector<std::string> settings = {
      "KX2_TENDRIL_XMPP=127.0.0.1:" + std::to_string(xmpp->Port()),
      "KX2_TENDRIL_SERVER=127.0.0.1:" + std::to_string(collab->Port()),
      "KX2_TENDRIL_HTTP=127.0.0.1:" + std::to_string(http->Port()),
  };

  Host ann(folder / "ann", "ann@example.org", settings);
  ASSERT_TRUE(ann.Ready());
  EXPECT_TRUE(Contains(ann.Ask("join trip"), "\"ok\":true"));
  // Alone in the room: the master.
  EXPECT_TRUE(Contains(ann.AskUntil("events", [](const std::string& a) { return Contains(a, "[20,1,"); }), "[20,1,"));
  // A host's link comes up once its XMPP connection has opened, which it sees when it pumps
  // its messages (on every command): each asks until the server has its link registered.
  auto registered = [&](Host& host, const std::string& user) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      host.Ask("print");
      if (collab->WaitForLine([&](const std::string& l) { return Contains(l, "registered") && Contains(l, user); },
                              50ms)) {
        return true;
      }
    }
    return false;
  };
  ASSERT_TRUE(registered(ann, "\"ann\""));

  Host bob(folder / "bob", "bob@example.org", settings);
  ASSERT_TRUE(bob.Ready());
  EXPECT_TRUE(Contains(bob.Ask("join trip"), "\"ok\":true"));
  ASSERT_TRUE(registered(bob, "\"bob\""));
  // Bob's join gives Ann events 20 (2, his number) and 1.
  const std::string joined =
      ann.AskUntil("events", [](const std::string& a) { return Contains(a, "[20,2,") && Contains(a, "[1,0,"); });
  ASSERT_TRUE(Contains(joined, "[20,2,")) << joined;
  const size_t at = joined.find("[20,2,") + 6;
  const std::string number = joined.substr(at, joined.find(',', at) - at);

  // Ann grants Bob the book; his 34 brings her 21 (0, 2, his number).
  EXPECT_TRUE(Contains(ann.Ask("sync " + number), "\"ok\":true"));
  const std::string synced = "[21,0,2," + number + "]";
  EXPECT_TRUE(Contains(ann.AskUntil("events", [&](const std::string& a) { return Contains(a, synced); }), synced));

  // An edit by one appears in the other's tree after processing.
  EXPECT_TRUE(Contains(ann.Ask("edit 0 Transport by train"), "\"ok\":true"));
  const std::string edited = "[\"0\",\"Transport by train\"]";
  EXPECT_TRUE(Contains(bob.AskUntil("print",
                                    [&](const std::string& a) {
                                      if (Contains(a, edited)) return true;
                                      bob.Ask("process");
                                      return false;
                                    }),
                       edited));

  // A lock by Bob is recorded by Ann's host under his number.
  EXPECT_TRUE(Contains(bob.Ask("lock 1"), "\"ok\":true"));
  const std::string holder = "\"holder\":" + number;
  EXPECT_TRUE(Contains(ann.AskUntil("locked 1", [&](const std::string& a) { return Contains(a, holder); }), holder));

  // With the collaboration server gone, an edit still arrives through the chat room.
  collab.reset();
  EXPECT_TRUE(Contains(bob.Ask("edit 1 Places by the river"), "\"ok\":true"));
  const std::string chatted = "[\"1\",\"Places by the river\"]";
  EXPECT_TRUE(Contains(ann.AskUntil("print",
                                    [&](const std::string& a) {
                                      if (Contains(a, chatted)) return true;
                                      ann.Ask("process");
                                      return false;
                                    }),
                       chatted));

  // Bob leaves: event 10 with his number.
  EXPECT_TRUE(Contains(bob.Ask("leave"), "\"ok\":true"));
  const std::string left = "[10," + number + ",";
  EXPECT_TRUE(Contains(ann.AskUntil("events", [&](const std::string& a) { return Contains(a, left); }), left));
}

}  // namespace
