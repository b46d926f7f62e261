// The open/close procedures, the thin context exports and the choice of procedure.
#include <cstdlib>

#include <kx2test/ChildProcess.h>

#include "quel_test_support.h"

namespace {

using queltest::BridgeTest;
using queltest::Layout;
using queltest::Messages;

// What the window's context is after a step.
enum class Has { kDefault, kMade, kNone };

struct Expect {
  int result;
  Has context;
  BOOL open;  // of the window's context, when it has one
  DWORD conversion;
  DWORD sentence;
  std::vector<std::pair<WPARAM, LPARAM>> languageRequests;  // WM_INPUTLANGCHANGEREQUEST sent
  bool notified;                                            // IMN_SETOPENSTATUS reached the window
  int resultFlag;
};

enum class Action { kOpen, kClose, kModes };
struct Step {
  Action action;
  DWORD conversion = 0;  // kModes: set on the window's context
  DWORD sentence = 0;
  Expect expect{};
};

struct Row {
  const char* name;
  UINT codePage;
  DWORD layout;
  bool withContext;
  std::vector<Step> steps;
  UINT procedureCodePage = 0;  // what the default procedure read, when it ran
};

Step Modes(DWORD conversion, DWORD sentence) { return Step{Action::kModes, conversion, sentence, {}}; }
Step Open(Expect e) { return Step{Action::kOpen, 0, 0, std::move(e)}; }
Step Close(Expect e) { return Step{Action::kClose, 0, 0, std::move(e)}; }

constexpr LPARAM kUsLayout = 0x04090409, kChineseLayout = 0x08040804;

class QuelOpenClose : public BridgeTest {
 protected:
  void RunRow(const Row& row) {
    SCOPED_TRACE(row.name);
    ActivateKeyboardLayout(Layout(row.layout), 0);
    HWND window = MakeWindow();
    ASSERT_TRUE(window);
    SetFocus(window);
    queltest::Pump();
    const HIMC defaultContext = ImmGetContext(window);
    ASSERT_TRUE(defaultContext);
    ImmSetConversionStatus(defaultContext, 0x08, 0x04);
    if (!row.withContext) ImmAssociateContext(window, nullptr);
    const quel::OpenCloseProc procedure = quel::OpenCloseProcFor(row.codePage);
    int at = 0;
    for (const Step& step : row.steps) {
      SCOPED_TRACE(testing::Message() << "step " << ++at);
      if (step.action == Action::kModes) {
        ImmSetConversionStatus(ImmGetContext(window), step.conversion, step.sentence);
        continue;
      }
      queltest::Record().clear();
      const int result = procedure(window, step.action == Action::kOpen ? 1 : 0);
      const Expect& e = step.expect;
      EXPECT_EQ(result, e.result);
      EXPECT_FALSE(quel::OpenCloseBusy());
      EXPECT_EQ(quel::OpenCloseResultFlag(), e.resultFlag);
      const HIMC context = ImmGetContext(window);
      switch (e.context) {
        case Has::kDefault:
          EXPECT_EQ(context, defaultContext);
          break;
        case Has::kMade:
          EXPECT_TRUE(context && context != defaultContext);
          EXPECT_EQ(context, quel::RememberedContext());
          break;
        case Has::kNone:
          EXPECT_EQ(context, nullptr);
          break;
      }
      if (context) {
        DWORD conversion = 0, sentence = 0;
        ImmGetConversionStatus(context, &conversion, &sentence);
        EXPECT_EQ(ImmGetOpenStatus(context), e.open);
        EXPECT_EQ(conversion, e.conversion);
        EXPECT_EQ(sentence, e.sentence);
      }
      std::vector<std::pair<WPARAM, LPARAM>> requests;
      for (const auto& seen : Messages(WM_INPUTLANGCHANGEREQUEST)) requests.emplace_back(seen.wParam, seen.lParam);
      EXPECT_EQ(requests, e.languageRequests);
      bool notified = false;
      for (const auto& seen : Messages(WM_IME_NOTIFY)) {
        if (seen.wParam != IMN_SETOPENSTATUS) continue;
        notified = true;
        EXPECT_TRUE(seen.busy) << "the open state changed outside a busy procedure";
      }
      EXPECT_EQ(notified, e.notified);
    }
    if (row.procedureCodePage) {
      EXPECT_EQ(quel::OpenCloseCodePage(), row.procedureCodePage);
    }
  }
};

TEST_F(QuelOpenClose, ProceduresByCodePage) {
  const DWORD japanese = 0xE0010411, chinese = 0xE0010804, taiwan = 0xE0010404, korean = 0xE0010412, us = 0x04090409;
  const std::vector<Row> rows = {
      {"950 restores the saved modes with native added",
       950,
       taiwan,
       true,
       {Open({1, Has::kDefault, TRUE, 0x08, 0x04, {}, true, 1}),
        Close({1, Has::kDefault, FALSE, 0x08, 0x04, {}, true, 0}), Modes(0, 0),
        Open({1, Has::kDefault, TRUE, 0x09, 0x04, {}, true, 1})}},
      {"936 asks for the Chinese layout on close and the current one on a restoring open",
       936,
       chinese,
       true,
       {Open({1, Has::kDefault, TRUE, 0x08, 0x04, {}, true, 1}),
        Close({1, Has::kDefault, FALSE, 0x08, 0x04, {{0, kChineseLayout}}, true, 0}),
        Close({1, Has::kDefault, FALSE, 0x08, 0x04, {}, false, 0}), Modes(0, 0),
        Open({1, Has::kDefault, TRUE, 0x09, 0x04, {{1, static_cast<LPARAM>(chinese)}}, true, 1})}},
      {"950 without a context",
       950,
       taiwan,
       false,
       {Open({0, Has::kNone, FALSE, 0, 0, {}, false, 0}), Close({0, Has::kNone, FALSE, 0, 0, {}, false, 0})}},
      {"936 without a context",
       936,
       chinese,
       false,
       {Open({0, Has::kNone, FALSE, 0, 0, {}, false, 0}), Close({0, Has::kNone, FALSE, 0, 0, {}, false, 0})}},
      {"932 makes a context and reopens with the saved modes, native and full shape added",
       932,
       japanese,
       true,
       {Open({1, Has::kMade, TRUE, 0x09, 0x00, {}, false, 1}), Modes(0x12, 0x08),
        Close({0, Has::kDefault, FALSE, 0x08, 0x04, {}, true, 0}),
        Open({1, Has::kMade, TRUE, 0x1B, 0x08, {}, false, 1}), Open({1, Has::kMade, TRUE, 0x1B, 0x08, {}, false, 1})}},
      {"932 without a context",
       932,
       japanese,
       false,
       {Open({1, Has::kMade, TRUE, 0x09, 0x00, {}, false, 1}), Close({0, Has::kNone, FALSE, 0, 0, {}, true, 0}),
        Close({0, Has::kNone, FALSE, 0, 0, {}, false, 0})}},
      {"949 applies modes only once saved, native and Roman added",
       949,
       korean,
       true,
       {Open({1, Has::kMade, TRUE, 0x00, 0x00, {}, false, 1}), Modes(0x02, 0x04),
        Close({0, Has::kDefault, FALSE, 0x08, 0x04, {}, true, 0}),
        Open({1, Has::kMade, TRUE, 0x13, 0x04, {}, false, 1})},
       949},
      {"949 without a context",
       949,
       korean,
       false,
       {Open({1, Has::kMade, TRUE, 0x00, 0x00, {}, false, 1}), Close({0, Has::kNone, FALSE, 0, 0, {}, true, 0})},
       949},
      {"1252 on the US layout",
       1252,
       us,
       true,
       {Open({1, Has::kMade, TRUE, 0x00, 0x00, {}, false, 1}), Modes(0x02, 0x01),
        Close({0, Has::kDefault, FALSE, 0x08, 0x04, {}, true, 0}),
        Open({1, Has::kMade, TRUE, 0x13, 0x01, {}, false, 1})},
       1252},
      {"1252 with a Japanese layout adds full shape",
       1252,
       japanese,
       true,
       {Open({1, Has::kMade, TRUE, 0x00, 0x00, {}, false, 1}), Modes(0x02, 0x01),
        Close({0, Has::kDefault, FALSE, 0x08, 0x04, {}, true, 0}),
        Open({1, Has::kMade, TRUE, 0x1B, 0x01, {}, false, 1})},
       932},
  };
  for (const Row& row : rows) {
    RunRow(row);
    // Each row starts from the process's start state.
    quel::ResetOpenCloseState();
    Kx2ImeReset();
  }
}

TEST_F(QuelOpenClose, ChoiceFollowsTheAnsiCodePage) {
  const struct {
    const char* acp;
    quel::OpenCloseProc expected;
  } cases[] = {{"932", &quel::OpenCloseJapanese},
               {"936", &quel::OpenCloseSimplifiedChinese},
               {"950", &quel::OpenCloseTraditionalChinese},
               {"949", &quel::OpenCloseDefault},
               {"1252", &quel::OpenCloseDefault}};
  for (const auto& c : cases) {
    setenv("KX2_ACP", c.acp, 1);
    EXPECT_EQ(quel::ChooseOpenCloseProc(), c.expected) << c.acp;
  }
  unsetenv("KX2_ACP");
  EXPECT_EQ(quel::ChooseOpenCloseProc(), &quel::OpenCloseDefault);
}

TEST_F(QuelOpenClose, AGoneWindowGivesWayToTheFocusWindow) {
  HWND focus = MakeWindow();
  HWND gone = MakeWindow();
  SetFocus(focus);
  DestroyWindow(gone);
  EXPECT_EQ(quel::OpenCloseJapanese(gone, 1), 1);
  EXPECT_EQ(ImmGetContext(focus), quel::RememberedContext());
  EXPECT_EQ(quel::OpenCloseDefault(gone, 0), 0);
  EXPECT_EQ(quel::RememberedContext(), nullptr);
}

TEST_F(QuelOpenClose, AContextDestroyedElsewhereIsForgotten) {
  HWND window = MakeWindow();
  SetFocus(window);
  for (auto procedure : {&quel::OpenCloseJapanese, &quel::OpenCloseDefault}) {
    ASSERT_EQ(procedure(window, 1), 1);
    const HIMC first = quel::RememberedContext();
    ASSERT_TRUE(ImmDestroyContext(first));
    EXPECT_EQ(procedure(window, 1), 1);
    const HIMC second = quel::RememberedContext();
    EXPECT_TRUE(second && second != first);
    EXPECT_EQ(ImmGetContext(window), second);
    EXPECT_TRUE(ImmGetOpenStatus(second));
    EXPECT_EQ(procedure(window, 0), 0);
  }
}

TEST(QuelCodePageText, OnlyValidCodePagesCount) {
  const struct {
    const char16_t* text;
    bool valid;
    UINT value;
  } cases[] = {{u"932", true, 932}, {u"1252", true, 1252}, {u"", false, 0},        {u"abc", false, 0},
               {u"0", false, 0},    {u"99999", false, 0},  {u"1252x", false, 0},   {u"123456", false, 0},
               {u" 932", false, 0}, {u"-936", false, 0},   {u"65001", true, 65001}};
  for (const auto& c : cases) {
    UINT value = 7;
    EXPECT_EQ(quel::ParseCodePage(c.text, &value), c.valid);
    EXPECT_EQ(value, c.valid ? c.value : 7u) << "a refused text must keep the code page";
  }
}

// Version codes are kept for the life of a process: these rows run in children.
TEST_F(QuelOpenClose, SimplifiedChineseCloseOnWindows95AsksForUs) {
  if (!kx2test::InChild()) {
    auto child =
        kx2test::RunInChild("QuelOpenClose.SimplifiedChineseCloseOnWindows95AsksForUs", {{"KX2_WINVER", "95"}});
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  HWND window = MakeWindow();
  SetFocus(window);
  EXPECT_EQ(quel::OpenCloseSimplifiedChinese(window, 0), 1);
  auto requests = Messages(WM_INPUTLANGCHANGEREQUEST);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].wParam, 0u);
  EXPECT_EQ(requests[0].lParam, kUsLayout);
}

