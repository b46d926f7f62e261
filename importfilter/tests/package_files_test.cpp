// Package entries reach the host's file store once per import, their temporary copies go
// at once, and one import's extracted bytes stop at its cap.
#include <foliant/common/package_files.h>
#include <foliant/zip/tq_xml_storage.h>

#include <vantorel/object_census.h>

#include "xmind_test_support.h"

namespace {

using xmind_test::XMindTest;

class PackageFilesTest : public XMindTest {};

TEST_F(PackageFilesTest, EachEntryIsStoredOnceAndTheCapCountsDistinctEntries) {
  const std::u16string path = Package(
      "files.zip", {{"a.bin", std::string(10, 'a')}, {"b.bin", std::string(20, 'b')}, {"c.bin", std::string(5, 'c')}});
  TqXMLStorage package;
  ASSERT_TRUE(package.Open(path.c_str()));
  {
    foliant::PackageFiles files(u"ETq", u"Taloria1\\XML\\", 16);
    const foliant::StoredFile* a = files.Store(package, u"a.bin", u"tmp");
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a->key(), 0u);
    EXPECT_EQ(TemporaryFiles(), 0u) << "the temporary copy goes as soon as the store has it";
    EXPECT_EQ(files.Store(package, u"a.bin", u"tmp"), a) << "a second reference shares the stored copy";
    EXPECT_EQ(files.ExtractedBytes(), 10u);
    EXPECT_FALSE(files.TooLarge());

    EXPECT_EQ(files.Store(package, u"missing.bin", u"tmp"), nullptr);
    EXPECT_FALSE(files.TooLarge()) << "a missing entry is no reason to stop";
    EXPECT_EQ(files.Store(package, u"b.bin", u"tmp"), nullptr);
    EXPECT_TRUE(files.TooLarge()) << "10 + 20 bytes pass the cap of 16";
    EXPECT_NE(files.Store(package, u"c.bin", u"tmp"), nullptr) << "a smaller entry still fits";
    EXPECT_EQ(files.ExtractedBytes(), 15u);
    EXPECT_EQ(vantorel::TakeCensus().liveFileKeys, 2u) << "one stored key per entry";
    files.Clear();
    EXPECT_EQ(vantorel::TakeCensus().liveFileKeys, 0u) << "the import's keys go with it";
  }
  package.Close();
  EXPECT_EQ(TemporaryFiles(), 0u);
}

}  // namespace
