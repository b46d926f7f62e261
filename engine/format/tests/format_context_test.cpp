// The format-context template on a test kind whose third field names an entry of a leaf
// kind, the way a line's fill is held: merge, apply, compare, host exchange and archive.
#include <plastrum/format/FormatContext.h>
#include <plastrum/format/PropertyIO.h>

#include <gtest/gtest.h>

#include <memory>
#include <vantorel/testing/leak_check.h>
#include <vantorel/testkit_property.h>

#include "format_test_support.h"

namespace {

using Present::PropertyIO::GetInt;
using Present::PropertyIO::SetInt;

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

struct TestValue : CKx2ShapeRefCnt {
  int32_t a = 0;
  uint8_t b = 0;
  uint16_t leaf = 0;
  TestValue() = default;
  TestValue(int32_t a_, uint8_t b_, uint16_t leaf_) : a(a_), b(b_) { g_leaves->Assign(leaf, leaf_); }
  TestValue(const TestValue& o) : CKx2ShapeRefCnt(), a(o.a), b(o.b) { g_leaves->Assign(leaf, o.leaf); }
  TestValue& operator=(const TestValue&) = delete;
  ~TestValue() { g_leaves->Release(leaf); }
  bool IsSameValue(const TestValue& o) const { return a == o.a && b == o.b && leaf == o.leaf; }
  int AssignValue(const TestValue& o) {
    a = o.a, b = o.b;
    g_leaves->Assign(leaf, o.leaf);
    return 1;
  }
  void ClearEntry() {}
};

class LeafCtx : public LeafValue, public CPresentBaseCtx<LeafValue, 0x7000, 1> {
 public:
  LeafCtx() = default;
  int Store(IKx2PropertyObject* host) override {
    BeginStore(host);
    return !IsCommon(0) || SetInt(host, PropertyId(0), Kx2::kValueInt32, x);
  }
  int Load(IKx2PropertyObject* host, int* nothing) override {
    int32_t v;
    const bool found = GetInt(host, PropertyId(0), &v);
    if (found) x = v, SetState(0, kStateCommon);
    if (nothing) *nothing = !found;
    return 1;
  }
  void Apply(LeafValue& target) override { ApplyField(0, target.x, x); }
  void Merge(const LeafValue& v) override { MergeField(0, x, v.x); }
  int IsEqual(const LeafValue& v) override { return FieldEquals(0, x, v.x); }
  void Assign(const LeafValue& v) override { x = v.x; }
  int Archive(CKx2DataBlock&) override { return 0; }
};

class TestCtx : public TestValue, public CPresentBaseCtx<TestValue, 0x7000, 3> {
 public:
  TestCtx() = default;
  explicit TestCtx(const TestValue& v) : TestValue(v), CPresentBaseCtx(kStateCommon) {
    leafCtx.Merge(*g_leaves->GetEntry(leaf));
  }

