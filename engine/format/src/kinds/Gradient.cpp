// The gradient format: values, record and XML forms, context.
#include <plastrum/format/PresentGradient.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/PropertyIO.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "KindTable.h"

namespace {

using Present::Fields::Field;

// The scalar fields in state order; the three stop arrays (states 4-6) are the kind's own.
const Field kFields[8] = {
    KX2_FIELD(GradientFields, type, U8, Kx2::kValueUInt8),
    KX2_FIELD(GradientFields, direction, U8, Kx2::kValueUInt8),
    KX2_FIELD(GradientFields, angle, I16, Kx2::kValueInt16),
    KX2_FIELD(GradientFields, stopCount, U8, Kx2::kValueUInt8),
    KX2_NESTED_FIELD,
    KX2_NESTED_FIELD,
    KX2_NESTED_FIELD,
    KX2_FIELD(GradientFields, rotateWith, U8, Kx2::kValueUInt8),
};
enum { kPositions = 4, kColors = 5, kTransparencies = 6 };

uint8_t ClampStops(int64_t count) {
  return static_cast<uint8_t>(count < 0 ? 0 : count > GradientFields::kMaxStops ? GradientFields::kMaxStops : count);
}

bool SameStops(const GradientFields& a, const GradientFields& b, int k, int count) {
  for (int i = 0; i < count; ++i) {
    if (k == kPositions && a.stopPosition[i] != b.stopPosition[i]) return false;
    if (k == kColors && a.stopColor[i] != b.stopColor[i]) return false;
    if (k == kTransparencies && a.stopTransparency[i] != b.stopTransparency[i]) return false;
  }
  return true;
}

void CopyStops(GradientFields& to, const GradientFields& from, int k, int count) {
  for (int i = 0; i < count; ++i) {
    if (k == kPositions) to.stopPosition[i] = from.stopPosition[i];
    if (k == kColors) to.stopColor[i] = from.stopColor[i];
    if (k == kTransparencies) to.stopTransparency[i] = from.stopTransparency[i];
  }
}

}  // namespace

int CPresentGradient::SetDefault(CPresentGradient& value, int flag) {
  GradientFields& f = value.v;
  f.type = 0;
  f.direction = 0;
  f.angle = flag ? 450 : 0;
  f.stopCount = flag ? 3 : 0;
  f.rotateWith = flag ? 1 : 0;
  if (flag) {
    const uint16_t positions[3] = {0, 500, 1000};
    for (int i = 0; i < 3; ++i) {
      f.stopPosition[i] = positions[i];
      f.stopColor[i] = PresentColorRef::SchemeColor(static_cast<uint8_t>(4 + i));
      f.stopTransparency[i] = 0;
    }
  }
  return 1;
}

bool CPresentGradient::IsSameValue(const CPresentGradient& other) const {
  const GradientFields& a = v;
  const GradientFields& b = other.v;
  if (a.type != b.type || a.direction != b.direction || a.angle != b.angle || a.rotateWith != b.rotateWith ||
      a.Stops() != b.Stops())
    return false;
  const int n = a.Stops();
  return SameStops(a, b, kPositions, n) && SameStops(a, b, kColors, n) && SameStops(a, b, kTransparencies, n);
}

uint64_t CPresentGradient::HashValue() const {
  Present::ValueHash h;
  h.Add(v.type)
      .Add(v.direction)
      .Add(static_cast<uint16_t>(v.angle))
      .Add(v.rotateWith)
      .Add(static_cast<uint64_t>(v.Stops()));
  for (int i = 0; i < v.Stops(); ++i) h.Add(v.stopPosition[i]).Add(v.stopColor[i]).Add(v.stopTransparency[i]);
  return h.Get();
}

void CPresentGradient::ClearEntry() { Present::FreeStyleRecord(Present::StyleKind::Gradient, styleSlot); }

BOOL CPresentGradient::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentGradientCtx>(*this, sink);
}

void CPresentGradient::ReportReferences(IKx2ShapeMapperCtx* mapper) const {
  if (!mapper) return;
  for (int i = 0; i < v.Stops(); ++i)
    if (v.stopColor[i].colorId) mapper->Register(Present::kKindColor, v.stopColor[i].colorId);
}

namespace {

// The fields both record forms share up to the stop colours.
int XferHead(CKx2DataBlock& archive, GradientFields& f) {
  using Present::Xfer;
  int ok = Xfer(archive, f.type) && Xfer(archive, f.direction) && Xfer(archive, f.angle) && Xfer(archive, f.stopCount);
  if (archive.IsReading()) f.stopCount = ClampStops(f.stopCount);
  for (auto& p : f.stopPosition) ok = ok && Xfer(archive, p);
  return ok;
}

int XferTail(CKx2DataBlock& archive, GradientFields& f) {
  int ok = 1;
  for (auto& t : f.stopTransparency) ok = ok && Present::Xfer(archive, t);
  return ok && Present::Xfer(archive, f.rotateWith);
}

}  // namespace

