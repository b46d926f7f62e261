// The control requests as a table, the stash, language selection and the keys the bridge
// takes itself.
#include <cstdlib>
#include <cstring>

#include "dispatch/languages.h"
#include "quel_test_support.h"

namespace {

using queltest::Messages;
using queltest::Notifications;
using queltest::ServedHostTest;

class QuelControl : public ServedHostTest {};

TEST_F(QuelControl, RequestTable) {
  // Each row: the request, its value, the result, then a read-back request and what it gives.
  struct Row {
    const char* name;
    UINT sub, op;
    LPARAM value;
    LRESULT result;
    UINT readSub, readOp;  // 0: nothing to read back
    LRESULT readBack;
  };
  const Row rows[] = {
      {"current language", 0x0004, 0x0002, 0, 2048, 0, 0, 0},
      {"select Korean", 0x0004, 0x0008, 1042, 1, 0x0004, 0x0002, 1042},
      {"select a code without index", 0x0004, 0x0008, 1234, 1, 0x0004, 0x0002, 1234},
      {"select nothing", 0x0004, 0x0008, 0xFFFF, 0, 0x0004, 0x0002, 1234},
      {"select the system method", 0x0004, 0x0008, 2048, 1, 0x0004, 0x0002, 2048},
      {"install a handler", 0x0004, 0x0010, 1041, 3, 0, 0, 0},
      {"free every module", 0x0004, 0x0020, -1, 3, 0, 0, 0},
      {"free no module", 0x0004, 0x0020, 0xFFFF, 0, 0, 0, 0},
      {"free a language index", 0x0004, 0x0020, 7, 3, 0, 0, 0},
      {"free index 38", 0x0004, 0x0020, 38, 3, 0, 0, 0},
      {"free a slot that is no language's", 0x0004, 0x0020, 50, 0, 0x0004, 0x0002, 2048},
      {"free the input state's slot", 0x0004, 0x0020, -2, 0, 0x0004, 0x0002, 2048},
      {"save the CJK block", 0x0004, 0x8048, 5, 0, 0x0004, 0x8042, 5},
      {"Japanese is blocked to English", 0x0004, 0x0008, 1041, 1, 0x0004, 0x0002, 1033},
      {"no language is blocked to English", 0x0004, 0x0008, 0, 1, 0x0004, 0x0002, 1033},
      {"unblock", 0x0004, 0x8048, 0, 0, 0x0004, 0x8042, 0},
      {"select Japanese", 0x0004, 0x0008, 1041, 1, 0x0004, 0x0002, 1041},
      {"mode of a language other than 2048 is the handler's", 0x0007, 0x0002, 0, 0, 0, 0, 0},
      {"mode: nothing", 0x0007, 0x0100, 0, 0, 0, 0, 0},
      {"record value, not cached", 0x000B, 0x0002, 0, 0, 0, 0, 0},
      {"cache a value", 0x000B, 0x0008, 7, 1, 0x000B, 0x0002, 7},
      {"cache the same value", 0x000B, 0x0008, 7, 0, 0x000B, 0x0002, 7},
      {"a selection forgets the cached value", 0x0004, 0x0008, 1041, 1, 0x000B, 0x0002, 0},
      {"value A", 0x0011, 0x0008, 99, 0, 0x0011, 0x0002, 99},
      {"0x001A echoes", 0x001A, 0x0002, 42, 42, 0, 0, 0},
      {"0x001A other", 0x001A, 0x0010, 42, 0, 0, 0, 0},
      {"nothing: 0x000C", 0x000C, 0x0002, 1, 0, 0, 0, 0},
      {"nothing: 0x0019", 0x0019, 0x0008, 1, 0, 0, 0, 0},
      {"nothing: 0x0013/0x2000", 0x0013, 0x2000, 1, 0, 0, 0, 0},
      {"handler: 0x0009 completes (no composition)", 0x0009, 0x0001, 0, 2, 0, 0, 0},
      {"handler: other sub-codes", 0x0014, 0x0001, 0, 0, 0, 0, 0},
      {"reserved 0x0001/0x1000", 0x0001, 0x1000, 0, 0, 0, 0, 0},
      {"sub-code 0x0023", 0x0023, 0x0002, 0, 0, 0, 0, 0},
      {"sub-code 0", 0x0000, 0x0002, 0, 0, 0, 0, 0},
      {"unlisted operation", 0x0004, 0x0004, 0, 0, 0x0004, 0x0002, 1041},
      {"reselect", 0x0001, 0x0040, 0, 3, 0x0004, 0x0002, 1041},
      {"disable", 0x0012, 0x0048, 1, 0, 0x0012, 0x0042, 1},
      {"no selection while disabled", 0x0004, 0x0008, 1042, 0, 0x0004, 0x0002, 1041},
      {"enable", 0x0012, 0x0048, 0, 0, 0x0012, 0x0042, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(Control(row.sub, row.op, row.value), row.result);
    if (row.readSub) {
      EXPECT_EQ(Control(row.readSub, row.readOp), row.readBack);
    }
  }
  EXPECT_EQ(Control(0x0001, 0x0002), reinterpret_cast<LRESULT>(bridge_));
  // The language set, and its bad inputs.
  quel::tagImeLangSet set{};
  EXPECT_EQ(Control(0x0003, 0x0002, reinterpret_cast<LPARAM>(&set)), 0);
  EXPECT_EQ(set.values[0], 0x200800);
  EXPECT_EQ(set.values[5], 1);
  EXPECT_EQ(Control(0x0003, 0x0002, 0), 0);
  // A wParam above 32 bits is no request.
  EXPECT_EQ(_ExpImControl(nullptr, QUEL_WM_CONTROL, (WPARAM{1} << 32) | 0x40002, 0), 0);
  // Unknown messages, a null message to pre-translate.
  EXPECT_EQ(_ExpImControl(nullptr, 0x1234, 0, 0), 0);
  EXPECT_EQ(_ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, 0, 0), 0);
}

TEST_F(QuelControl, Stash) {
  std::u16string longText(400, u'w');
  longText[318] = u'e';
  EXPECT_EQ(Control(0x001C, 0x0042), 0);
  EXPECT_EQ(Control(0x001C, 0x0008, 0), 0);
  EXPECT_EQ(Control(0x001C, 0x0042), 0) << "a null string stashes nothing";
  EXPECT_EQ(Control(0x001C, 0x0008, reinterpret_cast<LPARAM>(longText.c_str())), 0);
  EXPECT_EQ(Control(0x001C, 0x0042), 1);
  // The copy holds 319 characters and the terminator, and nothing beyond.
  char16_t out[330];
  std::fill(std::begin(out), std::end(out), u'#');
  EXPECT_EQ(Control(0x001C, 0x0002, reinterpret_cast<LPARAM>(out)), 1);
  EXPECT_EQ(std::u16string(out), longText.substr(0, 319));
  EXPECT_EQ(out[320], u'#');
  EXPECT_EQ(Control(0x001C, 0x0002, 0), 0);
  // Flushed to the focus window as a result.
  EXPECT_EQ(Control(0x001C, 0x0800), 0);
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(Text(results[0].record), longText.substr(0, 319));
  EXPECT_EQ(Control(0x001C, 0x0042), 0);
  EXPECT_EQ(Control(0x001C, 0x0002, reinterpret_cast<LPARAM>(out)), 0);
  // Cleared.
  const char16_t word[] = u"abc";
  Control(0x001C, 0x0008, reinterpret_cast<LPARAM>(word));
  EXPECT_EQ(Control(0x001C, 0x0020), 0);
  EXPECT_EQ(Control(0x001C, 0x0042), 0);
}

TEST_F(QuelControl, FocusLossSendsWhatIsPending) {
  // Japanese: the pending result goes to the served window as a result; buffers cleared.
  Control(0x0004, 0x0008, 1041);
  quel::tagImeInputState* state = quel::InputState();
  ASSERT_TRUE(state);
  const char16_t pending[] = u"\u65e5\u672c";
  std::memcpy(state->buffers[quel::kResult].text, pending, 4);
  state->buffers[quel::kResult].length = 2;
  state->buffers[quel::kComposition].length = 1;
  state->buffers[quel::kComposition].text[0] = u'x';
  Notifications().clear();
  EXPECT_EQ(_ExpImControl(host_, WM_KILLFOCUS, 0, 0), 0);
  auto results = Of(QUEL_NOTIFY_RESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(Text(results[0].record), u"\u65e5\u672c");
  EXPECT_EQ(results[0].record.nonCjk, 0);
  EXPECT_EQ(state->buffers[quel::kResult].length, 0);
  EXPECT_EQ(state->buffers[quel::kComposition].length, 0);
  // English: the handler ends the composition.
  Control(0x0004, 0x0008, 1033);
  Notifications().clear();
  EXPECT_EQ(_ExpImControl(host_, WM_KILLFOCUS, 0, 0), 0);
  ASSERT_EQ(Of(QUEL_NOTIFY_RESULT).size(), 1u) << "an empty result ends the composition";
}

TEST_F(QuelControl, HangulKeySwitchesKoreanAndEnglish) {
  setenv("KX2_LCID", "1042", 1);
  quel::ResetLanguages();
  // Language 2048: the key is the input method's.
  Play("hangul\n");
  EXPECT_EQ(Control(0x0004, 0x0002), 2048);
  Control(0x0004, 0x0008, 1042);
  Play("hangul\n");
  EXPECT_EQ(Control(0x0004, 0x0002), 1033);
  EXPECT_EQ(quel::LanguageWord(), 1033u) << "the set's word for English, mode 0";
  EXPECT_FALSE(ImmGetOpenStatus(ImmGetContext(host_))) << "English closes the input method";
  Play("hangul ralt\n");
  EXPECT_EQ(Control(0x0004, 0x0002), 1042);
  EXPECT_EQ(quel::LanguageWord(), 0x200412u);
  EXPECT_TRUE(ImmGetOpenStatus(ImmGetContext(host_))) << "Korean opens it";
  // Hanja: the composition ends and the host hears of it.
  queltest::Record().clear();
  Play("hanja\n");
  auto relays = Messages(QUEL_WM_RELAY);
  ASSERT_EQ(relays.size(), 1u);
  EXPECT_EQ(relays[0].wParam, 0x62000u);
  unsetenv("KX2_LCID");
  quel::ResetLanguages();
}

TEST_F(QuelControl, RelayedNotificationsReachTheWindow) {
  EXPECT_EQ(_ExpImControl(host_, QUEL_WM_RELAY, 0x162000, 5), 0);
  auto relays = Messages(QUEL_WM_RELAY);
  ASSERT_EQ(relays.size(), 1u);
  EXPECT_EQ(relays[0].wParam, 0x162000u);
  EXPECT_EQ(relays[0].lParam, 5);
}

}  // namespace
