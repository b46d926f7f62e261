// The colour format: its table, record 1001, the XML element and the exchange with host
// property objects through the colour field map and the engine's colour service.
#include <plastrum/format/ColorCtx.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/XmlConventions.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vantorel/testing/leak_check.h>
#include <vantorel/testkit_property.h>
#include <vantorel/testkit_xml.h>

#include "format_test_support.h"

namespace {

using vantorel::testkit::PropertyKit;
using vantorel::testkit::XmlKit;

CPresentColor Sample() {
  CPresentColor c;
  c.value.type = 1;
  int16_t* m = c.value.Modifiers();
  for (int i = 0; i < 16; ++i) m[i] = static_cast<int16_t>((i + 1) * 111 * (i % 2 ? -1 : 1));
  c.value.complement = 1;
  c.value.inverse = 1;
  return c;
}

class FormatPresentColor : public vantorel::testing::HostLeakCheck {
 protected:
  void SetUp() override {
    HostLeakCheck::SetUp();
    ASSERT_EQ(InitColorTable(), 1);
  }
  void TearDown() override {
    FreeColorTable();
    HostLeakCheck::TearDown();
  }
};

TEST_F(FormatPresentColor, InterningComparesTheValueBytes) {
  CKx2ShapeTbl<CPresentColor>& table = PresentColorTable();
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table.Intern(CPresentColor{}), 0);
  const CPresentColor sample = Sample();
  EXPECT_EQ(table.Intern(sample), 2);
  EXPECT_EQ(table.Intern(sample), 2);
  CPresentColor other = Sample();
  other.value.gray = 1;
  EXPECT_EQ(table.Intern(other), 3);
  EXPECT_EQ(table.GetEntry(2)->refCount, 2);
  EXPECT_EQ(FreeColorTable(), 2);
  EXPECT_EQ(InitColorTable(), 1);
}

TEST_F(FormatPresentColor, RecordHolds36BytesAndReadsBack) {
  CPresentColor sample = Sample();
  const auto bytes = format_test::WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(sample.Exchange(ar), 1); });
  ASSERT_EQ(bytes.size(), 40u);
  const uint32_t header = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  EXPECT_EQ(header, (36u << 20) | (1u << 10) | 1001u);
  EXPECT_EQ(bytes[4], 1);                    // type
  EXPECT_EQ(bytes[5] | bytes[6] << 8, 111);  // alphaMod, then the other modifiers
  EXPECT_EQ(bytes[37], 1);                   // complement
  EXPECT_EQ(bytes[38], 0);                   // gray
  EXPECT_EQ(bytes[39], 1);                   // inverse

  format_test::ReadArchive reader(bytes);
  CPresentColor back;
  ASSERT_EQ(back.Exchange(*reader), 1);
  EXPECT_TRUE(back.IsSameValue(sample));
  CPresentColor none;
  // A record of another tag is not a colour.
  const auto other = format_test::WriteArchive([](CKx2DataBlock& a) {
    a.SetLevel(1);
    a.BeginRecord(1015);
    a.EndRecord();
  });
  format_test::ReadArchive otherReader(other);
  EXPECT_EQ(none.Exchange(*otherReader), 0);
}

TEST_F(FormatPresentColor, XmlElementWritesTheModifiersAndReadsThemBack) {
  XmlKit xml;
  ShapeXmlArchive writer;
  writer.factory = xml.document();
  writer.current = xml.root();
  CPresentColor c;
  c.value.type = 1;
  c.value.alphaMod = 1000;
  c.value.hueOffset = 255;
  c.value.tint = -125;
  c.value.gray = 1;
  ASSERT_EQ(c.ExchangeXml(writer, 3), 1);
  EXPECT_EQ(XmlKit::Xml(xml.root()),
            "<root><m:presentColor m:id=\"3\" m:type=\"Custom\" m:alphaMod=\"100%\" m:alphaOffset=\"0%\" "
            "m:redMod=\"0%\" m:redOffset=\"0%\" m:greenMod=\"0%\" m:greenOffset=\"0%\" m:blueMod=\"0%\" "
            "m:blueOffset=\"0%\" m:hueMod=\"0%\" m:Offset=\"25.500%\" m:saturationMod=\"0%\" "
            "m:saturationOffset=\"0%\" m:luminanceMod=\"0%\" m:luminanceOffset=\"0%\" m:shade=\"0%\" "
            "m:tint=\"-12.500%\" m:complement=\"0\" m:gray=\"1\" m:inverse=\"0\"/></root>");

  // Round trip of a value with every field set, as value number 1 behind another.
  CPresentColor sample = Sample();
  ASSERT_EQ(sample.ExchangeXml(writer, 1), 1);
  ShapeXmlArchive reader;
  reader.mode = 1;
  reader.current = xml.root();
  CPresentColor back;
  ASSERT_EQ(back.ExchangeXml(reader, 1), 1);
  EXPECT_TRUE(back.IsSameValue(sample));
  EXPECT_EQ(back.ExchangeXml(reader, 2), 0);  // no third element

  // A refused element is skipped.
  ShapeXmlArchive refused = writer;
  xml.RefuseElement(u"m:presentColor");
  refused.factory = xml.refusingFactory();
  EXPECT_EQ(sample.ExchangeXml(refused, 2), 0);
}

