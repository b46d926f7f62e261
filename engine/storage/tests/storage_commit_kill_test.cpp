// A process killed inside CKx2MainStorage::Commit leaves the previous document or the new
// one, whole: header block and body stream from the same commit. A child commits and dies
// at each step of the commit in turn (the compound-file commit hook, never timing).
#include <plastrum/Kx2Storage.h>
#include <plastrum/Kx2Stream.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <kx2/CompoundFileCommit.h>

namespace {

constexpr DWORD kCreate = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
constexpr DWORD kReadWrite = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;

struct Doc {
  uint32_t word = 0;
  std::vector<uint8_t> body;
  bool operator==(const Doc&) const = default;
};

Doc MakeDoc(uint32_t word, size_t size) {
  Doc doc{word, std::vector<uint8_t>(size)};
  for (size_t i = 0; i < size; ++i) doc.body[i] = static_cast<uint8_t>((i * 31 + word) >> 3);
  return doc;
}

bool Store(CKx2MainStorage& storage, const Doc& doc) {
  std::vector<uint8_t> header(128, 0x5A);
  std::memcpy(header.data() + 32, &doc.word, 4);
  if (!storage.WriteHeader(header.data())) return false;
  CKx2Stream body;
  if (!storage.OpenOrCreateStream(u"Body", body, kReadWrite)) return false;
  const bool ok = body.SetLength(0) && body.Write(doc.body.data(), static_cast<int32_t>(doc.body.size())) ==
                                           static_cast<int32_t>(doc.body.size());
  body.Close();
  return ok && storage.Commit(STGC_DEFAULT);
}

bool Load(const char16_t* path, Doc* doc) {
  CKx2MainStorage storage;
  if (!storage.Open(path, kReadWrite, FALSE)) return false;
  uint8_t header[128];
  if (!storage.ReadHeader(header)) return false;
  doc->word = storage.GetHeaderWord32();
  CKx2Stream body;
  if (!storage.OpenStream(u"Body", body, STGM_READ | STGM_SHARE_EXCLUSIVE)) return false;
  doc->body.assign(static_cast<size_t>(body.GetLength()), 0);
  const int32_t got = body.Read(doc->body.data(), static_cast<int32_t>(doc->body.size()));
  return got == static_cast<int32_t>(doc->body.size());
}

int g_seen = 0;
int g_dieAt = 0;
void DieAtStep(Kx2CommitStep, void*) {
  if (++g_seen == g_dieAt) kill(getpid(), SIGKILL);
}

class StorageCommitKill : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-storage-kill-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("KX2_DRIVES", ("T=" + folder_).c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Kills a child at every step of committing `to` over `from` in turn; every time the
  // document reads back as one of the two.
  void KillAtEveryStep(const Doc& from, const Doc& to) {
    int sawOld = 0, sawNew = 0;
    for (int dieAt = 1; dieAt < 64; ++dieAt) {
      SCOPED_TRACE("killed at step " + std::to_string(dieAt));
      {
        CKx2MainStorage storage;
        ASSERT_TRUE(storage.Create(u"T:\\doc.kx2", kCreate, FALSE));
        ASSERT_TRUE(Store(storage, from));
      }
      const pid_t child = fork();
      if (child == 0) {
        g_dieAt = dieAt;
        Kx2SetCommitHook(DieAtStep, nullptr);
        CKx2MainStorage storage;
        _exit(storage.Open(u"T:\\doc.kx2", kReadWrite, FALSE) && Store(storage, to) ? 0 : 3);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      Doc after;
      ASSERT_TRUE(Load(u"T:\\doc.kx2", &after)) << "the document no longer opens";
      if (!WIFSIGNALED(status)) {
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_TRUE(after == to);
        break;  // the commit ran to its end: every step has had its kill
      }
      EXPECT_TRUE(after == from || after == to) << "the document mixes two commits";
      sawOld += after == from;
      sawNew += after == to;
    }
    // Kills fell both before and after the header that switches documents.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
  }

  std::string folder_;
};

TEST_F(StorageCommitKill, GrowingDocument) { KillAtEveryStep(MakeDoc(1, 300000), MakeDoc(2, 2300000)); }

TEST_F(StorageCommitKill, ShrinkingDocument) { KillAtEveryStep(MakeDoc(3, 2300000), MakeDoc(4, 300000)); }

}  // namespace
