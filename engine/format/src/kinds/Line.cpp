// The line format: values holding a fill reference, record and XML forms, context.
#include <plastrum/format/PresentLine.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "NestedFields.h"
#include "KindTable.h"

namespace {

using Present::Fields::Field;

const Field kFields[10] = {
    KX2_NESTED_FIELD,  // the fill, as a nested context
    KX2_FIELD(LineFields, width, I32, Kx2::kValueInt32),
    KX2_FIELD(LineFields, compoundType, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, dashType, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, capType, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, joinType, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, beginArrowType, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, beginArrowSize, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, endArrowType, U8, Kx2::kValueUInt8),
    KX2_FIELD(LineFields, endArrowSize, U8, Kx2::kValueUInt8),
};

struct CodeName {
  const char16_t* name;
  const Present::VocabularyTable* table;
};
const CodeName kCodes[8] = {
    {u"m:compoundType", &Present::Vocabulary::LineCompound}, {u"m:dashType", &Present::Vocabulary::LineDash},
    {u"m:capType", &Present::Vocabulary::LineCap},           {u"m:joinType", &Present::Vocabulary::LineJoin},
    {u"m:beginArrowType", &Present::Vocabulary::ArrowType},  {u"m:beginArrowSize", &Present::Vocabulary::ArrowSize},
    {u"m:endArrowType", &Present::Vocabulary::ArrowType},    {u"m:endArrowSize", &Present::Vocabulary::ArrowSize},
};

CKx2ShapeTbl<CPresentFill>& Fills() { return PresentFillTable(); }

uint8_t* Codes(LineFields& f) { return &f.compoundType; }

int XferBody(CKx2DataBlock& archive, LineFields& f) {
  int ok = Present::Xfer(archive, f.width);
  for (int i = 0; ok && i < 8; ++i) ok = Present::Xfer(archive, Codes(f)[i]);
  return ok;
}

}  // namespace

static_assert(offsetof(LineFields, endArrowSize) - offsetof(LineFields, compoundType) == 7,
              "the eight codes lie together");

CPresentLine::CPresentLine(const CPresentLine& other) : CPresentUnknown(), CKx2ShapeRefCnt() { AssignValue(other); }

CPresentLine::~CPresentLine() {
  SetFill(*this, 0);
  styleSlot = -1;
}

CPresentLine CPresentLine::StandardEntry() {
  CPresentLine line;
  SetFill(line, 1);
  line.v.width = 200;
  line.v.beginArrowSize = 4;
  line.v.endArrowSize = 4;
  return line;
}

void CPresentLine::SetFill(CPresentLine& value, uint32_t id) { Fills().Assign(value.v.fillID, id); }

bool CPresentLine::EqualFields(const CPresentLine& a, const CPresentLine& b) {
  return Present::Fields::AllSame(&a.v, &b.v, kFields);
}

int CPresentLine::AssignValue(const CPresentLine& other) {
  SetFill(*this, other.v.fillID);
  Present::Fields::CopyAll(&v, &other.v, kFields);
  return 1;
}

void CPresentLine::ClearEntry() {
  SetFill(*this, 0);
  Present::FreeStyleRecord(Present::StyleKind::Line, styleSlot);
}

uint64_t CPresentLine::HashValue() const {
  Present::ValueHash h;
  h.Add(v.fillID).Add(static_cast<uint32_t>(v.width));
  uint64_t codes = 0;
  for (int i = 0; i < 8; ++i) codes = codes << 8 | (&v.compoundType)[i];
  return h.Add(codes).Get();
}

BOOL CPresentLine::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentLineCtx>(*this, sink);
}

IPresentFill* CPresentLine::GetFill() { return Fills().GetEntry(v.fillID); }

int CPresentLine::ExchangeMapped(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  IKx2ShapeMapperCtx* mapper = Present::ArchiveMapper(archive);
  uint32_t fill = Present::MappedFieldOut(mapper, Present::kKindFill, v.fillID);
  int ok = Present::Xfer(archive, fill);
  if (record.reading()) SetFill(*this, Present::MappedFieldIn(mapper, Present::kKindFill, fill));
  ok = ok && XferBody(archive, v);
  return record.End() && ok ? 1 : 0;
}

int CPresentLine::ExchangeEmbedded(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  uint32_t fill = v.fillID;
  int ok = Present::Xfer(archive, fill) && XferBody(archive, v);
  ok = record.End() && ok;
  if (!ok || fill == 0) return ok ? 1 : 0;
  return record.reading() ? Present::Nested::ReadEmbedded(archive, Fills(), v.fillID)
                          : Present::Nested::WriteEmbedded(archive, Fills(), v.fillID);
}

