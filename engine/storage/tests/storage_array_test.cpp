#include <plastrum/Kx2Array.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2SimpleArray.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include <basalt/error.h>

using Basalt::Error::BaseError;

namespace {

// A 96-byte item, like the shape-format records, that counts its lives.
struct Tracked {
  static inline int constructed = 0;
  static inline int destroyed = 0;
  static inline std::multiset<int> alive;
  static void ResetCounts() {
    constructed = destroyed = 0;
    alive.clear();
  }

  Tracked() : id(++constructed) { alive.insert(id); }
  ~Tracked() {
    ++destroyed;
    auto it = alive.find(id);
    // Destroying an object that is not alive (twice, or a stale byte image) is the fault.
    EXPECT_NE(it, alive.end()) << "destroyed twice: " << id;
    if (it != alive.end()) alive.erase(it);
  }
  int id;
  int value = 0;
  char padding[88] = {};
};
static_assert(sizeof(Tracked) == 96);

class StorageSegmentedArray : public ::testing::Test {
 protected:
  void SetUp() override { Tracked::ResetCounts(); }
};

TEST_F(StorageSegmentedArray, BlocksOf42ItemsAndTheTableThatFollows) {
  CKx2MArray<Tracked> array(3);
  EXPECT_EQ(array.ItemsPerBlock(), 42);
  ASSERT_EQ(array.SetSize(42), 1);
  EXPECT_EQ(array.TableGroups(), 0);
  const void* firstBlock = array.RawData();
  Tracked* first = array.GetAt(0);
  EXPECT_EQ(static_cast<const void*>(first), firstBlock);

  // Item 42 is the first of the second block: the single block becomes entry 0 of a table.
  ASSERT_EQ(array.SetSize(43), 1);
  EXPECT_EQ(array.TableGroups(), 1);
  EXPECT_EQ(static_cast<void* const*>(array.RawData())[0], firstBlock);
  EXPECT_EQ(array.GetAt(0), first);  // items never move
  EXPECT_EQ(array.GetAt(42), static_cast<Tracked*>(static_cast<void* const*>(array.RawData())[1]));

  // The 65th block needs a second group of 64 table entries.
  ASSERT_EQ(array.SetSize(64 * 42), 1);
  EXPECT_EQ(array.TableGroups(), 1);
  ASSERT_EQ(array.SetSize(64 * 42 + 1), 1);
  EXPECT_EQ(array.TableGroups(), 2);
  EXPECT_EQ(array.GetAt(0), first);
  EXPECT_EQ(Tracked::constructed, 64 * 42 + 1);
}

TEST_F(StorageSegmentedArray, ShrinkingKeepsItemsConstructedUntilFreeExtra) {
  {
    CKx2MArray<Tracked> array(3);
    ASSERT_EQ(array.SetSize(100), 1);
    ASSERT_EQ(array.SetSize(10), 1);
    ASSERT_EQ(array.SetSize(100), 1);  // reuses the 90 spare items
    EXPECT_EQ(Tracked::constructed, 100);
    EXPECT_EQ(Tracked::destroyed, 0);

    ASSERT_EQ(array.SetSize(0), 1);
    array.FreeExtra();
    EXPECT_FALSE(array.HasStorage());
    EXPECT_EQ(array.TableGroups(), 0);
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetConstructed(), 0);
    EXPECT_EQ(Tracked::destroyed, 100);

    ASSERT_EQ(array.SetSize(50), 1);
    array.SetSize(30);
    array.FreeExtra();  // 30 items fit one block again
    EXPECT_EQ(array.TableGroups(), 0);
    EXPECT_EQ(array.GetConstructed(), 30);
  }
  EXPECT_EQ(Tracked::constructed, Tracked::destroyed);
  EXPECT_TRUE(Tracked::alive.empty());
}

