// The fill format: values holding gradient, texture and hatch references, record and XML
// forms, context with nested contexts.
#include <plastrum/format/PresentFill.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "NestedFields.h"
#include "KindTable.h"

namespace {

using Present::Fields::Field;

const Field kFields[6] = {
    KX2_FIELD(FillFields, type, U8, Kx2::kValueUInt8),
    KX2_FIELD(FillFields, solidColor, Color, Kx2::kValueUInt64),
    KX2_FIELD(FillFields, transparency, I16, Kx2::kValueInt16),
    KX2_NESTED_FIELD,  // gradient
    KX2_NESTED_FIELD,  // texture
    KX2_NESTED_FIELD,  // hatch
};
enum { kGradient = 3, kTexture = 4, kHatch = 5 };

CKx2ShapeTbl<CPresentGradient>& Gradients() { return PresentGradientTable(); }
CKx2ShapeTbl<CPresentTexture>& Textures() { return PresentTextureTable(); }
CKx2ShapeTbl<CPresentHatch>& Hatches() { return PresentHatchTable(); }

}  // namespace

CPresentFill::CPresentFill(const CPresentFill& other) : CPresentUnknown(), CKx2ShapeRefCnt() { AssignValue(other); }

CPresentFill::~CPresentFill() {
  SetGradient(*this, 0);
  SetTexture(*this, 0);
  SetHatch(*this, 0);
  styleSlot = -1;
}

int CPresentFill::SetDefault(CPresentFill& value, int flag) {
  value.v.type = flag ? 1 : 0;
  value.v.solidColor = PresentColorRef::SchemeColor(4);
  value.v.transparency = 0;
  SetGradient(value, flag ? 1 : 0);
  SetTexture(value, flag ? 1 : 0);
  SetHatch(value, flag ? 1 : 0);
  return 1;
}

void CPresentFill::SetGradient(CPresentFill& value, uint32_t id) { Gradients().Assign(value.v.gradientID, id); }
void CPresentFill::SetTexture(CPresentFill& value, uint32_t id) { Textures().Assign(value.v.textureID, id); }
void CPresentFill::SetHatch(CPresentFill& value, uint32_t id) { Hatches().Assign(value.v.hatchID, id); }

bool CPresentFill::IsSameValue(const CPresentFill& other) const {
  return Present::Fields::AllSame(&v, &other.v, kFields) && v.gradientID == other.v.gradientID &&
         v.textureID == other.v.textureID && v.hatchID == other.v.hatchID;
}

int CPresentFill::AssignValue(const CPresentFill& other) {
  SetGradient(*this, other.v.gradientID);
  SetTexture(*this, other.v.textureID);
  SetHatch(*this, other.v.hatchID);
  Present::Fields::CopyAll(&v, &other.v, kFields);
  return 1;
}

void CPresentFill::ClearEntry() {
  SetGradient(*this, 0);
  SetTexture(*this, 0);
  SetHatch(*this, 0);
  Present::FreeStyleRecord(Present::StyleKind::Fill, styleSlot);
}

uint64_t CPresentFill::HashValue() const {
  return Present::ValueHash()
      .Add(v.type)
      .Add(v.solidColor)
      .Add(static_cast<uint16_t>(v.transparency))
      .Add(v.gradientID)
      .Add(v.textureID)
      .Add(v.hatchID)
      .Get();
}

BOOL CPresentFill::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentFillCtx>(*this, sink);
}

IPresentGradient* CPresentFill::GetGradient() { return Gradients().GetEntry(v.gradientID); }
IPresentTexture* CPresentFill::GetTexture() { return Textures().GetEntry(v.textureID); }
IPresentHatch* CPresentFill::GetHatch() { return Hatches().GetEntry(v.hatchID); }

void CPresentFill::ReportReferences(IKx2ShapeMapperCtx* mapper) const {
  if (!mapper) return;
  if (v.solidColor.colorId) mapper->Register(Present::kKindColor, v.solidColor.colorId);
  if (const CPresentGradient* g = Gradients().GetEntry(v.gradientID)) g->ReportReferences(mapper);
  if (const CPresentTexture* t = Textures().GetEntry(v.textureID)) t->ReportReferences(mapper);
  if (const CPresentHatch* h = Hatches().GetEntry(v.hatchID)) h->ReportReferences(mapper);
  if (v.gradientID) mapper->Register(Present::kKindGradient, v.gradientID);
  if (v.textureID) mapper->Register(Present::kKindTexture, v.textureID);
  if (v.hatchID) mapper->Register(Present::kKindHatch, v.hatchID);
}

