// The update feed served by the HTTP test server (testing/peers/http_server.py) into a
// temporary folder of the test's own, for the update check's and the dialog's tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <kx2/Utf.h>
#include <kx2test/PeerLauncher.h>
#include <renewal/Renewal.h>

namespace updatetest {

inline std::string Feed(const std::string& major, const std::string& minor, const std::string& patch,
                        const std::string& revision, const std::string& url = "http://example.test/get") {
  return "<?xml version=\"1.0\"?>\n<update major=\"" + major + "\" minor=\"" + minor + "\" patch=\"" + patch +
         "\" revision=\"" + revision + "\" url=\"" + url + "\"/>\n";
}

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class FeedServerTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::path(testing::TempDir()) /
        ("renewal-" + std::to_string(::getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "server" / "feeds");
    std::filesystem::create_directories(folder_ / "tmp");
    server_ = kx2test::PeerProcess::StartPythonPeer("http_server.py", {(folder_ / "server").string()});
    ASSERT_NE(server_, nullptr);
    std::string base = "http://127.0.0.1:" + std::to_string(server_->Port());
    ::setenv("KX2_RENEWAL_BASE", base.c_str(), 1);
    ::setenv("TMP", (folder_ / "tmp").c_str(), 1);
  }
  void TearDown() override {
    server_.reset();
    ::unsetenv("KX2_RENEWAL_BASE");
    ::unsetenv("TMP");
    std::filesystem::remove_all(folder_);
  }

  void Serve(const char16_t* name, const std::string& body) {
    std::ofstream(folder_ / "server" / "feeds" / kx2::Utf16ToUtf8(name), std::ios::binary) << body;
  }
  std::filesystem::path Local(DWORD flags) const {
    return folder_ / "tmp" / "Taloria" / kx2::Utf16ToUtf8(renewal::FeedFileName(flags));
  }
  // The path a scripted answer names ("/updates/NAME").
  static std::string FeedPath(DWORD flags) { return "/updates/" + kx2::Utf16ToUtf8(renewal::FeedFileName(flags)); }

  // A scripted answer (see the server's commands), carried out before this returns.
  void Command(const std::string& line) {
    ASSERT_TRUE(server_->Send(line));
    ASSERT_TRUE(server_->Send("ping " + std::to_string(++pings_)));
    const std::string pong = "\"pong\", \"token\": \"" + std::to_string(pings_) + "\"";
    ASSERT_TRUE(server_->WaitForLine([&](const std::string& l) { return l.find(pong) != l.npos; }));
  }
  static std::string SentPath(DWORD flags) { return "//updates//" + kx2::Utf16ToUtf8(renewal::FeedFileName(flags)); }
  // Waits for the server's report of the request (it may come after the answer); `path` as
  // the client sent it ("//updates//NAME").
  bool Requested(const std::string& path) const {
    return server_
        ->WaitForLine([&](const std::string& line) {
          return line.find("\"event\": \"request\"") != line.npos &&
                 line.find("\"path\": \"" + path + "\"") != line.npos;
        })
        .has_value();
  }
  size_t LeftoverFiles() const {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_ / "tmp" / "Taloria"))
      count += entry.is_regular_file();
    return count;
  }

  std::filesystem::path folder_;
  std::unique_ptr<kx2test::PeerProcess> server_;
  int pings_ = 0;
};

}  // namespace updatetest
