// Shared by the shell tests: a fresh folder as drive C: with its own trash, registry and
// desktop, and helpers for double-null-terminated name lists.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "file_test_support.h"
#include "kx2/Registry.h"
#include "kx2/Utf.h"

class ShellTest : public TempDriveTest {
 protected:
  void SetUp() override {
    TempDriveTest::SetUp();
    std::filesystem::create_directories(Posix("desktop"));
    setenv("XDG_DATA_HOME", Posix("data").c_str(), 1);
    setenv("KX2_REGISTRY", Posix("registry").c_str(), 1);
    setenv("KX2_DESKTOP", Posix("desktop").c_str(), 1);
    Kx2RegistryReset();
  }
  void TearDown() override {
    Kx2RegistryReset();
    TempDriveTest::TearDown();
  }

  // "a\0b\0" whose c_str() ends the list with the second 0.
  static std::u16string List(std::initializer_list<std::u16string_view> names) {
    std::u16string list;
    for (std::u16string_view n : names) {
      list += n;
      list.push_back(u'\0');
    }
    return list;
  }
  void MakeReadOnly(const std::string& rel) const { chmod(Posix(rel).c_str(), IsFolder(rel) ? 0555 : 0444); }
  bool IsFolder(const std::string& rel) const { return std::filesystem::is_directory(Posix(rel)); }
};
