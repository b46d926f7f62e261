// Shape styles and shape contexts: the orders stored documents and hosts rely on, equality,
// defaults, the context operations; and the style cache built from them.
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/StyleCache.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include <vantorel/testkit_property.h>

#include "format_kinds_fixture.h"
#include "format_kinds_samples.h"
#include "format_test_support.h"

namespace {

using namespace format_test;
using Bytes = std::vector<uint8_t>;

int32_t Le32(const Bytes& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

class FormatShape : public KindsFixture {
 protected:
  void SetUp() override {
    KindsFixture::SetUp();
    // Five formats with identifiers that tell them apart in any order: line 2, fill 3,
    // shadow 4, picture 5, 3-D 6 (fillers take the lower slots).
    CPresentLine line;
    MakeLine(line, 1);
    line_ = Intern(PresentLineTable(), line);
    CPresentFill filler, fill;
    MakeFill(filler, 0, 0, 0, 1);
    MakeFill(fill, 0, 0, 0, 2);
    fillers_.push_back(Intern(PresentFillTable(), filler));
    fill_ = Intern(PresentFillTable(), fill);
    CPresentShadow shadows[3];
    for (int i = 0; i < 3; ++i) MakeShadow(shadows[i], i);
    for (int i = 0; i < 2; ++i) shadowFillers_.push_back(Intern(PresentShadowTable(), shadows[i]));
    shadow_ = Intern(PresentShadowTable(), shadows[2]);
    CPresentPicture pictures[4];
    for (int i = 0; i < 4; ++i) MakePicture(pictures[i], *store_, i);
    for (int i = 0; i < 3; ++i) pictureFillers_.push_back(Intern(PresentPictureTable(), pictures[i]));
    picture_ = Intern(PresentPictureTable(), pictures[3]);
    CPresent3DFormat formats[5];
    for (int i = 0; i < 5; ++i) Make3D(formats[i], i);
    for (int i = 0; i < 4; ++i) formatFillers_.push_back(Intern(Present3DFormatTable(), formats[i]));
    format3d_ = Intern(Present3DFormatTable(), formats[4]);
    ASSERT_EQ((std::vector<uint16_t>{line_, fill_, shadow_, picture_, format3d_}),
              (std::vector<uint16_t>{2, 3, 4, 5, 6}));
    shape_.v.lineID = line_, shape_.v.fillID = fill_, shape_.v.shadowID = shadow_;
    shape_.v.pictureID = picture_, shape_.v.format3DID = format3d_;
    PresentLineTable().AddRef(line_), PresentFillTable().AddRef(fill_), PresentShadowTable().AddRef(shadow_);
    PresentPictureTable().AddRef(picture_), Present3DFormatTable().AddRef(format3d_);
  }
  void TearDown() override {
    shape_.Clear();
    PresentLineTable().Release(line_);
    for (auto id : fillers_) PresentFillTable().Release(id);
    PresentFillTable().Release(fill_);
    for (auto id : shadowFillers_) PresentShadowTable().Release(id);
    PresentShadowTable().Release(shadow_);
    for (auto id : pictureFillers_) PresentPictureTable().Release(id);
    PresentPictureTable().Release(picture_);
    for (auto id : formatFillers_) Present3DFormatTable().Release(id);
    Present3DFormatTable().Release(format3d_);
    KindsFixture::TearDown();
  }

  uint16_t line_, fill_, shadow_, picture_, format3d_;
  std::vector<uint16_t> fillers_, shadowFillers_, pictureFillers_, formatFillers_;
  CPresentShape shape_;
};

TEST_F(FormatShape, StoredOrdersArePinned) {
  // The mapped record: fill, line, shadow, 3-D, picture; none as -1.
  Bytes mapped = WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(shape_.ArchiveIds(&ar), 1); });
  ASSERT_EQ(mapped.size(), 24u);
  EXPECT_EQ(Le32(mapped, 0), 1000 | 1 << 10 | 20 << 20);
  EXPECT_EQ(
      (std::vector<int32_t>{Le32(mapped, 4), Le32(mapped, 8), Le32(mapped, 12), Le32(mapped, 16), Le32(mapped, 20)}),
      (std::vector<int32_t>{3, 2, 4, 6, 5}));
  CPresentShape none;
  EXPECT_EQ(Le32(WriteArchive([&](CKx2DataBlock& ar) { none.ArchiveIds(&ar); }), 4), -1);
  ReadArchive mappedReader(mapped);
  CPresentShape back;
  ASSERT_EQ(back.ArchiveIds(&*mappedReader), 1);
  EXPECT_TRUE(back.IsSameValue(shape_));

