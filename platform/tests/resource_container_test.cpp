// Resource containers compiled from resources/: string tables, languages, binary data,
// enumeration, and containers that are damaged.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kx2/PathMap.h"
#include "kx2/ResourceContainer.h"
#include "win/kernel.h"
#include "win/module.h"
#include "win/resource.h"

namespace {

std::string BinDir() {
  const char* env = getenv("KX2_BIN_DIR");
  return env && *env ? env : KX2_BIN_DIR;
}

std::u16string WinPath(const std::string& posix) { return kx2::ToWindowsPath(posix); }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class TestResources : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KX2_LCID", "0x0409", 1);  // neutral requests then prefer US English
    path_ = BinDir() + "/Languages/ENU/Kx2TestRes.ENU";
    module_ = LoadLibraryExW(WinPath(path_).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr) << path_ << " error " << GetLastError();
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
  }

  std::u16string Load(UINT id, int size = 256) {
    std::vector<char16_t> buf(static_cast<size_t>(size) + 1, u'#');
    int n = LoadStringW(module_, id, buf.data(), size);
    EXPECT_EQ(buf[static_cast<size_t>(n)], u'\0');
    return std::u16string(buf.data(), static_cast<size_t>(n));
  }

  std::string path_;
  HMODULE module_ = nullptr;
};

TEST_F(TestResources, StringTableLoadsThroughLoadString) {
  struct Case {
    UINT id;
    const char16_t* text;
  } cases[] = {
      {1, u"One"},
      {2, u""},  // present but empty
      {3, u"Smile \u263A and \u00FCmlaut"},
      {4, u""},  // absent from a block that exists
      {17, u"Seventeen"},
      {18, u"Tab\there, quote \" and \"another\", joined"},
      {40, u"Block three"},
      {41, u""},
      {500, u""},  // its block does not exist
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.id), c.text) << c.id;

  SetLastError(0);
  EXPECT_EQ(Load(500), u"");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(TestResources, LoadStringBufferSizes) {
  EXPECT_EQ(Load(1, 3), u"On") << "truncated to the buffer, terminated";
  EXPECT_EQ(Load(1, 1), u"");
  // Size 0: a read-only pointer to the string itself, and its length.
  const char16_t* direct = nullptr;
  int n = LoadStringW(module_, 17, reinterpret_cast<LPWSTR>(&direct), 0);
  ASSERT_EQ(n, 9);
  ASSERT_NE(direct, nullptr);
  EXPECT_EQ(std::u16string(direct, 9), u"Seventeen");
  EXPECT_EQ(LoadStringW(module_, 2, reinterpret_cast<LPWSTR>(&direct), 0), 0);
}

TEST_F(TestResources, LanguagesAreKeptPerResource) {
  // Block 1 exists in US English and in German; a neutral request prefers English.
  HRSRC german = FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(1), 0x0407);
  ASSERT_NE(german, nullptr);
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, german)));
  ASSERT_NE(data, nullptr);
  // Entry 0 of the block is empty, entry 1 is "Eins".
  ASSERT_GE(SizeofResource(module_, german), 12u);
  EXPECT_EQ(std::memcmp(data, "\0\0\x04\0E\0i\0n\0s\0", 12), 0);
  EXPECT_EQ(FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(1), 0x040C), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));

  std::vector<WORD> languages;
  ASSERT_TRUE(EnumResourceLanguagesW(
      module_, RT_STRING, MAKEINTRESOURCEW(1),
      [](HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR p) -> BOOL {
        reinterpret_cast<std::vector<WORD>*>(p)->push_back(lang);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&languages)));
  EXPECT_EQ(languages, (std::vector<WORD>{0x0407, 0x0409}));
}

