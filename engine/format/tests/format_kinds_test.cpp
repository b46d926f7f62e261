// The eight format kinds in their tables: fixed entries, interning with nested references,
// record and XML round trips, the byte layouts stored documents rely on, and the contexts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <plastrum/format/PropertyIO.h>
#include <vantorel/testkit_property.h>

#include "format_kinds_fixture.h"
#include "format_kinds_samples.h"
#include "format_test_support.h"

namespace {

using namespace format_test;

using Bytes = std::vector<uint8_t>;

class FormatKinds : public KindsFixture {
 protected:
  // A record body written through `form` with no mapper (identifiers map to themselves).
  template <class Form>
  static Bytes Written(Form form) {
    return WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(form(ar), 1); });
  }

  // Writes the value through `write` and reads a fresh value back through the same form.
  template <class Value, class Form>
  static void ExpectRecordRoundTrip(Value& value, Form form, const char* what) {
    const Bytes bytes = Written([&](CKx2DataBlock& ar) { return form(value, ar); });
    ReadArchive reader(bytes);
    Value back;
    EXPECT_EQ(form(back, *reader), 1) << what;
    EXPECT_TRUE(back.IsSameValue(value)) << what;
  }

  template <class Value>
  void ExpectXmlRoundTrip(Value& value, const char* what) {
    XmlWriter writer(outer_.mapper());
    ASSERT_EQ(value.ExchangeXml(writer.archive, 1), 1) << what;
    XmlReader reader(writer.Text(), outer_.mapper());
    Value back;
    EXPECT_EQ(back.ExchangeXml(reader.archive, 0), 1) << what;
    EXPECT_TRUE(back.IsSameValue(value)) << what << ": " << writer.Text();
  }

  template <class Value>
  void ExpectAllRoundTrips(Value& value, const char* what) {
    ExpectRecordRoundTrip(
        value, [](Value& v, CKx2DataBlock& ar) { return v.ExchangeMapped(ar); }, what);
    ExpectRecordRoundTrip(
        value, [](Value& v, CKx2DataBlock& ar) { return v.ExchangeEmbedded(ar); }, what);
    ExpectXmlRoundTrip(value, what);
  }
};

uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void Put16(Bytes& out, uint16_t v) { out.push_back(v & 0xFF), out.push_back(v >> 8); }
void Put32(Bytes& out, uint32_t v) { Put16(out, v & 0xFFFF), Put16(out, v >> 16); }
void PutColor(Bytes& out, const PresentColorRef& c) { Put32(out, c.value), Put32(out, c.Second()); }
Bytes Header(uint16_t tag, uint32_t level, uint32_t size) {
  Bytes out;
  Put32(out, tag | level << 10 | size << 20);
  return out;
}

TEST_F(FormatKinds, FixedEntriesInternWithoutReferences) {
  struct Case {
    const char* kind;
    int32_t (*empty)();
    int32_t (*standard)();
  } cases[] = {
      {"gradient", [] { return PresentGradientTable().Intern(CPresentGradient{}); },
       [] {
         CPresentGradient g;
         CPresentGradient::SetDefault(g, 1);
         return PresentGradientTable().Intern(g);
       }},
      {"picture", [] { return PresentPictureTable().Intern(CPresentPicture::EmptyEntry()); },
       [] { return PresentPictureTable().Intern(CPresentPicture::StandardEntry()); }},
      {"texture", [] { return PresentTextureTable().Intern(CPresentTexture::EmptyEntry()); },
       [] { return PresentTextureTable().Intern(CPresentTexture::StandardEntry()); }},
      {"hatch", [] { return PresentHatchTable().Intern(CPresentHatch{}); },
       [] {
         CPresentHatch h;
         CPresentHatch::SetDefault(h, 1);
         return PresentHatchTable().Intern(h);
       }},
      {"fill",
       [] {
         CPresentFill f;
         CPresentFill::SetDefault(f, 0);
         return PresentFillTable().Intern(f);
       },
       [] {
         CPresentFill f;
         CPresentFill::SetDefault(f, 1);
         return PresentFillTable().Intern(f);
       }},
      {"line", [] { return PresentLineTable().Intern(CPresentLine{}); },
       [] { return PresentLineTable().Intern(CPresentLine::StandardEntry()); }},
      {"shadow", [] { return PresentShadowTable().Intern(CPresentShadow{}); },
       [] { return PresentShadowTable().Intern(CPresentShadow::StandardEntry()); }},
      {"3-D", [] { return Present3DFormatTable().Intern(CPresent3DFormat::EmptyEntry()); },
       [] { return Present3DFormatTable().Intern(CPresent3DFormat::StandardEntry()); }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.empty(), 0) << c.kind;
    EXPECT_EQ(c.standard(), 1) << c.kind;
  }
  EXPECT_EQ(PresentGradientTable().GetEntry(1)->refCount, 1);
  EXPECT_EQ(PresentFillTable().GetEntry(1)->refCount, 1);
  // A fresh fill is not the empty entry: entry 0 carries scheme colour 4.
  EXPECT_NE(PresentFillTable().Intern(CPresentFill{}), 0);
}

