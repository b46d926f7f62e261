// The class set against a model, and the requests it lets through.
#include <set>

#include "quel_test_support.h"

namespace {

using queltest::BridgeTest;
using queltest::Messages;

enum class Op { kAdd, kDelete, kCmp };
struct Step {
  Op op;
  UINT atom;
  UINT index;  // kCmp only
  int expected;
};

// Runs the steps against the set and a std::set model of its atoms: each result as the
// table says, and after each step the count and the members as the model has them (each
// member in exactly one slot).
void Play(const std::vector<Step>& steps, const char* name) {
  quel::ResetClassSet();
  std::set<WORD> model;
  int at = 0;
  for (const Step& s : steps) {
    ++at;
    const WORD atom = static_cast<WORD>(s.atom);
    int got = 0;
    switch (s.op) {
      case Op::kAdd:
        got = _ExpImGlobalAdd(s.atom);
        if (got) model.insert(atom);
        break;
      case Op::kDelete:
        got = _ExpImGlobalDelete(s.atom);
        model.erase(atom);
        break;
      case Op::kCmp:
        got = _ExpImGlobalCmp(s.index, s.atom);
        break;
    }
    EXPECT_EQ(got, s.expected) << name << ", step " << at;
    ASSERT_EQ(_ExpImGlobalSize(), static_cast<int>(model.size())) << name << ", step " << at;
    EXPECT_EQ(model.count(0), 0u) << name << ", step " << at;
    for (WORD member : model) {
      int slots = 0;
      for (UINT i = 0; i < QUEL_CLASS_SLOTS; ++i) slots += _ExpImGlobalCmp(i, member);
      EXPECT_EQ(slots, 1) << name << ", step " << at << ": atom " << member;
    }
  }
}

std::vector<Step> Fill(UINT first, int count) {
  std::vector<Step> steps;
  for (int i = 0; i < count; ++i) steps.push_back({Op::kAdd, first + i, 0, 1});
  return steps;
}

TEST(QuelClassSet, OperationsFollowTheModel) {
  const UINT A = 0xC001, B = 0xC002, C = 0xC003;
  struct Case {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"twice kept once, then emptied",
       {{Op::kAdd, A, 0, 1}, {Op::kAdd, A, 0, 1}, {Op::kCmp, A, 0, 1}, {Op::kCmp, A, 1, 0}, {Op::kDelete, A, 0, 1}}},
      {"a deleted atom leaves the others",
       {{Op::kAdd, A, 0, 1}, {Op::kAdd, B, 0, 1}, {Op::kDelete, A, 0, 1}, {Op::kCmp, B, 1, 1}, {Op::kCmp, A, 0, 0}}},
      {"the first empty slot is reused",
       {{Op::kAdd, A, 0, 1}, {Op::kAdd, B, 0, 1}, {Op::kDelete, A, 0, 1}, {Op::kAdd, C, 0, 1}, {Op::kCmp, C, 0, 1}}},
      {"atom 0 is no class",
       {{Op::kAdd, 0, 0, 0},
        {Op::kCmp, 0, 0, 0},
        {Op::kCmp, 0, 19, 0},
        {Op::kDelete, 0, 0, 1},
        {Op::kAdd, 0x10000, 0, 0},
        {Op::kAdd, A, 0, 1},
        {Op::kDelete, 0, 0, 1},
        {Op::kCmp, A, 0, 1}}},
      {"only the low word is the atom",
       {{Op::kAdd, 0x5C001, 0, 1}, {Op::kCmp, A, 0, 1}, {Op::kAdd, A, 0, 1}, {Op::kDelete, 0x1C001, 0, 1}}},
      {"indexes past the slots",
       {{Op::kAdd, A, 0, 1}, {Op::kCmp, A, 20, 0}, {Op::kCmp, A, 0xFFFFFFFF, 0}, {Op::kCmp, A, 0x80000000, 0}}},
      {"deleting what is absent changes nothing",
       {{Op::kAdd, A, 0, 1}, {Op::kDelete, B, 0, 1}, {Op::kDelete, B, 0, 1}, {Op::kCmp, A, 0, 1}}},
  };
  for (const Case& c : cases) Play(c.steps, c.name);

