// A fresh folder per test mapped as drive C:, so tests never touch real folders.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kx2_drive_XXXXXX";
    const char* made = mkdtemp(tmpl);
    // A full disk or a bad TMPDIR must fail the test plainly, not run it against "C=".
    ASSERT_NE(made, nullptr) << "cannot make a test drive: " << std::strerror(errno);
    root_ = made;
    setenv("KX2_DRIVES", ("C=" + root_).c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KX2_DRIVES");
    std::error_code ec;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    for (auto& e : std::filesystem::recursive_directory_iterator(root_, ec))
      std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                   ec);
    std::filesystem::remove_all(root_, ec);
  }
  std::string Posix(const std::string& rel) const { return root_ + "/" + rel; }
  void Put(const std::string& rel, const std::string& content) const {
    std::filesystem::create_directories(std::filesystem::path(Posix(rel)).parent_path());
    std::ofstream(Posix(rel), std::ios::binary) << content;
  }
  std::string Get(const std::string& rel) const {
    std::ifstream in(Posix(rel), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  bool Exists(const std::string& rel) const { return std::filesystem::exists(Posix(rel)); }

  std::string root_;
};
