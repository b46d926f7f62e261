#include <kx2test/ChildProcess.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kx2test {
namespace {

int StatusToExitCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// This process's environment with `added` set over it, and the child marker.
std::vector<std::string> ChildEnvironment(const std::string& test, const Environment& added) {
  std::vector<std::pair<std::string, std::string>> all = added;
  all.emplace_back(kChildVariable, test);
  std::vector<std::string> lines;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    const std::string name = eq ? std::string(*e, static_cast<size_t>(eq - *e)) : std::string(*e);
    bool replaced = false;
    for (const auto& [key, value] : all) replaced = replaced || key == name;
    if (!replaced) lines.emplace_back(*e);
  }
  for (const auto& [key, value] : all) lines.push_back(key + "=" + value);
  return lines;
}

}  // namespace

bool ChildResult::Passed() const {
  return exitCode == 0 && !timedOut && output.find("[  PASSED  ] 1 test.") != std::string::npos;
}

bool InChild() { return std::getenv(kChildVariable) != nullptr; }

std::string ChildTestName() {
  const char* name = std::getenv(kChildVariable);
  return name ? name : "";
}

ChildProcess::ChildProcess(const std::string& test, const Environment& environment) {
  int fds[2];
  // Close-on-exec on both ends: other children started meanwhile must not hold the write
  // end, or this one's output would never end. The child's copy is made by dup2.
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  std::vector<std::string> env = ChildEnvironment(test, environment);
  std::vector<char*> envp;
  for (std::string& line : env) envp.push_back(line.data());
  envp.push_back(nullptr);
  std::string filter = "--gtest_filter=" + test;
  char self[] = "/proc/self/exe";
  char* argv[] = {self, filter.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, self, &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    result_.output = std::string("posix_spawn failed: ") + std::strerror(rc);
    return;
  }
  pid_ = pid;
  output_ = fds[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !waited_) {
    kill(pid_, SIGKILL);
    Wait(0);
  }
  if (output_ >= 0) close(output_);
}

const ChildResult& ChildProcess::Wait(int timeoutMs) {
  if (waited_ || pid_ <= 0) return result_;
  waited_ = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char buffer[4096];
  while (output_ >= 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      result_.timedOut = true;
      kill(pid_, SIGKILL);
      break;
    }
    pollfd p{output_, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    const ssize_t n = read(output_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // every holder of the write end is gone
    result_.output.append(buffer, static_cast<size_t>(n));
  }
  int status = 0;
  pid_t done;
  do {
    done = waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  result_.exitCode = done == pid_ ? StatusToExitCode(status) : -1;
  return result_;
}

ChildResult RunInChild(const std::string& test, const Environment& environment, int timeoutMs) {
  ChildProcess child(test, environment);
  return child.Wait(timeoutMs);
}

}  // namespace kx2test
