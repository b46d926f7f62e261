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
#include <renewal/Renewal.h>
#include <win/afx_dll.h>

#include "feed_server_fixture.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using updatetest::Feed;
using updatetest::ReadAll;

namespace {

using RenewalCheckTest = updatetest::FeedServerTest;

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