TEST_F(FormatKinds, EqualValuesShareAnEntryAndTheLastReleaseFreesNestedOnes) {
  uint16_t lineId;
  uint16_t pictureId, textureId, gradientId, hatchId, fillId;
  {
    CPresentPicture picture;
    MakePicture(picture, *store_);
    pictureId = Intern(PresentPictureTable(), picture);
    CPresentTexture texture;
    MakeTexture(texture, pictureId);
    textureId = Intern(PresentTextureTable(), texture);
    CPresentGradient gradient;
    MakeGradient(gradient);
    gradientId = Intern(PresentGradientTable(), gradient);
    CPresentHatch hatch;
    MakeHatch(hatch);
    hatchId = Intern(PresentHatchTable(), hatch);
    CPresentFill fill;
    MakeFill(fill, gradientId, textureId, hatchId);
    fillId = Intern(PresentFillTable(), fill);
    CPresentLine line;
    MakeLine(line, fillId);
    lineId = Intern(PresentLineTable(), line);
    EXPECT_EQ(Intern(PresentLineTable(), line), lineId);
    EXPECT_EQ(Count(PresentLineTable(), lineId), 2);
    // Each builder gives back what it took; the entries keep theirs.
    PresentPictureTable().Release(pictureId);
    PresentTextureTable().Release(textureId);
    PresentGradientTable().Release(gradientId);
    PresentHatchTable().Release(hatchId);
    PresentFillTable().Release(fillId);
  }
  EXPECT_EQ(Count(PresentFillTable(), fillId), 1);
  EXPECT_EQ(Count(PresentPictureTable(), pictureId), 1);
  EXPECT_EQ(store_->TotalReferences(), 1);  // the picture entry's
  PresentLineTable().Release(lineId);
  EXPECT_EQ(Count(PresentFillTable(), fillId), 1);
  PresentLineTable().Release(lineId);
  for (auto count : {Count(PresentLineTable(), lineId), Count(PresentFillTable(), fillId),
                     Count(PresentGradientTable(), gradientId), Count(PresentTextureTable(), textureId),
                     Count(PresentHatchTable(), hatchId), Count(PresentPictureTable(), pictureId)})
    EXPECT_EQ(count, 0);
  EXPECT_EQ(store_->TotalReferences(), 0);

  // Pictures of equal data under two store identifiers are one entry.
  CPresentPicture a, b;
  a.SetBinDataId(store_->AddData({5, 5}));
  b.SetBinDataId(store_->AddData({5, 5}));
  const uint16_t ida = Intern(PresentPictureTable(), a);
  EXPECT_EQ(Intern(PresentPictureTable(), b), ida);
  PresentPictureTable().Release(ida);
  PresentPictureTable().Release(ida);
}

