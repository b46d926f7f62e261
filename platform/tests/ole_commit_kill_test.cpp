// A process killed at any step of a commit leaves the previous document or the new one,
// whole: a child process commits and dies at a chosen step (through the commit hook, never
// by timing), and the parent opens what is left.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <kx2/CompoundFileCommit.h>
#include <win/fileapi.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ole_test_support.h"

using namespace ole_test;

namespace {

// Path inside the document ("Sub/Leaf") -> content.
using State = std::map<std::string, std::vector<uint8_t>>;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
std::string Narrow(const OLECHAR* s) {
  std::string out;
  for (; *s; ++s) out.push_back(static_cast<char>(*s));
  return out;
}

State Small() {
  return {{"Core", Pattern(128, 1)},
          {"Big", Pattern(1200000, 2)},
          {"Small", Pattern(300, 3)},
          {"Sub/Leaf", Pattern(5000, 4)}};
}
State Large() {
  return {{"Core", Pattern(128, 11)},
          {"Big", Pattern(2600000, 12)},
          {"Other", Pattern(70000, 13)},
          {"Sub/Leaf", Pattern(100, 14)}};
}

// Everything in a storage, recursively; false when something cannot be read.
bool Collect(IStorage* storage, const std::string& prefix, State* out) {
  kx2::Ref<IEnumSTATSTG> elements;
  if (storage->EnumElements(0, nullptr, 0, elements.put()) != S_OK) return false;
  STATSTG stat = {};
  while (elements->Next(1, &stat, nullptr) == S_OK) {
    const std::string name = Narrow(stat.pwcsName);
    CoTaskMemFree(stat.pwcsName);
    if (stat.type == STGTY_STORAGE) {
      kx2::Ref<IStorage> sub;
      if (storage->OpenStorage(Wide(name).c_str(), nullptr, kRead, nullptr, 0, sub.put()) != S_OK) return false;
      if (!Collect(sub.get(), prefix + name + "/", out)) return false;
    } else {
      (*out)[prefix + name] = ReadStream(storage, Wide(name).c_str());
    }
  }
  return true;
}

// Makes the open document hold exactly `state` (no test assertions: children run it too).
bool Fill(IStorage* root, const State& state) {
  State old;
  if (!Collect(root, "", &old)) return false;
  for (const auto& entry : old) {
    const std::string top = entry.first.substr(0, entry.first.find('/'));
    root->DestroyElement(Wide(top).c_str());
  }
  for (const auto& [name, bytes] : state) {
    kx2::Ref<IStorage> sub;
    IStorage* parent = root;
    std::string leaf = name;
    if (const size_t slash = name.find('/'); slash != std::string::npos) {
      if (root->OpenStorage(Wide(name.substr(0, slash)).c_str(), nullptr, kReadWrite, nullptr, 0, sub.put()) != S_OK &&
          root->CreateStorage(Wide(name.substr(0, slash)).c_str(), kCreate, 0, 0, sub.put()) != S_OK)
        return false;
      parent = sub.get();
      leaf = name.substr(slash + 1);
    }
    kx2::Ref<IStream> stream;
    if (parent->CreateStream(Wide(leaf).c_str(), kCreate, 0, 0, stream.put()) != S_OK) return false;
    ULONG written = 0;
    if (stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written) != S_OK || written != bytes.size())
      return false;
  }
  return true;
}

bool CommitState(const char16_t* path, const State& state) {
  kx2::Ref<IStorage> root;
  if (StgOpenStorage(path, nullptr, kReadWrite, nullptr, 0, root.put()) != S_OK) return false;
  return Fill(root.get(), state) && root->Commit(STGC_DEFAULT) == S_OK;
}

// Steps seen, and the step at which the process dies (0: never).
struct StepLog {
  int seen = 0;
  int dieAt = 0;
  std::vector<Kx2CommitStep> steps;
};

void OnStep(Kx2CommitStep step, void* context) {
  auto* log = static_cast<StepLog*>(context);
  ++log->seen;
  if (log->dieAt == log->seen) kill(getpid(), SIGKILL);
  if (log->dieAt == 0) log->steps.push_back(step);
}

class OleCommitKill : public TempDrive {
 protected:
  void TearDown() override {
    Kx2SetCommitHook(nullptr, nullptr);
    TempDrive::TearDown();
  }

  // A document that held `from` through `commits` commits, so that the live image lies
  // at the front or after a hole depending on its history.
  void Prepare(const char16_t* path, const State& from, int commits) {
    {
      kx2::Ref<IStorage> root;
      ASSERT_EQ(StgCreateDocfile(path, kCreate, 0, root.put()), S_OK);
    }
    for (int i = 0; i < commits; ++i) ASSERT_TRUE(CommitState(path, from));
  }

  State Open(const char16_t* path) {
    kx2::Ref<IStorage> root;
    EXPECT_EQ(StgOpenStorage(path, nullptr, kRead, nullptr, 0, root.put()), S_OK);
    State state;
    if (root) {
      EXPECT_TRUE(Collect(root.get(), "", &state));
    }
    return state;
  }

