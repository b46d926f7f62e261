// Every real FreeMind map of the shared test data: imported in this process without a
// leaked or over-released host object, and through `vantorel import` with the counts the
// files hold. The broken maps and the map in a legacy code page are refused at the probe.
#include "freemind_test_support.h"

#include <kx2/MessageBoxSink.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace freemind_test;

const std::filesystem::path kMaps = std::filesystem::path(KX2_SHARED_DIR) / "testdata" / "maps" / "mm";

// Files no filter reads: their root is no FreeMind "map" with a version.
bool Refused(const std::string& name) { return name.find("-invalid") != std::string::npos; }

// A FreeMind map whose import is refused with its reason: raw CP1251 bytes without a
// declaration.
const char* RefusalReason(const std::string& name) {
  return name == "freemind-1.0.1-doc-freemind_ru.mm" ? "not valid UTF-8 and no encoding declared" : nullptr;
}

std::vector<std::string> MapNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(kMaps, ec))
    if (entry.path().extension() == ".mm") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  if (names.empty()) names.push_back("");  // one instance that reports the missing folder
  return names;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  *status = pclose(pipe);
  return out;
}

size_t CountTopics(const Value* topic) {
  if (!topic) return 0;
  size_t n = 1;
  if (const Value* children = Member(topic, "children"))
    for (const Value& child : children->items()) n += CountTopics(&child);
  return n;
}

class RealFreeMindMaps : public FreeMindTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(RealFreeMindMaps, ImportInProcessWithoutLeaks) {
  if (GetParam().empty()) GTEST_SKIP() << "no shared test maps at " << kMaps;
  const std::u16string path = kx2::ToWindowsPath((kMaps / GetParam()).string());
  const int probe = ProbePath(path);
  EXPECT_EQ(probe, Refused(GetParam()) ? 0 : 1);
  if (!probe) return;
  vantorel::OpenDocument(true);
  kx2::SetMessageBoxEcho(false);
  kx2::TakeMessageBoxes();
  if (const char* reason = RefusalReason(GetParam())) {
    EXPECT_EQ(ImportPath(path), 0);
    const auto boxes = kx2::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(vantorel::PrintableUtf8(boxes[0].text).find(reason), std::string::npos);
    EXPECT_NE(vantorel::PrintableUtf8(boxes[0].text).find("(line 10, column "), std::string::npos);
    return;
  }
  EXPECT_EQ(ImportPath(path), 1);
  // Every "node" element is a topic (none of these maps is encrypted or has a second
  // top-level node).
  std::ifstream in(kMaps / GetParam(), std::ios::binary);
  const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t nodes = 0;
  for (size_t at = xml.find("<node"); at != std::string::npos; at = xml.find("<node", at + 1))
    if (at + 5 < xml.size() && (xml[at + 5] == ' ' || xml[at + 5] == '>' || xml[at + 5] == '/' || xml[at + 5] == '\n'))
      ++nodes;
  const Value document = Document();
  EXPECT_EQ(CountTopics(TopicAt(document, {})), nodes);
}

const char kVantorel[] = KX2_BIN_DIR "/vantorel";

TEST_P(RealFreeMindMaps, ImportThroughVantorel) {
  if (GetParam().empty()) GTEST_SKIP() << "no shared test maps at " << kMaps;
  if (!std::filesystem::exists(kVantorel)) GTEST_SKIP() << "vantorel is not built";
  int status = -1;
  const std::string out =
      RunCommand("'" KX2_BIN_DIR "/vantorel' import '" + (kMaps / GetParam()).string() + "' 2>&1 >/dev/null", &status);
  if (Refused(GetParam())) {
    EXPECT_NE(out.find("no filter reads this file"), std::string::npos) << out;
    EXPECT_EQ(WEXITSTATUS(status), 1);
  } else if (const char* reason = RefusalReason(GetParam())) {
    EXPECT_NE(out.find(reason), std::string::npos) << out;
    EXPECT_EQ(WEXITSTATUS(status), 1);
  } else {
    EXPECT_EQ(status, 0) << out;
  }
}

INSTANTIATE_TEST_SUITE_P(Maps, RealFreeMindMaps, ::testing::ValuesIn(MapNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.empty() ? "none" : info.param;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// The counts `vantorel import --json` gives for the FreeMind documentation map.
TEST(FreeMindDocumentationMap, CountsAgreeWithTheFile) {
  const auto map = kMaps / "freemind-1.0.1-doc-freemind.mm";
  if (!std::filesystem::exists(map)) GTEST_SKIP() << "no shared test maps at " << kMaps;
  if (!std::filesystem::exists(kVantorel)) GTEST_SKIP() << "vantorel is not built";
  const std::string counter =
      "import json,sys,collections\n"
      "d=json.load(sys.stdin); c=collections.Counter()\n"
      "def walk(t):\n"
      "  c['topics']+=1\n"
      "  for a in t.get('attached',[]):\n"
      "    c[a['role']]+=1\n"
      "    if a['role']=='hyperlink': c['link '+a['link']['type']]+=1\n"
      "    if a['role']=='marker': c['stock' if a['marker'] not in custom else 'custom']+=1\n"
      "  for ch in t.get('children',[]): walk(ch)\n"
      "custom=set(e['name'] for g in d['documents'][0].get('objects',[]) if g['name']=='Custom Icons'\n"
      "           for e in g.get('entries',[]))\n"
      "for doc in d['documents']:\n"
      "  walk(doc['topic']); c['relationships']+=len(doc.get('relationships',[]))\n"
      "  c['boundaries']+=len(doc.get('boundaries',[]))\n"
      "print(' '.join('%s=%d'%(k,v) for k,v in sorted(c.items())))\n";
  char script[] = "/tmp/freemind_counts_XXXXXX";
  const int fd = mkstemp(script);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, counter.data(), counter.size()), static_cast<ssize_t>(counter.size()));
  close(fd);
  int status = -1;
  const std::string out = RunCommand(
      "'" KX2_BIN_DIR "/vantorel' import --json '" + map.string() + "' | /usr/bin/python3 " + script, &status);
  std::remove(script);
  // 480 nodes; 11 arrow links; 4 clouds; 47 links of which 14 web, 4 mail and the absolute
  // folder "/home/" resolve (the other 28 name files absent here); 17 notes; 33 icons, 7 of them in the marker table
  // and 26 others as custom icons.
  EXPECT_EQ(out,
            "boundaries=4 boundary=4 custom=26 hyperlink=19 link email=4 link folder=1 link web=14 marker=33 notes=17 "
            "relationship=11 relationships=11 stock=7 topics=480\n");
}

}  // namespace
