// Interning, reference counting, hidden entries and teardown of the format tables, on a test
// kind whose values name entries of a second table (as a line names a fill).
#include <plastrum/format/ShapeTable.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/Kx2Heap.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <basalt/error.h>
#include <basalt/module.h>

namespace {

constexpr int32_t kTestKind = 300;  // a format kind: two fixed entries
constexpr int32_t kLeafKind = 301;

struct LeafValue : CKx2ShapeRefCnt {
  int32_t x = 0;
  bool IsSameValue(const LeafValue& o) const { return x == o.x; }
  int AssignValue(const LeafValue& o) {
    x = o.x;
    return 1;
  }
  void ClearEntry() {}
};

CKx2ShapeTbl<LeafValue>* g_leaves = nullptr;
int g_clears = 0;

// A value that holds one reference on a leaf entry, like a line on its fill.
struct TestValue : CKx2ShapeRefCnt {
  int32_t a = 0;
  uint16_t leaf = 0;

  TestValue() = default;
  TestValue(int32_t a_, uint16_t leaf_ = 0) : a(a_) { g_leaves->Assign(leaf, leaf_); }
  TestValue(const TestValue& o) : CKx2ShapeRefCnt(), a(o.a) { g_leaves->Assign(leaf, o.leaf); }
  TestValue& operator=(const TestValue&) = delete;
  ~TestValue() { g_leaves->Release(leaf); }

  bool IsSameValue(const TestValue& o) const { return a == o.a && leaf == o.leaf; }
  int AssignValue(const TestValue& o) {
    a = o.a;
    g_leaves->Assign(leaf, o.leaf);
    return 1;
  }
  void ClearEntry() {
    ++g_clears;
    g_leaves->Release(leaf);
    leaf = 0;
  }
};

class FormatTable : public ::testing::Test {
 protected:
  void SetUp() override {
    g_leaves = &leaves_;
    g_clears = 0;
    ASSERT_EQ(leaves_.InitFixedEntries(LeafValue{}, nullptr), 1);
    TestValue standard(1);
    ASSERT_EQ(table_.InitFixedEntries(TestValue{}, &standard), 1);
  }
  void TearDown() override {
    table_.FreeShapeTable();
    leaves_.FreeShapeTable();
  }
  int32_t Count(uint32_t id) { return table_.GetEntry(id)->refCount; }
  uint16_t Leaf(int32_t x) {
    LeafValue v;
    v.x = x;
    return static_cast<uint16_t>(leaves_.Intern(v));
  }

