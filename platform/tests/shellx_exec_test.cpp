// ShellExecuteW hands documents to the opener KX2_SHELL_OPENER names. The opener here is
// a small script that writes its folder and arguments into a FIFO the test reads with a
// deadline.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "shellx_test_support.h"
#include "win/shell.h"

namespace {

class ShellExecute : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    fifo_ = Posix("opened.fifo");
    ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
    Put("opener.sh", "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$KX2_TEST_FIFO\"\n");
    chmod(Posix("opener.sh").c_str(), 0755);
    setenv("KX2_TEST_FIFO", fifo_.c_str(), 1);
    setenv("KX2_SHELL_OPENER", Posix("opener.sh").c_str(), 1);
    Put("docs/report one.txt", "r");
  }
  void TearDown() override {
    unsetenv("KX2_SHELL_OPENER");
    unsetenv("KX2_TEST_FIFO");
    ShellTest::TearDown();
  }

  // What the opener wrote, once it has closed the FIFO; "" when the deadline passes.
  std::string ReadOpened() {
    int fd = open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return {};
    std::string text;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool closed = false;
    while (!closed && std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
      if (poll(&p, 1, left > 0 ? left : 0) <= 0) break;
      char buf[512];
      ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0)
        text.append(buf, static_cast<size_t>(n));
      else if (n == 0 && !text.empty())
        closed = true;  // the writer has come and gone
    }
    close(fd);
    return closed ? text : std::string();
  }

  static intptr_t Code(HINSTANCE result) { return reinterpret_cast<intptr_t>(result); }

  std::string fifo_;
};

TEST_F(ShellExecute, OpensDocumentsAndUrlsThroughTheOpener) {
  EXPECT_GT(Code(ShellExecuteW(nullptr, u"open", u"report one.txt", u"one \"two words\"", u"C:\\docs", SW_SHOW)), 32);
  EXPECT_EQ(ReadOpened(), Posix("docs") + "\n" + Posix("docs/report one.txt") + "\none\ntwo words\n");

  EXPECT_GT(Code(ShellExecuteW(nullptr, nullptr, u"https://example.org/a b?x=1", nullptr, nullptr, SW_SHOW)), 32);
  std::string opened = ReadOpened();
  EXPECT_NE(opened.find("\nhttps://example.org/a b?x=1\n"), std::string::npos) << opened;

  EXPECT_GT(Code(ShellExecuteW(nullptr, u"OPEN", u"C:\\docs", u"  ", nullptr, SW_SHOW)), 32);
  opened = ReadOpened();
  EXPECT_EQ(opened.substr(opened.find('\n') + 1), Posix("docs") + "\n");
}

TEST_F(ShellExecute, Failures) {
  struct Case {
    const char* what;
    const char16_t* verb;
    const char16_t* file;
    const char16_t* folder;
    const char* opener;  // null: unset
    intptr_t code;
    DWORD error;
  };
  const std::string script = Posix("opener.sh");
  const Case cases[] = {
      {"another verb", u"print", u"C:\\docs\\report one.txt", nullptr, script.c_str(), SE_ERR_NOASSOC,
       ERROR_NO_ASSOCIATION},
      {"no opener", u"open", u"C:\\docs\\report one.txt", nullptr, nullptr, SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION},
      {"an opener that cannot start", u"open", u"C:\\docs\\report one.txt", nullptr, "/nonexistent/opener",
       SE_ERR_NOASSOC, ERROR_FILE_NOT_FOUND},
      {"a missing file", u"open", u"C:\\docs\\gone.txt", nullptr, script.c_str(), SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
      {"a missing folder on the way", u"open", u"C:\\gone\\x.txt", nullptr, script.c_str(), SE_ERR_PNF,
       ERROR_PATH_NOT_FOUND},
      {"a missing working folder", u"open", u"C:\\docs\\report one.txt", u"C:\\gone", script.c_str(), SE_ERR_PNF,
       ERROR_PATH_NOT_FOUND},
      {"no file", u"open", u"", nullptr, script.c_str(), SE_ERR_FNF, ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    if (c.opener)
      setenv("KX2_SHELL_OPENER", c.opener, 1);
    else
      unsetenv("KX2_SHELL_OPENER");
    EXPECT_EQ(Code(ShellExecuteW(nullptr, c.verb, c.file, nullptr, c.folder, SW_SHOW)), c.code) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
}

}  // namespace