TEST_F(QuelOpenClose, DefaultOnNt4ReadsNoLayoutCodePage) {
  if (!kx2test::InChild()) {
    auto child = kx2test::RunInChild("QuelOpenClose.DefaultOnNt4ReadsNoLayoutCodePage", {{"KX2_WINVER", "nt4"}});
    EXPECT_TRUE(child.Passed()) << child.output;
    return;
  }
  ActivateKeyboardLayout(Layout(0xE0010411), 0);
  HWND window = MakeWindow();
  SetFocus(window);
  quel::OpenCloseDefault(window, 1);
  ImmSetConversionStatus(ImmGetContext(window), 0x02, 0);
  quel::OpenCloseDefault(window, 0);
  quel::OpenCloseDefault(window, 1);
  DWORD conversion = 0, sentence = 0;
  ImmGetConversionStatus(ImmGetContext(window), &conversion, &sentence);
  EXPECT_EQ(quel::OpenCloseCodePage(), 0u);
  EXPECT_EQ(conversion, 0x13u);
}

class QuelContexts : public BridgeTest {};

TEST_F(QuelContexts, ReleaseAndDestroy) {
  HWND host = MakeWindow();
  HWND other = MakeWindow(u"QuelOtherWindow");
  _ExpImGlobalAdd(AtomOf(host));
  const HIMC hostContext = ImmGetContext(host);

  // A served window keeps its context.
  EXPECT_EQ(_ExpImRelease(host), FALSE);
  EXPECT_EQ(ImmGetContext(host), hostContext);

  // Another window loses a context of its own, and the bridge forgets it.
  SetFocus(other);
  ASSERT_EQ(quel::OpenCloseJapanese(other, 1), 1);
  const HIMC made = quel::RememberedContext();
  ASSERT_EQ(ImmGetContext(other), made);
  EXPECT_EQ(_ExpImRelease(other), TRUE);
  EXPECT_EQ(ImmGetContext(other), nullptr);
  EXPECT_EQ(quel::RememberedContext(), nullptr);
  EXPECT_EQ(ImmDestroyContext(made), FALSE) << "the context should be gone";

  // The thread's default context cannot be destroyed: 0, and the window has none after.
  HWND plain = MakeWindow(u"QuelOtherWindow");
  ASSERT_TRUE(ImmGetContext(plain));
  EXPECT_EQ(_ExpImRelease(plain), FALSE);
  EXPECT_EQ(ImmGetContext(plain), nullptr);

  // Gone and made-up windows.
  DestroyWindow(plain);
  EXPECT_EQ(_ExpImRelease(plain), FALSE);
  EXPECT_EQ(_ExpImRelease(nullptr), FALSE);

  // Destroying: a stale context changes nothing; the remembered one is forgotten.
  SetFocus(host);
  quel::OpenCloseJapanese(host, 1);
  const HIMC again = quel::RememberedContext();
  ASSERT_TRUE(again);
  EXPECT_EQ(_ExpImDestroyContext(made), FALSE);
  EXPECT_EQ(quel::RememberedContext(), again);
  EXPECT_EQ(_ExpImDestroyContext(again), TRUE);
  EXPECT_EQ(quel::RememberedContext(), nullptr);
  EXPECT_EQ(ImmGetContext(host), hostContext) << "a destroyed context's windows go back to their default";
}

TEST_F(QuelContexts, ThinExportsPassThrough) {
  HWND window = MakeWindow();
  const HIMC context = _ExpImGetContext(window);
  EXPECT_EQ(context, ImmGetContext(window));
  EXPECT_EQ(_ExpImReleaseContext(window, context), TRUE);
  const HIMC made = ImmCreateContext();
  EXPECT_EQ(_ExpImAssociateContext(window, made), context);
  EXPECT_EQ(_ExpImGetContext(window), made);
  EXPECT_EQ(_ExpImNotify(made, NI_COMPOSITIONSTR, CPS_COMPLETE, 0), FALSE) << "nothing to complete";
  EXPECT_EQ(_ExpImGetVirtualKey(window), static_cast<UINT>(VK_PROCESSKEY));
  EXPECT_EQ(_ExpImSystemEnable(window, TRUE), 0);
  EXPECT_EQ(_ExpImDestroyContext(made), TRUE);
}

}  // namespace