  // The value form: presence words fill, line, shadow, 3-D, picture; then the values fill,
  // line, shadow, picture, 3-D (the line's fill, the standard one, follows the line's record
  // with its gradient, texture and hatch).
  const Bytes values = WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(shape_.ArchiveValues(&ar), 1); });
  EXPECT_EQ(
      (std::vector<int32_t>{Le32(values, 4), Le32(values, 8), Le32(values, 12), Le32(values, 16), Le32(values, 20)}),
      (std::vector<int32_t>{3, 2, 4, 6, 5}));
  std::vector<uint16_t> tags;
  {
    ReadArchive scan(values);
    while (uint16_t tag = scan->PeekRecord()) {
      tags.push_back(tag);
      scan->OpenRecord(0);
      scan->EndRecord();
    }
  }
  EXPECT_EQ(tags, (std::vector<uint16_t>{1000, 995, 996, 995, 992, 993, 994, 997, 998, 999}));
  ReadArchive valueReader(values);
  CPresentShape fromValues;
  ASSERT_EQ(fromValues.ArchiveValues(&*valueReader), 1);
  EXPECT_TRUE(fromValues.IsSameValue(shape_));  // equal values intern to the same entries
  CPresentShape zeros;
  const Bytes empty = WriteArchive([&](CKx2DataBlock& ar) { zeros.ArchiveValues(&ar); });
  EXPECT_EQ(empty.size(), 24u);

  // XML: fill, line, shadow, picture, 3-D; shadow 0 as "none", read back as 0.
  XmlWriter w(outer_.mapper());
  CPresentShape noShadow(shape_);
  PresentShadowTable().Release(noShadow.v.shadowID);
  noShadow.v.shadowID = 0;
  ASSERT_EQ(noShadow.ExchangeXml(&w.archive, 0), 1);
  EXPECT_EQ(w.Text(),
            "<root><m:presentShape m:fillID=\"3\" m:lineID=\"2\" m:shadowID=\"none\" m:pictureID=\"5\" "
            "m:format3DID=\"6\"/></root>");
  XmlReader r(w.Text(), outer_.mapper());
  CPresentShape fromXml(shape_);
  ASSERT_EQ(fromXml.ExchangeXml(&r.archive, 0), 1);
  EXPECT_TRUE(fromXml.IsSameValue(noShadow));
  EXPECT_EQ(fromXml.ExchangeXml(&r.archive, 1), 1);  // beyond the list: unchanged
  EXPECT_TRUE(fromXml.IsSameValue(noShadow));

  // The context: states in the order line, fill, shadow, 3-D, picture, as the record's bytes
  // and as the host's properties.
  CPresentShapeCtx ctx(shape_);
  for (uint32_t k = 0; k < 5; ++k) ctx.SetState(0x7000 + k, static_cast<uint8_t>(k % 3));
  ctx.SetState(0x7005u, 2);  // not a state: ignored
  const Bytes states = WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(ctx.Archive(&ar), 1); });
  EXPECT_EQ(Bytes(states.begin() + 4, states.begin() + 9), (Bytes{0, 1, 2, 0, 1}));
  ctx.SetAllStates(0);
  vantorel::testkit::PropertyKit kit;
  ASSERT_EQ(ctx.Store(kit.root()), 1);
  std::vector<std::string> children;
  for (const std::string& call : kit.calls())
    if (call.rfind("CreateChild 0x700", 0) == 0 && call.find("class 0x400") != std::string::npos)
      children.push_back(call);
  ASSERT_GE(children.size(), 5u);
  EXPECT_EQ(children[0], "CreateChild 0x7000 class 0x4004");  // line first (its fill follows inside)
  EXPECT_NE(std::find(children.begin(), children.end(), "CreateChild 0x7004 class 0x4007"), children.end());
}