TEST_F(FormatKinds, GradientStopsPastTheCountNeitherCompareNorOverflow) {
  CPresentGradient a, b;
  MakeGradient(a);
  MakeGradient(b);
  b.v.stopPosition[7] = 999;
  b.v.stopColor[9] = Rgb(1, 1, 1);
  const uint16_t id = Intern(PresentGradientTable(), a);
  EXPECT_EQ(Intern(PresentGradientTable(), b), id);
  PresentGradientTable().Release(id);
  PresentGradientTable().Release(id);

  // A stored count of 200 reads as ten.
  CPresentGradient ten;
  MakeGradient(ten);
  ten.v.stopCount = 10;
  Bytes bytes = Written([&](CKx2DataBlock& ar) { return ten.ExchangeMapped(ar); });
  bytes[4 + 4] = 200;
  ReadArchive reader(bytes);
  CPresentGradient back;
  ASSERT_EQ(back.ExchangeMapped(*reader), 1);
  EXPECT_EQ(back.v.stopCount, 10);

  // XML: a count of 50 and twelve stop elements fill ten slots.
  std::string xml = "<root><m:presentGradient><m:stopCount m:val=\"50\"/>";
  for (int i = 0; i < 12; ++i) xml += "<m:presentGradientstop m:stopPosition=\"" + std::to_string(i) + "\"/>";
  xml += "</m:presentGradient></root>";
  XmlReader xmlReader(xml, nullptr);
  CPresentGradient fromXml;
  ASSERT_EQ(fromXml.ExchangeXml(xmlReader.archive, 0), 1);
  EXPECT_EQ(fromXml.v.stopCount, 10);
  EXPECT_EQ(fromXml.v.stopPosition[9], 9);

  // A host object's count of 30 loads as ten.
  vantorel::testkit::PropertyKit kit;
  Present::PropertyIO::SetInt(kit.root(), 0x7003, Kx2::kValueUInt8, 30);
  CPresentGradientCtx ctx;
  ASSERT_EQ(ctx.Load(kit.root(), nullptr), 1);
  EXPECT_EQ(ctx.v.stopCount, 10);
}

TEST_F(FormatKinds, RecordAndXmlFormsRoundTripEveryKind) {
  CPresentPicture picture;
  MakePicture(picture, *store_);
  picture.v.recolorColor = Rgb(9, 8, 7, 255, 7);  // a colour-table identifier travels too
  ExpectAllRoundTrips(picture, "picture");
  const uint16_t pictureId = Intern(PresentPictureTable(), picture);
  CPresentTexture texture;
  MakeTexture(texture, pictureId);
  ExpectAllRoundTrips(texture, "texture");
  CPresentGradient gradient;
  MakeGradient(gradient);
  ExpectAllRoundTrips(gradient, "gradient");
  CPresentHatch hatch;
  MakeHatch(hatch);
  ExpectAllRoundTrips(hatch, "hatch");
  const uint16_t gradientId = Intern(PresentGradientTable(), gradient);
  const uint16_t textureId = Intern(PresentTextureTable(), texture);
  const uint16_t hatchId = Intern(PresentHatchTable(), hatch);
  CPresentFill fill;
  MakeFill(fill, gradientId, textureId, hatchId);
  ExpectAllRoundTrips(fill, "fill");
  const uint16_t fillId = Intern(PresentFillTable(), fill);
  CPresentLine line;
  MakeLine(line, fillId);
  ExpectAllRoundTrips(line, "line");
  CPresentShadow shadow;
  MakeShadow(shadow);
  ExpectAllRoundTrips(shadow, "shadow");
  CPresent3DFormat format3d;
  Make3D(format3d);
  ExpectAllRoundTrips(format3d, "3-D");
  for (auto release : {+[](uint16_t id) { PresentFillTable().Release(id); }}) release(fillId);
  PresentGradientTable().Release(gradientId);
  PresentTextureTable().Release(textureId);
  PresentHatchTable().Release(hatchId);
  PresentPictureTable().Release(pictureId);
}

