// The shadow format: values, record and XML forms, context.
#include <plastrum/format/PresentShadow.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "KindTable.h"

namespace {

using Present::Fields::Field;

const Field kFields[7] = {
    KX2_FIELD(ShadowFields, type, U8, Kx2::kValueUInt8),
    KX2_FIELD(ShadowFields, color, Color, Kx2::kValueUInt64),
    KX2_FIELD(ShadowFields, transparency, I16, Kx2::kValueInt16),
    KX2_FIELD(ShadowFields, size, I16, Kx2::kValueInt16),
    KX2_FIELD(ShadowFields, blur, I32, Kx2::kValueInt32),
    KX2_FIELD(ShadowFields, angle, I16, Kx2::kValueInt16),
    KX2_FIELD(ShadowFields, distance, I32, Kx2::kValueInt32),
};

// The fields after the colour, in record order.
int XferTail(CKx2DataBlock& archive, ShadowFields& f) {
  using Present::Xfer;
  return Xfer(archive, f.transparency) && Xfer(archive, f.size) && Xfer(archive, f.blur) && Xfer(archive, f.angle) &&
         Xfer(archive, f.distance);
}

}  // namespace

CPresentShadow CPresentShadow::StandardEntry() {
  CPresentShadow s;
  s.v.color = PresentColorRef::SchemeColor(0);
  return s;
}

auto CPresentShadow::PlainFields() -> const Present::Fields::Field (&)[7] { return kFields; }

bool CPresentShadow::IsSameValue(const CPresentShadow& other) const {
  return Present::Fields::AllSame(&v, &other.v, kFields);
}

void CPresentShadow::ClearEntry() { Present::FreeStyleRecord(Present::StyleKind::Shadow, styleSlot); }

uint64_t CPresentShadow::HashValue() const { return Present::Fields::HashAll(&v, kFields); }

BOOL CPresentShadow::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentShadowCtx>(*this, sink);
}

int CPresentShadow::ExchangeMapped(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  const int ok = Present::Xfer(archive, v.type) && v.color.ExchangeMapped(archive) && XferTail(archive, v);
  return record.End() && ok ? 1 : 0;
}

int CPresentShadow::ExchangeEmbedded(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  const int ok = Present::Xfer(archive, v.type) && v.color.Exchange(archive) && XferTail(archive, v) &&
                 Present::XferRepeatedColor(archive, v.color, v.color.colorId != 0);
  return record.End() && ok ? 1 : 0;
}

int CPresentShadow::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  char16_t text[32];
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    WriteVocabulary(archive, element, u"m:type", Present::Vocabulary::ShadowType, v.type);
    IKX2XMLElement* saved = archive.current;
    archive.current = element;
    v.color.ExchangeXml(archive, nullptr);
    archive.current = saved;
    FormatScaled(text, v.transparency, u"%");
    SetAttribute(archive, element, u"m:transparency", text);
    FormatScaled(text, v.size, u"%");
    SetAttribute(archive, element, u"m:size", text);
    FormatScaled(text, v.blur, u"%");
    SetAttribute(archive, element, u"m:blur", text);
    FormatScaled(text, v.angle, u"\u00B0");
    SetAttribute(archive, element, u"m:angle", text);
    SetAttribute(archive, element, u"m:distance", FormatLength(archive, v.distance));
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  v.type = ReadVocabulary(archive, element.get(), u"m:type", Present::Vocabulary::ShadowType, 0);
  IKX2XMLElement* saved = archive.current;
  archive.current = element.get();
  v.color.ExchangeXml(archive, nullptr);
  archive.current = saved;
  if (const char16_t* t = element->GetAttribute(u"m:transparency")) v.transparency = Saturate<int16_t>(ParseScaled(t));
  if (const char16_t* t = element->GetAttribute(u"m:size")) v.size = Saturate<int16_t>(ParseScaled(t));
  if (const char16_t* t = element->GetAttribute(u"m:blur")) v.blur = Saturate<int32_t>(ParseScaled(t));
  if (const char16_t* t = element->GetAttribute(u"m:angle")) v.angle = Saturate<int16_t>(ParseScaled(t));
  if (const char16_t* t = element->GetAttribute(u"m:distance")) v.distance = ParseLength(t);
  return 1;
}

CKx2ShapeTbl<CPresentShadow>& PresentShadowTable() { return Present::KindTable<CPresentShadow>(Present::kKindShadow); }

int InitShadowTable() {
  const CPresentShadow empty;
  const CPresentShadow standard = CPresentShadow::StandardEntry();
  return PresentShadowTable().InitFixedEntries(empty, &standard);
}

int32_t FreeShadowTable() { return PresentShadowTable().FreeShapeTable(); }