TEST_F(TestResources, EnumerationListsTypesThenNames) {
  std::vector<std::u16string> seen;
  ASSERT_TRUE(EnumResourceTypesW(
      module_,
      [](HMODULE, LPWSTR type, LONG_PTR p) -> BOOL {
        auto* out = reinterpret_cast<std::vector<std::u16string>*>(p);
        if (IS_INTRESOURCE(type)) {
          std::string id = "#" + std::to_string(LOWORD(type));
          out->push_back(std::u16string(id.begin(), id.end()));
        } else {
          out->push_back(type);
        }
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&seen)));
  // Named types first, then numbers: "PNG", RT_STRING (6), RT_RCDATA (10).
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"PNG", u"#6", u"#10"}));

  std::vector<UINT> blocks;
  ASSERT_TRUE(EnumResourceNamesW(
      module_, RT_STRING,
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR p) -> BOOL {
        reinterpret_cast<std::vector<UINT>*>(p)->push_back(LOWORD(name));
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&blocks)));
  EXPECT_EQ(blocks, (std::vector<UINT>{1, 2, 3}));

  // A callback that stops the enumeration makes the call fail with the user-stop code.
  EXPECT_FALSE(EnumResourceTypesW(
      module_, [](HMODULE, LPWSTR, LONG_PTR) -> BOOL { return FALSE; }, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_ENUM_USER_STOP));
  EXPECT_FALSE(EnumResourceNamesW(
      module_, RT_BITMAP, [](HMODULE, LPCWSTR, LPWSTR, LONG_PTR) -> BOOL { return TRUE; }, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST_F(TestResources, BinaryDataFromFilesAndInline) {
  auto picture = ReadFile(std::string(KX2_SOURCE_DIR) + "/resources/Kx2TestRes/dot.png");
  ASSERT_FALSE(picture.empty());
  // The same file under a numeric id, under names in any case, and as "#id".
  struct Lookup {
    LPCWSTR name;
    LPCWSTR type;
  } lookups[] = {{MAKEINTRESOURCEW(201), RT_RCDATA}, {u"#201", RT_RCDATA}, {u"dot", u"png"}, {u"DOT", u"#0"}};
  for (size_t i = 0; i < 3; ++i) {
    HRSRC r = FindResourceW(module_, lookups[i].name, lookups[i].type);
    ASSERT_NE(r, nullptr) << i;
    ASSERT_EQ(SizeofResource(module_, r), picture.size());
    EXPECT_EQ(std::memcmp(LockResource(LoadResource(module_, r)), picture.data(), picture.size()), 0);
  }
  EXPECT_EQ(FindResourceW(module_, lookups[3].name, lookups[3].type), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(202), RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));

  HRSRC inlineData = FindResourceW(module_, MAKEINTRESOURCEW(7), RT_RCDATA);
  ASSERT_NE(inlineData, nullptr);
  const uint8_t expected[] = {0x02, 0x01, 0x06, 0x05, 0x04, 0x03, 'a', 'b', 'c', 0};
  ASSERT_EQ(SizeofResource(module_, inlineData), sizeof expected);
  EXPECT_EQ(std::memcmp(LockResource(LoadResource(module_, inlineData)), expected, sizeof expected), 0);
  // An HRSRC of one module means nothing to another.
  EXPECT_EQ(LoadResource(nullptr, inlineData), nullptr);
}

// ---- Damaged containers -------------------------------------------------------------

class DamagedContainer : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-rsrc-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    good_ = ReadFile(BinDir() + "/Languages/ENU/Kx2TestRes.ENU");
    ASSERT_GT(good_.size(), 64u);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Loads bytes as a data file; the module or null, and the error.
  HMODULE Try(const std::vector<uint8_t>& bytes, DWORD* error, const char* name = "damaged.ENU") {
    std::string path = dir_ + "/" + name;
    WriteFile(path, bytes);
    SetLastError(0);
    HMODULE h = LoadLibraryExW(kx2::ToWindowsPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    *error = GetLastError();
    std::filesystem::remove(path);
    return h;
  }

  static void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
  }

  std::string dir_;
  std::vector<uint8_t> good_;
};

