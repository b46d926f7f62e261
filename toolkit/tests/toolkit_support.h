// What the toolkit's tests share: a fresh folder (with the registry and INI profiles in
// it) and Windows paths into it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <kx2/PathMap.h>
#include <kx2/Registry.h>

namespace ktk_test {

class TempFolder : public ::testing::Test {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/kx2-toolkit-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    setenv("KX2_REGISTRY", (folder_ + "/registry").c_str(), 1);
    setenv("KX2_PROFILES", (folder_ + "/profiles").c_str(), 1);
    std::filesystem::create_directories(folder_ + "/registry");
    std::filesystem::create_directories(folder_ + "/profiles");
    Kx2RegistryReset();
  }
  void TearDown() override {
    Kx2RegistryReset();
    std::filesystem::remove_all(folder_);
  }

  std::string Posix(const std::string& name) const { return folder_ + "/" + name; }
  std::u16string Windows(const std::string& name) const { return kx2::ToWindowsPath(Posix(name)); }

  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Posix(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(Posix(name), std::ios::binary) << bytes;
  }
  void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Posix(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  std::string folder_;
};

}  // namespace ktk_test
