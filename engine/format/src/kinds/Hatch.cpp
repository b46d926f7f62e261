// The hatch format: values, record and XML forms, context.
#include <plastrum/format/PresentHatch.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "KindTable.h"

namespace {

using Present::Fields::Field;

const Field kFields[4] = {
    KX2_FIELD(HatchFields, style, U8, Kx2::kValueUInt8),
    KX2_FIELD(HatchFields, foreColor, Color, Kx2::kValueUInt64),
    KX2_FIELD(HatchFields, backColor, Color, Kx2::kValueUInt64),
    KX2_FIELD(HatchFields, rotateWith, U8, Kx2::kValueUInt8),
};

}  // namespace

int CPresentHatch::SetDefault(CPresentHatch& value, int flag) {
  value.v.style = 0;
  value.v.foreColor = flag ? PresentColorRef::SchemeColor(0) : PresentColorRef();
  value.v.backColor = flag ? PresentColorRef::SchemeColor(1) : PresentColorRef();
  value.v.rotateWith = flag ? 1 : 0;
  return 1;
}

int CPresentHatch::InternForFill(const CPresentHatch& value, CPresentFill& fill) {
  const int32_t id = PresentHatchTable().Intern(value);
  if (id < 0) return 0;
  PresentHatchTable().Release(fill.v.hatchID);
  fill.v.hatchID = static_cast<uint16_t>(id);
  return 1;
}

auto CPresentHatch::PlainFields() -> const Present::Fields::Field (&)[4] { return kFields; }

bool CPresentHatch::IsSameValue(const CPresentHatch& other) const {
  return Present::Fields::AllSame(&v, &other.v, kFields);
}

uint64_t CPresentHatch::HashValue() const {
  return Present::ValueHash().Add(v.style).Add(v.foreColor).Add(v.backColor).Add(v.rotateWith).Get();
}

void CPresentHatch::ClearEntry() { Present::FreeStyleRecord(Present::StyleKind::Hatch, styleSlot); }

BOOL CPresentHatch::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentHatchCtx>(*this, sink);
}

void CPresentHatch::ReportReferences(IKx2ShapeMapperCtx* mapper) const {
  if (!mapper) return;
  if (v.foreColor.colorId) mapper->Register(Present::kKindColor, v.foreColor.colorId);
  if (v.backColor.colorId) mapper->Register(Present::kKindColor, v.backColor.colorId);
}

int CPresentHatch::ExchangeMapped(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  const int ok = Present::Xfer(archive, v.style) && v.foreColor.ExchangeMapped(archive) &&
                 v.backColor.ExchangeMapped(archive) && Present::Xfer(archive, v.rotateWith);
  return record.End() && ok ? 1 : 0;
}

int CPresentHatch::ExchangeEmbedded(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  const int ok = Present::Xfer(archive, v.style) && v.foreColor.Exchange(archive) && v.backColor.Exchange(archive) &&
                 Present::Xfer(archive, v.rotateWith) &&
                 Present::XferRepeatedColor(archive, v.foreColor, v.foreColor.colorId != 0) &&
                 Present::XferRepeatedColor(archive, v.backColor, v.backColor.colorId != 0);
  return record.End() && ok ? 1 : 0;
}

int CPresentHatch::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    // The position written first gives way to the style's name.
    WriteVocabulary(archive, element, u"m:id", Present::Vocabulary::HatchStyle, v.style);
    char16_t text[16];
    FormatInt(text, v.rotateWith);
    SetAttribute(archive, element, u"m:rotateWith", text);
    IKX2XMLElement* saved = archive.current;
    archive.current = element;
    v.foreColor.ExchangeXml(archive, u"m:foreColor");
    v.backColor.ExchangeXml(archive, u"m:backColor");
    archive.current = saved;
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  v.style = ReadVocabulary(archive, element.get(), u"m:id", Present::Vocabulary::HatchStyle, 0);
  v.rotateWith = 0;
  ParseByte(element->GetAttribute(u"m:rotateWith"), &v.rotateWith);
  IKX2XMLElement* saved = archive.current;
  archive.current = element.get();
  v.foreColor.ExchangeXml(archive, u"m:foreColor");
  v.backColor.ExchangeXml(archive, u"m:backColor");
  archive.current = saved;
  return 1;
}

CKx2ShapeTbl<CPresentHatch>& PresentHatchTable() { return Present::KindTable<CPresentHatch>(Present::kKindHatch); }

int InitHatchTable() {
  CPresentHatch empty, standard;
  CPresentHatch::SetDefault(empty, 0);
  CPresentHatch::SetDefault(standard, 1);
  return PresentHatchTable().InitFixedEntries(empty, &standard);
}

int32_t FreeHatchTable() { return PresentHatchTable().FreeShapeTable(); }
