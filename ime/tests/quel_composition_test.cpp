// Compositions typed through the scripted input method into a served host window: the
// records the host receives, their flags, the caret placement and the buffers' limits.
#include <cstring>
#include <string>

#include "quel_test_support.h"

namespace {

using queltest::Notifications;
using queltest::ServedHostTest;

class QuelComposition : public ServedHostTest {};

TEST_F(QuelComposition, TheHostReceivesCompositionAndResult) {
  ASSERT_TRUE(bridge_);
  ASSERT_EQ(_ExpImGetParentWnd(), host_);
  ASSERT_TRUE(ImmGetOpenStatus(ImmGetContext(host_))) << "language 2048 opens the system input method";
  Play(
      "key K comp \"\\u304b\" attr 0 cursor 1\n"
      "key A comp \"\\u304b\\u3042\" attr 0 1 cursor 1 delta 1\n"
      "key SPACE result \"\\u4f73\"\n");
  auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
  ASSERT_EQ(compositions.size(), 2u);
  const tagImeCompNotify& second = compositions[1].record;
  EXPECT_EQ(Text(second), u"\u304b\u3042");
  EXPECT_EQ(second.attributes[0], 0);
  EXPECT_EQ(second.attributes[1], 1);
  EXPECT_EQ(second.cursor, 1);
  EXPECT_EQ(second.deltaStart, 1);
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(Text(results[0].record), u"\u4f73");
  EXPECT_EQ(results[0].record.attributes[0], 0);
}

TEST_F(QuelComposition, FlagsFollowLanguageAndCodePage) {
  struct Row {
    LPARAM language;
    UINT activeCodePage;
    uint16_t nonCjk, koreanStyle;
  } rows[] = {{2048, 1252, 1, 0}, {2048, 932, 0, 0},  {2048, 936, 0, 0},  {2048, 950, 0, 0}, {2048, 949, 1, 1},
              {1041, 1252, 0, 0}, {2052, 1252, 0, 0}, {2078, 1252, 0, 0}, {1028, 949, 0, 1}, {1042, 1252, 1, 1},
              {1033, 949, 1, 1},  {1033, 1252, 1, 0}, {0, 1252, 1, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "language " << row.language << ", code page " << row.activeCodePage);
    ASSERT_EQ(Control(0x0004, 0x0008, row.language), 1);
    _ExpImSystemInformation()->activeCodePage = row.activeCodePage;
    Notifications().clear();
    Play("key A comp \"\u3042\" cursor 1\nkey B result \"\u4e00\"\n");
    auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
    auto results = Of(QUEL_NOTIFY_RESULT);
    ASSERT_EQ(compositions.size(), 1u);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(compositions[0].record.nonCjk, row.nonCjk);
    EXPECT_EQ(compositions[0].record.koreanStyle, row.koreanStyle);
    EXPECT_EQ(results[0].record.nonCjk, row.nonCjk);
    EXPECT_EQ(results[0].record.koreanStyle, 0);
  }
}

TEST_F(QuelComposition, RecordBytes) {
  Play("key K comp \"\u304b\u3093\" attr 1 3 cursor 2 delta 1\nkey SPACE result \"\u6f22,\"\n");
  auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_EQ(compositions.size(), 1u);
  ASSERT_EQ(results.size(), 1u);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&compositions[0].record);
  uint8_t expected[1290] = {};
  expected[0] = 0x4b, expected[1] = 0x30, expected[2] = 0x93, expected[3] = 0x30;
  expected[640] = 1, expected[642] = 3;
  expected[1282] = 2;  // cursor
  expected[1284] = 1;  // delta start
  expected[1286] = 1;  // language 2048 on code page 1252: not CJK
  EXPECT_EQ(std::memcmp(bytes, expected, sizeof expected), 0);
  const auto* result = reinterpret_cast<const uint8_t*>(&results[0].record);
  uint8_t expectedResult[1290] = {};
  expectedResult[0] = 0x22, expectedResult[1] = 0x6f, expectedResult[2] = u',';
  expectedResult[1286] = 1;
  EXPECT_EQ(std::memcmp(result, expectedResult, sizeof expectedResult), 0);
}

TEST_F(QuelComposition, WordBoundaryAfterAResult) {
  struct Row {
    const char* result;
    uint16_t hostLastWord;
    bool relayed;
  } rows[] = {{"abc,", 0, true}, {"abc ", 0, true},  {"abc\\u3000", 0, true}, {"x?", 0, true},
              {"abc", 0, false}, {"abc,", 1, false}, {"\\u4e00", 0, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.result);
    queltest::Answers().lastWord = row.hostLastWord;
    queltest::Record().clear();
    Play((std::string("key A result \"") + row.result + "\"\n").c_str());
    bool relayed = false;
    for (const auto& seen : queltest::Messages(QUEL_WM_RELAY)) relayed |= seen.wParam == 0x162000;
    EXPECT_EQ(relayed, row.relayed);
  }
}