int CPresentFill::ExchangeMapped(CKx2DataBlock& archive) {
  using Present::Xfer;
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  IKx2ShapeMapperCtx* mapper = Present::ArchiveMapper(archive);
  int ok = Xfer(archive, v.type) && v.solidColor.ExchangeMapped(archive) && Xfer(archive, v.transparency);
  const uint32_t kinds[3] = {Present::kKindGradient, Present::kKindTexture, Present::kKindHatch};
  uint16_t* ids[3] = {&v.gradientID, &v.textureID, &v.hatchID};
  for (int i = 0; ok && i < 3; ++i) {
    uint32_t word = Present::MappedFieldOut(mapper, kinds[i], *ids[i]);
    ok = Xfer(archive, word);
    if (record.reading()) {
      const uint16_t id = Present::MappedFieldIn(mapper, kinds[i], word);
      if (i == 0) SetGradient(*this, id);
      if (i == 1) SetTexture(*this, id);
      if (i == 2) SetHatch(*this, id);
    }
  }
  return record.End() && ok ? 1 : 0;
}

int CPresentFill::ExchangeEmbedded(CKx2DataBlock& archive) {
  using Present::Xfer;
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  uint32_t gradient = v.gradientID, texture = v.textureID, hatch = v.hatchID;
  int ok = Xfer(archive, v.type) && v.solidColor.Exchange(archive) && Xfer(archive, v.transparency) &&
           Xfer(archive, gradient) && Xfer(archive, texture) && Xfer(archive, hatch) &&
           Present::XferRepeatedColor(archive, v.solidColor, v.solidColor.colorId != 0);
  ok = record.End() && ok;
  if (!ok) return 0;
  // The identifiers only tell which nested records follow.
  if (record.reading()) {
    if (gradient && ok) ok = Present::Nested::ReadEmbedded(archive, Gradients(), v.gradientID);
    if (texture && ok) ok = Present::Nested::ReadEmbedded(archive, Textures(), v.textureID);
    if (hatch && ok) ok = Present::Nested::ReadEmbedded(archive, Hatches(), v.hatchID);
  } else {
    if (gradient && ok) ok = Present::Nested::WriteEmbedded(archive, Gradients(), v.gradientID);
    if (texture && ok) ok = Present::Nested::WriteEmbedded(archive, Textures(), v.textureID);
    if (hatch && ok) ok = Present::Nested::WriteEmbedded(archive, Hatches(), v.hatchID);
  }
  return ok ? 1 : 0;
}

int CPresentFill::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  IKx2ShapeMapperCtx* mapper = Present::XmlMapper(archive);
  char16_t text[32];
  if (!archive.IsReading()) {
    if (!mapper) return 0;
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    WriteVocabulary(archive, element, u"m:type", Present::Vocabulary::FillType, v.type);
    Present::FormatIdAttribute(text, mapper, Present::kKindGradient, v.gradientID);
    SetAttribute(archive, element, u"m:gradientID", text);
    Present::FormatIdAttribute(text, mapper, Present::kKindTexture, v.textureID);
    SetAttribute(archive, element, u"m:textureID", text);
    Present::FormatIdAttribute(text, mapper, Present::kKindHatch, v.hatchID);
    SetAttribute(archive, element, u"m:hatchID", text);
    if (IKX2XMLElement* solid = CreateElement(archive, u"m:presentSolid")) {
      IKX2XMLElement* saved = archive.current;
      archive.current = solid;
      v.solidColor.ExchangeXml(archive, nullptr);
      archive.current = saved;
      FormatScaled(text, v.transparency, u"%");
      SetAttribute(archive, solid, u"m:transparency", text);
      element->AppendChild(solid);
      solid->Release();
    }
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  v.type = ReadVocabulary(archive, element.get(), u"m:type", Present::Vocabulary::FillType, 0);
  if (mapper) {
    SetGradient(*this,
                Present::ParseIdAttribute(element->GetAttribute(u"m:gradientID"), mapper, Present::kKindGradient));
    SetTexture(*this, Present::ParseIdAttribute(element->GetAttribute(u"m:textureID"), mapper, Present::kKindTexture));
    SetHatch(*this, Present::ParseIdAttribute(element->GetAttribute(u"m:hatchID"), mapper, Present::kKindHatch));
  }
  if (Present::XmlRef<IKX2XMLElement> solid{Present::XmlChildElement(element.get(), u"m:presentSolid")}) {
    IKX2XMLElement* saved = archive.current;
    archive.current = solid.get();
    v.solidColor.ExchangeXml(archive, nullptr);
    archive.current = saved;
    if (const char16_t* t = solid->GetAttribute(u"m:transparency")) v.transparency = Saturate<int16_t>(ParseScaled(t));
  }
  return 1;
}

// ---- Context ---------------------------------------------------------------------------------

CPresentFillCtx::CPresentFillCtx(const CPresentFill& value) : CPresentFormatCtx(value) { ResetFrom(value); }

CPresentFillCtx::CPresentFillCtx(const CPresentFillCtx& other)
    : CPresentFormatCtx(other), gradient(other.gradient), texture(other.texture), hatch(other.hatch) {}

