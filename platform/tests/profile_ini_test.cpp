// INI profile files: Win32's reading rules, lists and their truncation, edits that keep
// the rest of the file, encodings, structs and win.ini.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

class Profile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-ini-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("KX2_PROFILES", (dir_ + "/profiles").c_str(), 1);
    file_ = kx2::ToWindowsPath(dir_ + "/app.ini");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteRaw(const std::string& bytes) { std::ofstream(dir_ + "/app.ini", std::ios::binary) << bytes; }
  std::string ReadRaw(const std::string& name = "app.ini") {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::u16string Get(const char16_t* section, const char16_t* key, const char16_t* def = u"-", DWORD size = 64) {
    std::u16string buf(size, u'#');
    DWORD n = GetPrivateProfileStringW(section, key, def, buf.data(), size, file_.c_str());
    return buf.substr(0, n);
  }
  // A list result with its terminators made visible as '|'.
  std::u16string List(const char16_t* section, const char16_t* key, DWORD size = 64) {
    std::u16string buf(size, u'#');
    DWORD n = GetPrivateProfileStringW(section, key, u"", buf.data(), size, file_.c_str());
    std::u16string out = buf.substr(0, std::min<DWORD>(n + 1, size));
    for (auto& c : out)
      if (c == 0) c = u'|';
    return out;
  }

  std::string dir_;
  std::u16string file_;
};

