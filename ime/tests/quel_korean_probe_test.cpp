// The Korean input-method probe over version codes and the values it may find.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <basalt/base_api.h>
#include <kx2test/ChildProcess.h>
#include <win/registry.h>

#include "openclose/korean_probe.h"

namespace {

const char16_t* const kKeys[] = {u"Software\\Microsoft\\Windows\\CurrentVersion\\MSIME95K",
                                 u"Software\\Microsoft\\Windows\\IMEKR\\6.1",
                                 u"Software\\Microsoft\\Windows\\CurrentVersion\\IME\\Korea\\IMEKR98U"};

void SetValue(const char16_t* keyName, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, u"InputMethod", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

void ClearKeys() {
  for (const char16_t* key : kKeys) RegDeleteKeyW(HKEY_CURRENT_USER, key);
}

// Every key holds a decoy number but the one for this version, which holds the case's value.
void RunValueTable(const std::u16string& expectedKey) {
  EXPECT_EQ(std::u16string(quel::KoreanProbeKey(_Kx2GetWinVersion())), expectedKey);
  const DWORD decoy = 7;
  struct Case {
    const char* name;
    DWORD type;
    std::string bytes;  // empty with type 0: no value
    int expected;
  };
  const DWORD three = 3, hundredThree = 103, hundred = 100;
  const Case cases[] = {
      {"none", 0, "", 0},
      {"3", REG_DWORD, std::string(reinterpret_cast<const char*>(&three), 4), 3},
      {"103", REG_DWORD, std::string(reinterpret_cast<const char*>(&hundredThree), 4), 3},
      {"100", REG_DWORD, std::string(reinterpret_cast<const char*>(&hundred), 4), 0},
      {"text 3", REG_SZ, std::string("3\0\0\0", 4), 0},
      {"four binary bytes", REG_BINARY, std::string(reinterpret_cast<const char*>(&three), 4), 0},
      {"short number", REG_DWORD, std::string("\x03\x00", 2), 0},
  };
  for (const Case& c : cases) {
    ClearKeys();
    for (const char16_t* key : kKeys)
      if (expectedKey != key) SetValue(key, REG_DWORD, &decoy, sizeof decoy);
    if (c.type) SetValue(expectedKey.c_str(), c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
    EXPECT_EQ(quel::ProbeKoreanInputMethod(), c.expected) << c.name;
  }
  ClearKeys();
}

struct VersionRow {
  const char* winver;  // KX2_WINVER
  unsigned code;
  int key;  // index in kKeys
};
const VersionRow kVersions[] = {{"95", 1, 0}, {"nt4", 4, 0}, {"xp", 6, 1}, {"7", 9, 2}, {"8", 10, 2}};

TEST(QuelKoreanProbe, KeyAndNumberByVersion) {
  if (kx2test::InChild()) {
    const char* winver = getenv("KX2_WINVER");
    for (const VersionRow& row : kVersions) {
      if (std::string(winver) != row.winver) continue;
      ASSERT_EQ(_Kx2GetWinVersion(), row.code);
      RunValueTable(kKeys[row.key]);
    }
    return;
  }
  const char* tmp = getenv("TMPDIR");
  const std::string registry = std::string(tmp && *tmp ? tmp : "/tmp") + "/quel-probe-registry";
  for (const VersionRow& row : kVersions) {
    auto child = kx2test::RunInChild("QuelKoreanProbe.KeyAndNumberByVersion",
                                     {{"KX2_WINVER", row.winver}, {"KX2_REGISTRY", registry}});
    EXPECT_TRUE(child.Passed()) << "KX2_WINVER=" << row.winver << "\n" << child.output;
  }
}

}  // namespace
