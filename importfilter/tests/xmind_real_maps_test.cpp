// Real XMind packages written by XMind 8, XMind 2020 and other programs, read where they lie
// in the shared test data: every one of them imports without a leak or a temporary file
// left behind, or, when XMind 2020 or later wrote it, is refused with a clear message.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <foliant/zip/tq_xml_storage.h>

#include "xmind_test_support.h"

namespace {

using namespace xmind_test;

const std::filesystem::path kMaps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps" / "xmind";

std::vector<std::filesystem::path> RealMaps() {
  std::vector<std::filesystem::path> maps;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(kMaps, ec))
    if (entry.path().extension() == ".xmind") maps.push_back(entry.path());
  std::sort(maps.begin(), maps.end());
  return maps;
}

bool IsXMind2020(const std::filesystem::path& map) {
  TqXMLStorage package;
  const std::u16string path = kx2::ToWindowsPath(map.string());
  return package.Open(path.c_str()) && package.HasEntry(u"content.json");
}

class XMindRealMaps : public XMindTest {
 protected:
  void SetUp() override {
    XMindTest::SetUp();
    if (!std::filesystem::is_directory(kMaps)) GTEST_SKIP() << "no shared test maps at " << kMaps;
  }
};

TEST_F(XMindRealMaps, EveryMapImportsOrIsRefusedClearly) {
  const auto maps = RealMaps();
  ASSERT_FALSE(maps.empty());
  for (const auto& map : maps) {
    SCOPED_TRACE(map.filename().string());
    const std::u16string path = kx2::ToWindowsPath(map.string());
    EXPECT_EQ(ProbePath(path), 1);
    vantorel::OpenDocument(true);
    Basalt::Error::BaseError::_ClearError();
    const int result = ImportPath(path);
    if (IsXMind2020(map)) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(Basalt::Error::BaseError::_GetError(), 1u) << "a message in the error record";
    } else {
      EXPECT_EQ(result, 1);
      Census census;
      const Value documents = Documents();
      for (const Value& document : documents.items()) Count(Member(&document, "topic"), census);
      EXPECT_GT(census.topics, 1u);
    }
    EXPECT_EQ(TemporaryFiles(), 0u);
    vantorel::CloseAllDocuments();
  }
}

TEST_F(XMindRealMaps, XMindProHoldsWhatItShould) {
  vantorel::OpenDocument(true);
  ASSERT_EQ(ImportPath(kx2::ToWindowsPath((kMaps / "xmindparser-xmind_pro.xmind").string())), 1);
  const Value documents = Documents();
  ASSERT_EQ(Count(&documents), 2u);
  Census census;
  size_t relationships = 0, summaries = 0, summaryTopics = 0, topicLinks = 0, acrossSheets = 0;
  for (const Value& document : documents.items()) {
    Count(Member(&document, "topic"), census);
    relationships += Count(Member(&document, "relationships"));
    summaries += Count(Member(&document, "summaries"));
    if (const Value* s = Member(&document, "summaries"))
      for (const Value& summary : s->items()) summaryTopics += Count(Member(&summary, "topics"));
  }
  // Hyperlinks to topics: their kind is "current"; the one across sheets names a topic of
  // the other document, so the host shows its GUIDs instead of a path.
  std::function<void(const Value*)> links = [&](const Value* topic) {
    for (size_t i = 0; const Value* link = Attached(topic, "hyperlink", i); ++i) {
      const Value* l = Member(link, "link");
      if (Text(Member(l, "type")) != "current") continue;
      ++topicLinks;
      acrossSheets += Text(Member(l, "link")).rfind("topic ", 0) != 0;
    }
    if (const Value* children = Member(topic, "children"))
      for (const Value& c : children->items()) links(&c);
  };
  for (const Value& document : documents.items()) links(Member(&document, "topic"));

  EXPECT_EQ(census.topics, 46u);
  EXPECT_EQ(census.floating, 2u) << "the floating topic and the summary topic";
  EXPECT_EQ(relationships, 1u);
  EXPECT_EQ(summaries, 1u);
  EXPECT_EQ(summaryTopics, 3u);
  EXPECT_EQ(topicLinks, 2u);
  EXPECT_EQ(acrossSheets, 1u);
  EXPECT_EQ(census.roles["notes"], 5u);
  EXPECT_EQ(census.roles["marker"], 6u);
  EXPECT_EQ(census.roles["labels"], 1u);
  EXPECT_EQ(census.roles["picture"], 1u);
  EXPECT_EQ(census.roles["attachment"], 1u);
  EXPECT_EQ(TemporaryFiles(), 0u);
}

// The command-line host reads every map the same way: no crash, and the refusal of XMind
// 2020 packages as its message.
TEST_F(XMindRealMaps, VantorelImportsEveryMap) {
  if (!std::filesystem::exists(KX2_BIN_DIR "/vantorel")) GTEST_SKIP() << "vantorel is not built";
  for (const auto& map : RealMaps()) {
    SCOPED_TRACE(map.filename().string());
    const std::string command = "'" KX2_BIN_DIR "/vantorel' import '" + map.string() + "' 2>&1 >/dev/null";
    std::string errors;
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) errors += buffer;
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << errors;
    if (IsXMind2020(map)) {
      EXPECT_EQ(WEXITSTATUS(status), 1);
      EXPECT_NE(errors.find("XMind 2020"), std::string::npos) << errors;
    } else {
      EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
    }
  }
}

}  // namespace
