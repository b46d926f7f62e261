// The shape style: five interned format identifiers, their mapped, value and XML forms.
#include <plastrum/format/PresentShape.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include "NestedFields.h"
#include "KindTable.h"

namespace {

auto& Lines() { return PresentLineTable(); }
auto& Fills() { return PresentFillTable(); }
auto& Shadows() { return PresentShadowTable(); }
auto& Pictures() { return PresentPictureTable(); }
auto& Formats3D() { return Present3DFormatTable(); }

// One of the five formats: its kind code and where the shape holds it.
struct Slot {
  uint32_t kind;
  uint16_t ShapeIds::*id;
  const char16_t* attribute;
};
const Slot kFill{Present::kKindFill, &ShapeIds::fillID, u"m:fillID"};
const Slot kLine{Present::kKindLine, &ShapeIds::lineID, u"m:lineID"};
const Slot kShadow{Present::kKindShadow, &ShapeIds::shadowID, u"m:shadowID"};
const Slot kPicture{Present::kKindPicture, &ShapeIds::pictureID, u"m:pictureID"};
const Slot k3D{Present::kKind3DFormat, &ShapeIds::format3DID, u"m:format3DID"};

// The mapped record and the presence words; the values that follow the presence words;
// the XML attributes.
const Slot* const kMappedOrder[5] = {&kFill, &kLine, &kShadow, &k3D, &kPicture};
const Slot* const kValueOrder[5] = {&kFill, &kLine, &kShadow, &kPicture, &k3D};
const Slot* const kXmlOrder[5] = {&kFill, &kLine, &kShadow, &kPicture, &k3D};

// Assigns an identifier of the slot's kind with references.
void AssignId(ShapeIds& ids, const Slot& slot, uint32_t id) {
  uint16_t& field = ids.*slot.id;
  switch (slot.kind) {
    case Present::kKindLine:
      Lines().Assign(field, id);
      break;
    case Present::kKindFill:
      Fills().Assign(field, id);
      break;
    case Present::kKindShadow:
      Shadows().Assign(field, id);
      break;
    case Present::kKindPicture:
      Pictures().Assign(field, id);
      break;
    case Present::kKind3DFormat:
      Formats3D().Assign(field, id);
      break;
    default:
      break;
  }
}

// A value of the slot's kind in its embedded form: written from the entry, or read, interned
// and assigned.
int ExchangeValue(CKx2DataBlock& archive, ShapeIds& ids, const Slot& slot) {
  uint16_t& field = ids.*slot.id;
  const bool reading = archive.IsReading();
  switch (slot.kind) {
    case Present::kKindLine:
      return reading ? Present::Nested::ReadEmbedded(archive, Lines(), field)
                     : Present::Nested::WriteEmbedded(archive, Lines(), field);
    case Present::kKindFill:
      return reading ? Present::Nested::ReadEmbedded(archive, Fills(), field)
                     : Present::Nested::WriteEmbedded(archive, Fills(), field);
    case Present::kKindShadow:
      return reading ? Present::Nested::ReadEmbedded(archive, Shadows(), field)
                     : Present::Nested::WriteEmbedded(archive, Shadows(), field);
    case Present::kKindPicture:
      return reading ? Present::Nested::ReadEmbedded(archive, Pictures(), field)
                     : Present::Nested::WriteEmbedded(archive, Pictures(), field);
    case Present::kKind3DFormat:
      return reading ? Present::Nested::ReadEmbedded(archive, Formats3D(), field)
                     : Present::Nested::WriteEmbedded(archive, Formats3D(), field);
    default:
      return 0;
  }
}

}  // namespace

CPresentShape::CPresentShape(const CPresentShape& other) : CPresentUnknown(), CKx2ShapeRefCnt() { AssignValue(other); }

CPresentShape::~CPresentShape() {
  Formats3D().Release(v.format3DID);
  Pictures().Release(v.pictureID);
  Shadows().Release(v.shadowID);
  Fills().Release(v.fillID);
  Lines().Release(v.lineID);
  v = ShapeIds{};
  styleSlot = -1;
}

