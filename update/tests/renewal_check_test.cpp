// The silent update check against the HTTP test server: version comparison, feed choice,
// the local folder, and the earlier feed surviving a silent server or a cut answer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <kx2/Module.h>
#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <renewal/Renewal.h>
#include <win/afx_dll.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Feed(const std::string& major, const std::string& minor, const std::string& patch,
                 const std::string& revision, const std::string& url = "http://example.test/get") {
  return "<?xml version=\"1.0\"?>\n<update major=\"" + major + "\" minor=\"" + minor + "\" patch=\"" + patch +
         "\" revision=\"" + revision + "\" url=\"" + url + "\"/>\n";
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class RenewalCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) / ("renewal-" + std::to_string(::getpid()) + "-" +
                                              testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "server" / "feeds");
    fs::create_directories(folder_ / "tmp");
    server_ = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder_ / "server").string()});
    ASSERT_NE(server_, nullptr);
    std::string base = "http://127.0.0.1:" + std::to_string(server_->Port());
    ::setenv("KX2_RENEWAL_BASE", base.c_str(), 1);
    ::setenv("TMP", (folder_ / "tmp").c_str(), 1);
  }
  void TearDown() override {
    server_.reset();
    ::unsetenv("KX2_RENEWAL_BASE");
    ::unsetenv("TMP");
    fs::remove_all(folder_);
  }

  void Serve(const char16_t* name, const std::string& body) {
    std::ofstream(folder_ / "server" / "feeds" / kx2::Utf16ToUtf8(name), std::ios::binary) << body;
  }
  fs::path Local(DWORD flags) const {
    return folder_ / "tmp" / "Taloria" / kx2::Utf16ToUtf8(renewal::FeedFileName(flags));
  }

  void Command(const std::string& line) {
    ASSERT_TRUE(server_->Send(line));
    ASSERT_TRUE(server_->Send("ping " + std::to_string(++pings_)));
    const std::string pong = "\"pong\", \"token\": \"" + std::to_string(pings_) + "\"";
    ASSERT_TRUE(server_->WaitForLine([&](const std::string& l) { return l.find(pong) != l.npos; }));
  }
  // Waits for the server's report of the request (it may come after the answer).
  bool Requested(const std::string& path) const {
    return server_
        ->WaitForLine([&](const std::string& line) {
          return line.find("\"event\": \"request\"") != line.npos &&
                 line.find("\"path\": \"" + path + "\"") != line.npos;
        })
        .has_value();
  }
  size_t LeftoverFiles() const {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder_ / "tmp" / "Taloria")) count += entry.is_regular_file();
    return count;
  }

  fs::path folder_;
  std::unique_ptr<kx2test::PeerProcess> server_;
  int pings_ = 0;
};

