// The one launcher of test peers: starts a program with pipes on its standard input and
// output, reads the port it listens on from the first line it prints, sends it command lines,
// hands the test every further line it prints, and stops and reaps it at teardown.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kx2test {

class PeerProcess {
 public:
  using Clock = std::chrono::steady_clock;
  using Duration = std::chrono::milliseconds;

  // Starts argv[0] (a path) with argv; extraEnvironment entries ("NAME=value") are added to
  // this process's environment. Answers null, with the reason on standard error, when the
  // program does not start or prints no port within startTimeout.
  static std::unique_ptr<PeerProcess> Start(const std::vector<std::string>& argv,
                                            const std::vector<std::string>& extraEnvironment = {},
                                            Duration startTimeout = std::chrono::seconds(20));
  // A peer of testing/peers/ run by Debian's own interpreter, /usr/bin/python3.
  static std::unique_ptr<PeerProcess> StartPythonPeer(const std::string& script,
                                                      const std::vector<std::string>& arguments = {},
                                                      const std::vector<std::string>& extraEnvironment = {});
  // The folder of the peers' scripts in the source tree.
  static std::string PeersFolder();

  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  uint16_t Port() const { return port_; }
  pid_t Pid() const { return pid_; }

  // Writes one command line (a line feed is added); false once the peer's input is closed.
  bool Send(const std::string& line);

  // The next line printed after the port, waiting at most timeout.
  std::optional<std::string> NextLine(Duration timeout = std::chrono::seconds(10));
  // The first line from the current one on that matches; the lines up to it are consumed.
  std::optional<std::string> WaitForLine(const std::function<bool(const std::string&)>& match,
                                         Duration timeout = std::chrono::seconds(10));
  // Every line printed so far after the port (consumed or not).
  std::vector<std::string> Lines() const;
  // Whether the peer has closed its output (it has ended, or is ending).
  bool OutputClosed() const;

  // Closes the peer's input and waits for it to end; asks it with SIGTERM, then SIGKILL,
  // when it does not; reaps it. Answers the exit status as waitpid gives it.
  int Stop(Duration grace = std::chrono::seconds(5));

 private:
  PeerProcess() = default;
  void ReadOutput();
  bool WaitOutputClosed(Duration timeout);

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  uint16_t port_ = 0;
  bool stopped_ = false;
  int status_ = 0;
  std::thread reader_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;  // lines_[0] is the port line
  size_t cursor_ = 1;
  bool closed_ = false;
};

}  // namespace kx2test