TEST_F(QuelComposition, LongTexts) {
  auto script = [](const char* kind, int count) {
    std::string text = std::string("key A ") + kind + " \"";
    for (int i = 0; i < count; ++i) text += "\\u3042";
    return text + "\"\n";
  };
  // A 200-character composition reaches the host whole (not its first 160), with its
  // attributes; 400 are cut to the buffer's 319.
  Play(script("comp", 200).c_str());
  auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
  ASSERT_EQ(compositions.size(), 1u);
  EXPECT_EQ(Text(compositions[0].record).size(), 200u);
  EXPECT_EQ(compositions[0].record.cursor, 200);
  Play("key ESCAPE cancel\n");
  Notifications().clear();
  Play(script("comp", 400).c_str());
  compositions = Of(QUEL_NOTIFY_COMPOSITION);
  ASSERT_EQ(compositions.size(), 1u);
  EXPECT_EQ(Text(compositions[0].record).size(), 319u);
  EXPECT_LE(compositions[0].record.cursor, 319) << "the cursor stays within the text";
  Play("key ESCAPE cancel\n");
  Notifications().clear();
  Play(script("result", 200).c_str());
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(Text(results[0].record).size(), 200u);
}

TEST_F(QuelComposition, KoreanCodePageMakesAttributesFixed) {
  ActivateKeyboardLayout(queltest::Layout(0xE0010412), 0);
  Control(0x0001, 0x0040);
  ASSERT_EQ(quel::OpenCloseCodePage(), 949u);
  Play("key G comp \"\u314e\" attr 0\nkey K comp \"\ud558\" attr 1\n");
  auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
  ASSERT_EQ(compositions.size(), 2u);
  EXPECT_EQ(compositions[1].record.attributes[0], ATTR_FIXEDCONVERTED);
}

TEST_F(QuelComposition, CaretPlacesTheInputMethodWindows) {
  struct Row {
    const char* name;
    tagImeCaretInfo caret;
    bool placed;
    POINT position;
    RECT area;
  } rows[] = {
      {"below the caret", {5, 6, 200, 0, 30, 40, 16, 0}, true, {31, 57}, {5, 6, 200, 57}},
      {"left of and above the origin (low words, signed)",
       {0x1FFF6, -3, 100, 0, 0xFFFFB, -20, 16, 0},
       true,
       {-4, -3},
       {-10, -3, 100, -3}},
      {"the marker keeps them", {1, 1, 1, 0, 1, 1, 1, QUEL_CARET_KEEP}, false, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HIMC context = ImmGetContext(host_);
    COMPOSITIONFORM before{CFS_DEFAULT, {-1, -1}, {}};
    ImmSetCompositionWindow(context, &before);
    queltest::Answers().caret = row.caret;
    Play("key A comp \"a\"\nkey ESCAPE cancel\n");
    context = ImmGetContext(host_);
    COMPOSITIONFORM composition{};
    ASSERT_TRUE(ImmGetCompositionWindow(context, &composition));
    if (!row.placed) {
      EXPECT_EQ(composition.dwStyle, static_cast<DWORD>(CFS_DEFAULT));
      continue;
    }
    EXPECT_EQ(composition.dwStyle, static_cast<DWORD>(CFS_POINT));
    EXPECT_EQ(composition.ptCurrentPos.x, row.position.x);
    EXPECT_EQ(composition.ptCurrentPos.y, row.position.y);
    EXPECT_EQ(composition.rcArea.left, row.area.left);
    EXPECT_EQ(composition.rcArea.top, row.area.top);
    EXPECT_EQ(composition.rcArea.right, row.area.right);
    EXPECT_EQ(composition.rcArea.bottom, row.area.bottom);
    CANDIDATEFORM candidate{};
    ASSERT_TRUE(ImmGetCandidateWindow(context, 0, &candidate));
    EXPECT_EQ(candidate.dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
    EXPECT_EQ(candidate.ptCurrentPos.x, row.position.x);
    EXPECT_EQ(candidate.rcArea.bottom, row.area.bottom);
  }
}

TEST_F(QuelComposition, TypingACharacterCompletesTheComposition) {
  Play("key A comp \"\u3042\"\n");
  Notifications().clear();
  PostMessageW(host_, WM_CHAR, u'x', 0);
  queltest::HostPump();
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(Text(results.back().record), u"\u3042");
}

TEST_F(QuelComposition, TheSystemNeverDrawsTheComposition) {
  EXPECT_EQ(Kx2ImeShowFlags(host_), static_cast<LPARAM>(ISC_SHOWUIALL & ~ISC_SHOWUICOMPOSITIONWINDOW));
}

TEST_F(QuelComposition, AHostAnsweringZeroLosesTheComposition) {
  queltest::Answers().notifyAnswer = 0;
  Play("key A comp \"\u3042\"\n");
  EXPECT_EQ(quel::InputState()->buffers[quel::kComposition].length, 0);
}

TEST_F(QuelComposition, FailedReadsAreNoData) {
  Play("key A comp \"\u3042\u3044\" cursor 2\nfail\nkey B comp \"\u3042\u3044\u3046\" cursor 3\n");
  auto compositions = Of(QUEL_NOTIFY_COMPOSITION);
  ASSERT_FALSE(compositions.empty());
  for (const auto& c : compositions) EXPECT_LE(c.record.cursor, Text(c.record).size());
}

}  // namespace