int CPresentShape::SetDefault(int flag) {
  Lines().Assign(v.lineID, flag ? 1 : 0);
  Fills().Assign(v.fillID, flag ? 1 : 0);
  Shadows().Assign(v.shadowID, 0);
  Pictures().Assign(v.pictureID, 0);
  Formats3D().Assign(v.format3DID, 0);
  return 1;
}

void CPresentShape::Clear() {
  Fills().Assign(v.fillID, 0);
  Lines().Assign(v.lineID, 0);
  Shadows().Assign(v.shadowID, 0);
  Pictures().Assign(v.pictureID, 0);
  Formats3D().Assign(v.format3DID, 0);
  Present::FreeStyleRecord(Present::StyleKind::Shape, styleSlot);
}

bool CPresentShape::IsSameValue(const CPresentShape& other) const {
  return v.lineID == other.v.lineID && v.fillID == other.v.fillID && v.shadowID == other.v.shadowID &&
         v.pictureID == other.v.pictureID && v.format3DID == other.v.format3DID;
}

int CPresentShape::AssignValue(const CPresentShape& other) {
  Fills().Assign(v.fillID, other.v.fillID);
  Lines().Assign(v.lineID, other.v.lineID);
  Shadows().Assign(v.shadowID, other.v.shadowID);
  Pictures().Assign(v.pictureID, other.v.pictureID);
  Formats3D().Assign(v.format3DID, other.v.format3DID);
  return 1;
}

uint64_t CPresentShape::HashValue() const {
  return Present::ValueHash().Add(v.lineID).Add(v.fillID).Add(v.shadowID).Add(v.pictureID).Add(v.format3DID).Get();
}

BOOL CPresentShape::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentShapeCtx>(*this, sink);
}

IPresentLine* CPresentShape::GetLine() { return Lines().GetEntry(v.lineID); }
IPresentFill* CPresentShape::GetFill() { return Fills().GetEntry(v.fillID); }
IPresentShadow* CPresentShape::GetShadow() { return Shadows().GetEntry(v.shadowID); }
IPresentPicture* CPresentShape::GetPicture() { return Pictures().GetEntry(v.pictureID); }
IPresent3DFormat* CPresentShape::Get3DFormat() { return Formats3D().GetEntry(v.format3DID); }

BOOL CPresentShape::IsEqual(IPresentShape* other) {
  if (!other) return FALSE;
  const auto& o = static_cast<const CPresentShape&>(*other);
  if (v.fillID != o.v.fillID || v.shadowID != o.v.shadowID || v.pictureID != o.v.pictureID ||
      v.format3DID != o.v.format3DID)
    return FALSE;
  if (v.lineID == o.v.lineID) return TRUE;
  const CPresentLine* a = Lines().GetEntry(v.lineID);
  const CPresentLine* b = Lines().GetEntry(o.v.lineID);
  return a && b && a->IsSameValue(*b) ? TRUE : FALSE;
}

void CPresentShape::CollectIds(IKx2ShapeMapperCtx* mapper) {
  if (!mapper) return;
  if (v.fillID)
    if (const CPresentFill* fill = Fills().GetEntry(v.fillID)) fill->ReportReferences(mapper);
  if (v.lineID) {
    if (const CPresentLine* line = Lines().GetEntry(v.lineID); line && line->v.fillID) {
      if (const CPresentFill* fill = Fills().GetEntry(line->v.fillID)) fill->ReportReferences(mapper);
      mapper->Register(Present::kKindFill, line->v.fillID);
    }
  }
  if (v.shadowID)
    if (const CPresentShadow* shadow = Shadows().GetEntry(v.shadowID); shadow && shadow->v.color.colorId)
      mapper->Register(Present::kKindColor, shadow->v.color.colorId);
  if (v.pictureID)
    if (const CPresentPicture* picture = Pictures().GetEntry(v.pictureID)) picture->ReportReferences(mapper);
  if (v.format3DID) {
    if (const CPresent3DFormat* f = Formats3D().GetEntry(v.format3DID)) {
      if (f->v.depthColor.colorId) mapper->Register(Present::kKindColor, f->v.depthColor.colorId);
      if (f->v.contourColor.colorId) mapper->Register(Present::kKindColor, f->v.contourColor.colorId);
    }
  }
  for (const Slot* slot : {&kFill, &kLine, &kShadow, &kPicture, &k3D})
    if (v.*slot->id) mapper->Register(slot->kind, v.*slot->id);
}