int CPresentGradient::ExchangeMapped(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  int ok = XferHead(archive, v);
  const int n = v.Stops();
  for (int i = 0; ok && i < n; ++i) ok = v.stopColor[i].ExchangeMapped(archive);
  for (int i = n; ok && i < GradientFields::kMaxStops; ++i) ok = v.stopColor[i].Exchange(archive);
  ok = ok && XferTail(archive, v);
  return record.End() && ok ? 1 : 0;
}

int CPresentGradient::ExchangeEmbedded(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  int ok = XferHead(archive, v);
  for (int i = 0; ok && i < GradientFields::kMaxStops; ++i) ok = v.stopColor[i].Exchange(archive);
  ok = ok && XferTail(archive, v);
  for (int i = 0; ok && i < v.Stops(); ++i)
    ok = Present::XferRepeatedColor(archive, v.stopColor[i], v.stopColor[i].colorId != 0);
  return record.End() && ok ? 1 : 0;
}

int CPresentGradient::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  char16_t text[32];
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    WriteVocabulary(archive, element, u"m:type", Present::Vocabulary::GradientType, v.type);
    WriteVocabulary(archive, element, u"m:direction", Present::Vocabulary::GradientDirection, v.direction);
    FormatScaled(text, v.angle, u"\u00B0");
    SetAttribute(archive, element, u"m:angle", text);
    FormatInt(text, v.rotateWith);
    SetAttribute(archive, element, u"m:rotateWith", text);
    IKX2XMLElement* saved = archive.current;
    archive.current = element;
    if (IKX2XMLElement* count = CreateElement(archive, u"m:stopCount")) {
      FormatInt(text, v.Stops());
      SetAttribute(archive, count, u"m:val", text);
      AppendToCurrent(archive, count);
    }
    for (int i = 0; i < v.Stops(); ++i) {
      IKX2XMLElement* stop = CreateElement(archive, u"m:presentGradientstop");
      if (!stop) continue;
      FormatInt(text, v.stopPosition[i]);
      SetAttribute(archive, stop, u"m:stopPosition", text);
      FormatInt(text, v.stopTransparency[i]);
      SetAttribute(archive, stop, u"m:stopTransparency", text);
      archive.current = stop;
      v.stopColor[i].ExchangeXml(archive, nullptr);
      archive.current = element;
      AppendToCurrent(archive, stop);
    }
    archive.current = saved;
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  v.type = ReadVocabulary(archive, element.get(), u"m:type", Present::Vocabulary::GradientType, 0);
  v.direction = ReadVocabulary(archive, element.get(), u"m:direction", Present::Vocabulary::GradientDirection, 0);
  if (const char16_t* t = element->GetAttribute(u"m:angle")) v.angle = Saturate<int16_t>(ParseScaled(t));
  v.rotateWith = 0;
  ParseByte(element->GetAttribute(u"m:rotateWith"), &v.rotateWith);
  if (Present::XmlRef<IKX2XMLElement> count{Present::XmlChildElement(element.get(), u"m:stopCount")}) {
    const char16_t* t = count->GetAttribute(u"m:val");
    v.stopCount = t && *t ? ClampStops(ParseInteger(t)) : 0;
  }
  Present::XmlRef<IKX2XMLNodeList> stops(element->GetChildren(u"m:presentGradientstop"));
  const LONG stopElements = stops ? stops->GetCount() : 0;
  IKX2XMLElement* saved = archive.current;
  for (LONG i = 0; i < stopElements && i < GradientFields::kMaxStops; ++i) {
    Present::XmlRef<IKX2XMLElement> stop(Present::XmlListElement(stops.get(), i));
    if (!stop) continue;
    const char16_t* position = stop->GetAttribute(u"m:stopPosition");
    v.stopPosition[i] = position && *position ? Saturate<uint16_t>(ParseInteger(position)) : 0;
    const char16_t* transparency = stop->GetAttribute(u"m:stopTransparency");
    v.stopTransparency[i] = transparency && *transparency ? Saturate<uint16_t>(ParseInteger(transparency)) : 0;
    archive.current = stop.get();
    v.stopColor[i].ExchangeXml(archive, nullptr);
  }
  archive.current = saved;
  return 1;
}

// ---- Context ---------------------------------------------------------------------------------

