// The test kit's own checks: each failure switch works, calls are recorded, and what a test
// leaves alive is reported.
#include <vantorel/object_census.h>
#include <vantorel/testing/leak_check.h>
#include <vantorel/testkit_bindata.h>
#include <vantorel/testkit_mapper.h>
#include <vantorel/testkit_property.h>
#include <vantorel/testkit_xml.h>

#include <gtest/gtest.h>

#include <plastrum/Kx2Archive.h>

namespace {

using namespace vantorel::testkit;

Kx2::PropertyValue IntValue(uint16_t type, int32_t v) {
  Kx2::PropertyValue value{};
  value.type = type;
  value.i32 = v;
  return value;
}

class HostTestKit : public vantorel::testing::HostLeakCheck {};

TEST_F(HostTestKit, PropertyObjectsKeepValuesChildrenAndArrays) {
  PropertyKit kit;
  IKx2PropertyObject* root = kit.root();
  ASSERT_TRUE(root->SetValue(0x7000, IntValue(6, 3)));
  Kx2::PropertyValue out{};
  ASSERT_TRUE(root->GetValue(0x7000, &out));
  EXPECT_EQ(out.type, 6);
  EXPECT_EQ(out.i32, 3);
  EXPECT_FALSE(root->GetValue(0x7001, &out));

  IKx2PropertyObject* child = root->CreateChild(0x7001, 0x4004);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(PropertyKit::ClassCode(child), 0x4004u);
  child->Release();
  IKx2PropertyArray* array = root->CreateArray(0x7002, 2);
  ASSERT_NE(array, nullptr);
  EXPECT_TRUE(array->SetElement(1, IntValue(4, -9)));
  EXPECT_FALSE(array->SetElement(2, IntValue(4, 1)));
  array->Release();
  EXPECT_TRUE(root->HasValue(0x7001));
  EXPECT_TRUE(root->HasValue(0x7002));
  EXPECT_EQ(PropertyKit::ValueIds(root), std::vector<uint32_t>{0x7000});

  // Text values are deep copies the object owns.
  Kx2::PropertyValue text{};
  text.type = Kx2::kValueText;
  text.text = SysAllocString(u"kept");
  ASSERT_TRUE(root->SetValue(0x7003, text));
  SysFreeString(text.text);
  Kx2::PropertyValue copy{};
  ASSERT_TRUE(root->GetValue(0x7003, &copy));
  EXPECT_EQ(std::u16string(copy.text), u"kept");
  SysFreeString(copy.text);
}

TEST_F(HostTestKit, RefusalSwitchesAndTheCallRecord) {
  PropertyKit kit;
  kit.RefuseValue(0x7000);
  kit.RefuseChild(0x7001);
  kit.RefuseArray(0x7002);
  IKx2PropertyObject* other = kit.NewObject(0x4000);  // switches cover every object of the kit
  for (IKx2PropertyObject* object : {kit.root(), other}) {
    EXPECT_FALSE(object->SetValue(0x7000, IntValue(4, 1)));
    EXPECT_TRUE(object->SetValue(0x7003, IntValue(4, 1)));
    EXPECT_EQ(object->CreateChild(0x7001, 0x4000), nullptr);
    EXPECT_EQ(object->CreateArray(0x7002, 1), nullptr);
  }
  kit.AllowAll();
  EXPECT_TRUE(other->SetValue(0x7000, IntValue(4, 1)));
  other->Release();
  EXPECT_EQ(kit.calls().front(), "SetValue 0x7000 type 4");
  EXPECT_EQ(kit.calls()[2], "CreateChild 0x7001 class 0x4000");
}

TEST_F(HostTestKit, BinaryDataStoreCountsComparesAndExchanges) {
  BinDataKit kit;
  IKx2BinDataStore* store = kit.store();
  const uint16_t a = kit.AddData({1, 2, 3});
  const uint16_t b = kit.AddData({1, 2, 3});
  const uint16_t c = kit.AddData({9});
  EXPECT_EQ(store->AddRefData(a), a);
  EXPECT_EQ(store->AddRefData(999), 0u);
  EXPECT_TRUE(store->SameData(a, b));
  EXPECT_FALSE(store->SameData(a, c));
  EXPECT_TRUE(store->ReleaseData(a));
  EXPECT_FALSE(store->ReleaseData(a));  // already given back
  EXPECT_EQ(kit.BadReleases(), 1);
  EXPECT_EQ(kit.TotalReferences(), 0);
  EXPECT_FALSE(store->KeepsData());
  kit.SetKeepsData(true);
  EXPECT_TRUE(store->KeepsData());
  EXPECT_EQ(kit.calls().front(), "AddRefData 1");
}

TEST_F(HostTestKit, OuterMapperAnswersAndRecords) {
  OuterMapperKit kit;
  IKx2ShapeMapperCtx* mapper = kit.mapper();
  EXPECT_EQ(mapper->MapIn(265, 3), 3u);  // carried unchanged unless set
  kit.SetMapIn(265, 3, 40);
  kit.SetMapOut(264, 7, 2);
  EXPECT_EQ(mapper->MapIn(265, 3), 40u);
  EXPECT_EQ(mapper->MapOut(264, 7), 2);
  mapper->Register(265, 12);
  mapper->SetCount(264, 5);
  EXPECT_EQ(mapper->GetCount(264), 5);
  EXPECT_EQ(mapper->GetMapper(1), mapper);
  EXPECT_EQ(mapper->GetMapper(2), nullptr);
  EXPECT_EQ(kit.registered(), (std::vector<std::pair<uint32_t, uint32_t>>{{265, 12}}));
  EXPECT_EQ(kit.calls()[1], "MapIn 265 3 -> 40");

  StepSinkKit sink;
  sink.sink()->Step(2);
  sink.sink()->Step(2);
  EXPECT_EQ(sink.steps(), (std::vector<int32_t>{2, 2}));
}

TEST_F(HostTestKit, RefusingFactorySkipsRefusedElements) {
  XmlKit xml;
  xml.RefuseElement(u"m:presentColor");
  IKX2XMLElement* refused = xml.refusingFactory()->CreateElement(u"m:presentColor");
  EXPECT_EQ(refused, nullptr);
  IKX2XMLElement* made = xml.refusingFactory()->CreateElementNS(u"", u"m:srgbClr");
  ASSERT_NE(made, nullptr);
  made->SetAttribute(u"m:val", u"197121");
  EXPECT_TRUE(xml.root()->AppendChild(made));
  made->Release();
  EXPECT_EQ(XmlKit::Xml(xml.root()), "<root><m:srgbClr m:val=\"197121\"/></root>");

  IKX2XMLElement* parsed = XmlKit::Parse("<a m:x=\"1\"><b/></a>");
  ASSERT_NE(parsed, nullptr);
  EXPECT_EQ(std::u16string(parsed->GetAttribute(u"m:x")), u"1");
  parsed->Release();
  EXPECT_EQ(XmlKit::Parse("<a>"), nullptr);
}

TEST(HostTestKitCensus, ALeakedReferenceIsReported) {
  vantorel::SetQuarantine(true);
  const vantorel::CensusReport before = vantorel::TakeCensus();
  IKx2PropertyObject* leaked;
  {
    PropertyKit kit;
    leaked = kit.root();
    leaked->AddRef();  // a reference the test "forgets"
  }
  const vantorel::CensusReport after = vantorel::TakeCensus();
  EXPECT_EQ(after.liveObjects, before.liveObjects + 1);
  bool named = false;
  for (const auto& kind : after.liveKinds) named |= kind.find("kit property object") != std::string::npos;
  EXPECT_TRUE(named);
  leaked->Release();
  EXPECT_EQ(vantorel::TakeCensus().liveObjects, before.liveObjects);
  leaked->Release();  // one release too many is counted, not a crash
  EXPECT_EQ(vantorel::TakeCensus().extraReleases, before.extraReleases + 1);
  vantorel::CollectQuarantine();
  vantorel::SetQuarantine(false);
}

}  // namespace