TEST_F(FormatShape, EqualityDefaultsAndContexts) {
  // Lines that are two entries of one value compare equal.
  CPresentLine sameValue(*PresentLineTable().GetEntry(line_));
  const int32_t twin = PresentLineTable().NewEntry();
  ASSERT_GT(twin, 0);
  ASSERT_EQ(PresentLineTable().Replace(sameValue, static_cast<uint32_t>(twin)), twin);
  CPresentShape other(shape_);
  PresentLineTable().Assign(other.v.lineID, static_cast<uint32_t>(twin));
  EXPECT_EQ(shape_.IsEqual(&other), TRUE);
  PresentFillTable().Assign(other.v.fillID, fillers_[0]);
  EXPECT_EQ(shape_.IsEqual(&other), FALSE);
  PresentLineTable().Release(static_cast<uint32_t>(twin));

  // The standard shape takes no count on entry 1.
  other.SetDefault(1);
  EXPECT_EQ(
      (std::vector<uint16_t>{other.v.lineID, other.v.fillID, other.v.shadowID, other.v.pictureID, other.v.format3DID}),
      (std::vector<uint16_t>{1, 1, 0, 0, 0}));
  EXPECT_EQ(PresentLineTable().GetEntry(1)->refCount, 1);
  EXPECT_EQ(PresentShapeTable().Intern(other), 1);

  // A default context stores nothing and succeeds.
  vantorel::testkit::PropertyKit kit;
  std::unique_ptr<CPresentShapeCtx> blank(CPresentShapeCtx::Create(nullptr));
  ASSERT_EQ(blank->Store(kit.root()), 1);
  EXPECT_TRUE(vantorel::testkit::PropertyKit::ValueIds(kit.root()).empty());

  // Store and load through host objects give the shape back; merging a second equal shape
  // keeps every state common, another line makes it mixed.
  std::unique_ptr<CPresentShapeCtx> full(CPresentShapeCtx::Create(&shape_));
  ASSERT_EQ(full->Store(kit.root()), 1);
  CPresentShapeCtx loaded;
  int nothing = -1;
  ASSERT_EQ(loaded.Load(kit.root(), &nothing), 1);
  EXPECT_EQ(nothing, 0);
  EXPECT_TRUE(loaded.IsSameValue(shape_));
  CPresentShapeCtx merged;
  merged.Merge(&shape_);
  merged.Merge(&shape_);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(merged.GetState(k), 0) << k;
  EXPECT_EQ(merged.IsEqual(&shape_), 1);
  merged.Merge(&other);
  EXPECT_EQ(merged.GetState(CPresentShapeCtx::kLine), 2);
  EXPECT_EQ(merged.GetState(CPresentShapeCtx::kShadow), 2);

  // Clone copies shape, states and nested contexts; Apply puts the common formats on a target.
  std::unique_ptr<CPresentShapeCtx> clone(CPresentShapeCtx::Clone(&merged));
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->States(), merged.States());
  EXPECT_TRUE(clone->IsSameValue(merged));
  CPresentShape target;
  full->line.v.width = 4321;
  full->Apply(&target);
  EXPECT_EQ(PresentLineTable().GetEntry(target.v.lineID)->v.width, 4321);
  EXPECT_EQ(target.v.fillID, fill_);

  // TakeLineFill: the context's line takes the fill of the shape's line.
  CPresentShape withFill(shape_);
  CPresentShapeCtx taking;
  ASSERT_EQ(taking.TakeLineFill(&withFill), 1);
  EXPECT_EQ(taking.line.v.fillID, PresentLineTable().GetEntry(line_)->v.fillID);
  EXPECT_EQ(PresentLineTable().GetEntry(taking.v.lineID)->v.fillID, taking.line.v.fillID);

  // The whole-context archive round-trips states and shape and resets the nested contexts.
  const Bytes archived = WriteArchive([&](CKx2DataBlock& ar) { EXPECT_EQ(full->Archive(&ar), 1); });
  ReadArchive reader(archived);
  CPresentShapeCtx fromArchive;
  ASSERT_EQ(fromArchive.Archive(&*reader), 1);
  EXPECT_TRUE(fromArchive.IsSameValue(*full));
  EXPECT_EQ(fromArchive.line.v.width, PresentLineTable().GetEntry(line_)->v.width);
}

