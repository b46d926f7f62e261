// The per-thread error record: setting, clearing, saving, warnings and threads.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include <basalt/error.h>
#include <win/kernel.h>

using Basalt::Error::BaseError;
using Basalt::Error::tagKx2ErrorBuf;
using Basalt::Error::tagKx2ErrorDetail;

namespace {

class ErrorRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    BaseError::_ClearError();
    BaseError::_ClearWarning();
  }
  void TearDown() override { SetUp(); }

  static tagKx2ErrorBuf Stored() {
    tagKx2ErrorBuf buf{};
    BaseError::_StoreError(&buf);
    return buf;
  }
};

TEST_F(ErrorRecord, SetClearAndKinds) {
  EXPECT_EQ(BaseError::_GetError(), 0u);
  BaseError::_SetErrorMesg(u"disk on fire");
  tagKx2ErrorBuf buf = Stored();
  EXPECT_EQ(buf.code, 1u);
  EXPECT_EQ(buf.kind, 1);
  EXPECT_EQ(std::u16string(buf.text), u"disk on fire");

  // Clearing keeps the old text, and a later code-only error does not show it as its kind.
  BaseError::_ClearError();
  buf = Stored();
  EXPECT_EQ(buf.code, 0u);
  EXPECT_EQ(buf.kind, 0);
  EXPECT_EQ(std::u16string(buf.text), u"disk on fire");
  BaseError::_SetError(7);
  EXPECT_EQ(Stored().kind, 0);
  EXPECT_EQ(BaseError::_GetError(), 7u);

  const unsigned char data[] = {'A', 0, 'B', 0, 0, 0};
  BaseError::_SetErrorEx(0x1234, 1, data, sizeof(data));
  buf = Stored();
  EXPECT_EQ(buf.code, 0x1234u);
  EXPECT_EQ(std::u16string(buf.text), u"AB");
}

TEST_F(ErrorRecord, LongTextsAreCut) {
  std::u16string longText(2000, u'x');
  BaseError::_SetErrorMesg(longText.c_str());
  tagKx2ErrorBuf buf = Stored();
  EXPECT_EQ(std::u16string(buf.text).size(), 511u);

  std::u16string name(600, u'n');
  BaseError::_SetFileError(14, name.c_str());
  buf = Stored();
  EXPECT_EQ(buf.code, 10u);
  EXPECT_EQ(buf.kind, 1);
  uint32_t detail;
  std::memcpy(&detail, buf.text, sizeof(detail));
  EXPECT_EQ(detail, 14u);
  EXPECT_EQ(std::u16string(buf.text + 2).size(), 509u);

  // Data longer than the text is cut at 1024 bytes.
  std::string big(4096, 'z');
  BaseError::_SetErrorEx(3, 1, reinterpret_cast<const unsigned char*>(big.data()), 4096);
  EXPECT_EQ(Stored().code, 3u);
}

TEST_F(ErrorRecord, WinAndCrtErrors) {
  struct Case {
    DWORD lastError;
    uint32_t expected;
  } cases[] = {
      {5, 0x80070005u},
      {0x80004005u, 0x80004005u},  // an HRESULT is kept as it is
      {0x12345, 0x80072345u},
  };
  for (const Case& c : cases) {
    SetLastError(c.lastError);
    BaseError::_SetWinError();
    EXPECT_EQ(BaseError::_GetError(), c.expected) << c.lastError;
  }
  BaseError::_SetError(42);
  SetLastError(0);
  BaseError::_SetWinError();
  EXPECT_EQ(BaseError::_GetError(), 42u);

  errno = ENOENT;
  BaseError::_SetCrtError();
  EXPECT_EQ(BaseError::_GetError(), 0x40000000u | ENOENT);
  errno = 0;
  BaseError::_SetCrtError();
  EXPECT_EQ(BaseError::_GetError(), 0x40000000u | ENOENT);
}

TEST_F(ErrorRecord, ReadingTheRecordKeepsTheLastError) {
  SetLastError(1234);
  BaseError::_GetError();
  EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(ErrorRecord, StoreAndRestore) {
  BaseError::_SetErrorMesg(u"first");
  tagKx2ErrorBuf saved = Stored();
  BaseError::_SetError(99);
  BaseError::_RestoreError(&saved);
  tagKx2ErrorBuf back = Stored();
  EXPECT_EQ(back.code, 1u);
  EXPECT_EQ(std::u16string(back.text), u"first");
}

TEST_F(ErrorRecord, WarningRingKeepsThreeAndLeavesTheErrorAlone) {
  BaseError::_SetErrorMesg(u"current");
  for (uint32_t code : {101u, 102u, 103u}) EXPECT_EQ(BaseError::_SetWarning(code), 1);
  EXPECT_EQ(BaseError::_GetWarning(0), 101u);
  EXPECT_EQ(BaseError::_GetWarning(0), 101u);  // peeking does not consume
  EXPECT_EQ(BaseError::_SetWarning(104), 1);   // the fourth drops the first
  EXPECT_EQ(BaseError::_GetWarning(1), 102u);
  EXPECT_EQ(BaseError::_GetWarning(1), 103u);
  EXPECT_EQ(BaseError::_GetWarning(1), 104u);
  EXPECT_EQ(BaseError::_GetWarning(1), 0u);

  EXPECT_EQ(BaseError::_GetError(), 1u);
  EXPECT_EQ(std::u16string(Stored().text), u"current");

  BaseError::_SetWarningMesg(u"careful");
  const unsigned char data[] = {'q', 0, 0, 0};
  BaseError::_SetWarningEx(55, 1, data, sizeof(data));
  BaseError::_ClearWarning();
  EXPECT_EQ(BaseError::_GetWarning(0), 0u);
}

TEST_F(ErrorRecord, DetailOfNoErrorLeavesTheBufferAlone) {
  tagKx2ErrorDetail detail;
  std::memset(&detail, 0xAB, sizeof(detail));
  EXPECT_EQ(BaseError::_GetErrorDetail(&detail), 0);
  EXPECT_EQ(detail.code, 0xABABABABu);
  EXPECT_EQ(BaseError::_GetWarningDetail(&detail, 1), 0);
}

TEST_F(ErrorRecord, EachThreadHasItsOwnRecord) {
  BaseError::_SetError(11);
  BaseError::_SetWarning(500);
  uint32_t seenFirst = 1, seenSecond = 1, warningSeen = 1;
  std::thread a([&] {
    seenFirst = BaseError::_GetError();
    warningSeen = BaseError::_GetWarning(0);
    BaseError::_SetError(22);
    BaseError::_SetWarning(600);
  });
  a.join();
  std::thread b([&] { seenSecond = BaseError::_GetError(); });
  b.join();
  EXPECT_EQ(seenFirst, 0u);
  EXPECT_EQ(warningSeen, 0u);
  EXPECT_EQ(seenSecond, 0u);
  EXPECT_EQ(BaseError::_GetError(), 11u);
  EXPECT_EQ(BaseError::_GetWarning(1), 500u);
}

}  // namespace
