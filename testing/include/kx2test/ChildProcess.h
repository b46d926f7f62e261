// Runs one test of the current test binary again in a child process, with environment
// variables set. For values the system keeps for the life of a process (the reported
// Windows version, the common controls' version ...): a test of another value cannot
// change them in its own process, so it reruns itself, or a helper test, in a child.
//
//   TEST(Version, ReportsXp) {
//     if (!kx2test::InChild()) {
//       auto child = kx2test::RunInChild("Version.ReportsXp", {{"KX2_WINVER", "xp"}});
//       EXPECT_TRUE(child.Passed()) << child.output;
//       return;
//     }
//     ... the checks, run in the child with KX2_WINVER=xp ...
//   }
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace kx2test {

using Environment = std::vector<std::pair<std::string, std::string>>;

// The variable a child finds set to the name of the test it was started for.
inline constexpr char kChildVariable[] = "KX2TEST_CHILD";

struct ChildResult {
  int exitCode = -1;      // the exit status; 128 + signal when killed; -1 when not started
  bool timedOut = false;  // killed at the deadline
  std::string output;     // standard output and error together
  // Exited with 0 after running exactly the one test, which passed (a test filter naming
  // no test also exits 0).
  bool Passed() const;
};

// True in a process started by RunInChild or ChildProcess.
bool InChild();
// The test the child was started for, or empty in a parent.
std::string ChildTestName();

// A child running one test ("Suite.Test") of this binary, with `environment` added to this
// process's own. Its standard output and error go to a pipe read by Wait. Descriptors the
// parent opened without close-on-exec stay open in the child (a test may hand it one).
class ChildProcess {
 public:
  ChildProcess(const std::string& test, const Environment& environment = {});
  ~ChildProcess();  // kills and reaps a child not waited for
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // Collects the output until the child ends or the deadline passes (then it is killed),
  // and reaps it. Further calls give the same result.
  const ChildResult& Wait(int timeoutMs = 60000);

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  bool waited_ = false;
  ChildResult result_;
};

// Starts the child and waits for it.
ChildResult RunInChild(const std::string& test, const Environment& environment = {}, int timeoutMs = 60000);

}  // namespace kx2test