namespace {

int StoreArray(IKx2PropertyObject* host, uint32_t id, const GradientFields& f, int k) {
  const int n = f.Stops();
  IKx2PropertyArray* array = host->GetArray(id);
  if (array)
    array->SetCount(n);
  else
    array = host->CreateArray(id, n);
  if (!array) return 1;  // array failures are not reported
  for (int i = 0; i < n; ++i) {
    Kx2::ScopedPropertyValue value;
    if (k == kColors) {
      value->type = Kx2::kValueUInt64;
      value->words[0] = f.stopColor[i].value;
      value->words[1] = f.stopColor[i].Second();
    } else {
      value->type = Kx2::kValueInt16;
      value->i32 = k == kPositions ? f.stopPosition[i] : f.stopTransparency[i];
    }
    array->SetElement(i, *value);
  }
  array->Release();
  return 1;
}

bool LoadArray(IKx2PropertyObject* host, uint32_t id, GradientFields& f, int k) {
  IKx2PropertyArray* array = host->GetArray(id);
  if (!array) return false;
  for (int i = 0; i < f.Stops(); ++i) {
    Kx2::ScopedPropertyValue value;
    const bool got = array->GetElement(i, value.get());
    const uint16_t type = got ? value->type : 0;
    if (k == kColors) {
      const bool wide = type == Kx2::kValueInt64 || type == Kx2::kValueUInt64;
      f.stopColor[i].Assign(wide ? value->words[0] : 0, wide ? value->words[1] : 0);
    } else {
      const bool integer = type >= Kx2::kValueInt8 && type <= Kx2::kValueULong;
      const auto n = static_cast<uint16_t>(integer ? value->i32 : 0);
      (k == kPositions ? f.stopPosition[i] : f.stopTransparency[i]) = n;
    }
  }
  array->Release();
  return true;
}

}  // namespace

int CPresentGradientCtx::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  BeginStore(host);
  // Scalars 0-3, then the arrays, then the rotation last.
  const uint8_t* s = states_.data();
  const uint8_t scalarsFirst[8] = {s[0], s[1], s[2], s[3], 1, 1, 1, 1};
  if (!Present::Fields::Store(host, &v, scalarsFirst, kFields)) return 0;
  if (v.Stops() != 0)
    for (int k = kPositions; k <= kTransparencies; ++k)
      if (IsCommon(k)) StoreArray(host, PropertyId(k), v, k);
  const uint8_t rotationLast[8] = {1, 1, 1, 1, 1, 1, 1, s[7]};
  return Present::Fields::Store(host, &v, rotationLast, kFields);
}

int CPresentGradientCtx::Load(IKx2PropertyObject* host, int* nothingFound) {
  bool any = false;
  if (host) {
    any = Present::Fields::Load(host, &v, states_.data(), kFields);
    v.stopCount = ClampStops(v.stopCount);
    if (v.Stops() != 0) {
      for (int k = kPositions; k <= kTransparencies; ++k) {
        if (LoadArray(host, PropertyId(k), v, k)) {
          SetState(k, kStateCommon);
          any = true;
        }
      }
    }
  }
  if (nothingFound) *nothingFound = any ? 0 : 1;
  return 1;
}

void CPresentGradientCtx::Apply(CPresentGradient& target) {
  Present::Fields::Apply(&target.v, &v, states_.data(), kFields);
  if (v.Stops() != 0)
    for (int k = kPositions; k <= kTransparencies; ++k)
      if (IsCommon(k)) CopyStops(target.v, v, k, v.Stops());
}

void CPresentGradientCtx::Merge(const CPresentGradient& value) {
  Present::Fields::Merge(&v, &value.v, states_.data(), kFields);
  const int n = v.Stops();
  if (n == 0) return;
  for (int k = kPositions; k <= kTransparencies; ++k) {
    if (GetState(k) == kStateUnset) {
      CopyStops(v, value.v, k, n);
      SetState(k, kStateCommon);
    } else if (GetState(k) == kStateCommon && !SameStops(v, value.v, k, n)) {
      SetState(k, kStateMixed);
    }
  }
}

int CPresentGradientCtx::IsEqual(const CPresentGradient& value) {
  if (!Present::Fields::Equal(&v, &value.v, states_.data(), kFields)) return 0;
  for (int k = kPositions; k <= kTransparencies; ++k)
    if (IsCommon(k) && !SameStops(v, value.v, k, v.Stops())) return 0;
  return 1;
}

// ---- Table -------------------------------------------------------------------------------------

CKx2ShapeTbl<CPresentGradient>& PresentGradientTable() {
  return Present::KindTable<CPresentGradient>(Present::kKindGradient);
}

int InitGradientTable() {
  const CPresentGradient empty;
  CPresentGradient standard;
  CPresentGradient::SetDefault(standard, 1);
  return PresentGradientTable().InitFixedEntries(empty, &standard);
}

int32_t FreeGradientTable() { return PresentGradientTable().FreeShapeTable(); }