TEST_F(DamagedContainer, EveryTruncationIsRefused) {
  for (size_t n = 0; n < good_.size(); ++n) {
    DWORD error = 0;
    HMODULE h = Try(std::vector<uint8_t>(good_.begin(), good_.begin() + static_cast<long>(n)), &error);
    ASSERT_EQ(h, nullptr) << "length " << n;
    ASSERT_EQ(error, static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << "length " << n;
  }
}

TEST_F(DamagedContainer, BadFieldsAreRefused) {
  using namespace kx2::rsrc;
  const size_t entry0 = kHeaderSize;
  struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
  } damages[] = {
      {"magic", [](auto& b) { b[0] = 'X'; }},
      {"version", [](auto& b) { b[4] = 2; }},
      {"entry size", [](auto& b) { b[6] = 20; }},
      {"entry count past the end", [](auto& b) { Put32(b, 8, 0x10000000); }},
      {"file size", [](auto& b) { Put32(b, 12, static_cast<uint32_t>(b.size() + 1)); }},
      {"data offset past the end", [&](auto& b) { Put32(b, entry0 + 12, static_cast<uint32_t>(b.size())); }},
      {"data size past the end", [&](auto& b) { Put32(b, entry0 + 16, 0xFFFFFFF0u); }},
      {"type id zero", [&](auto& b) { Put32(b, entry0, 0); }},
      {"type id too large", [&](auto& b) { Put32(b, entry0, 0x10000); }},
      {"name offset past the end",
       [&](auto& b) { Put32(b, entry0 + 4, kNamedFlag | static_cast<uint32_t>(b.size())); }},
      {"name offset odd", [&](auto& b) { Put32(b, entry0 + 4, kNamedFlag | 17); }},
      {"the same resource twice",
       [&](auto& b) { std::copy_n(b.begin() + entry0 + kEntrySize, 12, b.begin() + entry0); }},
  };
  for (const auto& d : damages) {
    std::vector<uint8_t> bytes = good_;
    d.apply(bytes);
    DWORD error = 0;
    EXPECT_EQ(Try(bytes, &error), nullptr) << d.what;
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << d.what;
  }
  DWORD error = 0;
  EXPECT_EQ(Try({'h', 'e', 'l', 'l', 'o'}, &error, "text.dll"), nullptr);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  EXPECT_EQ(LoadLibraryExW(kx2::ToWindowsPath(dir_ + "/absent.ENU").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(DamagedContainer, WrittenContainersReadBack) {
  // The writer tests and tools use: a name longer than one unit, and an empty blob.
  kx2::rsrc::ContainerWriter w;
  ASSERT_TRUE(w.Add(std::u16string(u"Layout"), uint16_t{3}, 0x0411, {1, 2, 3}));
  ASSERT_TRUE(w.Add(uint16_t{10}, std::u16string(u"empty"), 0, {}));
  EXPECT_FALSE(w.Add(uint16_t{10}, std::u16string(u"EMPTY"), 0, {9})) << "names are upper-cased";
  DWORD error = 0;
  HMODULE h = Try(w.Build(), &error);
  ASSERT_NE(h, nullptr) << error;
  HRSRC r = FindResourceExW(h, u"layout", MAKEINTRESOURCEW(3), 0x0411);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(h, r), 3u);
  r = FindResourceW(h, u"Empty", RT_RCDATA);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(h, r), 0u);
  EXPECT_TRUE(FreeLibrary(h));
}

}  // namespace

namespace {

// A name used by several resources (a type such as "PNG") is stored once and every entry
// refers to it as a name.
TEST(ResourceContainerWriter, ARepeatedNameStaysANameInEveryEntry) {
  kx2::rsrc::ContainerWriter writer;
  writer.Add(std::u16string(u"TEXTFILE"), std::u16string(u"ONE"), 0, {1, 2});
  writer.Add(std::u16string(u"TEXTFILE"), std::u16string(u"TWO"), 0, {3, 4});
  const auto bytes = writer.Build();
  for (int entry = 0; entry < 2; ++entry) {
    const size_t at = kx2::rsrc::kHeaderSize + kx2::rsrc::kEntrySize * entry;
    const uint32_t type = bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (uint32_t{bytes[at + 3]} << 24);
    EXPECT_NE(type & kx2::rsrc::kNamedFlag, 0u) << entry;
  }
}

}  // namespace