TEST_F(StorageSegmentedArray, RemoveAtDestroysEachItemOnce) {
  {
    CKx2MArray<Tracked> array(3);
    ASSERT_EQ(array.SetSize(60), 1);
    array.SetSize(50);  // ten constructed spares above the count
    for (int i = 0; i < 50; ++i) array.GetAt(i)->value = i;
    EXPECT_EQ(array.RemoveAt(10, 5), 5);
    EXPECT_EQ(array.GetCount(), 45);
    EXPECT_EQ(array.GetConstructed(), 55);
    EXPECT_EQ(array.GetAt(10)->value, 15);
    EXPECT_EQ(array.GetAt(44)->value, 49);
    EXPECT_EQ(array.RemoveAt(40, 100), 5);  // cut at the end
    EXPECT_EQ(array.RemoveAt(-1, 1), 0);
    EXPECT_EQ(array.RemoveAt(40, 1), 0);
    EXPECT_EQ(array.RemoveAt(0, 0), 0);
    EXPECT_EQ(static_cast<int>(Tracked::alive.size()), array.GetConstructed());
  }
  EXPECT_EQ(Tracked::constructed, Tracked::destroyed);
  EXPECT_TRUE(Tracked::alive.empty());
}

TEST_F(StorageSegmentedArray, InsertAddAppendAndCopy) {
  CKx2MArrayBase ints(4, 0);  // 256 ints a block
  for (int32_t v = 0; v < 600; ++v) ASSERT_EQ(ints.Add(&v), v);
  int32_t marker = -7;
  ASSERT_EQ(ints.InsertAt(1, &marker, 3), 1);
  EXPECT_EQ(ints.GetCount(), 603);
  EXPECT_EQ(*static_cast<int32_t*>(ints.GetAt(0)), 0);
  EXPECT_EQ(*static_cast<int32_t*>(ints.GetAt(3)), -7);
  EXPECT_EQ(*static_cast<int32_t*>(ints.GetAt(4)), 1);
  EXPECT_EQ(*static_cast<int32_t*>(ints.GetAt(602)), 599);
  // The source is an item of the array itself, which moves as the gap opens.
  ASSERT_EQ(ints.InsertAt(0, ints.GetAt(602), 1), 1);
  EXPECT_EQ(*static_cast<int32_t*>(ints.GetAt(0)), 599);

  CKx2MArrayBase other(4, 0);
  ASSERT_EQ(other.Copy(ints), 1);
  EXPECT_EQ(other.GetCount(), 604);
  EXPECT_EQ(other.Append(other), 604);
  EXPECT_EQ(other.GetCount(), 1208);
  EXPECT_EQ(*static_cast<int32_t*>(other.GetAt(604 + 603)), 599);
  ASSERT_EQ(other.InsertAt(2, other), 1);
  EXPECT_EQ(other.GetCount(), 2416);
  EXPECT_EQ(*static_cast<int32_t*>(other.GetAt(2)), 599);
  int32_t far = 42;
  ASSERT_EQ(other.SetAtGrow(3000, &far), 1);
  EXPECT_EQ(other.GetCount(), 3001);
  EXPECT_EQ(other.GetAt(3001), nullptr);
  EXPECT_EQ(other.GetAt(-1), nullptr);
}

