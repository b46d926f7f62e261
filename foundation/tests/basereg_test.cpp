// Registry wrappers: the same calls against the platform registry (store flag 0) and the
// in-process tree (flag 1) leave the same keys, values, types and data; the in-process
// tree's own rules (0/-1 results, a handle table, a value keeps its type) and its mends
// (buffer sizes honoured, text read as UTF-16).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <basalt/base_registry.h>
#include <kx2/Registry.h>

using Basalt::Base::BaseRegistry;
namespace fs = std::filesystem;

namespace {

class BaseReg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/kx2_basereg_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    folder_ = tmpl;
    setenv("KX2_REGISTRY", tmpl, 1);
    Kx2RegistryReset();
  }
  static void TearDownTestSuite() {
    Kx2RegistryReset();
    fs::remove_all(folder_);
  }
  static fs::path folder_;
};
fs::path BaseReg::folder_;

// Every key below `key` with its values, as "path" -> "name:type:bytes..." lines, sorted.
void Dump(HKEY key, const std::u16string& path, int store, std::map<std::u16string, std::vector<std::string>>& out) {
  auto& lines = out[path];
  for (DWORD i = 0;; ++i) {
    char16_t name[260];
    DWORD cch = 260, type = 0, cb = 0;
    BYTE data[256];
    cb = sizeof data;
    if (BaseRegistry::_RegEnumValue(key, i, name, &cch, nullptr, &type, data, &cb, store) != 0) break;
    std::string line = std::string(name, name + std::char_traits<char16_t>::length(name)) + ":" + std::to_string(type);
    for (DWORD b = 0; b < cb; ++b) line += " " + std::to_string(data[b]);
    lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  for (DWORD i = 0;; ++i) {
    char16_t name[260];
    if (BaseRegistry::_RegEnumKey(key, i, name, 260, store) != 0) break;
    HKEY sub = nullptr;
    ASSERT_EQ(BaseRegistry::_RegOpenKey(key, name, &sub, store), 0);
    Dump(sub, path + u"\\" + name, store, out);
    BaseRegistry::_RegCloseKey(sub, store);
  }
}

// One sequence of calls; each entry says whether the call succeeded (or its exact code
// where both sides must give the same one).
std::vector<long> RunSequence(int store, const char16_t* base,
                              std::map<std::u16string, std::vector<std::string>>& state) {
  std::vector<long> r;
  auto ok = [&](LONG code) { r.push_back(code == 0 ? 0 : 1); };
  HKEY k = nullptr, b = nullptr, t = nullptr;
  const std::u16string root = base;
  ok(BaseRegistry::_RegCreateKey(HKEY_CURRENT_USER, (root + u"\\A").c_str(), &k, store));
  ok(BaseRegistry::_RegOpenKeyEx(HKEY_CURRENT_USER, (root + u"\\a").c_str(), 0, KEY_ALL_ACCESS, &t, store));
  ok(BaseRegistry::_RegOpenKey(HKEY_CURRENT_USER, (root + u"\\Missing\\A").c_str(), &t, store));
  DWORD dw = 1033;
  uint64_t qw = 0xFEDCBA9876543210ull;
  const char16_t sz[] = u"hello";
  const char16_t multi[] = u"C:\\Fonts\0D:\\More\0";
  BYTE bin[5] = {1, 2, 0, 4, 5};
  ok(BaseRegistry::_RegSetValueEx(k, u"dw", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4, store));
  ok(BaseRegistry::_RegSetValueEx(k, u"qw", 0, REG_QWORD, reinterpret_cast<BYTE*>(&qw), 8, store));
  ok(BaseRegistry::_RegSetValueEx(k, u"sz", 0, REG_SZ, reinterpret_cast<const BYTE*>(sz), sizeof sz, store));
  ok(BaseRegistry::_RegSetValueEx(k, u"multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi,
                                  store));
  ok(BaseRegistry::_RegSetValueEx(k, u"bin", 0, REG_BINARY, bin, 5, store));
  ok(BaseRegistry::_RegSetValueEx(k, u"bin", 0, REG_BINARY, bin, 3, store));

  // Reading: a small buffer is refused the same way on both sides.
  BYTE buf[64];
  DWORD type = 0, cb = 4;
  r.push_back(BaseRegistry::_RegQueryValueEx(k, u"sz", nullptr, &type, buf, &cb, store));
  r.push_back(cb);
  cb = sizeof buf;
  ok(BaseRegistry::_RegQueryValueEx(k, u"qw", nullptr, &type, buf, &cb, store));
  r.push_back(cb);
  r.push_back(std::memcmp(buf, &qw, 8));
  ok(BaseRegistry::_RegQueryValueEx(k, u"missing", nullptr, &type, buf, &cb, store));

  // Text: UTF-16 as stored, lists included; a buffer that is too small is left alone.
  char16_t text[64];
  DWORD cch = 0;
  r.push_back(BaseRegistry::_RegQueryString(k, u"multi", nullptr, &type, text, &cch, store));
  r.push_back(cch);
  cch = 64;
  ok(BaseRegistry::_RegQueryString(k, u"multi", nullptr, &type, text, &cch, store));
  r.push_back(cch);
  r.push_back(std::u16string(text, cch) == std::u16string(multi, sizeof multi / 2) ? 0 : 1);
  cch = 0;
  ok(BaseRegistry::_RegQueryString(k, u"sz", nullptr, &type, nullptr, &cch, store));
  r.push_back(cch);

  ok(BaseRegistry::_RegDeleteValue(k, u"dw", store));
  ok(BaseRegistry::_RegDeleteValue(k, u"dw", store));
  ok(BaseRegistry::_RegCreateKeyEx(k, u"K1\\Deep", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &b, nullptr, store));
  ok(BaseRegistry::_RegCreateKey(k, u"K2", &t, store));
  ok(BaseRegistry::_RegDeleteKey(k, u"K1", store));  // it has a child
  ok(BaseRegistry::_RegDeleteKey(k, u"K1\\Deep", store));
  ok(BaseRegistry::_RegDeleteKey(k, u"K1", store));
  ok(BaseRegistry::_RegDeleteKey(k, u"K1", store));
  DWORD subKeys = 9, values = 9;
  ok(BaseRegistry::_RegQueryInfoKey(k, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr,
                                    nullptr, nullptr, store));
  r.push_back(subKeys);
  r.push_back(values);
  char16_t name[4];
  r.push_back(BaseRegistry::_RegEnumKey(k, 0, name, 2, store));  // "K2" needs 3 units
  ok(BaseRegistry::_RegEnumKey(k, 1, name, 4, store));
  ok(BaseRegistry::_RegCloseKey(k, store));

  HKEY top = nullptr;
  BaseRegistry::_RegOpenKey(HKEY_CURRENT_USER, base, &top, store);
  Dump(top, u"", store, state);
  return r;
}

TEST_F(BaseReg, PlatformAndInProcessAgree) {
  std::map<std::u16string, std::vector<std::string>> platform, inProcess;
  std::vector<long> a = RunSequence(0, u"Software\\Kx2BaseRegAgree", platform);
  std::vector<long> b = RunSequence(1, u"Software\\Kx2BaseRegAgree", inProcess);
  EXPECT_EQ(a, b);
  EXPECT_EQ(platform, inProcess);
  EXPECT_EQ(platform.size(), 3u);  // the base, A and A\K2
}

TEST_F(BaseReg, PlatformSideReturnsTheWin32Results) {
  HKEY k = nullptr, w = nullptr;
  EXPECT_EQ(BaseRegistry::_RegOpenKey(HKEY_CURRENT_USER, u"Software\\Kx2NoSuchKey", &k, 0),
            RegOpenKeyW(HKEY_CURRENT_USER, u"Software\\Kx2NoSuchKey", &w));
  ASSERT_EQ(BaseRegistry::_RegCreateKey(HKEY_CURRENT_USER, u"Software\\Kx2Win32", &k, 0), ERROR_SUCCESS);
  DWORD type = 0, cb = 0;
  EXPECT_EQ(BaseRegistry::_RegQueryValueEx(k, u"none", nullptr, &type, nullptr, &cb, 0), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(BaseRegistry::_RegDeleteKey(HKEY_CURRENT_USER, u"Software\\Kx2NoSuchKey", 0),
            RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Kx2NoSuchKey"));
  EXPECT_EQ(BaseRegistry::_RegCloseKey(k, 0), ERROR_SUCCESS);
}

TEST_F(BaseReg, InProcessTreeRules) {
  const int kTree = 1;
  HKEY a = nullptr, again = nullptr, child = nullptr;
  ASSERT_EQ(BaseRegistry::_RegCreateKey(HKEY_CURRENT_USER, u"Software\\Rules\\A", &a, kTree), 0);
  EXPECT_EQ(BaseRegistry::_RegOpenKey(HKEY_CURRENT_USER, u"software\\rules\\a", &again, kTree), 0);
  EXPECT_EQ(again, a);  // one key, one handle
  HKEY self = nullptr;
  EXPECT_EQ(BaseRegistry::_RegOpenKey(a, nullptr, &self, kTree), 0);
  EXPECT_EQ(self, a);
  DWORD disposition = 0;
  EXPECT_EQ(BaseRegistry::_RegCreateKeyEx(a, u"\\\\C\\", 0, nullptr, 0, 0, nullptr, &child, &disposition, kTree), 0);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));

  // A value keeps its type: a REG_SZ write over a DWORD fails and the DWORD stays.
  DWORD dw = 7;
  const char16_t sz[] = u"x";
  ASSERT_EQ(BaseRegistry::_RegSetValueEx(a, u"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4, kTree), 0);
  EXPECT_EQ(BaseRegistry::_RegSetValueEx(a, u"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(sz), 4, kTree), -1);
  DWORD type = 0, cb = 4, got = 0;
  EXPECT_EQ(BaseRegistry::_RegQueryValueEx(a, u"v", nullptr, &type, reinterpret_cast<BYTE*>(&got), &cb, kTree), 0);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(got, 7u);
  EXPECT_EQ(BaseRegistry::_RegQueryValueEx(a, u"V", nullptr, &type, nullptr, &cb, kTree), -1);  // exact value names

  // The key's counters keep the longest value name and the largest data a value was made
  // with; a smaller value made later leaves them.
  BYTE twelve[12] = {};
  ASSERT_EQ(BaseRegistry::_RegSetValueEx(a, u"twelve", 0, REG_BINARY, twelve, 12, kTree), 0);
  ASSERT_EQ(BaseRegistry::_RegSetValueEx(a, u"w", 0, REG_BINARY, twelve, 2, kTree), 0);
  DWORD valueCount = 0, longestName = 0, largestData = 0;
  EXPECT_EQ(BaseRegistry::_RegQueryInfoKey(a, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                                           &longestName, &largestData, nullptr, nullptr, kTree),
            0);
  EXPECT_EQ(valueCount, 3u);
  EXPECT_EQ(longestName, 6u);
  EXPECT_EQ(largestData, 12u);

  // The default text: lengths in units; never past the caller's buffer.
  EXPECT_EQ(BaseRegistry::_RegSetValue(HKEY_CURRENT_USER, u"Software\\Rules\\A", REG_SZ, u"abc", 0, kTree), 0);
  char16_t text[8] = {u'#', u'#', u'#', u'#', u'#', u'#', u'#', u'#'};
  LONG units = 4;  // bytes: too small for "abc" and its terminator
  EXPECT_EQ(BaseRegistry::_RegQueryValue(HKEY_CURRENT_USER, u"Software\\Rules\\A", text, &units, kTree),
            ERROR_MORE_DATA);
  EXPECT_EQ(text[0], u'#');
  units = sizeof text;
  EXPECT_EQ(BaseRegistry::_RegQueryValue(HKEY_CURRENT_USER, u"Software\\Rules\\A", text, &units, kTree), 0);
  EXPECT_EQ(std::u16string(text), u"abc");
  EXPECT_EQ(units, 3);
  EXPECT_EQ(BaseRegistry::_RegSetValue(HKEY_CURRENT_USER, u"Software\\Rules\\Missing", REG_SZ, u"abc", 0, kTree), -1);
  DWORD cch = 0;
  EXPECT_EQ(BaseRegistry::_RegQueryString(a, nullptr, nullptr, &type, text, &cch, kTree), ERROR_MORE_DATA);
  EXPECT_EQ(cch, 4u);

  // Deleting: not with child keys, never a root; the subkey count comes back.
  HKEY rules = nullptr;
  ASSERT_EQ(BaseRegistry::_RegOpenKey(HKEY_CURRENT_USER, u"Software\\Rules", &rules, kTree), 0);
  DWORD before = 0, after = 0;
  BaseRegistry::_RegQueryInfoKey(rules, nullptr, nullptr, nullptr, &before, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, kTree);
  EXPECT_EQ(BaseRegistry::_RegDeleteKey(a, nullptr, kTree), -1);
  EXPECT_EQ(BaseRegistry::_RegDeleteKey(child, nullptr, kTree), 0);
  EXPECT_EQ(BaseRegistry::_RegDeleteKey(a, nullptr, kTree), 0);
  BaseRegistry::_RegQueryInfoKey(rules, nullptr, nullptr, nullptr, &after, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, kTree);
  EXPECT_EQ(after, before - 1);
  EXPECT_EQ(BaseRegistry::_RegDeleteKey(HKEY_CURRENT_USER, nullptr, kTree), -1);
  EXPECT_EQ(BaseRegistry::_RegDeleteKey(HKEY_LOCAL_MACHINE, nullptr, kTree), -1);

  // Stale and foreign handles are refused, whatever the call.
  HKEY foreign = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x1234));
  for (HKEY h : {a, child, foreign}) {
    EXPECT_EQ(BaseRegistry::_RegQueryValueEx(h, u"v", nullptr, &type, nullptr, &cb, kTree), -1);
    EXPECT_EQ(BaseRegistry::_RegDeleteKey(h, nullptr, kTree), -1);
    EXPECT_EQ(BaseRegistry::_RegCloseKey(h, kTree), -1);
    EXPECT_EQ(BaseRegistry::_RegEnumKey(h, 0, text, 8, kTree), -1);
  }
  EXPECT_EQ(BaseRegistry::_RegCloseKey(HKEY_CLASSES_ROOT, kTree), 0);
  EXPECT_EQ(BaseRegistry::_RegOpenKey(HKEY_USERS, nullptr, &self, kTree), -1);

  // Keys enumerate in creation order; the index past the last gives -1.
  HKEY order = nullptr, tmp = nullptr;
  ASSERT_EQ(BaseRegistry::_RegCreateKey(HKEY_LOCAL_MACHINE, u"Order", &order, kTree), 0);
  for (const char16_t* n : {u"zeta", u"alpha", u"mid"}) BaseRegistry::_RegCreateKey(order, n, &tmp, kTree);
  std::vector<std::u16string> names;
  for (DWORD i = 0; BaseRegistry::_RegEnumKey(order, i, text, 8, kTree) == 0; ++i) names.push_back(text);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"zeta", u"alpha", u"mid"}));
  EXPECT_EQ(BaseRegistry::_RegEnumKey(order, 3, text, 8, kTree), -1);
  std::u16string tooLong(260, u'k');
  EXPECT_EQ(BaseRegistry::_RegCreateKey(order, tooLong.c_str(), &tmp, kTree), -1);
}

}  // namespace
