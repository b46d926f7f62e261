// The per-document identifier mapper: registration, mapping both ways, counters, the value
// lists as records and as XML, and the references the lists hold.
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeFileMapper.h>
#include <plastrum/Kx2Failure.h>
#include <basalt/error.h>

#include <gtest/gtest.h>

#include <vector>

#include "format_kinds_fixture.h"
#include "format_kinds_samples.h"
#include "format_test_support.h"

namespace {

using namespace format_test;
using Bytes = std::vector<uint8_t>;
using Mapper = CKx2FilePresentationShapeMapper;

std::vector<uint32_t> Items(const Mapper& m, int k) {
  const Mapper::RemapList& list = m.List(k);
  return std::vector<uint32_t>(list.items, list.items + list.count);
}

class FormatMapper : public KindsFixture {
 protected:
  // A gradient of its own per salt, interned (one reference for the caller).
  uint16_t Gradient(int salt) {
    CPresentGradient g;
    MakeGradient(g, salt);
    return Intern(PresentGradientTable(), g);
  }
};

TEST_F(FormatMapper, RegisteredIdentifiersMapBothWays) {
  Mapper m(outer_.mapper());
  for (uint32_t id : {7u, 3u, 5u, 3u}) m.Register(256, id);
  m.BeginWrite();
  EXPECT_EQ(Items(m, 0), (std::vector<uint32_t>{3, 5, 7}));
  EXPECT_EQ(m.GetCount(256), 3);
  EXPECT_EQ(m.Mode(), Mapper::kModeWriting);
  const std::pair<uint32_t, int32_t> out[] = {{3, 1}, {5, 2}, {7, 3}, {4, 0}, {0, 0}};
  for (auto [table, file] : out) EXPECT_EQ(m.MapOut(256, table), file) << table;
  EXPECT_EQ(m.MapIn(256, 2), 5u);
  for (int32_t file : {0, -1, 4}) EXPECT_EQ(m.MapIn(256, file), 0u) << file;

  // Shapes, colours and codes of the caller's own reach the outer mapper unchanged.
  outer_.SetMapIn(265, 4, 40);
  outer_.SetMapOut(264, 9, 90);
  EXPECT_EQ(m.MapIn(265, 4), 40u);
  EXPECT_EQ(m.MapOut(264, 9), 90);
  m.Register(265, 12);
  m.Register(264, 13);
  EXPECT_EQ(outer_.registered(), (std::vector<std::pair<uint32_t, uint32_t>>{{265, 12}, {264, 13}}));
  EXPECT_EQ(m.GetMapper(0), outer_.mapper());
  EXPECT_EQ(m.GetMapper(1), &m);
  EXPECT_EQ(m.GetMapper(2), nullptr);

  // Counters past the thirteen are refused.
  m.SetCount(268, 44);
  EXPECT_EQ(m.GetCount(268), 44);
  m.SetCount(269, 45);
  m.SetCount(0x1FF, 46);
  EXPECT_EQ(m.GetCount(269), 0);
  EXPECT_EQ(m.GetCount(0x1FF), 0);
}

TEST_F(FormatMapper, AFillRegistersWhatItNames) {
  const uint16_t gradient = Gradient(0);
  CPresentFill plain, named;
  MakeFill(plain, 0, 0, 0);
  MakeFill(named, gradient, 0, 0, 1);
  const uint16_t plainId = Intern(PresentFillTable(), plain);
  const uint16_t namedId = Intern(PresentFillTable(), named);
  Mapper m(outer_.mapper());
  m.Register(259, plainId);
  EXPECT_EQ(m.List(0).count, 0);
  m.Register(259, namedId);
  EXPECT_EQ(Items(m, 0), std::vector<uint32_t>{gradient});
  EXPECT_EQ(m.List(3).count, 2);
  PresentFillTable().Release(plainId);
  PresentFillTable().Release(namedId);
  PresentGradientTable().Release(gradient);
}

TEST_F(FormatMapper, CountersAreFiftyTwoBytesOutsideAnyRecord) {
  Mapper m(outer_.mapper());
  for (uint32_t k = 0; k < 13; ++k) m.SetCount(256 + k, static_cast<int32_t>(k * 11 + 1));
  const Bytes bytes = WriteArchive([&](CKx2DataBlock& ar) {
    EXPECT_EQ(m.ExchangeCounts(&ar), 1);
    // A record after the counters neither swallows nor loses them.
    ar.BeginRecord(1001);
    ar.WriteU8(7);
    ar.EndRecord();
  });
  ASSERT_EQ(bytes.size(), 52u + 5u);
  for (uint32_t k = 0; k < 13; ++k) EXPECT_EQ(bytes[4 * k], k * 11 + 1);
  ReadArchive reader(bytes);
  Mapper back(outer_.mapper());
  ASSERT_EQ(back.ExchangeCounts(&*reader), 1);
  for (uint32_t k = 0; k < 13; ++k) EXPECT_EQ(back.GetCount(256 + k), static_cast<int32_t>(k * 11 + 1));
  EXPECT_EQ(reader->OpenRecord(1001), 1001);
}

TEST_F(FormatMapper, ListsAreStoredInReferenceOrderAndReadBackInterned) {
  // One entry of every kind the lists carry, registered through a fill, a line, a texture's
  // picture and the other kinds.
  CPresentPicture picture;
  MakePicture(picture, *store_);
  const uint16_t pictureId = Intern(PresentPictureTable(), picture);
  CPresentTexture texture;
  MakeTexture(texture, pictureId);
  const uint16_t textureId = Intern(PresentTextureTable(), texture);
  const uint16_t gradientId = Gradient(0);
  CPresentHatch hatch;
  MakeHatch(hatch);
  const uint16_t hatchId = Intern(PresentHatchTable(), hatch);
  CPresentFill fill;
  MakeFill(fill, gradientId, textureId, hatchId);
  const uint16_t fillId = Intern(PresentFillTable(), fill);
  CPresentLine line;
  MakeLine(line, fillId);
  const uint16_t lineId = Intern(PresentLineTable(), line);
  CPresentShadow shadow;
  MakeShadow(shadow);
  const uint16_t shadowId = Intern(PresentShadowTable(), shadow);
  CPresent3DFormat format3d;
  Make3D(format3d);
  const uint16_t format3dId = Intern(Present3DFormatTable(), format3d);

  Mapper writer(outer_.mapper());
  writer.Register(262, pictureId);
  writer.Register(257, textureId);
  writer.Register(260, lineId);
  writer.Register(259, fillId);
  writer.Register(261, shadowId);
  writer.Register(263, format3dId);
  writer.BeginWrite();
  vantorel::testkit::StepSinkKit sink;
  const Bytes bytes = WriteArchive([&](CKx2DataBlock& ar) {
    EXPECT_EQ(writer.ExchangeCounts(&ar), 1);
    EXPECT_EQ(writer.ExchangeLists(&ar, &sink), 1);
  });
  EXPECT_EQ(sink.steps(), std::vector<int32_t>(8, 2));
  // The tags after the counters: picture, gradient, texture, hatch, fill, line, shadow, 3-D.
  std::vector<uint16_t> tags;
  {
    ReadArchive scan(bytes);
    for (int i = 0; i < 13; ++i) scan->ReadRawU32();
    while (uint16_t tag = scan->SkipRecord()) tags.push_back(tag);
  }
  EXPECT_EQ(tags, (std::vector<uint16_t>{998, 992, 993, 994, 995, 996, 997, 999}));

  // Reading maps every identifier through the lists read before it.
  ReadArchive reader(bytes);
  auto* back = new Mapper(outer_.mapper());
  ASSERT_EQ(back->ExchangeCounts(&*reader), 1);
  ASSERT_EQ(back->ExchangeLists(&*reader, nullptr), 1);
  EXPECT_EQ(back->Mode(), Mapper::kModeReading);
  EXPECT_EQ(back->MapIn(260, 1), lineId);  // equal values share the entries already there
  EXPECT_EQ(Count(PresentLineTable(), lineId), 2);
  EXPECT_EQ(Count(PresentPictureTable(), pictureId), 4);  // the texture entry's, the local texture's, the list's, ours
  delete back;
  EXPECT_EQ(Count(PresentLineTable(), lineId), 1);
  EXPECT_EQ(Count(PresentPictureTable(), pictureId), 3);

  for (auto release : {+[](uint16_t id) { PresentLineTable().Release(id); }}) release(lineId);
  PresentFillTable().Release(fillId);
  PresentHatchTable().Release(hatchId);
  PresentGradientTable().Release(gradientId);
  PresentTextureTable().Release(textureId);
  PresentPictureTable().Release(pictureId);
  PresentShadowTable().Release(shadowId);
  Present3DFormatTable().Release(format3dId);
}

TEST_F(FormatMapper, ReadingIsBoundedByTheRecordsPresentAndGivesTheReferencesBack) {
  // Three equal gradients in the file: one entry with three references, given back with the
  // mapper; a count of 2^31 - 1 stops at the records present.
  CPresentGradient g;
  MakeGradient(g, 5);
  const Bytes bytes = WriteArchive([&](CKx2DataBlock& ar) {
    for (int i = 0; i < 13; ++i) ar.WriteRawU32(i == 0 ? 0x7FFFFFFFu : 0);
    for (int i = 0; i < 3; ++i) g.ExchangeMapped(ar);
  });
  ReadArchive reader(bytes);
  auto* m = new Mapper(outer_.mapper());
  ASSERT_EQ(m->ExchangeCounts(&*reader), 1);
  ASSERT_EQ(m->ExchangeLists(&*reader, nullptr), 1);
  ASSERT_EQ(m->List(0).count, 3);
  const uint32_t id = m->MapIn(256, 1);
  EXPECT_EQ(Items(*m, 0), (std::vector<uint32_t>{id, id, id}));
  EXPECT_EQ(Count(PresentGradientTable(), id), 3);
  EXPECT_EQ(m->MapIn(256, 4), 0u);
  delete m;
  EXPECT_EQ(Count(PresentGradientTable(), id), 0);

  // A mapper that only wrote gives nothing back, however full its lists.
  const uint16_t kept = Gradient(6);
  {
    Mapper writer(outer_.mapper());
    writer.Register(256, kept);
    writer.BeginWrite();
  }
  EXPECT_EQ(Count(PresentGradientTable(), kept), 1);
  PresentGradientTable().Release(kept);
}

TEST_F(FormatMapper, ThrowModeEndsAnExchangeInsideTheLibrary) {
  CPresentGradient g;
  MakeGradient(g);
  Bytes bytes = WriteArchive([&](CKx2DataBlock& ar) {
    for (int i = 0; i < 13; ++i) ar.WriteRawU32(i == 0 ? 2 : 0);
    g.ExchangeMapped(ar);
    g.ExchangeMapped(ar);
  });
  bytes.resize(bytes.size() - 40);  // the second record is cut short
  Kx2::ScopedThrowMode throwing(1);
  ReadArchive reader(bytes);
  Mapper m(outer_.mapper());
  EXPECT_NO_THROW({
    m.ExchangeCounts(&*reader);
    m.ExchangeLists(&*reader, nullptr);
    CPresentShape shape;
    shape.ArchiveIds(&*reader);
    shape.ArchiveValues(&*reader);
  });
  Basalt::Error::BaseError::_ClearError();
}

TEST_F(FormatMapper, ListsGrowTwoHundredFiftySixItemsAtATime) {
  Mapper m(outer_.mapper());
  for (uint32_t id = 600; id > 0; --id) m.Register(261, id + 1000);
  ASSERT_EQ(m.List(5).count, 600);
  for (int i = 0; i < 600; ++i) ASSERT_EQ(m.List(5).items[i], 1001u + static_cast<uint32_t>(i));
}

TEST_F(FormatMapper, MappingXmlWritesCountersAndListsAndReadsThemBack) {
  // An empty mapper: the counters element with its nine attributes, and no list.
  {
    Mapper m(outer_.mapper());
    XmlWriter w(&m);
    ASSERT_EQ(m.ExchangeCountsXml(&w.archive), 1);
    ASSERT_EQ(m.ExchangeListsXml(&w.archive, nullptr), 1);
    EXPECT_EQ(
        w.Text(),
        "<root><m:presentMapping m:gradientCount=\"0\" m:textureCount=\"0\" m:hatchCount=\"0\" m:fillCount=\"0\" "
        "m:lineCount=\"0\" m:shadowCount=\"0\" m:pictureCount=\"0\" m:format3DCount=\"0\" m:shapeCount=\"0\"/></root>");
  }
  // One gradient and one fill: the gradient list before the fill list, each entry "m:id" 1.
  const uint16_t gradientId = Gradient(1);
  CPresentFill fill;
  MakeFill(fill, gradientId, 0, 0);
  const uint16_t fillId = Intern(PresentFillTable(), fill);
  Mapper writer(outer_.mapper());
  writer.Register(259, fillId);
  writer.BeginWrite();
  writer.SetCount(264, 50);
  XmlWriter w(&writer);
  ASSERT_EQ(writer.ExchangeCountsXml(&w.archive), 1);
  ASSERT_EQ(writer.ExchangeListsXml(&w.archive, nullptr), 1);
  const std::string text = w.Text();
  const size_t gradientList = text.find("<m:presentGradientShapeList m:count=\"1\"><m:presentGradient m:id=\"1\"");
  const size_t fillList = text.find("<m:presentFillShapeList m:count=\"1\"><m:presentFill m:id=\"1\"");
  ASSERT_NE(gradientList, std::string::npos) << text;
  ASSERT_NE(fillList, std::string::npos) << text;
  EXPECT_LT(gradientList, fillList);
  EXPECT_NE(text.find("m:gradientID=\"1\""), std::string::npos);

  {
    Mapper reader(outer_.mapper());
    XmlReader r(text, &reader);
    ASSERT_EQ(reader.ExchangeCountsXml(&r.archive), 1);
    ASSERT_EQ(reader.ExchangeListsXml(&r.archive, nullptr), 1);
    EXPECT_EQ(reader.GetCount(264), 50);
    EXPECT_EQ(reader.MapIn(259, 1), fillId);
    EXPECT_EQ(Count(PresentFillTable(), fillId), 2);
  }
  EXPECT_EQ(Count(PresentFillTable(), fillId), 1);

  // Two hatch lists follow on in document order; a count beyond the entries present reads
  // only those; a document without the counters leaves them; one without "m:shapeCount"
  // sets it to 0.
  const std::string hatches =
      "<root><m:presentMapping m:gradientCount=\"4\"/>"
      "<m:presentHatchShapeList m:count=\"2\"><m:presentHatch m:id=\"Cross\"/><m:presentHatch "
      "m:id=\"Weave\"/></m:presentHatchShapeList>"
      "<m:presentHatchShapeList m:count=\"1\"><m:presentHatch m:id=\"Plaid\"/></m:presentHatchShapeList>"
      "<m:presentHatchShapeList m:count=\"2147483647\"><m:presentHatch "
      "m:id=\"Wave\"/></m:presentHatchShapeList></root>";
  Mapper reader(outer_.mapper());
  reader.SetCount(264, 9);
  XmlReader r(hatches, &reader);
  ASSERT_EQ(reader.ExchangeCountsXml(&r.archive), 1);
  EXPECT_EQ(reader.GetCount(256), 4);
  EXPECT_EQ(reader.GetCount(264), 0);
  ASSERT_EQ(reader.ExchangeListsXml(&r.archive, nullptr), 1);
  ASSERT_EQ(reader.List(2).count, 4);
  const uint8_t styles[4] = {4, 40, 41, 37};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(PresentHatchTable().GetEntry(reader.MapIn(258, i + 1))->v.style, styles[i]);
  EXPECT_EQ(reader.MapIn(258, 5), 0u);

  PresentFillTable().Release(fillId);
  PresentGradientTable().Release(gradientId);
}

}  // namespace