TEST_F(FormatShape, StyleCacheBuildsRecordsInEmuAndRebuildsReusedSlots) {
  StyleCache* cache = Present::GetStyleCache();
  ASSERT_NE(cache, nullptr);
  Present::Style::ShapeRecord* bound = reinterpret_cast<Present::Style::ShapeRecord*>(1);
  cache->BindShape(0, bound);
  EXPECT_EQ(bound, nullptr);

  CPresentLine thin;
  thin.v.width = 100;
  const uint16_t thinId = Intern(PresentLineTable(), thin);
  const Present::Style::LineRecord* record = cache->GetLine(thinId);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->width, 12700.0f);
  EXPECT_EQ(cache->GetLine(thinId), record);

  // Freed, reused for another value: a new record, never the old one.
  PresentLineTable().Release(thinId);
  EXPECT_EQ(cache->Peek(Present::StyleKind::Line, thinId), nullptr);
  CPresentLine wide;
  wide.v.width = 300;
  ASSERT_EQ(Intern(PresentLineTable(), wide), thinId);
  record = cache->GetLine(thinId);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->width, 38100.0f);
  PresentLineTable().Release(thinId);

  // A tentative entry drawn before it is filled: the record of its first value goes when
  // Replace gives it the real one.
  const int32_t tentative = PresentLineTable().NewEntry();
  ASSERT_GE(tentative, 2);
  const auto tentativeId = static_cast<uint32_t>(tentative);
  ASSERT_NE(cache->GetLine(tentativeId), nullptr);
  EXPECT_EQ(cache->GetLine(tentativeId)->width, 0.0f);
  ASSERT_EQ(PresentLineTable().Replace(thin, tentativeId), tentative);
  EXPECT_EQ(cache->Peek(Present::StyleKind::Line, tentativeId), nullptr);
  ASSERT_NE(cache->GetLine(tentativeId), nullptr);
  EXPECT_EQ(cache->GetLine(tentativeId)->width, 12700.0f);

  // Shape records share the records of the formats they name, colours made from references.
  const uint16_t shapeId = Intern(PresentShapeTable(), shape_);
  CPresentShape sibling(shape_);
  PresentShadowTable().Assign(sibling.v.shadowID, 0);
  const uint16_t siblingId = Intern(PresentShapeTable(), sibling);
  Present::Style::ShapeRecord* a = nullptr;
  Present::Style::ShapeRecord* b = nullptr;
  cache->BindShape(shapeId, a);
  cache->BindShapeInto(siblingId, b);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->line, b->line);
  EXPECT_EQ(a->fill, b->fill);
  EXPECT_EQ(b->shadow, nullptr);
  ASSERT_NE(a->fill->solidColor, nullptr);
  EXPECT_EQ(a->fill->solidColor->R, 50);
  EXPECT_EQ(a->fill->transparency, 0.127f);
  ASSERT_NE(a->line->fill, nullptr);
  EXPECT_EQ(a->picture->brightness, -0.25f);
  EXPECT_EQ(a->format3d->surfaceAngle, 45.4f);
  PresentShapeTable().Release(siblingId);
  PresentShapeTable().Release(shapeId);
  EXPECT_EQ(cache->Peek(Present::StyleKind::Shape, shapeId), nullptr);
}

class FormatStyleSlots : public format_test::KindsFixture {};

TEST_F(FormatStyleSlots, RecordsLeftStandingAreRebuiltForTheNextValue) {
  StyleCache* cache = Present::GetStyleCache();
  ASSERT_NE(cache, nullptr);
  // A table emptied and filled again leaves records standing at identifiers that new values
  // take: they are rebuilt, never handed out.
  CPresentLine thin;
  thin.v.width = 100;
  const uint16_t thinId = Intern(PresentLineTable(), thin);
  const Present::Style::LineRecord* standing = cache->GetLine(thinId);
  ASSERT_NE(standing, nullptr);
  PresentLineTable().FreeShapeTable();
  ASSERT_EQ(InitLineTable(), 1);
  EXPECT_EQ(cache->Peek(Present::StyleKind::Line, thinId), standing);
  for (uint32_t id = 2; id <= thinId; ++id) {
    CPresentLine filler;
    filler.v.width = static_cast<int32_t>(1000 + id);
    ASSERT_EQ(Intern(PresentLineTable(), filler), id);
  }
  ASSERT_NE(cache->GetLine(thinId), nullptr);
  EXPECT_EQ(cache->GetLine(thinId)->width, Present::Style::ToEmu(1000 + thinId));
  for (uint32_t id = 2; id <= thinId; ++id) PresentLineTable().Release(id);

  // A kind outside the enumeration names no vector.
  const auto noKind = static_cast<Present::StyleKind>(42);
  EXPECT_FALSE(cache->Free(noKind, 1));
  EXPECT_EQ(cache->Peek(noKind, 1), nullptr);
}

}  // namespace