TEST_F(Profile, ReadingFollowsWin32Rules) {
  WriteRaw(
      "; comment\r\n"
      "[First]\r\n"
      "  Name =  spaced value  \r\n"
      "Quoted=\"  kept inside  \"\r\n"
      "Single='x'\r\n"
      "Half=\"open\r\n"
      "Empty=\r\n"
      "Bare\r\n"
      "Number= -0x1F \r\n"
      "[ second ]\r\n"
      "Number=42abc\r\n"
      "[first]\r\n"
      "Name=shadowed by the first [First]\r\n");
  struct Case {
    const char16_t* section;
    const char16_t* key;
    const char16_t* expected;
  } cases[] = {
      {u"FIRST", u"name", u"spaced value"},
      {u"First", u"Quoted", u"  kept inside  "},
      {u"First", u"Single", u"x"},
      {u"First", u"Half", u"\"open"},
      {u"First", u"Empty", u""},
      {u"First", u"Bare", u""},
      {u"Second", u"Number", u"42abc"},
      {u"First", u"Missing", u"-"},
      {u"Nowhere", u"Name", u"-"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Get(c.section, c.key), c.expected) << kx2::Utf16ToUtf8(c.section) << "/" << kx2::Utf16ToUtf8(c.key);
  EXPECT_EQ(Get(u"First", u"Missing", u"default   "), u"default") << "the default loses trailing blanks";
  EXPECT_EQ(Get(u"First", u"Name", u"", 6), u"space") << "cut to the buffer";

  EXPECT_EQ(GetPrivateProfileIntW(u"First", u"Number", 7, file_.c_str()), static_cast<UINT>(-31));
  EXPECT_EQ(GetPrivateProfileIntW(u"Second", u"Number", 7, file_.c_str()), 42u);
  EXPECT_EQ(GetPrivateProfileIntW(u"First", u"Empty", 7, file_.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileIntW(u"First", u"Quoted", 7, file_.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntW(u"First", u"Missing", 7, file_.c_str()), 7u);

  EXPECT_EQ(List(nullptr, nullptr), u"First|second|first||");
  EXPECT_EQ(List(u"second", nullptr), u"Number||");
  // A cut list ends with two terminators, and the result is the size less two.
  char16_t cut[10];
  ASSERT_EQ(GetPrivateProfileSectionNamesW(cut, 10, file_.c_str()), 8u);
  EXPECT_EQ(std::u16string(cut, 10), std::u16string(u"First\0se\0\0", 10));

  char16_t section[128];
  DWORD n = GetPrivateProfileSectionW(u"Second", section, 128, file_.c_str());
  EXPECT_EQ(std::u16string(section, n), std::u16string(u"Number=42abc\0", 13));
}

TEST_F(Profile, EditsKeepTheRestOfTheFile) {
  WriteRaw(
      "; keep me\r\n"
      "[App]\r\n"
      "Old = 1\r\n"
      "\r\n"
      "[Other]\r\n"
      "X=y\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"app", u"OLD", u"2", file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"App", u"New", u"three", file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Third", u"K", u"v", file_.c_str()));
  EXPECT_EQ(ReadRaw(),
            "; keep me\r\n"
            "[App]\r\n"
            "Old=2\r\n"
            "New=three\r\n"
            "\r\n"
            "[Other]\r\n"
            "X=y\r\n"
            "\r\n"
            "[Third]\r\n"
            "K=v\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"App", u"Old", nullptr, file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Other", nullptr, nullptr, file_.c_str()));
  const char16_t lines[] = u"A=1\0B=2\0";
  ASSERT_TRUE(WritePrivateProfileSectionW(u"Third", lines, file_.c_str()));
  EXPECT_EQ(ReadRaw(),
            "; keep me\r\n"
            "[App]\r\n"
            "New=three\r\n"
            "\r\n"
            "[Third]\r\n"
            "A=1\r\n"
            "B=2\r\n");
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"K", u"v", file_.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // Deleting from a file that does not exist creates nothing.
  std::u16string absent = kx2::ToWindowsPath(dir_ + "/absent.ini");
  EXPECT_TRUE(WritePrivateProfileStringW(u"S", u"K", nullptr, absent.c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/absent.ini"));
}

TEST_F(Profile, EncodingsAndLineEndsAreKept) {
  // UTF-16 with a byte-order mark and "\n" line ends stays so.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[S]\nK=\xE9\n")) utf16 += c, utf16 += '\0';
  WriteRaw(utf16);
  EXPECT_EQ(Get(u"S", u"K"), u"\u00E9");
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"J", u"\u263A", file_.c_str()));
  std::string raw = ReadRaw();
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(raw.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(Get(u"S", u"J"), u"\u263A");
  EXPECT_EQ(raw.find("\r"), std::string::npos);

  // ANSI text (not valid UTF-8) reads in the ANSI code page and is rewritten as UTF-8.
  WriteRaw("[S]\nK=caf\xE9\n");
  EXPECT_EQ(Get(u"S", u"K"), u"caf\u00E9");
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"J", u"\u263A", file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[S]\nK=caf\xC3\xA9\nJ=\xE2\x98\xBA\n");
}

TEST_F(Profile, StructsCarryAChecksum) {
  const uint8_t data[] = {0x01, 0xAB, 0xFF};
  ASSERT_TRUE(WritePrivateProfileStructW(u"S", u"Blob", const_cast<uint8_t*>(data), 3, file_.c_str()));
  EXPECT_EQ(Get(u"S", u"Blob"), u"01ABFFAB") << "bytes, then their sum modulo 256";
  uint8_t out[3] = {};
  ASSERT_TRUE(GetPrivateProfileStructW(u"S", u"Blob", out, 3, file_.c_str()));
  EXPECT_EQ(std::memcmp(out, data, 3), 0);
  EXPECT_FALSE(GetPrivateProfileStructW(u"S", u"Blob", out, 2, file_.c_str())) << "size differs";
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"Blob", u"01ABFFAC", file_.c_str()));
  EXPECT_FALSE(GetPrivateProfileStructW(u"S", u"Blob", out, 3, file_.c_str())) << "checksum differs";
}

TEST_F(Profile, WinIniAndBareNamesLieInTheProfileFolder) {
  ASSERT_TRUE(WriteProfileStringW(u"Windows", u"Beep", u"yes"));
  char16_t buf[16];
  EXPECT_EQ(GetProfileStringW(u"windows", u"beep", u"", buf, 16), 3u);
  EXPECT_EQ(std::u16string(buf), u"yes");
  EXPECT_EQ(GetProfileIntW(u"Windows", u"Missing", 5), 5u);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/profiles/win.ini"));
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"K", u"1", u"Bare.ini"));
  EXPECT_EQ(GetPrivateProfileIntW(u"S", u"K", 0, u"BARE.INI"), 1u) << "found without regard to case";
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/profiles/Bare.ini"));
}

}  // namespace