TEST_F(FormatKinds, PictureDataTravelsInsideItsRecord) {
  CPresentPicture picture;
  MakePicture(picture, *store_);
  const uint16_t data = picture.v.binDataId;
  const Bytes bytes = Written([&](CKx2DataBlock& ar) { return picture.ExchangeEmbedded(ar); });
  // flag 1, the store's word (4 bytes of data) and block, the data, then the adjustments.
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes[4], 1);
  EXPECT_EQ(Le32(bytes, 5), 4u);
  EXPECT_EQ(Bytes(bytes.begin() + 25, bytes.begin() + 29), (Bytes{1, 2, 3, 0}));
  ReadArchive reader(bytes);
  CPresentPicture back;
  ASSERT_EQ(back.ExchangeEmbedded(*reader), 1);
  EXPECT_EQ(back.v.binDataId, data);  // equal data comes back under the identifier that holds it
  EXPECT_TRUE(back.IsSameValue(picture));

  // A store that keeps the data: only the identifier.
  store_->SetKeepsData(true);
  const Bytes kept = Written([&](CKx2DataBlock& ar) { return picture.ExchangeEmbedded(ar); });
  EXPECT_EQ(kept[4], 0);
  EXPECT_EQ(Le32(kept, 5), data);
}

TEST_F(FormatKinds, RecordBytesArePinned) {
  // An embedded hatch whose colours name no colour-table entry: 18 bytes of body.
  CPresentHatch hatch;
  MakeHatch(hatch);
  Bytes expected = Header(994, 1, 18);
  expected.push_back(5);
  PutColor(expected, hatch.v.foreColor);
  PutColor(expected, hatch.v.backColor);
  expected.push_back(1);
  EXPECT_EQ(Written([&](CKx2DataBlock& ar) { return hatch.ExchangeEmbedded(ar); }), expected);

  // Mapped gradients with 0 and 10 stops: ten positions, ten colours (raw past the count),
  // ten transparencies, 126 bytes whatever the count.
  for (int stops : {0, 10}) {
    CPresentGradient g;
    MakeGradient(g);
    g.v.stopCount = static_cast<uint8_t>(stops);
    for (int i = 0; i < 10; ++i) g.v.stopColor[i] = Rgb(static_cast<uint8_t>(i), 0, 0);
    Bytes want = Header(992, 1, 126);
    want.push_back(1), want.push_back(3);
    Put16(want, 456 - 1);
    want.push_back(static_cast<uint8_t>(stops));
    for (int i = 0; i < 10; ++i) Put16(want, g.v.stopPosition[i]);
    for (int i = 0; i < 10; ++i) PutColor(want, g.v.stopColor[i]);
    for (int i = 0; i < 10; ++i) Put16(want, g.v.stopTransparency[i]);
    want.push_back(1);
    EXPECT_EQ(Written([&](CKx2DataBlock& ar) { return g.ExchangeMapped(ar); }), want) << stops << " stops";
  }
}

TEST_F(FormatKinds, RepeatedColoursStayInsideTheirRecord) {
  // Two shadows in a row whose colours name colour-table entries: each copy lies inside its
  // own record, so the second shadow reads back whole.
  CPresentShadow first, second;
  MakeShadow(first);
  MakeShadow(second, 3);
  first.v.color = Rgb(1, 2, 3, 255, 7);
  second.v.color = Rgb(4, 5, 6, 255, 9);
  const Bytes bytes =
      Written([&](CKx2DataBlock& ar) { return first.ExchangeEmbedded(ar) && second.ExchangeEmbedded(ar); });
  ASSERT_EQ(bytes.size(), 2u * (4 + 23 + 8));
  EXPECT_EQ(Le32(bytes, 0) >> 20, 31u);
  ReadArchive reader(bytes);
  CPresentShadow a, b;
  ASSERT_EQ(a.ExchangeEmbedded(*reader), 1);
  ASSERT_EQ(b.ExchangeEmbedded(*reader), 1);
  EXPECT_TRUE(a.IsSameValue(first));
  EXPECT_TRUE(b.IsSameValue(second));

  // A record without the copy reads the same.
  Bytes older(bytes.begin(), bytes.begin() + 4 + 23);
  older[0] = static_cast<uint8_t>(older[0]);
  const uint32_t header = (Le32(bytes, 0) & 0xFFFFF) | 23u << 20;
  for (int i = 0; i < 4; ++i) older[i] = static_cast<uint8_t>(header >> (8 * i));
  ReadArchive olderReader(older);
  CPresentShadow fromOlder;
  ASSERT_EQ(fromOlder.ExchangeEmbedded(*olderReader), 1);
  EXPECT_TRUE(fromOlder.IsSameValue(first));

  // 3-D formats and pictures keep theirs inside too.
  CPresent3DFormat format3d;
  Make3D(format3d);
  format3d.v.depthColor = Rgb(1, 1, 1, 255, 3);
  format3d.v.contourColor = Rgb(2, 2, 2, 255, 4);
  const Bytes threeD = Written([&](CKx2DataBlock& ar) { return format3d.ExchangeEmbedded(ar); });
  EXPECT_EQ(threeD.size(), 4u + 60 + 16);
  CPresentPicture picture;
  picture.v.recolorColor = Rgb(3, 3, 3, 255, 5);
  const Bytes pictureBytes = Written([&](CKx2DataBlock& ar) { return picture.ExchangeEmbedded(ar); });
  EXPECT_EQ(pictureBytes.size(), 4u + 5 + 1 + 8 + 6 + 8);
}

