// Input contexts, their state and windows, and ImmGetCompositionStringW's buffer rules.
#include <cstring>

#include "ime_test_support.h"

namespace {

using imetest::Record;
using imetest::Seen;
using ImeContexts = imetest::ImeTest;

HIMC MadeUp() { return reinterpret_cast<HIMC>(uintptr_t{0xBAD0}); }

TEST_F(ImeContexts, DefaultContextIsSharedAndCannotBeDestroyed) {
  HWND other = Make(WS_CHILD | WS_VISIBLE, window_, RECT{0, 0, 10, 10});
  HIMC shared = ImmGetContext(window_);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(ImmGetContext(other), shared);
  EXPECT_TRUE(ImmReleaseContext(window_, shared));
  EXPECT_FALSE(ImmDestroyContext(shared));
  EXPECT_EQ(ImmGetContext(window_), shared);

  HIMC own = ImmCreateContext();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(ImmAssociateContext(other, own), shared);
  EXPECT_EQ(ImmGetContext(other), own);
  EXPECT_EQ(ImmAssociateContext(other, nullptr), own);
  EXPECT_EQ(ImmGetContext(other), nullptr);
  EXPECT_EQ(ImmAssociateContext(other, own), nullptr);
  EXPECT_TRUE(ImmDestroyContext(own));
  // Its window falls back on the thread's context; the handle is never valid again.
  EXPECT_EQ(ImmGetContext(other), shared);
  SetLastError(0);
  EXPECT_FALSE(ImmDestroyContext(own));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(ImmAssociateContext(other, own), nullptr);
  EXPECT_EQ(ImmGetContext(other), shared);
}

TEST_F(ImeContexts, StaleAndMadeUpHandlesGiveZeroWithInvalidHandle) {
  HIMC gone = ImmCreateContext();
  ImmDestroyContext(gone);
  for (HIMC bad : {gone, MadeUp(), HIMC{nullptr}}) {
    DWORD conversion = 0;
    COMPOSITIONFORM form{};
    CANDIDATEFORM candidate{};
    SetLastError(0);
    EXPECT_FALSE(ImmSetOpenStatus(bad, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ImmGetOpenStatus(bad));
    EXPECT_FALSE(ImmSetConversionStatus(bad, 1, 0));
    EXPECT_FALSE(ImmGetConversionStatus(bad, &conversion, nullptr));
    EXPECT_FALSE(ImmSetCompositionWindow(bad, &form));
    EXPECT_FALSE(ImmGetCompositionWindow(bad, &form));
    EXPECT_FALSE(ImmSetCandidateWindow(bad, &candidate));
    EXPECT_FALSE(ImmReleaseContext(window_, bad));
    EXPECT_EQ(ImmGetCompositionStringW(bad, GCS_COMPSTR, nullptr, 0), IMM_ERROR_GENERAL);
  }
  SetLastError(0);
  EXPECT_EQ(ImmGetProperty(imetest::Layout(0x12340409), IGP_PROPERTY), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(ImmGetContext(reinterpret_cast<HWND>(uintptr_t{0x5555})), nullptr);
  EXPECT_EQ(Record().size(), 0u);
}

TEST_F(ImeContexts, NotificationsGoToTheFocusWindowOrTheLastAssociated) {
  HWND other = Make(WS_CHILD | WS_VISIBLE, window_, RECT{0, 0, 10, 10}, 0, u"ImeRecorder");
  HIMC own = ImmCreateContext();
  ImmAssociateContext(other, own);
  Record().clear();
  ASSERT_TRUE(ImmSetConversionStatus(own, 9, 0));
  ASSERT_TRUE(ImmSetConversionStatus(own, 9, 8));
  ASSERT_TRUE(ImmSetConversionStatus(own, 9, 8));
  ASSERT_TRUE(ImmSetConversionStatus(own, 1, 0));
  COMPOSITIONFORM form{CFS_POINT, POINT{5, 6}, RECT{}};
  EXPECT_FALSE(ImmGetCompositionWindow(own, &form));
  ASSERT_TRUE(ImmSetCompositionWindow(own, &form));
  CANDIDATEFORM candidate{2, CFS_EXCLUDE, POINT{7, 8}, RECT{1, 2, 3, 4}};
  ASSERT_TRUE(ImmSetCandidateWindow(own, &candidate));
  candidate.dwIndex = 4;
  EXPECT_FALSE(ImmSetCandidateWindow(own, &candidate));
  EXPECT_EQ(imetest::Simplified(), (std::vector<Seen>{{WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0},
                                                      {WM_IME_NOTIFY, IMN_SETSENTENCEMODE, 0},
                                                      {WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 0},
                                                      {WM_IME_NOTIFY, IMN_SETSENTENCEMODE, 0},
                                                      {WM_IME_NOTIFY, IMN_SETCOMPOSITIONWINDOW, 0},
                                                      {WM_IME_NOTIFY, IMN_SETCANDIDATEPOS, 4}}));
  COMPOSITIONFORM readForm{};
  ASSERT_TRUE(ImmGetCompositionWindow(own, &readForm));
  EXPECT_EQ(readForm.ptCurrentPos.x, 5);
  EXPECT_EQ(readForm.ptCurrentPos.y, 6);
  CANDIDATEFORM readCandidate{};
  EXPECT_FALSE(ImmGetCandidateWindow(own, 0, &readCandidate));
  ASSERT_TRUE(ImmGetCandidateWindow(own, 2, &readCandidate));
  EXPECT_EQ(readCandidate.rcArea.right, 3);
  DWORD conversion = 0, sentence = 0;
  ASSERT_TRUE(ImmGetConversionStatus(own, &conversion, &sentence));
  EXPECT_EQ(conversion, 1u);
  EXPECT_EQ(sentence, 0u);

  // Once the focus window uses it, it hears first.
  usertest::Journal().clear();
  SetFocus(other);
  ImmAssociateContext(window_, own);
  SetFocus(window_);
  Record().clear();
  ASSERT_TRUE(ImmSetOpenStatus(own, TRUE));
  EXPECT_EQ(imetest::Simplified(), (std::vector<Seen>{{WM_IME_NOTIFY, IMN_SETOPENSTATUS, 0}}));
  ImmDestroyContext(own);
}

TEST_F(ImeContexts, PropertiesOfInputMethodLayoutsOnly) {
  EXPECT_NE(ImmGetProperty(imetest::Layout(0xE0010411), IGP_PROPERTY) & IME_PROP_UNICODE, 0u);
  EXPECT_NE(ImmGetProperty(imetest::Layout(0xE0010411), IGP_PROPERTY) & IME_PROP_AT_CARET, 0u);
  EXPECT_EQ(ImmGetProperty(imetest::Layout(0xE0010411), IGP_GETIMEVERSION), static_cast<DWORD>(IMEVER_0400));
  EXPECT_EQ(ImmGetProperty(imetest::Layout(0x04110411), IGP_PROPERTY), 0u);
  EXPECT_EQ(ImmGetProperty(imetest::Layout(0x04090409), IGP_PROPERTY), 0u);
  EXPECT_TRUE(ImmIsIME(imetest::Layout(0xE0010404)));
  EXPECT_FALSE(ImmIsIME(imetest::Layout(0x04040404)));
}

TEST_F(ImeContexts, VirtualKeyIsTheOriginalUntilTranslateMessageSeesIt) {
  Kx2ImeScript* script = Kx2ImeScriptParse("open\nkey K comp \"k\"\n", 20);
  Kx2ImeScriptStep(script);
  usertest::Pump();
  Kx2ImeScriptStep(script);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_PROCESSKEY));
  EXPECT_EQ((msg.lParam >> 16) & 0xFF, 0x25);  // the real scan code of K
  EXPECT_EQ(ImmGetVirtualKey(window_), static_cast<UINT>('K'));
  TranslateMessage(&msg);
  EXPECT_EQ(ImmGetVirtualKey(window_), static_cast<UINT>(VK_PROCESSKEY));
  DispatchMessageW(&msg);
  usertest::Pump();
  EXPECT_EQ(ImmGetVirtualKey(window_), static_cast<UINT>(VK_PROCESSKEY));
  SetLastError(0);
  EXPECT_EQ(ImmGetVirtualKey(reinterpret_cast<HWND>(uintptr_t{0x5555})), 0u);
  EXPECT_NE(GetLastError(), 0u);
  Kx2ImeScriptFree(script);
}

// Compositions of 0, 1 and 320 characters read with lengths 0, short, odd and exact.
TEST_F(ImeContexts, CompositionStringSizesAndShortBuffers) {
  for (size_t count : {size_t{0}, size_t{1}, size_t{320}}) {
    ImmNotifyIME(Context(), NI_COMPOSITIONSTR, CPS_CANCEL, 0);
    usertest::Pump();
    std::string text;
    for (size_t i = 0; i < count; ++i) text += "\\u30" + std::string(i % 2 ? "42" : "44");
    std::string clauses = count ? " clause 0 " + std::to_string(count / 2) + " " + std::to_string(count) : "";
    const std::string script =
        "open\nkey A comp \"" + text + "\" cursor " + std::to_string(count) + " delta 0" + clauses + " read \"r\"\n";
    Play(script.c_str());

    const struct {
      DWORD index;
      size_t element, size;
    } indexes[] = {{GCS_COMPSTR, 2, 2 * count},
                   {GCS_COMPATTR, 1, count},
                   {GCS_COMPCLAUSE, 4, count ? 12u : 0u},
                   {GCS_COMPREADSTR, 2, 2},
                   {GCS_RESULTSTR, 2, 0}};
    for (const auto& ix : indexes) {
      const LONG size = ImmGetCompositionStringW(Context(), ix.index, nullptr, 0);
      ASSERT_EQ(size, static_cast<LONG>(ix.size)) << count << " index " << ix.index;
      for (size_t length : {size_t{0}, ix.size / 2, ix.size ? ix.size - 1 : 1, ix.size}) {
        std::vector<unsigned char> buffer(length + 8, 0xEE);
        const LONG got =
            ImmGetCompositionStringW(Context(), ix.index, length ? buffer.data() : nullptr, static_cast<DWORD>(length));
        const size_t expected = length == 0 ? ix.size : std::min(ix.size, length / ix.element * ix.element);
        EXPECT_EQ(got, static_cast<LONG>(expected)) << count << " index " << ix.index << " length " << length;
        // Never past what it reports.
        for (size_t b = length ? expected : 0; b < buffer.size(); ++b) ASSERT_EQ(buffer[b], 0xEE);
      }
    }
    EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_CURSORPOS, nullptr, 0), static_cast<LONG>(count));
    EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_DELTASTART, nullptr, 0), 0);
    EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_RESULTREADSTR, nullptr, 0), IMM_ERROR_NODATA);
    EXPECT_EQ(ImmGetCompositionStringW(Context(), 0x4000, nullptr, 0), IMM_ERROR_GENERAL);
    EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR | GCS_COMPATTR, nullptr, 0), IMM_ERROR_GENERAL);
  }
}

