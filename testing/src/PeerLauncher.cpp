#include <kx2test/PeerLauncher.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace kx2test {

namespace {

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

std::string PeerProcess::PeersFolder() { return std::string(KX2_SOURCE_DIR) + "/testing/peers"; }

std::unique_ptr<PeerProcess> PeerProcess::StartPythonPeer(const std::string& script,
                                                          const std::vector<std::string>& arguments,
                                                          const std::vector<std::string>& extraEnvironment) {
  std::vector<std::string> argv{"/usr/bin/python3", "-B", "-u", PeersFolder() + "/" + script};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return Start(argv, extraEnvironment);
}

std::unique_ptr<PeerProcess> PeerProcess::Start(const std::vector<std::string>& argv,
                                                const std::vector<std::string>& extraEnvironment,
                                                Duration startTimeout) {
  if (argv.empty()) return nullptr;
  int toChild[2], fromChild[2];
  if (::pipe2(toChild, O_CLOEXEC) != 0) return nullptr;
  if (::pipe2(fromChild, O_CLOEXEC) != 0) {
    ::close(toChild[0]);
    ::close(toChild[1]);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);

  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e) environment.emplace_back(*e);
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  std::vector<char*> envp, args;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argvCopy = argv;
  for (auto& a : argvCopy) args.push_back(a.data());
  args.push_back(nullptr);

  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(toChild[0]);
  ::close(fromChild[1]);
  if (spawned != 0) {
    std::fprintf(stderr, "PeerProcess: cannot start %s: %s\n", args[0], std::strerror(spawned));
    ::close(toChild[1]);
    ::close(fromChild[0]);
    return nullptr;
  }

  std::unique_ptr<PeerProcess> peer(new PeerProcess());
  peer->pid_ = pid;
  peer->input_ = toChild[1];
  peer->output_ = fromChild[0];
  peer->reader_ = std::thread([p = peer.get()] { p->ReadOutput(); });

  std::unique_lock<std::mutex> lock(peer->mutex_);
  const bool printed =
      peer->changed_.wait_for(lock, startTimeout, [&] { return !peer->lines_.empty() || peer->closed_; });
  const std::string first = peer->lines_.empty() ? std::string() : peer->lines_[0];
  lock.unlock();
  char* end = nullptr;
  const unsigned long port = std::strtoul(first.c_str(), &end, 10);
  if (!printed || first.empty() || *end != '\0' || port == 0 || port > 65535) {
    std::fprintf(stderr, "PeerProcess: %s printed no port (first line \"%s\")\n", argv.back().c_str(), first.c_str());
    peer->Stop(std::chrono::seconds(2));
    return nullptr;
  }
  peer->port_ = static_cast<uint16_t>(port);
  return peer;
}

PeerProcess::~PeerProcess() { Stop(); }

void PeerProcess::ReadOutput() {
  std::string pending;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(output_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    pending.append(buffer, static_cast<size_t>(got));
    size_t start = 0, newline;
    std::vector<std::string> complete;
    while ((newline = pending.find('\n', start)) != std::string::npos) {
      complete.emplace_back(pending, start, newline - start);
      start = newline + 1;
    }
    pending.erase(0, start);
    if (!complete.empty()) {
      std::lock_guard<std::mutex> lock(mutex_);
      for (auto& line : complete) lines_.push_back(std::move(line));
      changed_.notify_all();
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!pending.empty()) lines_.push_back(std::move(pending));
  closed_ = true;
  changed_.notify_all();
}

bool PeerProcess::Send(const std::string& line) {
  if (input_ < 0) return false;
  std::string text = line + "\n";
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t put = ::write(input_, p, left);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    left -= static_cast<size_t>(put);
  }
  return true;
}

std::optional<std::string> PeerProcess::NextLine(Duration timeout) {
  return WaitForLine([](const std::string&) { return true; }, timeout);
}

std::optional<std::string> PeerProcess::WaitForLine(const std::function<bool(const std::string&)>& match,
                                                    Duration timeout) {
  const auto deadline = Clock::now() + timeout;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    while (cursor_ < lines_.size()) {
      const std::string& line = lines_[cursor_++];
      if (match(line)) return line;
    }
    if (closed_) return std::nullopt;
    if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && cursor_ >= lines_.size()) {
      return std::nullopt;
    }
  }
}

std::vector<std::string> PeerProcess::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::vector<std::string>(lines_.begin() + (lines_.empty() ? 0 : 1), lines_.end());
}

bool PeerProcess::OutputClosed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

bool PeerProcess::WaitOutputClosed(Duration timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return closed_; });
}

int PeerProcess::Stop(Duration grace) {
  if (stopped_) return status_;
  stopped_ = true;
  // A peer ends when its input closes; one that does not is asked, then made to.
  CloseFd(input_);
  if (pid_ > 0 && !WaitOutputClosed(grace)) {
    ::kill(pid_, SIGTERM);
    if (!WaitOutputClosed(std::chrono::seconds(2))) ::kill(pid_, SIGKILL);
  }
  if (pid_ > 0) {
    // The peer has ended or been killed: reap it before the reader is joined.
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {}
    status_ = reaped == pid_ ? status : -1;
  }
  if (reader_.joinable()) reader_.join();
  CloseFd(output_);
  return status_;
}

}  // namespace kx2test