  // Twenty distinct atoms fit, the twenty-first is refused until one leaves, and the
  // newcomer takes the freed slot.
  std::vector<Step> full = Fill(0xC100, QUEL_CLASS_SLOTS);
  full.push_back({Op::kAdd, 0xC200, 0, 0});
  full.push_back({Op::kAdd, 0xC100, 0, 1});  // already present: still 1
  full.push_back({Op::kDelete, 0xC105, 0, 1});
  full.push_back({Op::kAdd, 0xC200, 0, 1});
  full.push_back({Op::kCmp, 0xC200, 5, 1});
  full.push_back({Op::kAdd, 0xC201, 0, 0});
  Play(full, "full set");
}

class QuelRequest : public BridgeTest {};

TEST_F(QuelRequest, OnlyServedWindowsAreAsked) {
  HWND host = MakeWindow();
  HWND other = MakeWindow(u"QuelOtherWindow");
  ASSERT_TRUE(host && other);
  ASSERT_EQ(_ExpImGlobalAdd(AtomOf(host)), 1);

  tagImeKeyTraceRequest trace{0, 0};
  EXPECT_EQ(_ExpImRequest(other, QUEL_REQUEST_KEY_TRACE, &trace), 0);
  EXPECT_TRUE(Messages(QUEL_WM_REQUEST).empty()) << "a window of an unregistered class was asked";

  EXPECT_EQ(_ExpImRequest(host, QUEL_REQUEST_KEY_TRACE, &trace), 1);
  auto asked = Messages(QUEL_WM_REQUEST);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].hwnd, host);
  EXPECT_EQ(asked[0].wParam, ((GetCurrentProcessId() & 0xFFFF) << 16) | 561u);
  EXPECT_EQ(asked[0].lParam, reinterpret_cast<LPARAM>(&trace));
  EXPECT_EQ(trace.traceByScanCode, 1);

  // The substitute window is one pointer-sized handle.
  queltest::Answers().visibleWindow = other;
  HWND visible = nullptr;
  EXPECT_EQ(_ExpImRequest(host, QUEL_REQUEST_VISIBLE_WINDOW, &visible), 1);
  EXPECT_EQ(visible, other);

  // A window that answers 0 has not filled the data.
  queltest::Answers().answer = 0;
  EXPECT_EQ(_ExpImRequest(host, QUEL_REQUEST_KEY_TRACE, &trace), 0);
  EXPECT_EQ(Messages(QUEL_WM_REQUEST).size(), 3u);
}

TEST_F(QuelRequest, BadInputSendsNothing) {
  HWND host = MakeWindow();
  const UINT atom = AtomOf(host);
  ASSERT_EQ(_ExpImGlobalAdd(atom), 1);
  tagImeKeyTraceRequest trace{};
  // No record to fill.
  EXPECT_EQ(_ExpImRequest(host, QUEL_REQUEST_KEY_TRACE, nullptr), 0);
  // Null and made-up windows.
  EXPECT_EQ(_ExpImRequest(nullptr, QUEL_REQUEST_KEY_TRACE, &trace), 0);
  EXPECT_EQ(_ExpImRequest(reinterpret_cast<HWND>(uintptr_t{0xDEAD0}), QUEL_REQUEST_KEY_TRACE, &trace), 0);
  // The class left the set.
  _ExpImGlobalDelete(atom);
  EXPECT_EQ(_ExpImRequest(host, QUEL_REQUEST_KEY_TRACE, &trace), 0);
  // A destroyed window (its atom reads as 0) is not served, even with the class back.
  _ExpImGlobalAdd(atom);
  DestroyWindow(host);
  EXPECT_EQ(_ExpImRequest(host, QUEL_REQUEST_KEY_TRACE, &trace), 0);
  EXPECT_TRUE(Messages(QUEL_WM_REQUEST).empty());
}

}  // namespace
