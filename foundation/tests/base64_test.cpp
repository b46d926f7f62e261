// Base64: the settings store's line layout, lenient decoding, bounded writes, and agreement
// with coreutils' base64 in both directions.
#include <basalt/text_encoding.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

std::string Encode(const std::string& data, int* result = nullptr) {
  char* out = nullptr;
  const int n =
      _ExpAsciiToBase64(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()), &out);
  if (result) *result = n;
  std::string text = out ? out : "";
  std::free(out);
  return text;
}

// Decodes into a malloc'ed buffer; nullopt-like marker "<none>" when nothing was allocated.
std::string Decode(const char* text, int* result) {
  char* out = nullptr;
  *result = _ExpBase64ToAscii(text, &out);
  std::string data = out ? std::string(out, static_cast<size_t>(*result)) : "<none>";
  std::free(out);
  return data;
}

TEST(Base64, EncodesGroupsAndBreaksLinesAfter72Characters) {
  const std::string abc54(54, 'x');
  struct Case {
    std::string data;
    std::string text;
  };
  const Case cases[] = {
      {"", ""}, {"a", "YQ=="}, {"ab", "YWI="}, {"abc", "YWJj"}, {std::string("\0\xff\xfe", 3), "AP/+"},
  };
  for (const Case& c : cases) {
    int n = -1;
    EXPECT_EQ(Encode(c.data, &n), c.text);
    EXPECT_EQ(n, static_cast<int>(c.text.size()));  // the real length, not a line estimate
  }
  // 54 bytes: 72 characters and a line feed; one byte more starts a new line.
  int n = -1;
  const std::string line = Encode(abc54, &n);
  ASSERT_EQ(line.size(), 73u);
  EXPECT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\n'), 72u);
  EXPECT_EQ(n, 73);
  const std::string more = Encode(abc54 + "a", &n);
  EXPECT_EQ(more, line + "YQ==");
  EXPECT_EQ(n, 77);
  EXPECT_EQ(_ExpBase64EncodedSize(55), 77);
  EXPECT_EQ(_ExpBase64EncodedSize(0), 0);
  EXPECT_EQ(_ExpBase64EncodedSize(INT_MAX), -1);
}

TEST(Base64, EncoderFillsACallersBufferOfTheAnnouncedSizeExactly) {
  const std::string data(100, '\x5a');
  const int size = _ExpBase64EncodedSize(100);
  std::string buffer(static_cast<size_t>(size) + 2, '#');
  char* out = buffer.data();
  EXPECT_EQ(_ExpAsciiToBase64(reinterpret_cast<const unsigned char*>(data.data()), 100, &out), size);
  EXPECT_EQ(out, buffer.data());
  EXPECT_EQ(buffer[static_cast<size_t>(size)], '\0');
  EXPECT_EQ(buffer[static_cast<size_t>(size) + 1], '#');
}

TEST(Base64, DecodesAndRejects) {
  struct Case {
    const char* text;
    int result;
    std::string data;
  };
  const Case cases[] = {
      {"YWJj", 3, "abc"},
      {"YW Jj", 3, "abc"},
      {"YWJj\r\nYWJj\n", 6, "abcabc"},
      {"YQ=", 1, "a"},  // one "=" is enough
      {"YQ==\n", 1, "a"},
      {"YWI=", 2, "ab"},
      {"YQ", 1, "a"},  // an unpadded final group counts what it holds
      {"YWI", 2, "ab"},
      {"YWJjY", 3, "abc"},  // a lone final character holds no byte
      {"AP/+", 3, std::string("\0\xff\xfe", 3)},
      {"Y=", 0, "<none>"},
      {"YWJj=", 0, "<none>"},
      {"YQ==YQ==", 0, "<none>"},  // text after the padding
      {"YW*j", 0, "<none>"},
      {"YW-j", 0, "<none>"},
      {"", 0, "<none>"},
      {" \n", 0, "<none>"},
      {nullptr, 0, "<none>"},
  };
  for (const Case& c : cases) {
    int n = -1;
    EXPECT_EQ(Decode(c.text, &n), c.data) << (c.text ? c.text : "(null)");
    EXPECT_EQ(n, c.result) << (c.text ? c.text : "(null)");
  }
}

TEST(Base64, DecoderNeverWritesPastTheCountedSize) {
  const char* texts[] = {"YWI", "YQ", "YWJjYQ", "YWJjYWI="};
  for (const char* text : texts) {
    std::string buffer(16, '#');
    char* out = buffer.data();
    const int n = _ExpBase64ToAscii(text, &out);
    ASSERT_GT(n, 0);
    EXPECT_EQ(buffer.find_first_of('#'), static_cast<size_t>(n)) << text;
    EXPECT_LE(n, static_cast<int>(std::strlen(text) * 3 / 4));
  }
}

// A fresh folder per test run, removed at the end.
class Base64Coreutils : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "basalt-base64-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    if (std::system("command -v base64 >/dev/null 2>&1") != 0) GTEST_SKIP() << "coreutils base64 is not installed";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static void Write(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }
  static std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::filesystem::path dir_;
};

TEST_F(Base64Coreutils, OurTextDecodesWithBase64AndTheirsWithOurs) {
  std::mt19937 rng(7);
  for (size_t size : {1u, 2u, 3u, 53u, 54u, 55u, 108u, 1000u, 4099u}) {
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(rng());

    Write(Path("ours.b64"), Encode(data));
    ASSERT_EQ(std::system(("base64 -d " + Path("ours.b64") + " > " + Path("ours.bin")).c_str()), 0) << size;
    EXPECT_EQ(Read(Path("ours.bin")), data) << size;

    Write(Path("data.bin"), data);
    ASSERT_EQ(std::system(("base64 -w 72 " + Path("data.bin") + " > " + Path("theirs.b64")).c_str()), 0);
    int n = -1;
    EXPECT_EQ(Decode(Read(Path("theirs.b64")).c_str(), &n), data) << size;
    EXPECT_EQ(n, static_cast<int>(size));
  }
}

}  // namespace