int CPresentShape::ArchiveIds(CKx2DataBlock* archive) {
  if (!archive) return 0;
  // The archive's throw mode ends the exchange here: no exception leaves the library.
  try {
    return MapIds(*archive);
  } catch (...) {
    return 0;
  }
}

int CPresentShape::MapIds(CKx2DataBlock& archiveRef) {
  CKx2DataBlock* archive = &archiveRef;
  Present::RecordScope record(*archive, kRecordTag);
  if (!record.ok()) return 0;
  IKx2ShapeMapperCtx* mapper = Present::ArchiveMapper(*archive);
  int ok = 1;
  for (const Slot* slot : kMappedOrder) {
    const uint16_t id = v.*slot->id;
    int32_t word = id == 0 ? -1 : static_cast<int32_t>(Present::MapIdOut(mapper, slot->kind, id));
    ok = Present::Xfer(*archive, word) && ok;
    if (record.reading() && ok)
      AssignId(v, *slot, word == -1 ? 0 : Present::MapIdIn(mapper, slot->kind, static_cast<uint32_t>(word)));
  }
  return record.End() && ok ? 1 : 0;
}

int CPresentShape::ExchangeValues(CKx2DataBlock& archive) {
  uint32_t presence[5];
  {
    Present::RecordScope record(archive, kRecordTag);
    if (!record.ok()) return 0;
    int ok = 1;
    for (int i = 0; i < 5; ++i) {
      presence[i] = v.*kMappedOrder[i]->id;
      ok = Present::Xfer(archive, presence[i]) && ok;
    }
    if (!record.End() || !ok) return 0;
  }
  auto present = [&](const Slot* slot) {
    for (int i = 0; i < 5; ++i)
      if (kMappedOrder[i] == slot) return presence[i] != 0;
    return false;
  };
  int ok = 1;
  for (const Slot* slot : kValueOrder)
    if (ok && present(slot)) ok = ExchangeValue(archive, v, *slot);
  return ok;
}

int CPresentShape::ArchiveValues(CKx2DataBlock* archive) {
  if (!archive) return 0;
  try {
    return ExchangeValues(*archive);
  } catch (...) {
    return 0;
  }
}

int CPresentShape::ExchangeXml(ShapeXmlArchive* archive, int32_t index) {
  using namespace Present::ShapeXml;
  if (!archive) return 0;
  IKx2ShapeMapperCtx* mapper = Present::XmlMapper(*archive);
  if (!archive->IsReading()) {
    IKX2XMLElement* element = CreateElement(*archive, kElementName);
    if (!element) return 0;
    char16_t text[16];
    for (const Slot* slot : kXmlOrder) {
      Present::FormatIdAttribute(text, mapper, slot->kind, v.*slot->id);
      SetAttribute(*archive, element, slot->attribute, text);
    }
    AppendToCurrent(*archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(*archive, kElementName, index));
  if (!element) return 1;
  for (const Slot* slot : kXmlOrder)
    AssignId(v, *slot, Present::ParseIdAttribute(element->GetAttribute(slot->attribute), mapper, slot->kind));
  return 1;
}

CKx2ShapeTbl<CPresentShape>& PresentShapeTable() { return Present::KindTable<CPresentShape>(Present::kKindShape); }

int InitShapeTable() {
  CPresentShape empty, standard;
  standard.SetDefault(1);
  return PresentShapeTable().InitFixedEntries(empty, &standard);
}

int32_t FreeShapeStyleTable() { return PresentShapeTable().FreeShapeTable(); }
