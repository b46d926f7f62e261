// Colour references: record forms with and without the mapper, the XML form through the
// host kit's elements, and release into the colour table.
#include <plastrum/format/ColorRef.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/XmlConventions.h>

#include <gtest/gtest.h>

#include <string>
#include <vantorel/testing/leak_check.h>
#include <vantorel/testkit_mapper.h>
#include <vantorel/testkit_xml.h>

#include "format_test_support.h"

namespace {

using vantorel::testkit::OuterMapperKit;
using vantorel::testkit::XmlKit;

class FormatColorRef : public vantorel::testing::HostLeakCheck {
 protected:
  // Writes the reference under a fresh root and returns the root's XML.
  std::string WriteXml(PresentColorRef ref, const char16_t* wrapper = nullptr, IKx2ShapeMapperCtx* mapper = nullptr) {
    XmlKit xml;
    ShapeXmlArchive archive;
    archive.factory = xml.document();
    archive.current = xml.root();
    archive.mapper = mapper;
    EXPECT_EQ(ref.ExchangeXml(archive, wrapper), 1);
    return XmlKit::Xml(xml.root());
  }
  PresentColorRef ReadXml(const std::string& text, const char16_t* wrapper = nullptr,
                          IKx2ShapeMapperCtx* mapper = nullptr) {
    IKX2XMLElement* root = XmlKit::Parse(text);
    EXPECT_NE(root, nullptr);
    ShapeXmlArchive archive;
    archive.mode = 1;
    archive.current = root;
    archive.mapper = mapper;
    PresentColorRef ref(0x12345678, 0x00AB0007);  // whatever was there is replaced
    EXPECT_EQ(ref.ExchangeXml(archive, wrapper), 1);
    if (root) root->Release();
    return ref;
  }
};

TEST_F(FormatColorRef, XmlFormsWriteAndReadBack) {
  const uint32_t tint = static_cast<uint32_t>(-2500 * 256);
  struct Case {
    uint32_t value, second;
    const char* xml;
  } cases[] = {
      {0x80010203, 0x00800000, "<root><m:srgbClr m:val=\"197121\" m:opacity=\"128\" m:effectShapeID=\"0\"/></root>"},
      {tint + 4, 0x05FF0000,
       "<root><m:schemeClr m:val=\"accent1\" m:tint=\"-2500\" m:opacity=\"255\" m:effectShapeID=\"0\"/></root>"},
      {11, 0x05400000,
       "<root><m:schemeClr m:val=\"folHlink\" m:tint=\"0\" m:opacity=\"64\" m:effectShapeID=\"0\"/></root>"},
      {0, Present::kColorNone, "<root><m:noneClr/></root>"},
      {0, Present::kColorAuto, "<root><m:autoClr/></root>"},
      {0, Present::kColorDontCare, "<root><m:dontcareClr/></root>"},
  };
  for (const Case& c : cases) {
    const PresentColorRef ref(c.value, c.second);
    EXPECT_EQ(WriteXml(ref), c.xml);
    EXPECT_EQ(ReadXml(c.xml), ref) << c.xml;
  }
}

TEST_F(FormatColorRef, KindsWithoutAnXmlFormLeaveTheWrapperEmpty) {
  const PresentColorRef kinds[] = {
      PresentColorRef(0x00506432, 0x01FF0000),  // CMYK
      PresentColorRef(0xFFE26432, 0x02FF0000),  // HSL
      PresentColorRef(5, 0x04FF0000),           // system
      PresentColorRef(12, 0x05FF0000),          // scheme index outside the palette
  };
  for (const PresentColorRef& ref : kinds) {
    const std::string xml = WriteXml(ref, u"m:fgClr");
    EXPECT_EQ(xml, "<root><m:fgClr/></root>");
    EXPECT_EQ(ReadXml(xml, u"m:fgClr"), PresentColorRef(0, 0));
  }
  // Without the wrapper element nothing is found.
  EXPECT_EQ(ReadXml("<root><m:srgbClr m:val=\"5\"/></root>", u"m:fgClr"), PresentColorRef(0, 0));
  // Inside it, the first present element in the order scheme, sRGB, none, auto, don't-care.
  EXPECT_EQ(ReadXml("<root><m:fgClr><m:noneClr/><m:srgbClr m:val=\"255\"/></m:fgClr></root>", u"m:fgClr"),
            PresentColorRef(0xFFFF0000, 0x00FF0000));
}

TEST_F(FormatColorRef, ReadValuesAreClampedToTheirFields) {
  struct Case {
    const char* xml;
    uint32_t value, second;
  } cases[] = {
      // Opacity 300 must not reach the kind bits; identifier and tint saturate.
      {"<r><m:srgbClr m:val=\"1\" m:opacity=\"300\" m:effectShapeID=\"70000\"/></r>", 0xFF010000, 0x00FFFFFF},
      {"<r><m:schemeClr m:val=\"dk2\" m:tint=\"40000\" m:opacity=\"-4\"/></r>", 0x007FFF02, 0x05000000},
      {"<r><m:schemeClr m:val=\"nonsense\"/></r>", 0, 0x05FF0000},
      {"<r><m:srgbClr/></r>", 0xFF000000, 0x00FF0000},
      {"<r/>", 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadXml(c.xml), PresentColorRef(c.value, c.second)) << c.xml;
}

TEST_F(FormatColorRef, IdentifiersPassThroughTheMapper) {
  OuterMapperKit outer;
  outer.SetMapOut(265, 7, 3);
  outer.SetMapIn(265, 3, 9);
  const PresentColorRef ref(0xFF102030, 0x00FF0007);
  const std::string xml = WriteXml(ref, nullptr, outer.mapper());
  EXPECT_NE(xml.find("m:effectShapeID=\"3\""), std::string::npos);
  EXPECT_EQ(ReadXml(xml, nullptr, outer.mapper()), PresentColorRef(0xFF102030, 0x00FF0009));

  // The record forms: plain keeps the identifier, mapped translates it.
  const auto plain = format_test::WriteArchive([&](CKx2DataBlock& ar) {
    PresentColorRef r = ref;
    ar.BeginRecord(1);
    EXPECT_EQ(r.Exchange(ar), 1);
    ar.EndRecord();
  });
  ASSERT_EQ(plain.size(), 12u);
  EXPECT_EQ(std::vector<uint8_t>(plain.begin() + 4, plain.end()),
            (std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF, 0x07, 0x00, 0xFF, 0x00}));
  const auto mapped = format_test::WriteArchive(
      [&](CKx2DataBlock& ar) {
        PresentColorRef r = ref;
        ar.BeginRecord(1);
        EXPECT_EQ(r.ExchangeMapped(ar), 1);
        ar.EndRecord();
      },
      outer.mapper());
  EXPECT_EQ(mapped[8], 3);
  format_test::ReadArchive reader(mapped, outer.mapper());
  reader->OpenRecord(1);
  PresentColorRef back;
  EXPECT_EQ(back.ExchangeMapped(*reader), 1);
  EXPECT_EQ(back, PresentColorRef(0xFF102030, 0x00FF0009));
  EXPECT_EQ(outer.calls().back(), "MapIn 265 3 -> 9");
}

TEST_F(FormatColorRef, ReleaseDropsOneColourTableReference) {
  ASSERT_EQ(InitColorTable(), 1);
  CPresentColor modifiers;
  modifiers.value.type = 1;
  modifiers.value.shade = 500;
  const int32_t id = PresentColorTable().Intern(modifiers);
  ASSERT_EQ(id, 2);  // real colours start above the fixed entries
  PresentColorTable().AddRef(2);
  PresentColorRef ref;
  ref.Assign(0x00112233, 0x00FF0000 | static_cast<uint32_t>(id));  // takes no further reference
  EXPECT_EQ(PresentColorTable().GetEntry(2)->refCount, 2);
  ref.Release();
  EXPECT_EQ(PresentColorTable().GetEntry(2)->refCount, 1);
  EXPECT_EQ(ref.colorId, 2);  // the words stay
  for (uint32_t fixed : {0u, 1u}) {
    PresentColorRef(0, fixed).Release();
    EXPECT_EQ(PresentColorTable().GetEntry(fixed)->refCount, 1);
  }
  FreeColorTable();
}

}  // namespace
