// Message order at a recording window: compositions, layout switches, open and close,
// completing and cancelling, focus changes, the Hangul key.
#include "ime_test_support.h"

namespace {

using imetest::Record;
using imetest::Seen;
using imetest::Simplified;

constexpr LPARAM kComp = GCS_COMPSTR | GCS_COMPATTR | GCS_COMPCLAUSE | GCS_CURSORPOS | GCS_DELTASTART;
constexpr LPARAM kResult = GCS_RESULTSTR | GCS_RESULTCLAUSE;
constexpr WPARAM kProcess = VK_PROCESSKEY;

using ImeMessages = imetest::ImeTest;

TEST_F(ImeMessages, JapaneseCompositionStartsChangesConvertsAndCommits) {
  Play(
      "open\n"
      "key A comp \"\\u3042\"\n"
      "key I comp \"\\u3042\\u3044\"\n"
      "key SPACE comp \"\\u611B\" attr 1 clause 0 1 cursor 1 read \"\\u3042\\u3044\"\n"
      "key RETURN result \"\\u611B\" resultread \"\\u3042\\u3044\"\n");
  const LPARAM read = GCS_COMPREADSTR | GCS_COMPREADATTR | GCS_COMPREADCLAUSE;
  const LPARAM resultRead = GCS_RESULTREADSTR | GCS_RESULTREADCLAUSE;
  const std::vector<Seen> expected = {
      {WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0},
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_STARTCOMPOSITION, 0, 0},
      {WM_IME_COMPOSITION, 0x3042, kComp},
      {WM_KEYUP, 'A', 0},
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_COMPOSITION, 0x3044, kComp},
      {WM_KEYUP, 'I', 0},
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_COMPOSITION, 0x611B, kComp | read},
      {WM_KEYUP, VK_SPACE, 0},
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_COMPOSITION, 0x611B, kResult | resultRead},
      {WM_IME_ENDCOMPOSITION, 0, 0},
      {WM_IME_CHAR, 0x611B, 0},
      {WM_CHAR, 0x611B, 0},
      {WM_KEYUP, VK_RETURN, 0},
  };
  EXPECT_EQ(Simplified(), expected);
}

TEST_F(ImeMessages, KoreanMethodCommitsAndComposesAtOnce) {
  ActivateKeyboardLayout(imetest::Layout(0xE0010412), 0);
  Play(
      "open\n"
      "key G comp \"\\u314E\"\n"
      "key K comp \"\\uD558\"\n"
      "key S comp \"\\uD55C\"\n"
      "key K result \"\\uD558\" comp \"\\uB098\"\n"
      "key SPACE result \"\\uB098\"\n");
  const std::vector<Seen> tail = {
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_COMPOSITION, 0xB098, kResult | kComp},
      {WM_IME_CHAR, 0xD558, 0},
      {WM_CHAR, 0xD558, 0},
      {WM_KEYUP, 'K', 0},
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_COMPOSITION, 0xB098, kResult},
      {WM_IME_ENDCOMPOSITION, 0, 0},
      {WM_IME_CHAR, 0xB098, 0},
      {WM_CHAR, 0xB098, 0},
      {WM_KEYUP, VK_SPACE, 0},
  };
  const auto seen = Simplified();
  ASSERT_GE(seen.size(), tail.size());
  EXPECT_EQ(std::vector<Seen>(seen.end() - static_cast<long>(tail.size()), seen.end()), tail);
}

TEST_F(ImeMessages, LayoutSwitchIsActivatedAndReported) {
  Play("layout 0x04090409\nlayout 0xE0010412\nlayout 0x04040404\nlayout 0xE0010804\n");
  const std::vector<Seen> expected = {
      {WM_INPUTLANGCHANGEREQUEST, 0, 0x04090409}, {WM_INPUTLANGCHANGE, 0, 0x04090409},
      {WM_INPUTLANGCHANGEREQUEST, 0, 0xE0010412}, {WM_INPUTLANGCHANGE, 129, 0xE0010412},
      {WM_INPUTLANGCHANGEREQUEST, 0, 0x04040404}, {WM_INPUTLANGCHANGE, 136, 0x04040404},
      {WM_INPUTLANGCHANGEREQUEST, 0, 0xE0010804}, {WM_INPUTLANGCHANGE, 134, 0xE0010804},
  };
  EXPECT_EQ(Simplified(), expected);
  EXPECT_EQ(GetKeyboardLayout(0), imetest::Layout(0xE0010804));

  Record().clear();
  EXPECT_EQ(SendMessageW(window_, WM_INPUTLANGCHANGEREQUEST, 0, 0x12345678), 0);
  EXPECT_EQ(SendMessageW(window_, WM_INPUTLANGCHANGEREQUEST, 0, 0xE0010411), 1);
  EXPECT_EQ(Simplified(), (std::vector<Seen>{{WM_INPUTLANGCHANGEREQUEST, 0, 0x12345678},
                                             {WM_INPUTLANGCHANGEREQUEST, 0, 0xE0010411},
                                             {WM_INPUTLANGCHANGE, 128, 0xE0010411}}));
}

