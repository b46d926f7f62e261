// Tests of the registry: a fresh registry folder (and shell folders) per test, set before
// the first registry call, with "Software\Kx2Test" open for the test.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "kx2/Registry.h"
#include "win/registry.h"

namespace kx2test {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-reg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("KX2_REGISTRY", (dir_ + "/registry").c_str(), 1);
    setenv("KX2_APPDATA", (dir_ + "/roaming").c_str(), 1);
    setenv("KX2_LOCAL_APPDATA", (dir_ + "/local").c_str(), 1);
    setenv("KX2_COMMON_APPDATA", (dir_ + "/common").c_str(), 1);
    Kx2RegistryReset();
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Kx2Test", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                              nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    Kx2RegistryReset();
    std::filesystem::remove_all(dir_);
  }

  std::string dir_;
  HKEY key_ = nullptr;
};

}  // namespace kx2test
