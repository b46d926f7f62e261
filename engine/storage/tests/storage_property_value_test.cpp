#include <plastrum/PropertyValue.h>

#include <gtest/gtest.h>

namespace {

class Owner : public IKx2ReferenceOwner {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  LONG_PTR Reserved3() override { return 0; }
  ULONG_PTR AddReference(ULONG_PTR value) override { return value; }
  LONG_PTR Reserved5() override { return 0; }
  BOOL ReleaseReference(ULONG_PTR key) override {
    released.push_back(key);
    return TRUE;
  }
  ULONG refs = 1;
  std::vector<ULONG_PTR> released;
};

bool IsEmpty(const Kx2::PropertyValue& v) { return v.type == 0 && v.flags == 0 && v.u64 == 0 && !v.owner; }

TEST(StoragePropertyValue, ClearReleasesByType) {
  Owner owner;
  Kx2::PropertyValue v{};

  v.type = Kx2::kValueText;
  v.text = SysAllocString(u"owned");
  v.Clear();  // freed (ASan reports a leak otherwise)
  EXPECT_TRUE(IsEmpty(v));

  BSTR kept = SysAllocString(u"not owned");
  v.type = Kx2::kValueText;
  v.flags = Kx2::kValueNotOwned;
  v.text = kept;
  v.Clear();
  EXPECT_TRUE(IsEmpty(v));
  EXPECT_EQ(SysStringLen(kept), 9u);  // still alive
  SysFreeString(kept);

  v.type = Kx2::kValueBlock16;
  v.block = new Kx2::ValueBlock16{};
  v.Clear();
  EXPECT_TRUE(IsEmpty(v));

  v.type = Kx2::kValueUnknown;
  v.iface = &owner;
  v.Clear();
  EXPECT_EQ(owner.refs, 0u);

  v.type = Kx2::kValueReference;
  v.key = 77;
  v.Clear();  // no owner: nothing to call
  EXPECT_TRUE(owner.released.empty());
  v.type = Kx2::kValueReference;
  v.key = 78;
  v.owner = &owner;
  v.Clear();
  v.Clear();  // twice is harmless
  EXPECT_EQ(owner.released, std::vector<ULONG_PTR>{78});
  EXPECT_TRUE(IsEmpty(v));

  {
    Kx2::ScopedPropertyValue scoped;
    scoped->type = Kx2::kValueReference;
    scoped->key = 79;
    scoped->owner = &owner;
  }
  EXPECT_EQ(owner.released.size(), 2u);
}

}  // namespace