TEST_F(StorageSegmentedArray, SortsWithTheItemComparison) {
  CKx2MArrayBase ints(4, 0);
  ints.Sort(0, -1, nullptr);  // nothing to sort
  int32_t one = 5;
  ints.Add(&one);
  ints.Sort(0, -1, nullptr);
  std::mt19937 random(7);
  std::vector<int32_t> values;
  for (int i = 0; i < 1000; ++i) values.push_back(static_cast<int32_t>(random() % 100));
  for (int32_t v : values) ints.Add(&v);
  values.insert(values.begin(), one);
  struct Ascending : CKx2MArrayBase {
    Ascending() : CKx2MArrayBase(4, 0) {}
    int CompareItems(const void* a, const void* b, void*) override {
      const int32_t x = *static_cast<const int32_t*>(a), y = *static_cast<const int32_t*>(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  } sorted;
  sorted.Copy(ints);
  sorted.Sort(0, -1, nullptr);
  std::sort(values.begin(), values.end());
  for (int32_t i = 0; i < sorted.GetCount(); ++i) ASSERT_EQ(*static_cast<int32_t*>(sorted.GetAt(i)), values[i]);
}

TEST_F(StorageSegmentedArray, FailedGrowthSetsError2AndKeepsTheItems) {
  CKx2MArray<Tracked> array(3);
  ASSERT_EQ(array.SetSize(42), 1);
  BaseError::_ClearError();
  Kx2Heap::FailAfter(0);
  EXPECT_EQ(array.SetSize(43), 0);
  EXPECT_EQ(array.Add(Tracked()), -1);
  Kx2Heap::FailAfter(-1);
  EXPECT_EQ(BaseError::_GetError(), 2u);
  EXPECT_EQ(array.GetCount(), 42);
  EXPECT_EQ(array.TableGroups(), 0);
}

TEST(StorageContiguousArray, GrowsInsertsAndRemoves) {
  CKx2DArray<int32_t> array;
  for (int32_t v = 0; v < 100; ++v) ASSERT_EQ(array.Add(v), v);
  EXPECT_GE(array.GetCapacity(), 100);
  ASSERT_EQ(array.InsertAt(50, -1, 2), 1);
  EXPECT_EQ(array[49], 49);
  EXPECT_EQ(array[50], -1);
  EXPECT_EQ(array[52], 50);
  // An item of the array as the source, while the buffer is reallocated.
  const int32_t count = array.GetCount();
  for (int i = 0; i < 300; ++i) ASSERT_EQ(array.Add(array[0]), count + i);
  EXPECT_EQ(array.RemoveAt(0, 1000), 402);  // cut at the end
  EXPECT_EQ(array.GetCount(), 0);
  array.FreeExtra();
  EXPECT_EQ(array.GetCapacity(), 0);
}

TEST(StorageSimpleArray, GrowByStepFollowsTheCount) {
  struct Case {
    int32_t count;
    int32_t step;
  } cases[] = {{40, 5}, {16, 4}, {10000, 1024}, {1, 4}};
  for (const Case& c : cases) {
    CKx2DWordArray array;
    ASSERT_EQ(array.SetSize(c.count), 1);
    EXPECT_EQ(array.GetCapacity(), c.count);
    ASSERT_EQ(array.SetSize(c.count + 1), 1);
    EXPECT_EQ(array.GetCapacity(), c.count + c.step) << c.count;
    EXPECT_EQ(array[c.count], 0u);
  }
  CKx2ByteArray fixed;
  fixed.SetSize(10, 100);
  fixed.SetSize(11);
  EXPECT_EQ(fixed.GetCapacity(), 110);
}

TEST(StorageSimpleArray, ValuesAndStrings) {
  CKx2WordArray words;
  CKx2WordArray empty;
  EXPECT_EQ(words.InsertAt(0, &empty), 0);
  EXPECT_EQ(words.InsertAt(0, nullptr), 0);
  EXPECT_EQ(words.GetCount(), 0);
  words.SetAtGrow(3, 7);
  EXPECT_EQ(words.GetCount(), 4);
  EXPECT_EQ(words[0], 0);
  words.InsertAt(1, 9, 2);
  EXPECT_EQ(words.GetCount(), 6);
  EXPECT_EQ(words[1], 9);
  EXPECT_EQ(words[5], 7);
  words.InsertAt(0, &words);
  EXPECT_EQ(words.GetCount(), 12);
  EXPECT_EQ(words[5], 7);
  EXPECT_EQ(words[7], 9);

  CKx2StringArray strings;
  CKx2String shared(u"shared");
  strings.SetSize(3);
  EXPECT_TRUE(strings[2].IsEmpty());
  strings.SetAtGrow(1, shared);
  strings.InsertAt(0, shared, 2);
  EXPECT_EQ(shared.GetHeader()->refs, 4);
  strings.RemoveAt(0, 3);  // two copies and an empty string released
  EXPECT_EQ(shared.GetHeader()->refs, 2);
  strings.InsertAt(1, strings[0], 3);  // the value is an element of the array
  EXPECT_EQ(strings.GetCount(), 5);
  CKx2StringArray more;
  more.Copy(strings);
  EXPECT_EQ(more.Append(more), 5);
  more.SetSize(1);
  more.FreeExtra();
  EXPECT_EQ(more.GetCapacity(), 1);

  Kx2Heap::FailAfter(0);
  EXPECT_EQ(strings.SetSize(5000), 0);
  Kx2Heap::FailAfter(-1);
  EXPECT_EQ(strings.GetCount(), 5);
}

}  // namespace