  int Store(IKx2PropertyObject* host) override {
    BeginStore(host);
    if (IsCommon(0) && !SetInt(host, PropertyId(0), Kx2::kValueInt32, a)) return 0;
    if (IsCommon(1) && !SetInt(host, PropertyId(1), Kx2::kValueUInt8, b)) return 0;
    if (IsCommon(2) && !StoreNested(host, 2, 0x4003, leafCtx)) return 0;
    return 1;
  }
  int Load(IKx2PropertyObject* host, int* nothing) override {
    int32_t v;
    bool any = false;
    if (GetInt(host, PropertyId(0), &v)) a = v, SetState(0, kStateCommon), any = true;
    if (GetInt(host, PropertyId(1), &v)) b = static_cast<uint8_t>(v), SetState(1, kStateCommon), any = true;
    bool found = false;
    const int ok = LoadNested(host, 2, leafCtx, *g_leaves, leaf, &found);
    if (nothing) *nothing = !(any || found);
    return ok;
  }
  void Apply(TestValue& target) override {
    ApplyField(0, target.a, a);
    ApplyField(1, target.b, b);
    if (IsCommon(2)) {
      LeafValue copy;
      copy.x = g_leaves->GetEntry(target.leaf)->x;
      leafCtx.Apply(copy);
      const int32_t id = g_leaves->Intern(copy);
      if (id < 0) return;
      g_leaves->Release(target.leaf);
      target.leaf = static_cast<uint16_t>(id);
    }
  }
  void Merge(const TestValue& v) override {
    MergeField(0, a, v.a);
    MergeField(1, b, v.b);
    // The first value also gives the context its identifier, so that a later equal value
    // names the same entry.
    const uint8_t before = GetState(2);
    if (before == kStateUnset) g_leaves->Assign(leaf, v.leaf);
    const bool differs = g_leaves->GetEntry(v.leaf) != g_leaves->GetEntry(leaf);
    MergeState(2, !differs);
    if (before == kStateUnset || (before == kStateCommon && differs)) leafCtx.Merge(*g_leaves->GetEntry(v.leaf));
  }
  int IsEqual(const TestValue& v) override {
    return FieldEquals(0, a, v.a) && FieldEquals(1, b, v.b) &&
           (!IsCommon(2) || leafCtx.IsEqual(*g_leaves->GetEntry(v.leaf)));
  }
  void Assign(const TestValue& v) override { AssignValue(v); }
  int Archive(CKx2DataBlock& archive) override {
    return ArchiveWithStates(archive, 1016, [this](CKx2DataBlock& ar) {
      ar.SetLevel(ar.GetLevel() + 1);
      int ok;
      if (ar.IsReading()) {
        ok = ar.OpenRecord(900) == 900;
        a = static_cast<int32_t>(ar.ReadU32());
        b = ar.ReadU8();
        ar.EndRecord();
      } else {
        ok = ar.BeginRecord(900) && ar.WriteU32(static_cast<uint32_t>(a)) && ar.WriteU8(b) && ar.EndRecord();
      }
      ar.SetLevel(ar.GetLevel() - 1);
      return ok ? 1 : 0;
    });
  }

  LeafCtx leafCtx;
};

class FormatContext : public vantorel::testing::HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    g_leaves = &leaves_;
    ASSERT_EQ(leaves_.InitFixedEntries(LeafValue{}, nullptr), 1);
    kit_ = std::make_unique<vantorel::testkit::PropertyKit>();
  }
  void TearDown() override {
    kit_.reset();
    HostLeakCheck::TearDown();
  }
  uint16_t Leaf(int32_t x) {
    LeafValue v;
    v.x = x;
    return static_cast<uint16_t>(leaves_.Intern(v));
  }
  void ExpectStates(const TestCtx& ctx, uint8_t s0, uint8_t s1, uint8_t s2) {
    EXPECT_EQ(ctx.GetState(0), s0);
    EXPECT_EQ(ctx.GetState(1), s1);
    EXPECT_EQ(ctx.GetState(2), s2);
  }

  CKx2ShapeTbl<LeafValue> leaves_{301};
  std::unique_ptr<vantorel::testkit::PropertyKit> kit_;
};

TEST_F(FormatContext, MergeMarksExactlyTheFieldsThatDiffer) {
  const uint16_t l7 = Leaf(7), l8 = Leaf(8);
  TestCtx ctx;
  ExpectStates(ctx, 1, 1, 1);
  EXPECT_EQ(ctx.IsEqual(TestValue(99, 99, l8)), 1);  // nothing set: nothing to differ
  ctx.Merge(TestValue(1, 2, l7));
  ExpectStates(ctx, 0, 0, 0);
  EXPECT_EQ(ctx.a, 1);
  EXPECT_EQ(ctx.leafCtx.x, 7);
  ctx.Merge(TestValue(1, 2, l7));
  ExpectStates(ctx, 0, 0, 0);
  ctx.Merge(TestValue(1, 3, l7));
  ExpectStates(ctx, 0, 2, 0);
  EXPECT_EQ(ctx.b, 2);  // a mixed field keeps the first value
  ctx.Merge(TestValue(1, 2, l8));
  ExpectStates(ctx, 0, 2, 2);
  EXPECT_EQ(ctx.IsEqual(TestValue(1, 50, l7)), 1);
  EXPECT_EQ(ctx.IsEqual(TestValue(2, 2, l7)), 0);
  leaves_.Release(l7), leaves_.Release(l8);
}

