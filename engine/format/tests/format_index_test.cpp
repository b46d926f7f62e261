// Interning through the tables' hash index gives exactly the identifiers the plain scan
// gives, whatever runs of interning, releasing and tentative entries come: checked against a
// twin table that has no index, also for values whose equality goes beyond their hash.
#include <plastrum/format/ShapeTable.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// key is compared and hashed; `data` is compared loosely (as pictures compare their data
// through the store) and never hashed, so unequal values share buckets.
struct Fields {
  int32_t key = 0;
  int32_t data = 0;
  bool Same(const Fields& o) const { return key == o.key && data / 2 == o.data / 2; }
};

struct Indexed : CKx2ShapeRefCnt {
  Fields f;
  bool IsSameValue(const Indexed& o) const { return f.Same(o.f); }
  int AssignValue(const Indexed& o) { return f = o.f, 1; }
  void ClearEntry() {}
  uint64_t HashValue() const { return static_cast<uint64_t>(f.key % 7); }
};

struct Scanned : CKx2ShapeRefCnt {
  Fields f;
  bool IsSameValue(const Scanned& o) const { return f.Same(o.f); }
  int AssignValue(const Scanned& o) { return f = o.f, 1; }
  void ClearEntry() {}
};

TEST(FormatIndex, IdentifiersMatchThePlainScan) {
  CKx2ShapeTbl<Indexed> indexed(300);
  CKx2ShapeTbl<Scanned> scanned(300);
  Indexed standardI;
  standardI.f.key = 1;
  Scanned standardS;
  standardS.f.key = 1;
  ASSERT_EQ(indexed.InitFixedEntries(Indexed{}, &standardI), 1);
  ASSERT_EQ(scanned.InitFixedEntries(Scanned{}, &standardS), 1);

  std::mt19937 random(12345);
  std::vector<uint32_t> held;       // one entry per reference taken
  std::vector<uint32_t> tentative;  // reserved and not yet filled
  for (int step = 0; step < 6000; ++step) {
    const int op = static_cast<int>(random() % 10);
    Fields f{static_cast<int32_t>(random() % 40), static_cast<int32_t>(random() % 6)};
    if (op < 5) {
      Indexed a;
      a.f = f;
      Scanned b;
      b.f = f;
      const int32_t ia = indexed.Intern(a), ib = scanned.Intern(b);
      ASSERT_EQ(ia, ib) << "intern at step " << step;
      if (ia >= 2) held.push_back(static_cast<uint32_t>(ia));
    } else if (op < 8 && !held.empty()) {
      const size_t at = random() % held.size();
      indexed.Release(held[at]);
      scanned.Release(held[at]);
      held.erase(held.begin() + static_cast<std::ptrdiff_t>(at));
    } else if (op == 8) {
      const int32_t ia = indexed.NewEntry(), ib = scanned.NewEntry();
      ASSERT_EQ(ia, ib) << "new entry at step " << step;
      if (ia >= 0) tentative.push_back(static_cast<uint32_t>(ia));
    } else if (!tentative.empty()) {
      Indexed a;
      a.f = f;
      Scanned b;
      b.f = f;
      const uint32_t id = tentative.back();
      tentative.pop_back();
      ASSERT_EQ(indexed.Replace(a, id), scanned.Replace(b, id)) << "replace at step " << step;
      ASSERT_EQ(indexed[static_cast<int32_t>(id)].flags, scanned[static_cast<int32_t>(id)].flags);
      held.push_back(id);
    }
    ASSERT_EQ(indexed.GetCount(), scanned.GetCount());
  }
  for (int32_t key = 0; key < 40; ++key) {
    Indexed a;
    a.f.key = key;
    Scanned b;
    b.f.key = key;
    EXPECT_EQ(indexed.Find(a), scanned.Find(b)) << key;
  }
  EXPECT_EQ(indexed.FreeShapeTable(), scanned.FreeShapeTable());
}

}  // namespace