TEST_F(FormatKinds, XmlFormsNameWhatStoredDocumentsHold) {
  // The hatch element carries its style's name in "m:id", wherever it stands.
  CPresentHatch hatch;
  hatch.v.style = 5;
  XmlWriter writer(outer_.mapper());
  ASSERT_EQ(hatch.ExchangeXml(writer.archive, 3), 1);
  EXPECT_NE(writer.Text().find("m:id=\"DiagonalCross\""), std::string::npos) << writer.Text();
  XmlReader reader(writer.Text(), outer_.mapper());
  CPresentHatch back;
  ASSERT_EQ(back.ExchangeXml(reader.archive, 0), 1);
  EXPECT_EQ(back.v.style, 5);

  // The standard line.
  XmlWriter lineWriter(outer_.mapper());
  ASSERT_EQ(PresentLineTable().GetEntry(1)->ExchangeXml(lineWriter.archive, 1), 1);
  EXPECT_EQ(lineWriter.Text(),
            "<root><m:presentLine m:id=\"1\" m:fillID=\"1\" m:width=\"0.706mm\" m:compoundType=\"Simple\" "
            "m:dashType=\"Solid\" m:capType=\"Flat\" m:joinType=\"Round\" m:beginArrowType=\"None\" "
            "m:beginArrowSize=\"MediumMedium\" m:endArrowType=\"None\" m:endArrowSize=\"MediumMedium\"/></root>");
  // Read back, it is the standard line again, not a new entry of 2.01 pt.
  XmlReader lineReader(lineWriter.Text(), outer_.mapper());
  CPresentLine lineBack;
  ASSERT_EQ(lineBack.ExchangeXml(lineReader.archive, 0), 1);
  EXPECT_EQ(lineBack.v.width, 200);
  EXPECT_EQ(PresentLineTable().Intern(lineBack), 1);

  // The bottom bevel round-trips under its own names, and a document without them leaves it.
  CPresent3DFormat format3d;
  Make3D(format3d);
  XmlWriter threeD(outer_.mapper());
  ASSERT_EQ(format3d.ExchangeXml(threeD.archive, 1), 1);
  for (const char* name :
       {"m:bevelBottomType=\"Convex\"", "m:bevelBottomWidth=\"19.999mm\"", "m:bevelBottomHeight=\"3.528mm\""})
    EXPECT_NE(threeD.Text().find(name), std::string::npos) << name;
  XmlReader without("<root><m:present3D><m:present3DFormat m:bevelTopType=\"Angle\"/></m:present3D></root>", nullptr);
  CPresent3DFormat kept;
  Make3D(kept);
  ASSERT_EQ(kept.ExchangeXml(without.archive, 0), 1);
  EXPECT_EQ(kept.v.bevelTopType, 5);
  EXPECT_EQ(kept.v.bevelBottomType, 7);
  EXPECT_EQ(kept.v.bevelBottomWidth, 5669);
  EXPECT_EQ(kept.v.rotationY, -205);      // no rotation element: the camera stays
  EXPECT_EQ(kept.v.surfaceMaterial, 11);  // absent: "None"

  // A texture without a picture and a fill without a gradient say "none".
  CPresentFill fill;
  XmlWriter fillWriter(outer_.mapper());
  ASSERT_EQ(fill.ExchangeXml(fillWriter.archive, 1), 1);
  EXPECT_NE(fillWriter.Text().find("m:gradientID=\"none\""), std::string::npos);
  fill.v.transparency = 125;
  EXPECT_EQ(Written([&](CKx2DataBlock& ar) { return fill.ExchangeMapped(ar); }).size(), 4u + 1 + 8 + 2 + 12);
  EXPECT_EQ(Le32(Written([&](CKx2DataBlock& ar) { return fill.ExchangeMapped(ar); }), 15), 0xFFFFFFFFu);
}

