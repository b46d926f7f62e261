// The registry: exact data, Win32 results, names without regard to case, and hives
// shared by several processes.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <kx2test/ChildProcess.h>

#include "kx2/PathMap.h"
#include "kx2/Registry.h"
#include "kx2/Utf.h"
#include "win/kernel.h"
#include "win/registry.h"
#include "win/shell.h"
#include "registry_test_support.h"

namespace {

const BYTE* Bytes(const void* p) { return static_cast<const BYTE*>(p); }

using Registry = kx2test::RegistryTest;

// Every short-lived process reads a hive's whole log when it opens the hive: the log must
// not grow with the number of writes the hive has seen.
TEST_F(Registry, LogStaysSmallOverManyWrites) {
  const std::vector<BYTE> data(3000, 0x5A);
  for (int i = 0; i < 400; ++i) {
    std::u16string name = u"Value";
    for (char c : std::to_string(i)) name += static_cast<char16_t>(c);
    ASSERT_EQ(RegSetValueExW(key_, name.c_str(), 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  EXPECT_LE(std::filesystem::file_size(dir_ + "/registry/HKCU.db-wal"), 1u << 20);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key_, u"Value399", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3000u);
}

// What a crash leaves: the hive file and its log, without the log's index. Opening them
// rebuilds the index from the log's frames, each checked against its own header, so every
// committed write must be in the log whole and in order.
TEST_F(Registry, TheLogAloneBringsBackEveryCommittedWrite) {
  for (DWORD i = 0; i < 40; ++i) {
    std::u16string name = u"Value";
    for (char c : std::to_string(i)) name += static_cast<char16_t>(c);
    const std::vector<BYTE> data(i * 37 % 1500 + 1, static_cast<BYTE>(i));
    ASSERT_EQ(RegSetValueExW(key_, name.c_str(), 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  // Copied while the hive is open: its log still holds the writes.
  namespace fs = std::filesystem;
  const fs::path copy = dir_ + "/copy";
  fs::create_directories(copy);
  ASSERT_GT(fs::file_size(dir_ + "/registry/HKCU.db-wal"), 40u * 24);
  for (const char* file : {"HKCU.db", "HKCU.db-wal"}) fs::copy_file(fs::path(dir_) / "registry" / file, copy / file);
  RegCloseKey(key_);
  key_ = nullptr;
  setenv("KX2_REGISTRY", copy.c_str(), 1);
  Kx2RegistryReset();

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kx2Test", 0, KEY_READ, &key), ERROR_SUCCESS);
  for (DWORD i = 0; i < 40; ++i) {
    std::u16string name = u"Value";
    for (char c : std::to_string(i)) name += static_cast<char16_t>(c);
    std::vector<BYTE> data(2000);
    DWORD size = static_cast<DWORD>(data.size());
    ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &size), ERROR_SUCCESS) << i;
    ASSERT_EQ(size, i * 37 % 1500 + 1);
    EXPECT_EQ(data[size - 1], static_cast<BYTE>(i));
  }
  RegCloseKey(key);
}

TEST_F(Registry, StringWithoutTerminatorKeepsItsExactLength) {
  const char16_t text[8] = {u'a', u'b', u'c', u'd', u'e', u'f', u'g', u'h'};
  ASSERT_EQ(RegSetValueExW(key_, u"Eight", 0, REG_SZ, Bytes(text), sizeof text), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key_, u"Eight", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 16u);
  char16_t out[12];
  std::fill(std::begin(out), std::end(out), u'#');
  size = sizeof out;
  ASSERT_EQ(RegQueryValueExW(key_, u"Eight", nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(std::u16string(out, 8), u"abcdefgh");
  EXPECT_EQ(out[8], u'#') << "nothing beyond the stored bytes is written";
}

TEST_F(Registry, TooSmallBufferGivesMoreDataAndTheSize) {
  const char16_t text[] = u"twelve chars";
  ASSERT_EQ(RegSetValueExW(key_, u"Text", 0, REG_SZ, Bytes(text), sizeof text), ERROR_SUCCESS);
  BYTE small[10] = {};
  DWORD size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(key_, u"Text", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(ERROR_MORE_DATA, 234);
  EXPECT_EQ(size, sizeof text);
  DWORD enumName = 10, enumSize = 4;
  char16_t name[10];
  EXPECT_EQ(RegEnumValueW(key_, 0, name, &enumName, nullptr, nullptr, small, &enumSize), ERROR_MORE_DATA);
  EXPECT_EQ(enumSize, sizeof text);
  DWORD tiny = 2;
  EXPECT_EQ(RegEnumValueW(key_, 0, name, &tiny, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
}

TEST_F(Registry, ValuesOfEveryTypeComeBackByteForByte) {
  const DWORD dword = 0x12345678;
  const uint64_t qword = 0x0102030405060708ull;
  const BYTE binary[] = {0x00, 0xFF, 0x10, 0x00};
  const char16_t multi[] = u"one\0two\0";
  const char16_t expand[] = u"%TEMP%\\x";
  struct Case {
    const char16_t* name;
    DWORD type;
    const void* data;
    DWORD size;
  } cases[] = {
      {u"Dword", REG_DWORD, &dword, 4},
      {u"Qword", REG_QWORD, &qword, 8},
      {u"Binary", REG_BINARY, binary, 4},
      {u"Multi", REG_MULTI_SZ, multi, sizeof multi},
      {u"Expand", REG_EXPAND_SZ, expand, sizeof expand},
      {u"Empty", REG_BINARY, nullptr, 0},
      {u"", REG_SZ, u"default", 16},
  };
  for (const auto& c : cases) ASSERT_EQ(RegSetValueExW(key_, c.name, 0, c.type, Bytes(c.data), c.size), ERROR_SUCCESS);
  for (DWORD i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    BYTE out[64];
    DWORD type = 99, size = sizeof out;
    ASSERT_EQ(RegQueryValueExW(key_, c.name, nullptr, &type, out, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, c.type);
    ASSERT_EQ(size, c.size);
    EXPECT_EQ(std::memcmp(out, c.data ? c.data : "", c.size), 0);
    // Enumeration keeps the order of creation.
    char16_t name[32];
    DWORD cch = 32;
    ASSERT_EQ(RegEnumValueW(key_, i, name, &cch, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, cch), c.name);
  }
  char16_t name[32];
  DWORD cch = 32;
  EXPECT_EQ(RegEnumValueW(key_, std::size(cases), name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  // Rewriting a value may change its type; it keeps its place.
  ASSERT_EQ(RegSetValueExW(key_, u"DWORD", 0, REG_SZ, Bytes(u"x"), 4), ERROR_SUCCESS);
  DWORD type = 0;
  cch = 32;
  ASSERT_EQ(RegEnumValueW(key_, 0, name, &cch, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, cch), u"Dword");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  DWORD subKeys = 9, values = 0, maxName = 0, maxData = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, &maxName, &maxData,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(values, std::size(cases));
  EXPECT_EQ(maxName, 6u);  // "Binary", "Expand"
  EXPECT_EQ(maxData, sizeof expand);
}

TEST_F(Registry, NamesCompareWithoutCaseAndKeepTheirCase) {
  HKEY sub = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(key_, u"Mixed\\Case", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  ASSERT_EQ(RegSetValueExW(sub, u"Value", 0, REG_DWORD, Bytes("\1\0\0\0"), 4), ERROR_SUCCESS);
  RegCloseKey(sub);

  HKEY again = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\kx2test\\MIXED\\case", 0, nullptr, 0, KEY_READ, nullptr,
                            &again, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(again, u"vALUE", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  RegCloseKey(again);

  char16_t name[16];
  ASSERT_EQ(RegEnumKeyW(key_, 0, name, 16), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Mixed");
  EXPECT_EQ(RegEnumKeyW(key_, 0, name, 5), ERROR_MORE_DATA);
  EXPECT_EQ(RegEnumKeyW(key_, 1, name, 16), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegOpenKeyExW(key_, u"Missing", 0, KEY_READ, &again), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(again, nullptr);
}

// A path is followed name by name from the key it starts at: each name only among the
// children of the one before it, without regard to case, empty components skipped.
TEST_F(Registry, PathsFollowEachNameUnderTheOneBeforeIt) {
  for (const char16_t* path : {u"A\\X\\One", u"B\\Y\\Two"}) {
    HKEY made = nullptr;
    ASSERT_EQ(RegCreateKeyExW(key_, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr), ERROR_SUCCESS);
    const std::u16string text = path;
    ASSERT_EQ(RegSetValueExW(made, u"Path", 0, REG_BINARY, Bytes(text.data()), static_cast<DWORD>(text.size() * 2)),
              ERROR_SUCCESS);
    RegCloseKey(made);
  }
  struct Case {
    const char16_t* path;
    const char16_t* found;  // the path the key was made with, or null when there is none
  };
  const Case cases[] = {
      {u"A\\X\\One", u"A\\X\\One"},  {u"b\\y\\TWO", u"B\\Y\\Two"}, {u"A\\\\X\\One\\", u"A\\X\\One"},
      {u"A\\Y\\Two", nullptr},       {u"B\\X\\One", nullptr},      {u"A\\X\\Two", nullptr},
      {u"A\\X\\One\\More", nullptr}, {u"X\\One", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(kx2::Utf16ToUtf8(c.path));
    HKEY opened = nullptr;
    const LONG rc = RegOpenKeyExW(key_, c.path, 0, KEY_READ, &opened);
    if (!c.found) {
      EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
      continue;
    }
    ASSERT_EQ(rc, ERROR_SUCCESS);
    char16_t text[32] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(RegQueryValueExW(opened, u"Path", nullptr, nullptr, reinterpret_cast<LPBYTE>(text), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(text, size / 2), c.found);
    RegCloseKey(opened);
  }
  // Deeper than any path the registry's own callers follow.
  std::u16string deep = u"Deep";
  for (int i = 0; i < 20; ++i) deep += u"\\D" + std::u16string(1, static_cast<char16_t>(u'a' + i));
  HKEY made = nullptr, opened = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key_, deep.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(made, u"Here", 0, REG_DWORD, Bytes("\7\0\0\0"), 4), ERROR_SUCCESS);
  RegCloseKey(made);
  ASSERT_EQ(RegOpenKeyExW(key_, deep.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(opened, u"Here", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(opened);
  EXPECT_EQ(RegOpenKeyExW(key_, (deep + u"x").c_str(), 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeletionAccessAndStaleHandles) {
  HKEY parent = nullptr, child = nullptr;
  ASSERT_EQ(RegCreateKeyW(key_, u"Parent\\Child", &child), ERROR_SUCCESS);
  ASSERT_EQ(RegOpenKeyW(key_, u"Parent", &parent), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, u"Parent"), ERROR_ACCESS_DENIED) << "a key with sub-keys stays";
  ASSERT_EQ(RegSetValueExW(child, u"w", 0, REG_DWORD, Bytes("\1\0\0\0"), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, u"Parent\\Child"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(child, u"v", 0, REG_DWORD, Bytes("\0\0\0\0"), 4), ERROR_KEY_DELETED);
  // The key's values went with it: a read through the stale handle finds the key gone.
  EXPECT_EQ(RegQueryValueExW(child, u"w", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(key_, u"Parent\\Child"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(parent, u"absent"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(child), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExW(child, u"v", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);

  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(key_, u"Parent", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(readOnly, u"v", 0, REG_DWORD, Bytes("\0\0\0\0"), 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyW(readOnly, u"New", &child), ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);
  RegCloseKey(parent);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED) << "a hive's root stays";

  // The same inside one update, where the key was found and written before it went.
  ASSERT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  HKEY inside = nullptr;
  ASSERT_EQ(RegCreateKeyW(key_, u"Inside", &inside), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(inside, u"v", 0, REG_DWORD, Bytes("\1\0\0\0"), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, u"Inside"), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(inside, u"v", 0, REG_DWORD, Bytes("\2\0\0\0"), 4), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueW(inside, u"v"), ERROR_KEY_DELETED);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  RegCloseKey(inside);
  ASSERT_EQ(RegCreateKeyW(key_, u"Inside", &inside), ERROR_SUCCESS);
  DWORD values = 99;
  EXPECT_EQ(RegQueryInfoKeyW(inside, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 0u);
  RegCloseKey(inside);
}

uint64_t Ticks(const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

TEST_F(Registry, ValueWritesMoveTheKeysLastWriteAndNothingElseShows) {
  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key_, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
  FILETIME made{}, seen{};
  ASSERT_EQ(RegQueryInfoKeyW(child, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &made),
            ERROR_SUCCESS);
  // Each kind of change moves the key's time, both as the key tells it and as its parent
  // lists it; deleting the last value leaves a key with no values.
  struct Step {
    const char* what;
    std::function<LONG()> change;
  } steps[] = {
      {"set", [&] { return RegSetValueExW(child, u"A", 0, REG_DWORD, Bytes("\x01\0\0\0"), 4); }},
      {"set again", [&] { return RegSetValueExW(child, u"A", 0, REG_DWORD, Bytes("\x02\0\0\0"), 4); }},
      {"delete", [&] { return RegDeleteValueW(child, u"A"); }},
  };
  uint64_t last = Ticks(made);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const uint64_t before = last;
    // The clock has moved past the last time before the change.
    for (FILETIME now{}; GetSystemTimeAsFileTime(&now), Ticks(now) <= before;) {}
    ASSERT_EQ(step.change(), ERROR_SUCCESS);
    ASSERT_EQ(RegQueryInfoKeyW(child, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &seen),
              ERROR_SUCCESS);
    EXPECT_GT(Ticks(seen), before);
    char16_t name[16];
    DWORD length = 16;
    FILETIME listed{};
    ASSERT_EQ(RegEnumKeyExW(key_, 0, name, &length, nullptr, nullptr, nullptr, &listed), ERROR_SUCCESS);
    EXPECT_EQ(Ticks(listed), Ticks(seen));
    last = Ticks(seen);
  }
  DWORD values = 99;
  ASSERT_EQ(RegQueryInfoKeyW(child, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 0u);
  char16_t name[16];
  DWORD length = 16;
  EXPECT_EQ(RegEnumValueW(child, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(child);
}

// Inside one update the times follow the writes as well: each write to a key's values moves
// its time as the key and its parent's listing tell it, for every key written, and the
// commit keeps the last time of each.
TEST_F(Registry, WritesInsideOneUpdateMoveEachKeysTime) {
  HKEY a = nullptr, b = nullptr;
  ASSERT_EQ(RegCreateKeyW(key_, u"A", &a), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyW(key_, u"B", &b), ERROR_SUCCESS);
  auto TimeOf = [](HKEY key) {
    FILETIME t{};
    EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, &t),
              ERROR_SUCCESS);
    return Ticks(t);
  };
  auto ListedTimeOf = [&](DWORD index) {
    char16_t name[8];
    DWORD length = 8;
    FILETIME t{};
    EXPECT_EQ(RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, &t), ERROR_SUCCESS);
    return Ticks(t);
  };
  auto After = [](uint64_t time) {
    for (FILETIME now{}; GetSystemTimeAsFileTime(&now), Ticks(now) <= time;) {}
  };
  const uint64_t madeA = TimeOf(a), madeB = TimeOf(b);
  After(std::max(madeA, madeB));

  ASSERT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(a, u"One", 0, REG_DWORD, Bytes("\1\0\0\0"), 4), ERROR_SUCCESS);
  const uint64_t first = TimeOf(a);
  EXPECT_GT(first, madeA);
  After(first);
  ASSERT_EQ(RegSetValueExW(a, u"Two", 0, REG_DWORD, Bytes("\2\0\0\0"), 4), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(b, u"One", 0, REG_DWORD, Bytes("\3\0\0\0"), 4), ERROR_SUCCESS);
  const uint64_t second = ListedTimeOf(0);
  EXPECT_GT(second, first);
  EXPECT_EQ(TimeOf(a), second);
  const uint64_t ofB = TimeOf(b);
  EXPECT_GT(ofB, madeB);
  ASSERT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);

  EXPECT_EQ(TimeOf(a), second);
  EXPECT_EQ(TimeOf(b), ofB);
  EXPECT_EQ(ListedTimeOf(1), ofB);
  RegCloseKey(a);
  RegCloseKey(b);
}

TEST_F(Registry, ReadGroupReadsButNeverWrites) {
  ASSERT_EQ(RegSetValueExW(key_, u"Count", 0, REG_DWORD, Bytes("\x05\0\0\0"), 4), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginRead(HKEY_CURRENT_USER), ERROR_SUCCESS);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kx2Test", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(key, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 5u);
  // It holds no write lock: writing, creating and turning it into an update all fail.
  EXPECT_EQ(RegSetValueExW(key_, u"Count", 0, REG_DWORD, Bytes("\x06\0\0\0"), 4), ERROR_ACCESS_DENIED);
  HKEY made = nullptr;
  EXPECT_EQ(RegCreateKeyExW(key_, u"New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_INVALID_FUNCTION);
  // A nested read group ends without ending the outer one.
  ASSERT_EQ(Kx2RegBeginRead(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_INVALID_FUNCTION);
  RegCloseKey(key);
  // Afterwards writes work again, and an update may hold a read group.
  ASSERT_EQ(Kx2RegBeginUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginRead(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key_, u"Count", 0, REG_DWORD, Bytes("\x07\0\0\0"), 4), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExW(key_, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
}

TEST_F(Registry, OldDefaultValueCallsAndTheClassesView) {
  ASSERT_EQ(RegSetValueW(key_, u"Verb\\Command", REG_SZ, u"open it", 0), ERROR_SUCCESS);
  char16_t text[16];
  LONG size = sizeof text;
  ASSERT_EQ(RegQueryValueW(key_, u"Verb\\Command", text, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(text), u"open it");
  EXPECT_EQ(size, 16);
  size = sizeof text;
  ASSERT_EQ(RegQueryValueW(key_, u"Verb", text, &size), ERROR_SUCCESS) << "no default value reads as empty";
  EXPECT_EQ(size, 2);
  EXPECT_EQ(RegQueryValueW(key_, u"Nowhere", text, &size), ERROR_FILE_NOT_FOUND);

  HKEY cls = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, u".kx2map", &cls), ERROR_SUCCESS);
  RegCloseKey(cls);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Classes\\.KX2MAP", 0, KEY_READ, &cls), ERROR_SUCCESS);
  RegCloseKey(cls);
}

TEST_F(Registry, ShellFolderValuesFollowTheShellFolders) {
  struct Case {
    HKEY root;
    const char16_t* name;
    int csidl;
  } cases[] = {
      {HKEY_CURRENT_USER, u"AppData", CSIDL_APPDATA},
      {HKEY_CURRENT_USER, u"Local AppData", CSIDL_LOCAL_APPDATA},
      {HKEY_LOCAL_MACHINE, u"Common AppData", CSIDL_COMMON_APPDATA},
  };
  for (const auto& c : cases) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(c.root, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    char16_t value[MAX_PATH];
    DWORD size = sizeof value, type = 0;
    ASSERT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    char16_t folder[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, c.csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, 0, folder), S_OK);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::u16string(value), std::u16string(folder));
  }
  char16_t folder[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_DONT_VERIFY, nullptr, 0, folder), S_OK);
  EXPECT_EQ(std::u16string(folder), kx2::ToWindowsPath(dir_ + "/local"));
}

TEST_F(Registry, SaveKeyWritesANewFileOnly) {
  ASSERT_EQ(RegSetValueW(key_, u"Saved", REG_SZ, u"yes", 0), ERROR_SUCCESS);
  std::u16string file = kx2::ToWindowsPath(dir_ + "/saved.hive");
  ASSERT_EQ(RegSaveKeyW(key_, file.c_str(), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/saved.hive"));
  EXPECT_EQ(RegSaveKeyW(key_, file.c_str(), nullptr), ERROR_ALREADY_EXISTS);
}

TEST_F(Registry, AnsiFormsConvertNamesAndStringData) {
  setenv("KX2_ACP", "1252", 1);
  const char cafe[] = "caf\xE9";  // with its terminator: 5 bytes
  ASSERT_EQ(RegSetValueExA(key_, "Ansi\xC9", 0, REG_SZ, reinterpret_cast<const BYTE*>(cafe), sizeof cafe),
            ERROR_SUCCESS);
  BYTE wide[16];
  DWORD size = sizeof wide;
  ASSERT_EQ(RegQueryValueExW(key_, u"ANSI\u00C9", nullptr, nullptr, wide, &size), ERROR_SUCCESS)
      << "stored as UTF-16, found without regard to case";
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::memcmp(wide, u"caf\u00E9", 10), 0);

  char back[8];
  size = 3;
  EXPECT_EQ(RegQueryValueExA(key_, "Ansi\xC9", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);
  size = sizeof back;
  ASSERT_EQ(RegQueryValueExA(key_, "Ansi\xC9", nullptr, nullptr, reinterpret_cast<BYTE*>(back), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(back, size), std::string(cafe, sizeof cafe));
  char name[8];
  DWORD cch = sizeof name, type = 0;
  ASSERT_EQ(RegEnumValueA(key_, 0, name, &cch, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, cch), "Ansi\xC9");
  const DWORD number = 7;
  ASSERT_EQ(RegSetValueExA(key_, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
  DWORD got = 0;
  size = 4;
  ASSERT_EQ(RegQueryValueExA(key_, "Number", nullptr, &type, reinterpret_cast<BYTE*>(&got), &size), ERROR_SUCCESS);
  EXPECT_EQ(got, 7u) << "other types pass unchanged";
}

// ---- Several processes ------------------------------------------------------------

// Runs RegChild.Run of this test binary in a child doing `task`; the child starts its work
// when the parent closes the pipe whose read end it inherits.
std::unique_ptr<kx2test::ChildProcess> SpawnChild(const std::string& task, int goRead) {
  return std::make_unique<kx2test::ChildProcess>(
      "RegChild.Run", kx2test::Environment{{"KX2_REG_CHILD", task}, {"KX2_REG_GO_FD", std::to_string(goRead)}});
}

// The children inherit the read end alone: their reads end when the parent closes the
// write end.
struct GoPipe {
  int fds[2] = {-1, -1};
  GoPipe() {
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(fcntl(fds[1], F_SETFD, FD_CLOEXEC), 0);
  }
  void Go() {
    if (fds[1] >= 0) close(fds[1]);
    fds[1] = -1;
  }
  ~GoPipe() {
    Go();
    close(fds[0]);
  }
};

constexpr char16_t kSharedKey[] = u"Software\\Kx2Test\\Shared";

TEST_F(Registry, AValueWrittenByOneProcessIsReadByAnother) {
  GoPipe go;
  auto writer = SpawnChild("write:Solo:1", go.fds[0]);
  ASSERT_TRUE(writer->Started());
  go.Go();
  ASSERT_TRUE(writer->Wait(60000).Passed()) << writer->Wait().output;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSharedKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0, size = 4;
  ASSERT_EQ(RegQueryValueExW(key, u"Solo0", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);
  ASSERT_EQ(RegSetValueExW(key_, u"FromParent", 0, REG_DWORD, Bytes("\x2a\0\0\0"), 4), ERROR_SUCCESS);
  RegCloseKey(key);
  GoPipe go2;
  auto reader = SpawnChild("read:FromParent:42", go2.fds[0]);
  ASSERT_TRUE(reader->Started());
  go2.Go();
  EXPECT_TRUE(reader->Wait(60000).Passed()) << reader->Wait().output;
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kEach = 200;
  GoPipe go;
  auto a = SpawnChild("write:A:" + std::to_string(kEach), go.fds[0]);
  auto b = SpawnChild("write:B:" + std::to_string(kEach), go.fds[0]);
  ASSERT_TRUE(a->Started());
  ASSERT_TRUE(b->Started());
  go.Go();
  EXPECT_TRUE(a->Wait(120000).Passed()) << a->Wait().output;
  EXPECT_TRUE(b->Wait(120000).Passed()) << b->Wait().output;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSharedKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u * kEach);
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kEach; ++i) {
      std::u16string name = kx2::Utf8ToUtf16(prefix + std::to_string(i));
      DWORD value = 0, size = 4;
      ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
                ERROR_SUCCESS)
          << prefix << i;
      EXPECT_EQ(value, static_cast<DWORD>(i));
    }
  }
  RegCloseKey(key);
}

// A deferred update reads without the write lock, so another process writes meanwhile; its
// own first write then fails, as what it read is out of date, and leaves the other's alone.
TEST_F(Registry, DeferredUpdateWritesOnlyOverAnUnchangedHive) {
  auto Count = [&] {
    DWORD value = 0, size = 4;
    EXPECT_EQ(RegQueryValueExW(key_, u"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    return value;
  };
  ASSERT_EQ(RegSetValueExW(key_, u"Count", 0, REG_DWORD, Bytes("\x05\0\0\0"), 4), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegBeginDeferredUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Count(), 5u);
  EXPECT_EQ(RegSetValueExW(key_, u"Count", 0, REG_DWORD, Bytes("\x06\0\0\0"), 4), ERROR_SUCCESS);
  ASSERT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, TRUE), ERROR_SUCCESS);
  EXPECT_EQ(Count(), 6u);

  ASSERT_EQ(Kx2RegBeginDeferredUpdate(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(Count(), 6u);
  GoPipe go;
  auto writer = SpawnChild("write:Solo:1", go.fds[0]);
  ASSERT_TRUE(writer->Started());
  go.Go();
  ASSERT_TRUE(writer->Wait(60000).Passed()) << writer->Wait().output;
  EXPECT_EQ(Count(), 6u) << "the update keeps its view of the hive";
  EXPECT_EQ(RegSetValueExW(key_, u"Count", 0, REG_DWORD, Bytes("\x07\0\0\0"), 4), ERROR_REGISTRY_IO_FAILED);
  ASSERT_EQ(Kx2RegEndUpdate(HKEY_CURRENT_USER, FALSE), ERROR_SUCCESS);
  EXPECT_EQ(Count(), 6u);
  HKEY shared = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSharedKey, 0, KEY_READ, &shared), ERROR_SUCCESS);
  RegCloseKey(shared);
}

}  // namespace

// The child side of the tests above; skipped when run on its own.
TEST(RegChild, Run) {
  const char* task = getenv("KX2_REG_CHILD");
  const char* goFd = getenv("KX2_REG_GO_FD");
  if (!kx2test::InChild() || !task || !goFd) GTEST_SKIP() << "runs only as a child of the registry tests";
  char byte;
  while (read(atoi(goFd), &byte, 1) > 0) {}
  std::string t = task;
  size_t a = t.find(':'), b = t.find(':', a + 1);
  std::string verb = t.substr(0, a), name = t.substr(a + 1, b - a - 1);
  int number = atoi(t.c_str() + b + 1);
  if (verb == "write") {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, kSharedKey, &key), ERROR_SUCCESS);
    for (DWORD i = 0; i < static_cast<DWORD>(number); ++i) {
      std::u16string valueName = kx2::Utf8ToUtf16(name + std::to_string(i));
      ASSERT_EQ(RegSetValueExW(key, valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4),
                ERROR_SUCCESS);
    }
    RegCloseKey(key);
  } else {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kx2Test", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD value = 0, size = 4;
    std::u16string valueName = kx2::Utf8ToUtf16(name);
    ASSERT_EQ(RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, static_cast<DWORD>(number));
    RegCloseKey(key);
  }
}
