// The field-map walker against the host kit's property objects.
#include <plastrum/format/FieldMap.h>
#include <plastrum/Kx2String.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vantorel/testing/leak_check.h>
#include <vantorel/testkit_property.h>
#include <vector>

namespace {

using vantorel::testkit::PropertyKit;

struct Child {
  int32_t v = 0;
};

struct Record {
  int8_t i8 = 0;
  int16_t i16 = 0;
  int32_t i32 = 0;
  int32_t l = 0;
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  uint32_t u32 = 0;
  uint32_t ul = 0;
  int64_t i64 = 0;
  uint64_t u64 = 0;
  float f = 0;
  double d = 0;
  uint8_t block[16] = {};
  char16_t buffer[8] = {};
  BSTR sys = nullptr;
  CKx2String str;
  uint16_t bits = 0;
  uint16_t tableId = 0;
  int32_t arr[3] = {};
  Child child;

  ~Record() { SysFreeString(sys); }
};

template <class F>
int32_t Off(F Record::*member) {
  static Record probe;
  return static_cast<int32_t>(reinterpret_cast<const char*>(&(probe.*member)) - reinterpret_cast<const char*>(&probe));
}

FieldMapEntry Scalar(uint32_t id, uint16_t type, int32_t offset) {
  return FieldMapScalar(id, type, static_cast<size_t>(offset));
}

const FieldMapEntry kChildMap[] = {FieldMapScalar(0x7100, kFieldInt32, offsetof(Child, v)), FieldMapEndEntry()};

std::vector<FieldMapEntry> ScalarMap() {
  return {Scalar(0x7000, kFieldInt8, Off(&Record::i8)),
          Scalar(0x7001, kFieldInt16, Off(&Record::i16)),
          Scalar(0x7002, kFieldInt32, Off(&Record::i32)),
          Scalar(0x7003, kFieldLong, Off(&Record::l)),
          Scalar(0x7004, kFieldUInt8, Off(&Record::u8)),
          Scalar(0x7005, kFieldUInt16, Off(&Record::u16)),
          Scalar(0x7006, kFieldUInt32, Off(&Record::u32)),
          Scalar(0x7007, kFieldULong, Off(&Record::ul)),
          Scalar(0x7008, kFieldInt64, Off(&Record::i64)),
          Scalar(0x7009, kFieldUInt64, Off(&Record::u64)),
          Scalar(0x700A, kFieldFloat, Off(&Record::f)),
          Scalar(0x700B, kFieldDouble, Off(&Record::d)),
          Scalar(0x700C, kFieldBlock16, Off(&Record::block)),
          Scalar(0x700D, kFieldSysString, Off(&Record::sys)),
          Scalar(0x700E, kFieldKx2String, Off(&Record::str)),
          Scalar(0x700F, kFieldReserved48, 0),
          FieldMapEndEntry()};
}

Kx2::PropertyValue Stored(IKx2PropertyObject* host, uint32_t id) {
  Kx2::PropertyValue v{};
  host->GetValue(id, &v);
  return v;
}

void SetInt(IKx2PropertyObject* host, uint32_t id, uint16_t type, int32_t value) {
  Kx2::ScopedPropertyValue v;
  v->type = type;
  v->i32 = value;
  ASSERT_TRUE(host->SetValue(id, *v));
}

void SetText(IKx2PropertyObject* host, uint32_t id, const char16_t* text) {
  Kx2::ScopedPropertyValue v;
  v->type = Kx2::kValueText;
  v->text = text ? SysAllocString(text) : nullptr;
  ASSERT_TRUE(host->SetValue(id, *v));
}

class FormatFieldMap : public vantorel::testing::HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    kit_ = std::make_unique<PropertyKit>();
  }
  void TearDown() override {
    kit_.reset();
    HostLeakCheck::TearDown();
  }
  IKx2PropertyObject* host() { return kit_->root(); }

  std::unique_ptr<PropertyKit> kit_;
};