TEST_F(FormatPresentColor, XmlReadingOfFlagsAndAbsentAttributes) {
  struct Case {
    const char* attributes;
    uint8_t complement, gray, inverse;
    int16_t shade;
  } cases[] = {
      {"m:gray=\"1\" m:complement=\"1\"", 1, 1, 0, 0},
      {"m:complement=\"true\"", 1, 0, 0, 0},
      {"m:complement=\"FALSE\"", 0, 0, 0, 0},
      {"m:complement=\"maybe\" m:inverse=\"1\"", 0, 0, 1, 0},
      {"m:shade=\"-12.5%\" m:type=\"Nonsense\"", 0, 0, 0, -125},
      {"m:shade=\"9999%\"", 0, 0, 0, 32767},
  };
  for (const Case& c : cases) {
    IKX2XMLElement* root = XmlKit::Parse(std::string("<r><m:presentColor ") + c.attributes + "/></r>");
    ASSERT_NE(root, nullptr);
    ShapeXmlArchive reader;
    reader.mode = 3;
    reader.current = root;
    CPresentColor color = Sample();  // reading starts from the empty value
    ASSERT_EQ(color.ExchangeXml(reader, 0), 1);
    EXPECT_EQ(color.value.type, 0) << c.attributes;
    EXPECT_EQ(color.value.complement, c.complement) << c.attributes;
    EXPECT_EQ(color.value.gray, c.gray) << c.attributes;
    EXPECT_EQ(color.value.inverse, c.inverse) << c.attributes;
    EXPECT_EQ(color.value.shade, c.shade) << c.attributes;
    EXPECT_EQ(color.value.alphaMod, 0) << c.attributes;
    root->Release();
  }
}

TEST_F(FormatPresentColor, HostPropertiesThroughTheColourService) {
  PropertyKit kit;
  CPresentColor sample = Sample();
  EXPECT_FALSE(sample.ExportToSink(nullptr));
  ASSERT_TRUE(sample.ExportToSink(kit.root()));
  const auto ids = PropertyKit::ValueIds(kit.root());
  ASSERT_EQ(ids.size(), 20u);
  EXPECT_EQ(ids.front(), 0x7000u);
  EXPECT_EQ(ids.back(), 0x7013u);
  Kx2::PropertyValue v{};
  kit.root()->GetValue(0x7002, &v);
  EXPECT_EQ(v.type, Kx2::kValueUInt16);
  EXPECT_EQ(v.u32, static_cast<uint16_t>(-222));

  CPresentColorCtx service;
  int32_t id = -5;
  ASSERT_TRUE(service.InternColor(&id, kit.root()));
  EXPECT_EQ(id, 2);
  EXPECT_TRUE(PresentColorTable().GetEntry(2)->IsSameValue(sample));

  // A host object with only the type changes only the type.
  IKx2PropertyObject* typeOnly = kit.NewObject();
  Kx2::PropertyValue type{};
  type.type = Kx2::kValueUInt8;
  type.i32 = 1;
  typeOnly->SetValue(0x7000, type);
  int32_t typeId = 0;
  ASSERT_TRUE(service.InternColor(&typeId, typeOnly));
  CPresentColor expected;
  expected.value.type = 1;
  EXPECT_TRUE(PresentColorTable().GetEntry(static_cast<uint32_t>(typeId))->IsSameValue(expected));
  typeOnly->Release();
  EXPECT_FALSE(service.InternColor(&typeId, nullptr));

  // The service hands entries out and counts references for the host.
  EXPECT_EQ(service.GetColor(0), nullptr);
  EXPECT_EQ(service.GetColor(-1), nullptr);
  EXPECT_EQ(service.GetColor(999), PresentColorTable().GetEntry(0));
  EXPECT_EQ(service.GetColor(2)->GetAlphaOffset(), -222);
  PropertyKit resolved;
  EXPECT_TRUE(service.ResolveColor(2, resolved.root()));
  EXPECT_FALSE(service.ResolveColor(0, resolved.root()));
  service.AddRefColor(0, 0x00FF0002);
  EXPECT_EQ(PresentColorTable().GetEntry(2)->refCount, 2);
  service.ReleaseColor(0, 0x00FF0002);
  service.ReleaseColor(0, 0x00FF0001);
  EXPECT_EQ(PresentColorTable().GetEntry(2)->refCount, 1);
  EXPECT_EQ(PresentColorTable().GetEntry(1)->refCount, 1);

  // Record forms of a reference: reading fills the caller's record, writing leaves it.
  PresentColorRef ref(0xFF00FF00, 0x00FF0002);
  const auto bytes = format_test::WriteArchive([&](CKx2DataBlock& ar) {
    ar.BeginRecord(1);
    EXPECT_TRUE(service.ArchiveColorValue(&ar, &ref));
    ar.EndRecord();
  });
  format_test::ReadArchive reader(bytes);
  reader->OpenRecord(1);
  PresentColorRef back;
  EXPECT_TRUE(service.ArchiveColorValue(&*reader, &back));
  EXPECT_EQ(back, ref);
  EXPECT_EQ(PresentColorTable().GetEntry(2)->refCount, 1);
}

}  // namespace
