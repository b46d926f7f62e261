// Compound files written here open in libgsf's gsf tool and in python3-olefile with the
// same bytes, and files gsf writes open here.
#include <win/ole.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ole_test_support.h"

using namespace ole_test;

namespace {

std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
  const int rc = pclose(pipe);
  if (status) *status = rc;
  return output;
}

bool HaveTool(const std::string& check) { return std::system((check + " >/dev/null 2>&1").c_str()) == 0; }

// The streams of the document: path inside the document -> content.
std::map<std::string, std::vector<uint8_t>> Contents() {
  std::map<std::string, std::vector<uint8_t>> contents;
  const size_t sizes[] = {0, 1, 64, 4095, 4096, 100000, 3 * 1024 * 1024};
  uint32_t seed = 10;
  for (size_t size : sizes) contents["Stream" + std::to_string(size)] = Pattern(size, seed++);
  contents["DocumentCore"] = Pattern(128, 1);
  contents["Sub/Inner"] = Pattern(700, 2);
  contents["Sub/Deeper/Leaf"] = Pattern(9000, 3);
  return contents;
}

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

class OleInterop : public TempDrive {
 protected:
  void WriteOurs(const char16_t* path) {
    kx2::Ref<IStorage> root;
    ASSERT_EQ(StgCreateDocfile(path, kCreate, 0, root.put()), S_OK);
    kx2::Ref<IStorage> sub, deeper;
    ASSERT_EQ(root->CreateStorage(u"Sub", kCreate, 0, 0, sub.put()), S_OK);
    ASSERT_EQ(sub->CreateStorage(u"Deeper", kCreate, 0, 0, deeper.put()), S_OK);
    for (const auto& [name, bytes] : Contents()) {
      IStorage* parent = name.rfind("Sub/Deeper/", 0) == 0 ? deeper.get()
                         : name.rfind("Sub/", 0) == 0      ? sub.get()
                                                           : root.get();
      WriteStream(parent, Wide(name.substr(name.rfind('/') + 1)).c_str(), bytes);
    }
    ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
  }
};

TEST_F(OleInterop, GsfListsAndCatsWhatWeWrite) {
  if (!HaveTool("gsf --help")) GTEST_SKIP() << "gsf (package libgsf-bin) is not installed";
  WriteOurs(u"T:\\ours.stg");
  const std::string file = Host("ours.stg");
  int status = 0;
  const std::string listing = RunCommand("gsf list '" + file + "'", &status);
  ASSERT_EQ(status, 0) << listing;
  // Lines: "f  <date> <time>  <size> <path>" for streams (streams carry no time here).
  std::map<std::string, uint64_t> listed;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] != 'f') continue;
    std::istringstream fields(line.substr(1));
    std::vector<std::string> words;
    for (std::string w; fields >> w;) words.push_back(w);
    ASSERT_GE(words.size(), 2u) << line;
    listed[words.back()] = std::stoull(words[words.size() - 2]);
  }
  const auto contents = Contents();
  ASSERT_EQ(listed.size(), contents.size()) << listing;
  for (const auto& [name, bytes] : contents) {
    EXPECT_EQ(listed[name], bytes.size()) << name;
    const std::string out = Host("cat.bin");
    ASSERT_EQ(std::system(("gsf cat '" + file + "' '" + name + "' > '" + out + "'").c_str()), 0) << name;
    EXPECT_EQ(HostBytes("cat.bin"), bytes) << name;
  }
}

TEST_F(OleInterop, OlefileReadsWhatWeWrite) {
  if (!HaveTool("/usr/bin/python3 -c 'import olefile'")) GTEST_SKIP() << "python3-olefile is not installed";
  WriteOurs(u"T:\\ours.stg");
  std::filesystem::create_directories(Host("expected"));
  for (const auto& [name, bytes] : Contents()) {
    std::string flat = name;
    for (char& c : flat)
      if (c == '/') c = '_';
    WriteHost("expected/" + flat, bytes);
  }
  const std::string script =
      "import olefile, sys\n"
      "ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
      "for issue in ole.parsing_issues:\n"
      "    print('BAD ' + str(issue))\n"
      "for path in ole.listdir(streams=True, storages=False):\n"
      "    name = '/'.join(path)\n"
      "    data = ole.openstream(path).read()\n"
      "    want = open(sys.argv[2] + '/' + '_'.join(path), 'rb').read()\n"
      "    print(('OK ' if data == want and ole.get_size(path) == len(want) else 'BAD ') + name)\n";
  WriteHost("check.py", std::vector<uint8_t>(script.begin(), script.end()));
  int status = 0;
  const std::string report = RunCommand(
      "/usr/bin/python3 '" + Host("check.py") + "' '" + Host("ours.stg") + "' '" + Host("expected") + "' 2>&1",
      &status);
  ASSERT_EQ(status, 0) << report;
  size_t ok = 0;
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.rfind("OK ", 0), 0u) << line;
    ok += line.rfind("OK ", 0) == 0;
  }
  EXPECT_EQ(ok, Contents().size()) << report;
}

TEST_F(OleInterop, WeReadWhatGsfWrites) {
  if (!HaveTool("gsf --help")) GTEST_SKIP() << "gsf (package libgsf-bin) is not installed";
  std::filesystem::create_directories(Host("in/folder"));
  const std::map<std::string, std::vector<uint8_t>> files = {
      {"empty.bin", {}},
      {"small.bin", Pattern(100, 1)},
      {"edge.bin", Pattern(4096, 2)},
      {"large.bin", Pattern(300000, 3)},
      {"folder/nested.bin", Pattern(5000, 4)},
  };
  for (const auto& [name, bytes] : files) WriteHost("in/" + name, bytes);
  int status = 0;
  const std::string log = RunCommand("cd '" + Host("in") + "' && gsf createole '" + Host("gsf.ole") +
                                         "' empty.bin small.bin edge.bin large.bin folder 2>&1",
                                     &status);
  ASSERT_EQ(status, 0) << log;
  kx2::Ref<IStorage> root;
  ASSERT_EQ(StgOpenStorage(u"T:\\gsf.ole", nullptr, kRead, nullptr, 0, root.put()), S_OK);
  for (const auto& [name, bytes] : files) {
    if (name.find('/') != std::string::npos) continue;
    EXPECT_EQ(ReadStream(root.get(), Wide(name).c_str()), bytes) << name;
  }
  kx2::Ref<IStorage> folder;
  ASSERT_EQ(root->OpenStorage(u"folder", nullptr, kRead, nullptr, 0, folder.put()), S_OK);
  EXPECT_EQ(ReadStream(folder.get(), u"nested.bin"), files.at("folder/nested.bin"));
}

}  // namespace