  CKx2ShapeTbl<LeafValue> leaves_{kLeafKind};
  CKx2ShapeTbl<TestValue> table_{kTestKind};
};

TEST_F(FormatTable, FixedEntriesAreInternedWithoutReferences) {
  EXPECT_EQ(table_.GetCount(), 2);
  EXPECT_EQ(table_.Intern(TestValue{}), 0);
  EXPECT_EQ(table_.Intern(TestValue(1)), 1);
  EXPECT_EQ(Count(0), 1);
  EXPECT_EQ(Count(1), 1);
  EXPECT_EQ(table_.GetEntry(1)->index, 1);
  // A leaf table of a format kind without a standard default reserves entry 1, so that real
  // values start at 2 and never take "none" or the permanent entry.
  EXPECT_EQ(leaves_.GetCount(), 2);
  EXPECT_EQ(Leaf(0), 0);
  EXPECT_EQ(Leaf(7), 2);
}

TEST_F(FormatTable, InternCountsAndReusesTheFirstFreeSlot) {
  EXPECT_EQ(table_.Intern(TestValue(5)), 2);
  EXPECT_EQ(table_.Intern(TestValue(6)), 3);
  EXPECT_EQ(table_.Intern(TestValue(5)), 2);
  EXPECT_EQ(Count(2), 2);
  table_.Release(2);
  table_.Release(2);
  EXPECT_EQ(Count(2), 0);
  EXPECT_EQ(g_clears, 1);
  // Stays free through a second release of a reference already given back.
  table_.Release(2);
  EXPECT_EQ(Count(2), 0);
  EXPECT_EQ(g_clears, 1);
  // The next new value takes the freed slot, not a new one at the end.
  EXPECT_EQ(table_.Intern(TestValue(9)), 2);
  EXPECT_EQ(table_.GetCount(), 4);
  EXPECT_EQ(table_.GetEntry(2)->a, 9);
}

TEST_F(FormatTable, ReferencesOnOtherEntriesFollowTheEntry) {
  const uint16_t leaf = Leaf(42);
  const int32_t id = table_.Intern(TestValue(3, leaf));  // the temporary's reference goes with it
  ASSERT_EQ(id, 2);
  EXPECT_EQ(leaves_.GetEntry(leaf)->refCount, 2);  // the caller's and the entry's
  leaves_.Release(leaf);
  table_.Release(id);
  EXPECT_EQ(leaves_.GetEntry(leaf)->refCount, 0);
}

TEST_F(FormatTable, ReferenceCountingLeavesExemptIdentifiersAlone) {
  ASSERT_EQ(table_.Intern(TestValue(5)), 2);
  struct Case {
    uint32_t id;
    const char* what;
  } cases[] = {{0, "none"},
               {1, "the permanent entry"},
               {0xFFFF, "no identifier"},
               {0xFFFFFFFFu, "failure"},
               {3, "beyond the table (reads entry 0)"},
               {70000, "far beyond"}};
  for (const Case& c : cases) {
    table_.AddRef(c.id);
    table_.Release(c.id);
    table_.Release(c.id);
    EXPECT_EQ(Count(0), 1) << c.what;
    EXPECT_EQ(Count(1), 1) << c.what;
    EXPECT_EQ(Count(2), 1) << c.what;
    EXPECT_EQ(table_.GetEntry(c.id), table_.GetEntry(c.id < 3 ? c.id : 0)) << c.what;
  }
  // Assigning the identifier a field already holds keeps its count.
  uint16_t field = 2;
  table_.Assign(field, 2);
  EXPECT_EQ(Count(2), 1);
}

TEST_F(FormatTable, TentativeAndDuplicateEntriesAreNeverHandedOut) {
  const int32_t tentative = table_.NewEntry();
  ASSERT_EQ(tentative, 2);
  EXPECT_TRUE(table_.GetEntry(2)->IsTentative());
  EXPECT_EQ(Count(2), 1);
  // Equal to the tentative entry's copy of entry 0, yet interning finds entry 0.
  EXPECT_EQ(table_.Find(TestValue{}), 0);
  EXPECT_EQ(table_.Intern(TestValue(8)), 3);
  // Filling it with a value that another entry holds makes it a duplicate.
  EXPECT_EQ(table_.Replace(TestValue(8), 2), 2);
  EXPECT_TRUE(table_.GetEntry(2)->IsDuplicate());
  EXPECT_FALSE(table_.GetEntry(2)->IsTentative());
  EXPECT_EQ(table_.Find(TestValue(8)), 3);
  EXPECT_EQ(table_.Intern(TestValue(8)), 3);
  // A fresh value is not a duplicate.
  const int32_t second = table_.NewEntry();
  ASSERT_EQ(second, 4);
  EXPECT_EQ(table_.Replace(TestValue(11), 4), 4);
  EXPECT_FALSE(table_.GetEntry(4)->IsDuplicate());
  EXPECT_EQ(table_.Find(TestValue(11)), 4);
  // Replace refuses entries that are not tentative, and identifiers beyond the table.
  EXPECT_EQ(table_.Replace(TestValue(12), 4), -1);
  EXPECT_EQ(table_.Replace(TestValue(12), 99), -1);
  EXPECT_EQ(table_.GetEntry(4)->a, 11);
}

TEST_F(FormatTable, IdentifiersStopAt0xFFFE) {
  // Fill every identifier up to 0xFFFE with live entries.
  ASSERT_TRUE(table_.SetSize(0xFFFF));
  for (int32_t i = 2; i < table_.GetCount(); ++i) {
    TestValue& e = table_[i];
    e.a = 1000 + i;
    e.index = i;
    e.refCount = 1;
  }
  Basalt::Error::BaseError::_ClearError();
  EXPECT_EQ(table_.Intern(TestValue(-1)), -1);
  EXPECT_EQ(table_.NewEntry(), -1);
  EXPECT_EQ(table_.GetCount(), 0xFFFF);
  EXPECT_EQ(Basalt::Error::BaseError::_GetError(), Basalt::Error::kErrorOutOfMemory);
  // A freed slot is still reused.
  table_.Release(0xFFFE);
  EXPECT_EQ(table_.Intern(TestValue(-1)), 0xFFFE);
}

TEST_F(FormatTable, GrowthFailureLeavesTheTableAsItWas) {
  // Fill the first block so that the next entry needs a new one.
  const int32_t perBlock = table_.ItemsPerBlock();
  ASSERT_TRUE(table_.SetSize(perBlock));
  for (int32_t i = 2; i < perBlock; ++i) {
    table_[i].a = 1000 + i;
    table_[i].refCount = 1;
  }
  Kx2Heap::FailAfter(0);
  EXPECT_EQ(table_.Intern(TestValue(-1)), -1);
  EXPECT_EQ(table_.NewEntry(), -1);
  Kx2Heap::FailAfter(-1);
  EXPECT_EQ(table_.GetCount(), perBlock);
  EXPECT_EQ(table_.Intern(TestValue(-1)), perBlock);
}

TEST_F(FormatTable, FreeShapeTableCountsLiveEntriesAndLateReleasesDoNothing) {
  EXPECT_EQ(table_.FreeShapeTable(), 0);  // fixed entries only
  ASSERT_EQ(table_.InitFixedEntries(TestValue{}, nullptr), 1);
  const uint16_t leaf = Leaf(5);
  const int32_t a = table_.Intern(TestValue(20, leaf));
  const int32_t b = table_.Intern(TestValue(21));
  table_.Intern(TestValue(22));
  table_.Release(static_cast<uint32_t>(b));
  EXPECT_EQ(table_.FreeShapeTable(), 2);
  EXPECT_EQ(table_.GetCount(), 0);
  EXPECT_EQ(table_.GetEntry(0), nullptr);
  // The freed entry gave its leaf reference back through its destructor.
  EXPECT_EQ(leaves_.GetEntry(leaf)->refCount, 1);
  // A holder that outlives the table gives its reference back into nothing.
  table_.Release(static_cast<uint32_t>(a));
  table_.AddRef(static_cast<uint32_t>(a));
  EXPECT_EQ(table_.GetCount(), 0);
}

// Hooks that record the order in which the start and stop call them.
std::vector<std::string> g_order;
uint32_t g_failingKind = 0;

template <uint32_t Kind>
int RecordInit() {
  g_order.push_back("init " + std::to_string(Kind));
  return Kind == g_failingKind ? 0 : 1;
}
template <uint32_t Kind>
int32_t RecordFree() {
  g_order.push_back("free " + std::to_string(Kind));
  return 0;
}

class FormatTableStart : public ::testing::Test {
 protected:
  template <uint32_t... Kinds>
  void StandIn(std::integer_sequence<uint32_t, Kinds...>) {
    ((saved_.push_back(
         {Kinds, Present::SetShapeTableHooks(Kinds + 256, {&RecordInit<Kinds + 256>, &RecordFree<Kinds + 256>})})),
     ...);
  }
  void SetUp() override {
    g_order.clear();
    g_failingKind = 0;
    StandIn(std::make_integer_sequence<uint32_t, 10>());
  }
  void TearDown() override {
    for (auto& [kind, hooks] : saved_) Present::SetShapeTableHooks(kind + 256, hooks);
  }
  std::vector<std::pair<uint32_t, Present::ShapeTableHooks>> saved_;
};

TEST_F(FormatTableStart, StartRunsInOrderAndStopsAtTheFirstFailure) {
  EXPECT_EQ(PlastrumModuleHook(nullptr, 0, kModuleHookStart, nullptr, 0), 0);
  EXPECT_EQ(g_order, (std::vector<std::string>{"init 265", "init 256", "init 262", "init 257", "init 258", "init 259",
                                               "init 260", "init 261", "init 263", "init 264"}));
  g_order.clear();
  g_failingKind = 259;  // fill
  EXPECT_EQ(Present::StartShapeTables(), -1);
  EXPECT_EQ(g_order,
            (std::vector<std::string>{"init 265", "init 256", "init 262", "init 257", "init 258", "init 259"}));
  g_order.clear();
  EXPECT_EQ(PlastrumModuleHook(nullptr, 0, kModuleHookStop, nullptr, 0), 0);
  EXPECT_EQ(g_order, (std::vector<std::string>{"free 264", "free 259", "free 260", "free 256", "free 257", "free 258",
                                               "free 261", "free 263", "free 262", "free 265"}));
  g_order.clear();
  EXPECT_EQ(PlastrumModuleHook(nullptr, 0, kModuleHookDescribe, nullptr, 0), 0);
  EXPECT_TRUE(g_order.empty());
}

TEST_F(FormatTableStart, KindsWithoutHooksAreSkipped) {
  Present::SetShapeTableHooks(256, {});
  Present::SetShapeTableHooks(264, {});
  EXPECT_EQ(Present::StartShapeTables(), 0);
  EXPECT_EQ(g_order.size(), 8u);
  EXPECT_EQ(Present::SetShapeTableHooks(999, {&RecordInit<999>, nullptr}).init, nullptr);
  EXPECT_EQ(Present::GetShapeTableHooks(999).init, nullptr);
}

}  // namespace
