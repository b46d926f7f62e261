// The colour format: colour-table values, their field map, record and XML forms.
#include <plastrum/format/PresentColor.h>

#include <cstring>

#include <plastrum/format/XmlConventions.h>
#include <plastrum/Kx2Archive.h>

namespace {

constexpr FieldMapEntry Modifier(uint32_t k, size_t offset) { return FieldMapScalar(0x7000 + k, kFieldUInt16, offset); }

// The XML names of the sixteen modifiers; the hue offset goes by the short name "m:Offset".
constexpr const char16_t* kModifierNames[16] = {
    u"m:alphaMod",     u"m:alphaOffset",     u"m:redMod", u"m:redOffset", u"m:greenMod",      u"m:greenOffset",
    u"m:blueMod",      u"m:blueOffset",      u"m:hueMod", u"m:Offset",    u"m:saturationMod", u"m:saturationOffset",
    u"m:luminanceMod", u"m:luminanceOffset", u"m:shade",  u"m:tint",
};

}  // namespace

const FieldMapEntry CPresentColor::kFieldMap[21] = {
    FieldMapScalar(0x7000, kFieldUInt8, offsetof(PresentColorValue, type)),
    Modifier(1, offsetof(PresentColorValue, alphaMod)),
    Modifier(2, offsetof(PresentColorValue, alphaOffset)),
    Modifier(3, offsetof(PresentColorValue, redMod)),
    Modifier(4, offsetof(PresentColorValue, redOffset)),
    Modifier(5, offsetof(PresentColorValue, greenMod)),
    Modifier(6, offsetof(PresentColorValue, greenOffset)),
    Modifier(7, offsetof(PresentColorValue, blueMod)),
    Modifier(8, offsetof(PresentColorValue, blueOffset)),
    Modifier(9, offsetof(PresentColorValue, hueMod)),
    Modifier(10, offsetof(PresentColorValue, hueOffset)),
    Modifier(11, offsetof(PresentColorValue, saturationMod)),
    Modifier(12, offsetof(PresentColorValue, saturationOffset)),
    Modifier(13, offsetof(PresentColorValue, luminanceMod)),
    Modifier(14, offsetof(PresentColorValue, luminanceOffset)),
    Modifier(15, offsetof(PresentColorValue, shade)),
    Modifier(16, offsetof(PresentColorValue, tint)),
    FieldMapScalar(0x7011, kFieldUInt8, offsetof(PresentColorValue, complement)),
    FieldMapScalar(0x7012, kFieldUInt8, offsetof(PresentColorValue, gray)),
    FieldMapScalar(0x7013, kFieldUInt8, offsetof(PresentColorValue, inverse)),
    FieldMapEndEntry(),
};

CKx2ShapeTbl<CPresentColor>& PresentColorTable() {
  // Never destroyed: values elsewhere may give references back to it while the process ends.
  static auto* table = new CKx2ShapeTbl<CPresentColor>(Present::kKindColor);
  return *table;
}

int InitColorTable() { return PresentColorTable().InitFixedEntries(CPresentColor{}, nullptr); }

int32_t FreeColorTable() { return PresentColorTable().FreeShapeTable(); }

bool CPresentColor::IsSameValue(const CPresentColor& other) const {
  return std::memcmp(&value, &other.value, PresentColorValue::kComparedBytes) == 0;
}

BOOL CPresentColor::ExportToSink(IKx2PropertyObject* sink) {
  if (!sink) return FALSE;
  sink->AddRef();
  const int ok = FieldMap::ExchangeAll(sink, &value, kFieldMap, kFieldMapWrite);
  sink->Release();
  return ok ? TRUE : FALSE;
}

int CPresentColor::LoadFromHost(IKx2PropertyObject* host) {
  if (!host) return 0;
  host->AddRef();
  const int ok = FieldMap::ExchangeAll(host, &value, kFieldMap, kFieldMapRead);
  host->Release();
  return ok;
}

int CPresentColor::Exchange(CKx2DataBlock& archive) {
  archive.SetLevel(archive.GetLevel() + 1);
  int ok = 1;
  int16_t* modifiers = value.Modifiers();
  if (archive.IsReading()) {
    if (archive.OpenRecord(kRecordTag) != kRecordTag) {
      ok = 0;
    } else {
      value.type = archive.ReadU8();
      for (int i = 0; i < 16; ++i) modifiers[i] = static_cast<int16_t>(archive.ReadU16());
      value.complement = archive.ReadU8();
      value.gray = archive.ReadU8();
      value.inverse = archive.ReadU8();
    }
    archive.EndRecord();
  } else {
    ok = archive.BeginRecord(kRecordTag) && archive.WriteU8(value.type);
    for (int i = 0; ok && i < 16; ++i) ok = archive.WriteU16(static_cast<uint16_t>(modifiers[i]));
    ok = ok && archive.WriteU8(value.complement) && archive.WriteU8(value.gray) && archive.WriteU8(value.inverse);
    ok = archive.EndRecord() && ok;
  }
  archive.SetLevel(archive.GetLevel() - 1);
  return ok ? 1 : 0;
}

int CPresentColor::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  int16_t* modifiers = value.Modifiers();
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    WriteVocabulary(archive, element, u"m:type", Present::Vocabulary::ColorType, value.type);
    char16_t text[32];
    for (int i = 0; i < 16; ++i) {
      FormatScaled(text, modifiers[i], u"%");
      SetAttribute(archive, element, kModifierNames[i], text);
    }
    FormatFlag(text, value.complement != 0);
    SetAttribute(archive, element, u"m:complement", text);
    FormatFlag(text, value.gray != 0);
    SetAttribute(archive, element, u"m:gray", text);
    FormatFlag(text, value.inverse != 0);
    SetAttribute(archive, element, u"m:inverse", text);
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  value = PresentColorValue{};
  value.type = ReadVocabulary(archive, element.get(), u"m:type", Present::Vocabulary::ColorType, 0);
  for (int i = 0; i < 16; ++i)
    if (const char16_t* text = element->GetAttribute(kModifierNames[i]))
      modifiers[i] = Saturate<int16_t>(ParseScaled(text));
  ParseWordFlag(element->GetAttribute(u"m:complement"), &value.complement);
  ParseByte(element->GetAttribute(u"m:gray"), &value.gray);
  ParseByte(element->GetAttribute(u"m:inverse"), &value.inverse);
  return 1;
}