int CPresentLine::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  IKx2ShapeMapperCtx* mapper = Present::XmlMapper(archive);
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    char16_t text[16];
    Present::FormatIdAttribute(text, mapper, Present::kKindFill, v.fillID);
    SetAttribute(archive, element, u"m:fillID", text);
    SetAttribute(archive, element, u"m:width", FormatLength(archive, v.width));
    for (int i = 0; i < 8; ++i) WriteVocabulary(archive, element, kCodes[i].name, *kCodes[i].table, Codes(v)[i]);
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  SetFill(*this, Present::ParseIdAttribute(element->GetAttribute(u"m:fillID"), mapper, Present::kKindFill));
  if (const char16_t* t = element->GetAttribute(u"m:width")) v.width = ParseLength(t);
  for (int i = 0; i < 8; ++i) Codes(v)[i] = ReadVocabulary(archive, element.get(), kCodes[i].name, *kCodes[i].table, 0);
  return 1;
}

// ---- Context ---------------------------------------------------------------------------------

CPresentLineCtx::CPresentLineCtx(const CPresentLine& value) : CPresentFormatCtx(value) {
  if (const CPresentFill* e = Fills().GetEntry(v.fillID)) fill.ResetFrom(*e);
}

CPresentLineCtx::CPresentLineCtx(const CPresentLineCtx& other) : CPresentFormatCtx(other), fill(other.fill) {}

int CPresentLineCtx::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  BeginStore(host);
  if (IsCommon(0) && !StoreNested(host, 0, Kx2::kPropertyClassFill, fill)) return 0;
  return Present::Fields::Store(host, &v, states_.data(), kFields);
}

int CPresentLineCtx::Load(IKx2PropertyObject* host, int* nothingFound) {
  bool found = false, any = false;
  int ok = 1;
  if (host) {
    ok = LoadNested(host, 0, fill, Fills(), v.fillID, &found);
    any = Present::Fields::Load(host, &v, states_.data(), kFields);
  }
  if (nothingFound) *nothingFound = found || any ? 0 : 1;
  return ok;
}

void CPresentLineCtx::Apply(CPresentLine& target) {
  Present::Nested::Apply(IsCommon(0), Fills(), target.v.fillID, fill);
  Present::Fields::Apply(&target.v, &v, states_.data(), kFields);
}

void CPresentLineCtx::Merge(const CPresentLine& value) {
  Present::Nested::Merge(*this, 0, Fills(), v.fillID, value.v.fillID, fill);
  Present::Fields::Merge(&v, &value.v, states_.data(), kFields);
}

int CPresentLineCtx::IsEqual(const CPresentLine& value) {
  return Present::Nested::Equal(IsCommon(0), Fills(), value.v.fillID, fill) &&
                 Present::Fields::Equal(&v, &value.v, states_.data(), kFields)
             ? 1
             : 0;
}

int CPresentLineCtx::Archive(CKx2DataBlock& archive) {
  const int ok = ArchiveWithStates(archive, kStatesTag, [this](CKx2DataBlock& ar) { return ExchangeEmbedded(ar); });
  // The nested fill context follows the fill the line now names (entry 0 for none), with
  // every state common.
  if (const CPresentFill* e = Fills().GetEntry(v.fillID)) {
    CPresentFillCtx fresh(*e);
    CPresentFillCtx::CopyFrom(fill, fresh);
  }
  return ok;
}

int CPresentLineCtx::CopyFrom(CPresentLineCtx& target, const CPresentLineCtx& source) {
  if (!target.AssignValue(source)) return 0;
  target.states_ = source.States();
  return CPresentFillCtx::CopyFrom(target.fill, source.fill);
}

void CPresentLineCtx::ResetFrom(const CPresentLine& value) {
  AssignValue(value);
  SetAllStates(kStateCommon);
  if (const CPresentFill* e = Fills().GetEntry(v.fillID)) fill.ResetFrom(*e);
}

// ---- Table -------------------------------------------------------------------------------------

CKx2ShapeTbl<CPresentLine>& PresentLineTable() { return Present::KindTable<CPresentLine>(Present::kKindLine); }

int InitLineTable() {
  const CPresentLine empty;
  const CPresentLine standard = CPresentLine::StandardEntry();
  return PresentLineTable().InitFixedEntries(empty, &standard);
}

int32_t FreeLineTable() { return PresentLineTable().FreeShapeTable(); }