int CPresentFillCtx::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  BeginStore(host);
  if (!Present::Fields::Store(host, &v, states_.data(), kFields)) return 0;
  if (IsCommon(kGradient) && !StoreNested(host, kGradient, Kx2::kPropertyClassGradient, gradient)) return 0;
  if (IsCommon(kTexture) && !StoreNested(host, kTexture, Kx2::kPropertyClassTexture, texture)) return 0;
  if (IsCommon(kHatch) && !StoreNested(host, kHatch, Kx2::kPropertyClassHatch, hatch)) return 0;
  return 1;
}

int CPresentFillCtx::Load(IKx2PropertyObject* host, int* nothingFound) {
  bool any = false, found = false;
  int ok = 1;
  if (host) {
    any = Present::Fields::Load(host, &v, states_.data(), kFields);
    ok = LoadNested(host, kGradient, gradient, Gradients(), v.gradientID, &found);
    any = any || found;
    if (ok) ok = LoadNested(host, kTexture, texture, Textures(), v.textureID, &found), any = any || found;
    if (ok) ok = LoadNested(host, kHatch, hatch, Hatches(), v.hatchID, &found), any = any || found;
  }
  if (nothingFound) *nothingFound = any ? 0 : 1;
  return ok;
}

void CPresentFillCtx::Apply(CPresentFill& target) {
  Present::Fields::Apply(&target.v, &v, states_.data(), kFields);
  Present::Nested::Apply(IsCommon(kGradient), Gradients(), target.v.gradientID, gradient);
  Present::Nested::Apply(IsCommon(kTexture), Textures(), target.v.textureID, texture);
  Present::Nested::Apply(IsCommon(kHatch), Hatches(), target.v.hatchID, hatch);
}

void CPresentFillCtx::Merge(const CPresentFill& value) {
  Present::Fields::Merge(&v, &value.v, states_.data(), kFields);
  Present::Nested::Merge(*this, kGradient, Gradients(), v.gradientID, value.v.gradientID, gradient);
  Present::Nested::Merge(*this, kTexture, Textures(), v.textureID, value.v.textureID, texture);
  Present::Nested::Merge(*this, kHatch, Hatches(), v.hatchID, value.v.hatchID, hatch);
}

int CPresentFillCtx::IsEqual(const CPresentFill& value) {
  return Present::Fields::Equal(&v, &value.v, states_.data(), kFields) &&
                 Present::Nested::Equal(IsCommon(kGradient), Gradients(), value.v.gradientID, gradient) &&
                 Present::Nested::Equal(IsCommon(kTexture), Textures(), value.v.textureID, texture) &&
                 Present::Nested::Equal(IsCommon(kHatch), Hatches(), value.v.hatchID, hatch)
             ? 1
             : 0;
}

int CPresentFillCtx::Archive(CKx2DataBlock& archive) {
  const int ok = ArchiveWithStates(archive, kStatesTag, [this](CKx2DataBlock& ar) { return ExchangeEmbedded(ar); });
  if (v.gradientID)
    if (const CPresentGradient* e = Gradients().GetEntry(v.gradientID)) gradient.ResetFrom(*e);
  if (v.textureID)
    if (const CPresentTexture* e = Textures().GetEntry(v.textureID)) texture.ResetFrom(*e);
  if (v.hatchID)
    if (const CPresentHatch* e = Hatches().GetEntry(v.hatchID)) hatch.ResetFrom(*e);
  return ok;
}

int CPresentFillCtx::CopyFrom(CPresentFillCtx& target, const CPresentFillCtx& source) {
  if (!target.AssignValue(source)) return 0;
  target.states_ = source.States();
  return target.gradient.CopyFrom(source.gradient) && CPresentTextureCtx::CopyFrom(target.texture, source.texture) &&
                 target.hatch.CopyFrom(source.hatch)
             ? 1
             : 0;
}

void CPresentFillCtx::ResetFrom(const CPresentFill& value) {
  AssignValue(value);
  SetAllStates(kStateCommon);
  if (const CPresentGradient* e = Gradients().GetEntry(v.gradientID)) gradient.ResetFrom(*e);
  if (const CPresentTexture* e = Textures().GetEntry(v.textureID)) texture.ResetFrom(*e);
  if (const CPresentHatch* e = Hatches().GetEntry(v.hatchID)) hatch.ResetFrom(*e);
}

// ---- Table -------------------------------------------------------------------------------------

CKx2ShapeTbl<CPresentFill>& PresentFillTable() { return Present::KindTable<CPresentFill>(Present::kKindFill); }

int InitFillTable() {
  CPresentFill empty, standard;
  CPresentFill::SetDefault(empty, 0);
  CPresentFill::SetDefault(standard, 1);
  return PresentFillTable().InitFixedEntries(empty, &standard);
}

int32_t FreeFillTable() { return PresentFillTable().FreeShapeTable(); }