TEST_F(FormatKinds, ContextsMergeStoreLoadAndApply) {
  CPresentGradient g1, g2;
  MakeGradient(g1);
  MakeGradient(g2, 1);
  const uint16_t gradient1 = Intern(PresentGradientTable(), g1);
  const uint16_t gradient2 = Intern(PresentGradientTable(), g2);
  CPresentFill a, b, c;
  MakeFill(a, gradient1, 0, 0);
  MakeFill(b, gradient1, 0, 0);
  MakeFill(c, gradient2, 0, 0, 1);

  // Two fills naming one gradient stay common; a third naming another makes it mixed.
  CPresentFillCtx ctx;
  ctx.Merge(a);
  ctx.Merge(b);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(ctx.GetState(k), 0) << k;
  ctx.Merge(c);
  EXPECT_EQ(ctx.GetState(2), 2);  // transparency
  EXPECT_EQ(ctx.GetState(3), 2);  // gradient
  EXPECT_EQ(ctx.GetState(4), 0);

  // Store and load through host objects: the nested gradient comes back as the same entry.
  vantorel::testkit::PropertyKit kit;
  CPresentFillCtx full(a);
  ASSERT_EQ(full.Store(kit.root()), 1);
  CPresentFillCtx loaded;
  int nothing = -1;
  ASSERT_EQ(loaded.Load(kit.root(), &nothing), 1);
  EXPECT_EQ(nothing, 0);
  EXPECT_EQ(loaded.v.gradientID, gradient1);
  EXPECT_TRUE(loaded.IsSameValue(a));
  EXPECT_EQ(loaded.IsEqual(a), 1);
  EXPECT_EQ(loaded.IsEqual(c), 0);

  // Apply onto a target: the common fields, and the gradient through a copy of its entry.
  CPresentFill target;
  loaded.gradient.v.angle = 900;
  loaded.Apply(target);
  EXPECT_EQ(target.v.transparency, a.v.transparency);
  EXPECT_EQ(PresentGradientTable().GetEntry(target.v.gradientID)->v.angle, 900);

  // A picture context hands its data to the host as a reference the store owns.
  CPresentPicture picture;
  MakePicture(picture, *store_);
  {
    vantorel::testkit::PropertyKit pictureKit;
    ASSERT_EQ(picture.ExportToSink(pictureKit.root()), TRUE);
    EXPECT_EQ(store_->RefCount(picture.v.binDataId), 2);  // the value's and the host's
    CPresentPictureCtx back;
    ASSERT_EQ(back.Load(pictureKit.root(), nullptr), 1);
    EXPECT_TRUE(back.IsSameValue(picture));
  }
  EXPECT_EQ(store_->RefCount(picture.v.binDataId), 1);
  EXPECT_EQ(picture.ExportToSink(nullptr), FALSE);

  // Gradient arrays travel as arrays of the stop count.
  vantorel::testkit::PropertyKit gradientKit;
  ASSERT_EQ(g1.ExportToSink(gradientKit.root()), TRUE);
  CPresentGradientCtx gradientBack;
  ASSERT_EQ(gradientBack.Load(gradientKit.root(), nullptr), 1);
  EXPECT_TRUE(gradientBack.IsSameValue(g1));

  // Archiving a line context resets its nested fill context to common, also without a fill.
  CPresentLineCtx lineCtx;
  const Bytes archived = WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(lineCtx.Archive(ar), 1); });
  ReadArchive lineReader(archived);
  CPresentLineCtx lineBack;
  ASSERT_EQ(lineBack.Archive(*lineReader), 1);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(lineBack.fill.GetState(k), 0);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(lineBack.GetState(k), 1);

  PresentGradientTable().Release(gradient1);
  PresentGradientTable().Release(gradient2);
}

}  // namespace
