// Input-language changes (WM_INPUTLANGCHANGEREQUEST, WM_INPUTLANGCHANGE) as a table over
// message, character set, layout, version code, legacy flag, language and pending flag.
// Rows of other version codes run in child processes.
#include <kx2test/ChildProcess.h>

#include "quel_test_support.h"

namespace {

using queltest::ServedHostTest;

struct Row {
  const char* name;
  const char* winver;  // KX2_WINVER, "" for the default (code 10)
  UINT message;
  WPARAM charset;
  LPARAM layout;
  int legacy;
  LPARAM language;
  bool pending;
  // After:
  LRESULT result;
  int openStatus;  // 7: untouched
  bool pendingAfter;
  UINT activeCodePage;  // 0: untouched (1252)
};

const Row kRows[] = {
    {"Japanese set, system method, nothing pending", "", WM_INPUTLANGCHANGE, 128, 0xE0010411, 0, 2048, false, 1, 7,
     false, 0},
    {"Japanese set, pending: the method's open status", "", WM_INPUTLANGCHANGE, 128, 0xE0010411, 0, 2048, true, 1, 1,
     false, 0},
    {"Chinese set, another language", "", WM_INPUTLANGCHANGE, 134, 0xE0010804, 0, 1041, false, 1, 1, false, 0},
    {"Big5 set, pending", "", WM_INPUTLANGCHANGE, 136, 0xE0010404, 0, 2048, true, 1, 1, false, 0},
    {"Hangul set closes", "", WM_INPUTLANGCHANGE, 129, 0xE0010412, 0, 2048, true, 1, 0, false, 0},
    {"no character set, system method", "", WM_INPUTLANGCHANGE, 0, 0x04090409, 0, 2048, false, 1, 0, false, 0},
    {"no character set, English", "", WM_INPUTLANGCHANGE, 0, 0x04090409, 0, 1033, true, 0, 7, false, 0},
    {"another set on a newer system", "", WM_INPUTLANGCHANGE, 161, 0x04080408, 0, 2048, true, 0, 7, false, 0},
    // A request that switches the layout is followed by the change, which sees it pending.
    {"a request reads the code page; the change follows", "", WM_INPUTLANGCHANGEREQUEST, 0, 0x04120412, 0, 2048, false,
     1, 0, false, 949},
    {"a request for an unknown layout keeps the code page", "", WM_INPUTLANGCHANGEREQUEST, 0, 0x12345678, 0, 2048,
     false, 0, 7, true, 0},
    {"NT 4: an input-method layout of any set", "nt4", WM_INPUTLANGCHANGE, 0, 0xE0010412, 0, 1042, false, 1, 1, false,
     0},
    {"NT 4: another set, plain layout", "nt4", WM_INPUTLANGCHANGE, 161, 0x04080408, 0, 2048, false, 1, 0, false, 0},
    {"NT 4: another set, legacy", "nt4", WM_INPUTLANGCHANGE, 161, 0x04080408, 1, 2048, false, 0, 7, false, 0},
    {"NT 4: a request is not pending", "nt4", WM_INPUTLANGCHANGEREQUEST, 0, 0x04110411, 0, 2048, false, 1, 7, false,
     932},
    {"NT 4: with legacy, the change that follows a request sees it pending", "nt4", WM_INPUTLANGCHANGEREQUEST, 0,
     0x04110411, 1, 2048, false, 1, 1, false, 932},
    {"95: another set", "95", WM_INPUTLANGCHANGE, 161, 0x04080408, 0, 2048, false, 0, 7, false, 0},
    {"95: a request is not pending", "95", WM_INPUTLANGCHANGEREQUEST, 0, 0x04040404, 0, 2048, false, 1, 7, false, 950},
};

class QuelLanguageChange : public ServedHostTest {
 protected:
  void RunRows(const std::string& winver) {
    for (const Row& row : kRows) {
      if (winver != row.winver) continue;
      SCOPED_TRACE(row.name);
      ActivateKeyboardLayout(queltest::Layout(0xE0010411), 0);
      ASSERT_EQ(Control(0x0004, 0x0008, row.language), 1);
      ImmSetOpenStatus(ImmGetContext(host_), TRUE);
      tagImeSystemInfo* info = _ExpImSystemInformation();
      info->legacy = row.legacy;
      info->openStatus = 7;
      info->activeCodePage = 1252;
      info->languageChanged = 0;
      quel::TheBridge().pendingLanguageChange = row.pending;
      // A request comes only through the host's loop; a change also from the window.
      LRESULT result = 0;
      if (row.message == WM_INPUTLANGCHANGEREQUEST) {
        MSG msg{host_, row.message, row.charset, row.layout};
        result = _ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0);
      } else {
        result = _ExpImControl(host_, row.message, row.charset, row.layout);
      }
      EXPECT_EQ(result, row.result);
      EXPECT_EQ(info->openStatus, row.openStatus);
      EXPECT_EQ(quel::TheBridge().pendingLanguageChange, row.pendingAfter);
      EXPECT_EQ(info->activeCodePage, row.activeCodePage ? row.activeCodePage : 1252u);
      if (row.message == WM_INPUTLANGCHANGE && row.layout > 0x1FFFFFFF) {
        EXPECT_EQ(info->keyboardLayout, reinterpret_cast<HKL>(row.layout));
      }
      if (row.message == WM_INPUTLANGCHANGEREQUEST || row.language == 2048) {
        EXPECT_EQ(info->languageChanged, 1);
      }
    }
  }
};

TEST_F(QuelLanguageChange, Table) {
  if (kx2test::InChild()) {
    const char* winver = getenv("KX2_WINVER");
    RunRows(winver ? winver : "");
    return;
  }
  RunRows("");
  for (const char* winver : {"nt4", "95"}) {
    auto child = kx2test::RunInChild("QuelLanguageChange.Table", {{"KX2_WINVER", winver}});
    EXPECT_TRUE(child.Passed()) << "KX2_WINVER=" << winver << "\n" << child.output;
  }
}

// A language other than 2048 returns to it when the input method reports a change the
// user made after a language change.
TEST_F(QuelLanguageChange, ConversionModeReturnsToTheSystemMethod) {
  Control(0x0004, 0x0008, 1042);
  _ExpImSystemInformation()->languageChanged = 1;
  ImmSetConversionStatus(ImmGetContext(host_), 0x07, 0);
  EXPECT_EQ(Control(0x0004, 0x0002), 2048);
  EXPECT_EQ(_ExpImSystemInformation()->languageChanged, 0);
}

TEST_F(QuelLanguageChange, OpenStatusClearsComposing) {
  _ExpImSystemInformation()->composing = 1;
  ImmSetOpenStatus(ImmGetContext(host_), FALSE);
  EXPECT_EQ(_ExpImSystemInformation()->composing, 0);
  EXPECT_EQ(_ExpImSystemInformation()->openStatus, 0);
  ImmSetOpenStatus(ImmGetContext(host_), TRUE);
  EXPECT_EQ(_ExpImSystemInformation()->openStatus, 1);
}

}  // namespace
