// The bridge's start and end: preparing, the system information, shutting down (also while
// disabled and from inside a notification), and the library's attach and detach.
#include <win/gdi.h>
#include <win/nls.h>
#include <win/userres.h>

#include "bridge/module_entry.h"
#include "quel_test_support.h"

namespace {

using queltest::BridgeTest;
using queltest::BridgeUp;
using queltest::Layout;
using queltest::Notifications;

class QuelBridge : public BridgeTest {
 protected:
  LRESULT Control(UINT sub, UINT op, LPARAM value = 0, HWND window = nullptr) {
    return _ExpImControl(window, QUEL_WM_CONTROL, (static_cast<WPARAM>(sub) << 16) | op, value);
  }
};

TEST_F(QuelBridge, NothingAnswersBeforePrepare) {
  EXPECT_EQ(Control(0x0001, 0x0002), 0);
  EXPECT_EQ(Control(0x0004, 0x0002), 0);
  EXPECT_EQ(_ExpImGetParentWnd(), nullptr);
  EXPECT_EQ(_ExpImGetEventMessages(1, 2, 3, nullptr), 0);
}

TEST_F(QuelBridge, PrepareMakesOneBridge) {
  HWND host = MakeWindow();
  HWND bridge = _ExpImPrepare(host);
  ASSERT_TRUE(bridge);
  EXPECT_EQ(_ExpImPrepare(MakeWindow()), bridge) << "a second prepare must return the same bridge";
  EXPECT_EQ(Control(0x0001, 0x0002), reinterpret_cast<LRESULT>(bridge));
  EXPECT_EQ(Control(0x0004, 0x0002), 2048);
  EXPECT_FALSE(IsWindowVisible(bridge));
  EXPECT_EQ(GetClassLongW(bridge, GCL_STYLE), 0x1400Bu);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(bridge, GWL_EXSTYLE)) & (WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW),
            static_cast<DWORD>(WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW));
  EXPECT_EQ(ImmGetContext(bridge), nullptr) << "the bridge window keeps no input context";
  EXPECT_NE(GetWindowLongPtrW(bridge, GWLP_USERDATA), 0);
  EXPECT_EQ(SendMessageW(bridge, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATEANDEAT);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(bridge, GCLP_HCURSOR)), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_TRUE(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(bridge, GCLP_HBRBACKGROUND)), GetStockObject(LTGRAY_BRUSH));
}

