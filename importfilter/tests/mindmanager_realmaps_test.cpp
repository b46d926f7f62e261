// The two MindManager maps of the shared test data, written by MindManager 8 and 2017, as
// the host receives them.
#include <gtest/gtest.h>

#include <filesystem>

#include <vantorel/testing/leak_check.h>

#include "mindmanager_fixture.h"

namespace {

using mmtest::Attached;
using mmtest::Children;

class MindManagerRealMaps : public vantorel::testing::HostLeakCheck {
 protected:
  static std::filesystem::path Map(const char* name) {
    return std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps" / "mmap" / name;
  }
  void SetUp() override {
    HostLeakCheck::SetUp();
    if (!std::filesystem::exists(Map("blumind-MindManagerMaps.mmap")))
      GTEST_SKIP() << "the shared test maps are not here (" << Map("").string() << ")";
  }
};

TEST_F(MindManagerRealMaps, MindManager8DefaultTemplate) {
  MindManagerImport probe;
  ASSERT_EQ(probe.Init(), 1);
  EXPECT_EQ(probe.Probe(ziptest::WinPath(Map("blumind-MindManagerMaps.mmap")).c_str()), 1);
  probe.Close();

  const mmtest::Imported imported = mmtest::ImportPackage(Map("blumind-MindManagerMaps.mmap"));
  ASSERT_EQ(imported.result, 1);
  const vantorel::Value* central = mmtest::CentralTopic(imported.description);
  EXPECT_EQ(mmtest::CountTopics(central), 4);
  const auto subTopics = Children(central);
  ASSERT_EQ(subTopics.size(), 3u);

  int notes = 0, icons = 0;
  std::vector<const vantorel::Value*> all = {central, subTopics[0], subTopics[1], subTopics[2]};
  for (const vantorel::Value* topic : all) {
    EXPECT_EQ(mmtest::TextAt(topic, "text"), "");
    for (const vantorel::Value* n : Attached(topic, "notes")) {
      ++notes;
      EXPECT_EQ(mmtest::TextAt(n, "text"), "Hello, World");
    }
    icons += static_cast<int>(Attached(topic, "marker").size());
  }
  EXPECT_EQ(notes, 1);
  EXPECT_EQ(icons, 2);
  EXPECT_EQ(mmtest::TextAt(Attached(central, "marker")[0], "marker"), "Flag green");
  EXPECT_EQ(mmtest::TextAt(Attached(subTopics[2], "marker")[0], "marker"), "Smiley happy");
  EXPECT_EQ(mmtest::IntAt(subTopics[0], "format/folded"), 1);

  const vantorel::Value* relationships = mmtest::Document(imported.description)->Find("relationships");
  ASSERT_NE(relationships, nullptr);
  ASSERT_EQ(relationships->items().size(), 1u);
  EXPECT_EQ(mmtest::TextAt(&relationships->items()[0], "from"), "topic #1");
  EXPECT_EQ(mmtest::TextAt(&relationships->items()[0], "to"), "topic #1/#1");
}

TEST_F(MindManagerRealMaps, MindManager2017SevenTopics) {
  const mmtest::Imported imported = mmtest::ImportPackage(Map("mmap2json-test.mmap"));
  ASSERT_EQ(imported.result, 1);
  const vantorel::Value* a = mmtest::CentralTopic(imported.description);
  EXPECT_EQ(mmtest::CountTopics(a), 7);
  EXPECT_EQ(mmtest::TextAt(a, "text"), "A");
  const auto bc = Children(a);
  ASSERT_EQ(bc.size(), 2u);
  EXPECT_EQ(mmtest::TextAt(bc[0], "text"), "B");
  EXPECT_EQ(mmtest::TextAt(bc[1], "text"), "C");
  const auto def = Children(bc[0]);
  ASSERT_EQ(def.size(), 3u);
  EXPECT_EQ(mmtest::TextAt(def[0], "text"), "D");
  EXPECT_EQ(mmtest::TextAt(def[1], "text"), "E");
  EXPECT_EQ(mmtest::TextAt(def[2], "text"), "F");
  ASSERT_EQ(Children(def[1]).size(), 1u);
  EXPECT_EQ(mmtest::TextAt(Children(def[1])[0], "text"), "G");
}

}  // namespace