TEST_F(FormatFieldMap, EveryScalarTypeRoundTripsWithItsHostType) {
  Record r;
  r.i8 = -5, r.i16 = -300, r.i32 = -70000, r.l = 12, r.u8 = 200, r.u16 = 60000, r.u32 = 0xFFFFFFF0u, r.ul = 7;
  r.i64 = -(int64_t(1) << 40), r.u64 = ~0ull - 1, r.f = 1.5f, r.d = -2.25;
  for (int i = 0; i < 16; ++i) r.block[i] = static_cast<uint8_t>(i * 3);
  r.sys = SysAllocString(u"system text");
  r.str = u"framework text";
  const auto map = ScalarMap();
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map.data(), kFieldMapWrite), 1);

  const uint16_t expectedTypes[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 1, 1};
  for (uint32_t k = 0; k < 15; ++k) {
    Kx2::ScopedPropertyValue v;
    ASSERT_TRUE(host()->GetValue(0x7000 + k, v.get())) << k;
    EXPECT_EQ(v->type, expectedTypes[k]) << k;
  }
  EXPECT_EQ(Stored(host(), 0x7000).i32, -5);  // sign-extended to 32 bits
  EXPECT_FALSE(host()->HasValue(0x700F));     // reserved string kinds send nothing

  Record back;
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &back, map.data(), kFieldMapRead), 1);
  EXPECT_EQ(back.i8, r.i8);
  EXPECT_EQ(back.i16, r.i16);
  EXPECT_EQ(back.i32, r.i32);
  EXPECT_EQ(back.l, r.l);
  EXPECT_EQ(back.u8, r.u8);
  EXPECT_EQ(back.u16, r.u16);
  EXPECT_EQ(back.u32, r.u32);
  EXPECT_EQ(back.ul, r.ul);
  EXPECT_EQ(back.i64, r.i64);
  EXPECT_EQ(back.u64, r.u64);
  EXPECT_EQ(back.f, r.f);
  EXPECT_EQ(back.d, r.d);
  EXPECT_EQ(std::memcmp(back.block, r.block, 16), 0);
  EXPECT_EQ(std::u16string(back.sys), u"system text");
  EXPECT_EQ(std::u16string(back.str.GetString()), u"framework text");
}

TEST_F(FormatFieldMap, ReadingChecksRangesAndTypes) {
  struct Case {
    uint16_t type;
    int64_t min, max;  // kFieldUnbounded words when both are -1
    uint16_t hostType;
    int32_t hostValue;
    int64_t expected;  // the field after reading, from 99
  } cases[] = {
      {kFieldUInt8, 10, 20, 6, 5, 99},
      {kFieldUInt8, 10, 20, 6, 15, 15},
      {kFieldUInt8, 10, 20, 6, 21, 99},
      {kFieldInt16, -5, 5, 3, -6, 99},
      {kFieldInt16, -5, 5, 3, -5, -5},
      {kFieldInt16, -5, 5, 2, 5, 5},
      // unsigned bounds compare unsigned: -1 is 0xFFFFFFFF, above the bound
      {kFieldUInt32, 0, 1000, 4, -1, 99},
      {kFieldInt32, -1, -1, 9, -7, -7},  // unbounded
      {kFieldInt32, -1, -1, 12, 3, 0},   // a float read for an integer field gives 0
      {kFieldInt64, -10, 10, 10, 11, 99},
      {kFieldInt64, -10, 10, 4, 7, 0},  // 64-bit accepts 10, 11 only
  };
  for (const Case& c : cases) {
    Record r;
    int64_t* slot64 = &r.i64;
    int32_t* slot32 = &r.i32;
    const bool wide = c.type == kFieldInt64;
    const int32_t offset = wide                    ? Off(&Record::i64)
                           : c.type == kFieldUInt8 ? Off(&Record::u8)
                           : c.type == kFieldInt16 ? Off(&Record::i16)
                                                   : Off(&Record::i32);
    r.u8 = 99, r.i16 = 99, r.i32 = 99, r.i64 = 99;
    FieldMapEntry map[] = {c.min == -1 && c.max == -1
                               ? Scalar(0x7000, c.type, offset)
                               : FieldMapRange(0x7000, c.type, static_cast<size_t>(offset), c.min, c.max),
                           FieldMapEndEntry()};
    if (c.hostType == 10) {
      Kx2::ScopedPropertyValue v;
      v->type = 10;
      v->u64 = static_cast<uint64_t>(static_cast<int64_t>(c.hostValue));
      ASSERT_TRUE(host()->SetValue(0x7000, *v));
    } else if (c.hostType == 12) {
      Kx2::ScopedPropertyValue v;
      v->type = 12;
      v->f32 = static_cast<float>(c.hostValue);
      ASSERT_TRUE(host()->SetValue(0x7000, *v));
    } else {
      SetInt(host(), 0x7000, c.hostType, c.hostValue);
    }
    ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map, kFieldMapRead), 1);
    const int64_t got = wide ? *slot64 : c.type == kFieldUInt8 ? r.u8 : c.type == kFieldInt16 ? r.i16 : *slot32;
    EXPECT_EQ(got, c.expected) << "type " << c.type << " value " << c.hostValue;
  }
}