TEST_F(RenewalCheckTest, ComparesFeedVersionWithCurrent) {
  struct Case {
    std::string feed[4];
    int current[4];
    int expected;
  } cases[] = {
      {{"1", "6", "0", "1"}, {1, 6, 0, 0}, 0},  {{"1", "6", "0", "0"}, {1, 6, 0, 0}, 1},
      {{"1", "5", "9", "9"}, {1, 6, 0, 0}, 1},  {{"2", "0", "0", "0"}, {1, 9, 9, 9}, 0},
      {{"-1", "9", "9", "9"}, {0, 0, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    Serve(renewal::FeedFileName(0), Feed(c.feed[0], c.feed[1], c.feed[2], c.feed[3]));
    EXPECT_EQ(CheckOnlineUpdate(c.current[0], c.current[1], c.current[2], c.current[3], 0), c.expected)
        << c.feed[0] << "." << c.feed[1] << "." << c.feed[2] << "." << c.feed[3];
  }
}

TEST_F(RenewalCheckTest, FlagsPickTheFeedFileAndTheFolderIsMade) {
  ASSERT_FALSE(fs::exists(folder_ / "tmp" / "Taloria"));
  Serve(u"taloria_collab_beta_update.xml", Feed("9", "0", "0", "0"));
  EXPECT_EQ(CheckOnlineUpdate(1, 6, 0, 0, 6), 0);
  EXPECT_TRUE(Requested("//updates//taloria_collab_beta_update.xml"));
  EXPECT_TRUE(fs::exists(Local(6)));
  EXPECT_EQ(CheckOnlineUpdate(1, 6, 0, 0, 0), 1);  // no such feed on the server: 0.0.0.0
  EXPECT_TRUE(Requested("//updates//taloria10_perpetual_plan_update_check.xml"));
  EXPECT_EQ(std::u16string(renewal::FeedFileName(2)), u"taloria_update_starter_version.xml");
  EXPECT_EQ(std::u16string(renewal::FeedFileName(1)), u"taloria_yearly_plan_update_check.xml");
  EXPECT_EQ(std::u16string(renewal::FeedFileName(8)), u"taloria10_perpetual_plan_update_check.xml");
  EXPECT_EQ(LeftoverFiles(), 1u);
}

TEST_F(RenewalCheckTest, FeedAttributesReadAsLeadingDigitsWithDefaults) {
  struct Case {
    std::string xml;
    renewal::UpdateFeedInfo expected;
  } cases[] = {
      {Feed("abc", "7x", " 3", "4", "http://a/b?c=d&amp;e"), {0, 7, 3, 4, u"http://a/b?c=d&e"}},
      {"<feed minor=\"2\"/>", {0, 2, 0, 0, u""}},
      {"<not xml", {0, 0, 0, 0, u""}},
  };
  fs::create_directories(folder_ / "tmp" / "Taloria");
  for (const Case& c : cases) {
    fs::path file = folder_ / "tmp" / "feed.xml";
    std::ofstream(file, std::ios::binary) << c.xml;
    renewal::OnlineUpdateVersioinCheck check;
    check.SetFeedPath(u"Z:" + kx2::Utf8ToUtf16(file.string()));
    renewal::UpdateFeedInfo info;
    EXPECT_EQ(check.ReadFeed(&info), 1);
    EXPECT_EQ(info.major, c.expected.major) << c.xml;
    EXPECT_EQ(info.minor, c.expected.minor) << c.xml;
    EXPECT_EQ(info.patch, c.expected.patch) << c.xml;
    EXPECT_EQ(info.revision, c.expected.revision) << c.xml;
    EXPECT_EQ(info.url, c.expected.url) << c.xml;
  }
}

TEST_F(RenewalCheckTest, ObjectSlotsAnswerAsFixed) {
  renewal::OnlineUpdateVersioinCheck check;
  void* out = &check;
  EXPECT_EQ(check.QueryInterface(IID_IUnknown, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(check.AddRef(), 1u);
  EXPECT_EQ(check.Reserved1() + check.Reserved2() + check.Reserved3() + check.Reserved4(), -4);
  EXPECT_EQ(check.Reserved5(nullptr), 0);
  char16_t text[64];
  check.GetFeedVersionText(text);
  EXPECT_EQ(std::u16string(text), u"0.0.0.0");

  renewal::BindCallback late(0), early(INT64_MAX);
  EXPECT_EQ(late.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), E_ABORT);
  EXPECT_EQ(early.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
  EXPECT_EQ(early.QueryInterface(IID_IUnknown, &out), E_NOTIMPL);
  EXPECT_EQ(early.GetPriority(nullptr), E_NOTIMPL);
}

// An earlier good feed survives every answer that is not a complete 200.
TEST_F(RenewalCheckTest, FailedDownloadsLeaveTheEarlierFeed) {
  const std::string good = Feed("2", "0", "0", "0");
  Serve(renewal::FeedFileName(0), good);
  ASSERT_EQ(CheckOnlineUpdate(1, 6, 0, 0, 0), 0);
  Serve(renewal::FeedFileName(0), Feed("1", "0", "0", "0") + std::string(4000, ' '));
  const std::string path = "/updates/taloria10_perpetual_plan_update_check.xml";
  for (const char* kind : {"silent", "stall", "short", "404", "badchunk"}) {
    Command(std::string("answer ") + path + " " + kind);
    auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(CheckOnlineUpdate(1, 6, 0, 0, 0), 0) << kind;
    auto took = std::chrono::steady_clock::now() - began;
    EXPECT_LT(took, 3500ms) << kind << " took " << std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    EXPECT_EQ(ReadAll(Local(0)), good) << kind;
    EXPECT_EQ(LeftoverFiles(), 1u) << kind;
  }
}

TEST_F(RenewalCheckTest, RefusedConnectionReadsTheFeedLeft) {
  ::setenv("KX2_RENEWAL_BASE", "http://127.0.0.1:1", 1);
  EXPECT_EQ(CheckOnlineUpdate(1, 6, 0, 0, 0), 1);
  fs::create_directories(Local(0).parent_path());
  std::ofstream(Local(0), std::ios::binary) << Feed("1", "6", "0", "1");
  EXPECT_EQ(CheckOnlineUpdate(1, 6, 0, 0, 0), 0);
}

TEST(RenewalLibraryTest, AttachRegistersTheExtensionModuleOnce) {
  HMODULE module = Kx2ModuleFromAddress(reinterpret_cast<const void*>(&CheckOnlineUpdate));
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(AfxDynLinkLibraryHas(module));
  int count = AfxDynLinkLibraryCount();
  EXPECT_TRUE(renewal::RenewalProcessAttach());
  EXPECT_EQ(AfxDynLinkLibraryCount(), count);
  renewal::RenewalProcessDetach();
  EXPECT_FALSE(AfxDynLinkLibraryHas(module));
  EXPECT_TRUE(renewal::RenewalProcessAttach());
  EXPECT_TRUE(AfxDynLinkLibraryHas(module));
}

}  // namespace