TEST_F(ImeMessages, OpenAndCloseNotifyOnChangeAndClosingCompletes) {
  Play("open\nopen\nkey A comp \"ab\"\nclose\nclose\nkey A comp \"x\"\n");
  const std::vector<Seen> expected = {
      {WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0},
      {WM_KEYDOWN, kProcess, 0},
      {WM_IME_STARTCOMPOSITION, 0, 0},
      {WM_IME_COMPOSITION, 'b', kComp},
      {WM_KEYUP, 'A', 0},
      {WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0},
      {WM_IME_COMPOSITION, 'b', kResult},
      {WM_IME_ENDCOMPOSITION, 0, 0},
      {WM_IME_CHAR, 'a', 0},
      {WM_IME_CHAR, 'b', 0},
      {WM_CHAR, 'a', 0},
      {WM_CHAR, 'b', 0},
      // Closed: the key is the window's own.
      {WM_KEYDOWN, 'A', 0},
      {WM_CHAR, 'a', 0},
      {WM_KEYUP, 'A', 0},
  };
  EXPECT_EQ(Simplified(), expected);
  EXPECT_FALSE(ImmGetOpenStatus(Context()));
}

TEST_F(ImeMessages, CompleteAndCancelOnRequest) {
  Play("open\nkey A comp \"xy\"\n");
  Record().clear();
  EXPECT_TRUE(ImmNotifyIME(Context(), NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  usertest::Pump();
  EXPECT_EQ(Simplified(), (std::vector<Seen>{{WM_IME_COMPOSITION, 'y', kResult},
                                             {WM_IME_ENDCOMPOSITION, 0, 0},
                                             {WM_IME_CHAR, 'x', 0},
                                             {WM_IME_CHAR, 'y', 0},
                                             {WM_CHAR, 'x', 0},
                                             {WM_CHAR, 'y', 0}}));
  EXPECT_FALSE(ImmNotifyIME(Context(), NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  EXPECT_FALSE(ImmNotifyIME(Context(), NI_COMPOSITIONSTR, CPS_CANCEL, 0));

  Play("key B comp \"z\"\n");
  Record().clear();
  EXPECT_TRUE(ImmNotifyIME(Context(), NI_COMPOSITIONSTR, CPS_CANCEL, 0));
  usertest::Pump();
  EXPECT_EQ(Simplified(), (std::vector<Seen>{{WM_IME_COMPOSITION, 0, kComp}, {WM_IME_ENDCOMPOSITION, 0, 0}}));
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR, nullptr, 0), 0);
  EXPECT_FALSE(ImmNotifyIME(Context(), NI_OPENCANDIDATE, 0, 0));
  SetLastError(0);
  EXPECT_FALSE(ImmNotifyIME(reinterpret_cast<HIMC>(uintptr_t{0x77}), NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ImeMessages, ScriptedCancelAndHiddenKeys) {
  Play("open\nkey A comp \"q\"\nkey ESCAPE cancel\nkey B hidden\n");
  const auto seen = Simplified();
  const std::vector<Seen> tail = {{WM_KEYDOWN, kProcess, 0},     {WM_IME_COMPOSITION, 0, kComp},
                                  {WM_IME_ENDCOMPOSITION, 0, 0}, {WM_KEYUP, VK_ESCAPE, 0},
                                  {WM_KEYDOWN, kProcess, 0},     {WM_KEYUP, 'B', 0}};
  ASSERT_GE(seen.size(), tail.size());
  EXPECT_EQ(std::vector<Seen>(seen.end() - static_cast<long>(tail.size()), seen.end()), tail);
}

TEST_F(ImeMessages, PlainLayoutLeavesKeysAlone) {
  ActivateKeyboardLayout(imetest::Layout(0x04110411), 0);
  Play("open\nkey A comp \"x\"\n");
  EXPECT_EQ(Simplified(),
            (std::vector<Seen>{
                {WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0}, {WM_KEYDOWN, 'A', 0}, {WM_CHAR, 'a', 0}, {WM_KEYUP, 'A', 0}}));
}

TEST_F(ImeMessages, FocusChangeSetsContextBeforeSetFocus) {
  HWND other = Make(WS_CHILD | WS_VISIBLE, window_, RECT{0, 0, 10, 10}, 0, u"ImeRecorder");
  Record().clear();
  SetFocus(other);
  EXPECT_EQ(Simplified(), (std::vector<Seen>{{WM_KILLFOCUS, reinterpret_cast<WPARAM>(other), 0},
                                             {WM_IME_SETCONTEXT, 0, static_cast<LPARAM>(ISC_SHOWUIALL)},
                                             {WM_IME_SETCONTEXT, 1, static_cast<LPARAM>(ISC_SHOWUIALL)},
                                             {WM_SETFOCUS, reinterpret_cast<WPARAM>(window_), 0}}));
  EXPECT_EQ(Kx2ImeShowFlags(other), static_cast<LPARAM>(ISC_SHOWUIALL));
}

TEST_F(ImeMessages, HangulKeyWithEitherScanCodeSwitchesHangulAndEnglish) {
  ActivateKeyboardLayout(imetest::Layout(0xE0010412), 0);
  Play("hangul\nhangul ralt\n");
  std::vector<std::pair<UINT, LPARAM>> downs;
  std::vector<WPARAM> notes;
  for (const Seen& s : Record()) {
    if (s.message == WM_KEYDOWN) downs.emplace_back(static_cast<UINT>(s.wParam), (s.lParam >> 16) & 0x1FF);
    if (s.message == WM_IME_NOTIFY) notes.push_back(s.wParam);
  }
  EXPECT_EQ(downs, (std::vector<std::pair<UINT, LPARAM>>{{VK_HANGUL, 0xF2}, {VK_HANGUL, 0x138}}));
  EXPECT_EQ(notes, (std::vector<WPARAM>{IMN_SETOPENSTATUS, IMN_SETCONVERSIONMODE, IMN_SETCONVERSIONMODE}));
  DWORD conversion = 0, sentence = 0;
  ASSERT_TRUE(ImmGetConversionStatus(Context(), &conversion, &sentence));
  EXPECT_EQ(conversion & IME_CMODE_NATIVE, 0u);
}

TEST_F(ImeMessages, ImeCharTextReachesTheWindowAsCharacters) {
  Play("char \"\\u00E9t\\u00E9\"\n");
  EXPECT_EQ(Simplified(), (std::vector<Seen>{{WM_IME_CHAR, 0xE9, 0},
                                             {WM_IME_CHAR, 't', 0},
                                             {WM_IME_CHAR, 0xE9, 0},
                                             {WM_CHAR, 0xE9, 0},
                                             {WM_CHAR, 't', 0},
                                             {WM_CHAR, 0xE9, 0}}));
}

// The script as the host's loop meets it: played whenever the thread would block.
TEST_F(ImeMessages, ScriptPlaysFromTheIdleHandlerAndQuitsWithTheBadLine) {
  const char text[] = "open\nkey A comp \"k\"\nkey RETURN result \"k\"\nclock 50\nkey A bogus\nkey B\n";
  Kx2ImeScript* script = Kx2ImeScriptParse(text, sizeof text - 1);
  EXPECT_EQ(Kx2ImeScriptBadLine(script), 5);
  EXPECT_EQ(Kx2ImeScriptStepsLeft(script), 4u);
  const ULONGLONG start = Kx2ClockNow();
  Kx2ImeScriptPlayWhenIdle(script, TRUE);
  MSG msg;
  int quitCode = -1;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  quitCode = static_cast<int>(msg.wParam);
  EXPECT_EQ(quitCode, 5);
  EXPECT_EQ(Kx2ClockNow() - start, 50u);
  std::u16string typed;
  for (const Seen& s : Record())
    if (s.message == WM_CHAR) typed += static_cast<char16_t>(s.wParam);
  EXPECT_EQ(typed, u"k");
  Kx2ImeScriptFree(script);
}

TEST(ImeScriptText, BadLinesAreReportedByNumber) {
  const struct {
    const char* text;
    int line;
  } cases[] = {
      {"open\n# note\n\nclose\n", 0},
      {"open\nwhat\n", 2},
      {"key\n", 1},
      {"key A comp\n", 1},
      {"key A comp \"open\n", 1},
      {"key A comp \"a\\q\"\n", 1},
      {"key A comp \"\\u12\"\n", 1},
      {"key NOSUCH\n", 1},
      {"layout\n", 1},
      {"layout 0x1FFFFFFFF\n", 1},
      {"clock -5\n", 1},
      {"mode 1\n", 1},
      {"open extra\n", 1},
      {"hangul ralt comp \"x\" attr 0 0 9 cursor 7\nhanja rctrl result \"y\"\n", 0},
      {"key A shift ctrl alt comp \"\\\"\" read \"r\" readattr 1 readclause 0 1 delta 3\n", 0},
  };
  for (const auto& c : cases) {
    Kx2ImeScript* script = Kx2ImeScriptParse(c.text, std::char_traits<char>::length(c.text));
    EXPECT_EQ(Kx2ImeScriptBadLine(script), c.line) << c.text;
    Kx2ImeScriptFree(script);
  }
}

}  // namespace