TEST_F(FormatContext, ApplyCopiesCommonFieldsAndInternsNestedOnes) {
  const uint16_t l7 = Leaf(7);
  TestValue target(5, 6, l7);
  TestCtx unset;
  unset.Apply(target);
  EXPECT_TRUE(target.IsSameValue(TestValue(5, 6, l7)));

  TestCtx ctx;
  ctx.Merge(TestValue(1, 2, 0));
  ctx.leafCtx.x = 9;  // the nested context's value, not yet in the table
  ctx.Apply(target);
  EXPECT_EQ(target.a, 1);
  EXPECT_EQ(target.b, 2);
  EXPECT_EQ(leaves_.GetEntry(target.leaf)->x, 9);
  EXPECT_EQ(leaves_.GetEntry(l7)->refCount, 1);  // the target gave its old reference back
  leaves_.Release(l7);
}

TEST_F(FormatContext, StoreAndLoadThroughHostObjects) {
  const uint16_t l7 = Leaf(7);
  TestCtx ctx(TestValue(-4, 200, l7));
  ASSERT_EQ(ctx.Store(kit_->root()), 1);
  EXPECT_EQ(kit_->calls().front(), "GetStoreMark");
  EXPECT_EQ(kit_->calls()[1].rfind("SetStoreMark", 0), 0u);

  TestCtx loaded;
  int nothing = -1;
  ASSERT_EQ(loaded.Load(kit_->root(), &nothing), 1);
  EXPECT_EQ(nothing, 0);
  ExpectStates(loaded, 0, 0, 0);
  EXPECT_EQ(loaded.a, -4);
  EXPECT_EQ(loaded.b, 200);
  EXPECT_EQ(loaded.leaf, l7);  // the loaded leaf interned to the same entry
  EXPECT_EQ(leaves_.GetEntry(l7)->refCount, 3);

  // An object without properties: nothing found, states as they were.
  IKx2PropertyObject* empty = kit_->NewObject();
  TestCtx untouched;
  ASSERT_EQ(untouched.Load(empty, &nothing), 1);
  EXPECT_EQ(nothing, 1);
  ExpectStates(untouched, 1, 1, 1);
  empty->Release();

  // A refused property ends the store with failure; a refused child too.
  IKx2PropertyObject* refusing = kit_->NewObject();
  kit_->RefuseChild(0x7002);
  EXPECT_EQ(ctx.Store(refusing), 0);
  kit_->AllowAll();
  kit_->RefuseValue(0x7001);
  EXPECT_EQ(ctx.Store(refusing), 0);
  EXPECT_TRUE(refusing->HasValue(0x7000));  // what went before stays
  refusing->Release();
  leaves_.Release(l7);
}

TEST_F(FormatContext, ArchiveRoundTripsStatesAndValue) {
  TestCtx ctx;
  ctx.Merge(TestValue(11, 12, 0));
  ctx.Merge(TestValue(11, 13, 0));
  const auto bytes = format_test::WriteArchive([&](CKx2DataBlock& ar) { ASSERT_EQ(ctx.Archive(ar), 1); });
  // The states record (tag 1016, level 1, three bytes) with the value nested under it.
  ASSERT_GE(bytes.size(), 7u);
  EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24, (3u << 20) | (1u << 10) | 1016u);
  EXPECT_EQ(bytes[4], 0);
  EXPECT_EQ(bytes[5], 2);
  EXPECT_EQ(bytes[6], 0);

  format_test::ReadArchive reader(bytes);
  TestCtx back;
  ASSERT_EQ(back.Archive(*reader), 1);
  ExpectStates(back, 0, 2, 0);
  EXPECT_EQ(back.a, 11);
  EXPECT_EQ(back.b, 12);

  // A state byte outside 0..2 from a damaged file reads as not set.
  auto damaged = bytes;
  damaged[5] = 7;
  format_test::ReadArchive damagedReader(damaged);
  TestCtx fromDamaged;
  ASSERT_EQ(fromDamaged.Archive(*damagedReader), 1);
  EXPECT_EQ(fromDamaged.GetState(1), 1);
}

}  // namespace