  // The steps of committing `to` over the document as it is now, found on a copy.
  std::vector<Kx2CommitStep> StepsOf(const std::string& name, const State& to) {
    std::filesystem::copy_file(Host(name), Host("dry.stg"), std::filesystem::copy_options::overwrite_existing);
    StepLog log;
    Kx2SetCommitHook(OnStep, &log);
    EXPECT_TRUE(CommitState(u"T:\\dry.stg", to));
    Kx2SetCommitHook(nullptr, nullptr);
    return log.steps;
  }

  // Commits `to` in a child that dies at step `dieAt` (0: lives); true when it died.
  bool CommitInChild(const char16_t* path, const State& to, int dieAt) {
    const pid_t child = fork();
    if (child == 0) {
      StepLog log;
      log.dieAt = dieAt;
      Kx2SetCommitHook(OnStep, &log);
      _exit(CommitState(path, to) ? 0 : 3);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    if (WIFSIGNALED(status)) return true;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return false;
  }

  // 50 rounds: kills at every step in turn, over documents of varied history.
  void RunRounds(const State& from, const State& to) {
    for (int round = 0; round < 50; ++round) {
      SCOPED_TRACE("round " + std::to_string(round));
      Prepare(u"T:\\doc.stg", from, 1 + round % 3);
      const std::vector<Kx2CommitStep> steps = StepsOf("doc.stg", to);
      ASSERT_GE(steps.size(), 5u);
      const int dieAt = 1 + round % static_cast<int>(steps.size() + 1);  // one past the end: no kill
      const bool died = CommitInChild(u"T:\\doc.stg", to, dieAt);
      EXPECT_EQ(died, dieAt <= static_cast<int>(steps.size()));
      // The new document rules from the moment its header is in the file.
      bool headerIn = false;
      for (int k = 0; k < dieAt && k < static_cast<int>(steps.size()); ++k)
        headerIn = headerIn || steps[k] == KX2_COMMIT_HEADER_WRITTEN;
      const State after = Open(u"T:\\doc.stg");
      EXPECT_TRUE(after == (headerIn || !died ? to : from))
          << "killed at step " << dieAt << " of " << steps.size() << ": the document mixes or lost commits";
      // What is left takes the next commit.
      ASSERT_TRUE(CommitState(u"T:\\doc.stg", from));
      EXPECT_TRUE(Open(u"T:\\doc.stg") == from);
    }
  }
};

TEST_F(OleCommitKill, KillsInsideAGrowingCommitLeaveOneWholeState) { RunRounds(Small(), Large()); }

TEST_F(OleCommitKill, KillsInsideAShrinkingCommitLeaveOneWholeState) { RunRounds(Large(), Small()); }

// A commit rewrites the file in place rather than renaming another over it: a hold that
// another process took on the document meanwhile still refuses writers afterwards.
TEST_F(OleCommitKill, AHoldTakenByAnotherProcessOutlastsACommit) {
  Prepare(u"T:\\doc.stg", Small(), 1);
  // The holder starts before this process opens the document, so that it shares none of
  // this process's open files; it takes the hold once the document is open here.
  int go[2], held[2], done[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    close(go[1]);
    close(held[0]);
    close(done[1]);
    char wait;
    if (read(go[0], &wait, 1) != 1) _exit(1);
    HANDLE file = CreateFileW(u"T:\\doc.stg", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    const char ok = file != INVALID_HANDLE_VALUE &&
                            LockFile(file, KX2_STG_HOLD_LOCK_OFFSET_LOW, KX2_STG_HOLD_LOCK_OFFSET_HIGH, 1, 0)
                        ? 'h'
                        : 'x';
    (void)!write(held[1], &ok, 1);
    (void)!read(done[0], &wait, 1);
    _exit(0);
  }
  close(go[0]);
  close(held[1]);
  close(done[0]);
  kx2::Ref<IStorage> root;
  ASSERT_EQ(StgOpenStorage(u"T:\\doc.stg", nullptr, kReadWrite, nullptr, 0, root.put()), S_OK);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  char ok = 0;
  ASSERT_EQ(read(held[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'h');
  ASSERT_TRUE(Fill(root.get(), Large()));
  EXPECT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  root.reset();
  // Another process that wants to write is refused while the hold lasts.
  const pid_t writer = fork();
  if (writer == 0) {
    IStorage* other = nullptr;
    _exit(StgOpenStorage(u"T:\\doc.stg", nullptr, kReadWrite, nullptr, 0, &other) == STG_E_SHAREVIOLATION ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer opened the held document";
  close(done[1]);  // the holder goes
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  EXPECT_TRUE(Open(u"T:\\doc.stg") == Large());
  close(go[1]);
  close(held[0]);
}

TEST_F(OleCommitKill, RepeatedCommitsKeepTheFileBounded) {
  Prepare(u"T:\\doc.stg", Small(), 1);
  uintmax_t largest = 0;
  for (int i = 0; i < 12; ++i) {
    ASSERT_TRUE(CommitState(u"T:\\doc.stg", i % 2 ? Small() : Large()));
    largest = std::max(largest, std::filesystem::file_size(Host("doc.stg")));
  }
  // Two images side by side at most, never a growing trail of old ones.
  EXPECT_LT(largest, 2 * 2700000u + 65536u);
  EXPECT_TRUE(Open(u"T:\\doc.stg") == Small());
}

}  // namespace