TEST_F(QuelBridge, SystemInformation) {
  struct Row {
    const char* name;
    bool hostHasContext;
  } rows[] = {{"a host window with a context", true}, {"a host window without one", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    quel::ResetBridgeForTests();
    HWND host = MakeWindow();
    HIMC context = ImmGetContext(host);
    ImmSetConversionStatus(context, 0x0B, 0x08);
    if (!row.hostHasContext) ImmAssociateContext(host, nullptr);
    ASSERT_TRUE(_ExpImPrepare(host));
    const tagImeSystemInfo* info = _ExpImSystemInformation();
    EXPECT_EQ(info->ansiCodePage, GetACP());
    EXPECT_EQ(info->activeCodePage, GetACP());
    EXPECT_EQ(info->keyboardLayout, GetKeyboardLayout(0));
    EXPECT_EQ(info->conversionMode, 17u);
    EXPECT_EQ(info->openClose, quel::ChooseOpenCloseProc());
    if (row.hostHasContext) {
      EXPECT_EQ(info->inputContext, context);
      EXPECT_EQ(info->sentenceMode, 0x08u);
      DWORD conversion = 0, sentence = 0;
      ImmGetConversionStatus(context, &conversion, &sentence);
      EXPECT_EQ(conversion, 17u);
      EXPECT_EQ(sentence, 0x08u);
    } else {
      EXPECT_EQ(info->inputContext, reinterpret_cast<HIMC>(uintptr_t{1}));
      EXPECT_EQ(info->sentenceMode, 4u);
    }
    EXPECT_EQ(info->koreanInputMethod, 0);
    EXPECT_EQ(info->composing, 0);
  }
}

TEST_F(QuelBridge, ShutdownEndsEverythingAndPrepareStartsAgain) {
  struct Row {
    const char* name;
    bool disabled;
  } rows[] = {{"enabled", false}, {"disabled", true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HWND host = MakeWindow();
    HWND bridge = _ExpImPrepare(host);
    ASSERT_TRUE(bridge);
    if (row.disabled) {
      Control(0x0012, 0x0048, 1);
      EXPECT_EQ(Control(0x0012, 0x0042), 1);
      EXPECT_EQ(SendMessageW(bridge, WM_MOUSEACTIVATE, 0, 0), 0) << "a disabled bridge answers 0";
    }
    EXPECT_EQ(Control(0x0001, 0x8000), 3);
    EXPECT_FALSE(IsWindow(bridge));
    EXPECT_FALSE(BridgeUp());
    EXPECT_EQ(Control(0x0004, 0x0002), 0);
    EXPECT_EQ(Control(0x0012, 0x0042), 0);
    HWND again = _ExpImPrepare(host);
    ASSERT_TRUE(again);
    EXPECT_NE(again, bridge);
    EXPECT_EQ(Control(0x0004, 0x0002), 2048);
    EXPECT_EQ(Control(0x0012, 0x0042), 0) << "a new bridge starts enabled";
    Control(0x0001, 0x8000);
  }
}

TEST_F(QuelBridge, ShutdownInsideANotificationWaitsForTheOutermostCall) {
  HWND host = MakeWindow();
  _ExpImGlobalAdd(AtomOf(host));
  HWND bridge = _ExpImPrepare(host);
  ASSERT_TRUE(bridge);
  SetFocus(host);
  // A result, sent from inside the pre-translation of WM_IME_CHAR.
  bool shutDownInside = false;
  queltest::Answers().onNotify = [&](WPARAM kind) {
    if (kind != QUEL_NOTIFY_RESULT || shutDownInside) return;
    shutDownInside = true;
    EXPECT_EQ(Control(0x0001, 0x8000), 3);
    EXPECT_TRUE(BridgeUp()) << "the bridge must live until the outer call returns";
    EXPECT_EQ(Control(0x0004, 0x0002), 2048);
  };
  MSG msg{host, WM_IME_CHAR, u'x', 1};
  EXPECT_EQ(_ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0), 1);
  EXPECT_TRUE(shutDownInside);
  EXPECT_FALSE(IsWindow(bridge));
  EXPECT_FALSE(BridgeUp());
  ASSERT_EQ(Notifications().size(), 1u);
  EXPECT_EQ(Notifications()[0].record.text[0], u'x');
}

TEST_F(QuelBridge, NestingIsBounded) {
  HWND host = MakeWindow();
  _ExpImGlobalAdd(AtomOf(host));
  ASSERT_TRUE(_ExpImPrepare(host));
  SetFocus(host);
  int deepest = 0, depth = 0;
  queltest::Answers().onNotify = [&](WPARAM kind) {
    ++depth;
    deepest = std::max(deepest, depth);
    MSG msg{host, WM_IME_CHAR, u'y', 1};
    _ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0);
    --depth;
  };
  MSG msg{host, WM_IME_CHAR, u'x', 1};
  _ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0);
  EXPECT_EQ(deepest, QUEL_MAX_NESTING);
}

TEST_F(QuelBridge, DetachReturnsToTheStart) {
  HWND host = MakeWindow();
  _ExpImGlobalAdd(AtomOf(host));
  HWND bridge = _ExpImPrepare(host);
  ASSERT_TRUE(bridge);
  _ExpImSystemInformation()->legacy = 1;
  quel::QuelProcessDetach();
  EXPECT_FALSE(IsWindow(bridge));
  EXPECT_EQ(_ExpImGlobalSize(), 0);
  EXPECT_EQ(_ExpImSystemInformation()->legacy, 0);
  quel::QuelProcessAttach(nullptr);
  EXPECT_TRUE(_ExpImPrepare(host));
}

}  // namespace
