// Filling, clearing and setting property values on host objects.
#include <gtest/gtest.h>

#include <foliant/property_values.h>
#include <vantorel/exports.h>
#include <vantorel/testing/leak_check.h>
#include <win/ole.h>

namespace {

using vantorel::testing::HostLeakCheck;

// A key owner that counts what it is asked.
class CountingOwner : public IVtlKeyOwner {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  ULONG_PTR KeyForValue(ULONG_PTR value) override {
    ++keysGiven;
    return value + 1000;
  }
  BOOL DropKey(ULONG_PTR key) override {
    dropped.push_back(key);
    return TRUE;
  }
  int keysGiven = 0;
  std::vector<ULONG_PTR> dropped;
};

TEST(FoliantPropertyValues, FillAndClear) {
  PropertyValue v{};
  ASSERT_TRUE(InitPropertyValue(&v, 9, LONG{-5}));
  EXPECT_EQ(GetPropertyInt32(&v), -5);
  ASSERT_TRUE(InitPropertyValue(&v, 11, DWORD{0xFF336699}, DWORD{0x00FF0000}));
  EXPECT_EQ(v.u64, 0x00FF0000FF336699ull);
  EXPECT_EQ(GetPropertyInt32(&v), 0) << "type 11 is not a 32-bit integer";
  ASSERT_TRUE(InitPropertyString(&v, u"text"));
  EXPECT_EQ(GetPropertyInt32(&v), 0);
  EXPECT_EQ(SysStringLen(v.text), 4u);
  ClearPropertyValue(&v);
  EXPECT_EQ(v.type, 0);
  EXPECT_EQ(v.u64, 0u);
  ASSERT_TRUE(InitPropertyGuid(&v, GUID{5, 6, 7, {}}));
  EXPECT_EQ(GetPropertyInt32(&v), 0);
  EXPECT_EQ(v.guid->Data1, 5u);
  ClearPropertyValue(&v);

  // A record that does not own its text frees nothing and is still zeroed.
  BSTR kept = SysAllocString(u"kept");
  v.type = 1, v.flags = 1, v.text = kept;
  ClearPropertyValue(&v);
  EXPECT_EQ(v.type, 0);
  EXPECT_EQ(v.flags, 0);
  EXPECT_EQ(v.text, nullptr);
  EXPECT_EQ(SysStringLen(kept), 4u) << "still alive";
  SysFreeString(kept);
}

TEST(FoliantPropertyValues, KeysGoBackToTheirOwnerOnlyWhenBothAreSet) {
  CountingOwner owner;
  PropertyValue v{};
  EXPECT_FALSE(InitPropertyObject(&v, 5, nullptr, FALSE)) << "no owner";
  ASSERT_TRUE(InitPropertyObject(&v, 5, &owner, TRUE));
  EXPECT_EQ(v.key, 5u) << "a raw value is stored as it is";
  EXPECT_EQ(owner.keysGiven, 0);
  ClearPropertyValue(&v);
  ASSERT_TRUE(InitPropertyObject(&v, 5, &owner, FALSE));
  EXPECT_EQ(v.key, 1005u);
  EXPECT_EQ(v.owner, &owner);
  ClearPropertyValue(&v);
  ASSERT_EQ(owner.dropped.size(), 2u);
  EXPECT_EQ(owner.dropped[1], 1005u);
  // A zero key or a null owner: zeroed without calling anyone.
  v.type = 0x8002, v.key = 0, v.owner = &owner;
  ClearPropertyValue(&v);
  v.type = 0x8002, v.key = 9, v.owner = nullptr;
  ClearPropertyValue(&v);
  EXPECT_EQ(owner.dropped.size(), 2u);
  EXPECT_EQ(v.key, 0u);
  ResetPropertyValue(&v);
  EXPECT_EQ(v.type, 0);
}

TEST(FoliantPropertyValues, WideComparisons) {
  struct Case {
    const char16_t *a, *b;
    int expected;
  } cases[] = {{u"a", u"a", 0},   {u"a", u"b", -1},     {u"b", u"a", 1},
               {u"", nullptr, 0}, {u"\xFFFF", u"a", 1}, {u"ab", u"a", 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(CompareWide(c.a, c.b), c.expected);
    EXPECT_EQ(EqualWide(c.a, c.b), c.expected == 0);
  }
}

class FoliantHolder : public HostLeakCheck {};

TEST_F(FoliantHolder, SetsEveryKindOnAHostObjectAndReleasesIt) {
  IVtlFileStore* store = VtlGetApplication()->GetFileStore();
  CountingOwner owner;
  {
    PropertyHolder entry(VtlCreateObject(vantorel::kClassTableEntry));
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry.SetPropertyValue(0x4001, 9, 8));
    EXPECT_TRUE(entry.SetPropertyValue(0x4005, 11, 0xFF112233, 0xFF0000));
    EXPECT_TRUE(entry.SetPropertyString(0x4002, u"label"));
    EXPECT_TRUE(entry.SetPropertyGuid(0x4000, GUID{}));
    EXPECT_FALSE(entry.SetPropertyObject(0x4003, 7, nullptr)) << "no owner, no set";
    EXPECT_FALSE(entry.GetPropertyRecord(0x4003));
    EXPECT_TRUE(entry.SetPropertyObject(0x4003, 7, &owner));
    EXPECT_EQ(entry.GetPropertyInt(0x4001), 8);
    EXPECT_EQ(entry.GetPropertyInt(0x4002), 0);
    // This owner makes a new key for every value: 1007 ours, 2007 the host's, 3007 the copy read back.
    EXPECT_EQ(entry.GetPropertyObjectKey(0x4003), 3007u);
    EXPECT_EQ(entry.GetPropertyObjectKey(0x4002), 0u);

    PropertyHolder labels(VtlCreateObject(vantorel::kClassLabels));
    PropertyHolder list(labels->CreateList(0x4001, 2));
    EXPECT_TRUE(list.SetElementGuid(0, GUID{1, 0, 0, {}}));
    EXPECT_TRUE(list.SetElementString(1, u"second"));
    EXPECT_FALSE(list.SetElementString(2, u"past the end"));
    labels = VtlCreateObject(vantorel::kClassMarker);  // the labels object goes
    EXPECT_EQ(labels->GetClassId(), vantorel::kClassMarker);
    IVtlObject* detached = labels.Detach();
    EXPECT_FALSE(labels);
    detached->Release();
  }
  // Clearing the host's records gave back every key the owner issued.
  EXPECT_EQ(owner.keysGiven, static_cast<int>(owner.dropped.size()));
  store->Release();
}

}  // namespace