TEST_F(ImeContexts, CompositionContentClausesAndInconsistentScriptData) {
  Play("open\nkey A comp \"ab\" attr 0 1 2 3 4 clause 0 1 2 9 cursor 7 delta 1\n");
  char16_t text[8] = {};
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR, text, sizeof text), 4);
  EXPECT_EQ(std::u16string(text), u"ab");
  BYTE attributes[8] = {};
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPATTR, attributes, sizeof attributes), 5);
  EXPECT_EQ(attributes[4], 4);
  DWORD clauses[8] = {};
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPCLAUSE, clauses, sizeof clauses), 16);
  EXPECT_EQ(clauses[3], 9u);
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_CURSORPOS, nullptr, 0), 7);
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_DELTASTART, nullptr, 0), 1);
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPREADSTR, nullptr, 0), IMM_ERROR_NODATA);
  // A length without a buffer, and a length beyond LONG.
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR, nullptr, 4), IMM_ERROR_GENERAL);
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR, text, 0x80000000u), IMM_ERROR_GENERAL);

  Play("fail\n");
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR, nullptr, 0), IMM_ERROR_GENERAL);
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPSTR, nullptr, 0), 4);

  ImmNotifyIME(Context(), NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
  DWORD resultClauses[4] = {};
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_RESULTCLAUSE, resultClauses, sizeof resultClauses), 8);
  EXPECT_EQ(resultClauses[1], 2u);
  EXPECT_EQ(ImmGetCompositionStringW(Context(), GCS_COMPATTR, nullptr, 0), 0);
}

}  // namespace
