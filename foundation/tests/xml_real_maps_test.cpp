// Real map files written by other programs parse without error: the FreeMind maps (read as
// UTF-8 and turned into UTF-16), and the XML parts inside XMind and MindManager packages.
#include <gtest/gtest.h>

#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "xml_test_support.h"

using namespace Basalt::XMLDom;
namespace fs = std::filesystem;

namespace {

const fs::path kMaps = fs::path(KX2_SHARED_DIR) / "testdata" / "maps";

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> FilesIn(const char* folder) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(kMaps / folder, ec)) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

// Parses UTF-8 text; returns an empty string on success, else what went wrong.
std::string ParseProblem(const std::string& utf8) {
  std::u16string text = kx2::Utf8ToUtf16(utf8);
  XMLDocument doc;
  const char16_t* end = doc.Load(text.c_str(), nullptr);
  if (!end)
    return "no result, error " + std::to_string(doc.parseInfo.errorCode) + ": " + xmltest::U8(doc.parseInfo.errorText);
  if (doc.parseInfo.errorOccurred) return "error " + std::to_string(doc.parseInfo.errorCode);
  if (!doc.GetRoot() || doc.GetRoot()->name.empty()) return "no root element";
  if (!xmltest::Consistent(doc)) return "inconsistent tree";
  return "";
}

TEST(XmlRealMaps, FreeMindMapsParse) {
  if (!fs::is_directory(kMaps / "mm")) GTEST_SKIP() << "real maps not found under " << kMaps;
  int parsed = 0;
  for (const fs::path& p : FilesIn("mm")) {
    std::string problem = ParseProblem(ReadBytes(p));
    // The Russian map holds raw CP1251 bytes: it only has to be read safely.
    if (p.filename().string().find("_ru") != std::string::npos) continue;
    EXPECT_EQ(problem, "") << p.filename();
    ++parsed;
  }
  EXPECT_GE(parsed, 18);
}

TEST(XmlRealMaps, PackagedXmlParses) {
  if (!fs::is_directory(kMaps / "xmind")) GTEST_SKIP() << "real maps not found under " << kMaps;
  int parsed = 0;
  for (const char* folder : {"xmind", "mmap"}) {
    for (const fs::path& p : FilesIn(folder)) {
      int err = 0;
      zip_t* z = zip_open(p.c_str(), ZIP_RDONLY, &err);
      ASSERT_NE(z, nullptr) << p;
      for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        std::string name = zip_get_name(z, i, 0);
        std::string base = name.substr(name.find_last_of('/') + 1);
        if (base != "content.xml" && base != "styles.xml" && base != "Document.xml") continue;
        zip_stat_t st;
        ASSERT_EQ(zip_stat_index(z, i, 0, &st), 0);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, i, 0);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(zip_fread(f, data.data(), st.size), static_cast<zip_int64_t>(st.size));
        zip_fclose(f);
        EXPECT_EQ(ParseProblem(data), "") << p.filename() << " " << name;
        ++parsed;
      }
      zip_close(z);
    }
  }
  EXPECT_GE(parsed, 14);
}

}  // namespace