TEST_F(FormatFieldMap, SignedBitFieldsExtendTheirSign) {
  // Bits 4-7 of a 16-bit field, signed, sign bit count 4.
  FieldMapEntry entry = Scalar(0x7000, kFieldInt16, Off(&Record::bits));
  entry.bitShift = 4, entry.bitWidth = 4, entry.minLow = 4;
  const FieldMapEntry map[] = {entry, FieldMapEndEntry()};
  Record r;
  r.bits = 0xA0F5;  // bits 4-7 hold binary 1111
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map, kFieldMapWrite), 1);
  Kx2::PropertyValue v = Stored(host(), 0x7000);
  EXPECT_EQ(v.type, Kx2::kValueInt8);  // 4 bits travel as a signed 8-bit value
  EXPECT_EQ(v.i32, -1);

  // -3 (binary 1101) goes back into bits 4-7; the other bits stay.
  SetInt(host(), 0x7000, Kx2::kValueInt8, -3);
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map, kFieldMapRead), 1);
  EXPECT_EQ(r.bits, 0xA0D5);

  // An unsigned bit field is range-checked by its upper bound.
  FieldMapEntry bounded = Scalar(0x7001, kFieldUInt16, Off(&Record::bits));
  bounded.bitShift = 0, bounded.bitWidth = 3, bounded.maxLow = 5;
  const FieldMapEntry map2[] = {bounded, FieldMapEndEntry()};
  SetInt(host(), 0x7001, Kx2::kValueUInt8, 6);
  FieldMap::ExchangeAll(host(), &r, map2, kFieldMapRead);
  EXPECT_EQ(r.bits, 0xA0D5);
  SetInt(host(), 0x7001, Kx2::kValueUInt8, 2);
  FieldMap::ExchangeAll(host(), &r, map2, kFieldMapRead);
  EXPECT_EQ(r.bits, 0xA0D2);
}

TEST_F(FormatFieldMap, TextBuffersAreCutToTheirCapacity) {
  FieldMapEntry entry = Scalar(0x7000, kFieldTextBuffer, Off(&Record::buffer));
  entry.minLow = 8;
  const FieldMapEntry map[] = {entry, FieldMapEndEntry()};
  Record r;
  SetText(host(), 0x7000, u"ABCDEFGHIJKLMNOPQRST");
  FieldMap::ExchangeAll(host(), &r, map, kFieldMapRead);
  EXPECT_EQ(std::u16string(r.buffer), u"ABCDEFG");
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map, kFieldMapWrite), 1);
  Kx2::ScopedPropertyValue v;
  host()->GetValue(0x7000, v.get());
  EXPECT_EQ(std::u16string(v->text), u"ABCDEFG");

  // A value of another type reads as the empty text; a text value without text fails.
  SetInt(host(), 0x7000, Kx2::kValueInt32, 3);
  EXPECT_TRUE(FieldMap::ExchangeField(host(), &r, entry, kFieldMapRead));
  EXPECT_EQ(r.buffer[0], 0);
  SetText(host(), 0x7000, nullptr);
  EXPECT_FALSE(FieldMap::ExchangeField(host(), &r, entry, kFieldMapRead));
  // Without a capacity there is nothing to exchange.
  entry.minLow = 0;
  EXPECT_FALSE(FieldMap::ExchangeField(host(), &r, entry, kFieldMapWrite));
}

TEST_F(FormatFieldMap, ArraysAndNestedRecords) {
  FieldMapEntry array = Scalar(0x7000, kFieldInt32, Off(&Record::arr));
  array.minLow = 3;  // a lower bound without an upper one: three elements
  FieldMapEntry nested = Scalar(0x7001, kFieldNested, Off(&Record::child));
  nested.minLow = 0x4003;
  nested.nested = kChildMap;
  const FieldMapEntry map[] = {array, nested, FieldMapEndEntry()};

  Record empty;
  FieldMap::ExchangeAll(host(), &empty, map, kFieldMapRead);  // nothing there: nothing changes
  EXPECT_EQ(kit_->calls().size(), 2u);                        // the two presence tests

  Record r;
  r.arr[0] = 4, r.arr[1] = -5, r.arr[2] = 6, r.child.v = 77;
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map, kFieldMapWrite), 1);
  IKx2PropertyObject* child = host()->GetChild(0x7001);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(PropertyKit::ClassCode(child), 0x4003u);
  child->Release();

  Record back;
  FieldMap::ExchangeAll(host(), &back, map, kFieldMapRead);
  EXPECT_EQ(back.arr[0], 4);
  EXPECT_EQ(back.arr[1], -5);
  EXPECT_EQ(back.arr[2], 6);
  EXPECT_EQ(back.child.v, 77);
}

TEST_F(FormatFieldMap, HostModeAndFailingFields) {
  FieldMapEntry nested = Scalar(0x7001, kFieldNested, Off(&Record::child));
  nested.minLow = 0x4003;
  nested.nested = kChildMap;
  const FieldMapEntry map[] = {Scalar(0x7000, kFieldInt32, Off(&Record::i32)), nested,
                               Scalar(0x7002, kFieldUInt8, Off(&Record::u8)), FieldMapEndEntry()};
  Record r;
  r.i32 = 1, r.u8 = 2, r.child.v = 3;

  // Mode 2 writes nested records only, and with a mode a missing child is not made.
  SetInt(host(), Kx2::kFieldMapModeProperty, Kx2::kValueInt32, 2);
  ASSERT_EQ(FieldMap::ExchangeAll(host(), &r, map, kFieldMapWrite), 1);
  EXPECT_FALSE(host()->HasValue(0x7000));
  EXPECT_FALSE(host()->HasValue(0x7001));

  // Without a mode everything goes; a refused field fails alone.
  IKx2PropertyObject* plain = kit_->NewObject();
  kit_->RefuseValue(0x7000);
  ASSERT_EQ(FieldMap::ExchangeAll(plain, &r, map, kFieldMapWrite), 1);
  EXPECT_FALSE(plain->HasValue(0x7000));
  EXPECT_TRUE(plain->HasValue(0x7001));
  EXPECT_TRUE(plain->HasValue(0x7002));
  kit_->RefuseChild(0x7001);
  IKx2PropertyObject* other = kit_->NewObject();
  EXPECT_EQ(FieldMap::ExchangeAll(other, &r, map, kFieldMapWrite), 1);
  EXPECT_FALSE(other->HasValue(0x7001));
  EXPECT_TRUE(other->HasValue(0x7002));
  other->Release();
  plain->Release();

  const FieldMapEntry none[] = {FieldMapEndEntry()};
  EXPECT_EQ(FieldMap::ExchangeAll(host(), &r, none, kFieldMapWrite), 1);
  EXPECT_EQ(FieldMap::ExchangeAll(host(), nullptr, map, kFieldMapWrite), 0);
  EXPECT_EQ(FieldMap::ExchangeAll(host(), &r, nullptr, kFieldMapWrite), 0);
  EXPECT_EQ(FieldMap::ExchangeAll(nullptr, &r, map, kFieldMapWrite), 0);
}

// A table-identifier service: interns the key of a reference as identifier key + 100.
class FakeIdService final : public IKx2FieldIdService {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  LONG_PTR Reserved3() override { return 0; }
  ULONG_PTR AddReference(ULONG_PTR key) override { return key; }
  LONG_PTR Reserved5() override { return 0; }
  BOOL ReleaseReference(ULONG_PTR) override { return TRUE; }
  BOOL ExportIdentifier(IKx2PropertyObject* host, uint32_t id, uint16_t value) override {
    exported.push_back(value);
    return value != 0;
  }
  uint16_t InternObject(const Kx2::PropertyValue& value) override {
    return static_cast<uint16_t>(value.key ? value.key + 100 : 0);
  }
  void ReleaseIdentifier(uint16_t id) override { released.push_back(id); }
  std::vector<uint16_t> exported, released;
};
FakeIdService g_service;
IKx2FieldIdService* ServiceAccessor() { return &g_service; }

int g_callbackCalls = 0;
int Callback(void* record, int direction, IKx2PropertyObject*, uint32_t id) {
  ++g_callbackCalls;
  return static_cast<Record*>(record)->i32 == 5 && id == 0x7001;
}

TEST_F(FormatFieldMap, TableIdentifiersAndCallbacks) {
  FieldMapEntry idEntry = Scalar(0x7000, kFieldTableId, Off(&Record::tableId));
  idEntry.accessor = &ServiceAccessor;
  FieldMapEntry callback = Scalar(0x7001, kFieldCallback, 0);
  callback.callback = &Callback;
  Record r;
  r.tableId = 9, r.i32 = 5;
  EXPECT_TRUE(FieldMap::ExchangeField(host(), &r, idEntry, kFieldMapWrite));
  EXPECT_EQ(g_service.exported, std::vector<uint16_t>{9});
  EXPECT_TRUE(FieldMap::ExchangeField(host(), &r, callback, kFieldMapWrite));
  EXPECT_EQ(g_callbackCalls, 1);

  Kx2::ScopedPropertyValue ref;
  ref->type = Kx2::kValueReference;
  ref->key = 4;
  ref->owner = &g_service;
  ASSERT_TRUE(host()->SetValue(0x7000, *ref));
  EXPECT_TRUE(FieldMap::ExchangeField(host(), &r, idEntry, kFieldMapRead));
  EXPECT_EQ(r.tableId, 104);
  EXPECT_EQ(g_service.released, std::vector<uint16_t>{9});
  // An object that interns to 0 fails and keeps the identifier.
  ref->key = 0;
  ASSERT_TRUE(host()->SetValue(0x7000, *ref));
  EXPECT_FALSE(FieldMap::ExchangeField(host(), &r, idEntry, kFieldMapRead));
  EXPECT_EQ(r.tableId, 104);
  ref->owner = nullptr;
}

}  // namespace
