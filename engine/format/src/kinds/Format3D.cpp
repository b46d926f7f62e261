// The 3-D format: values, record and XML forms, context.
#include <plastrum/format/Present3DFormat.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "KindTable.h"

namespace {

using Present::Fields::Field;
using Present::Fields::Width;

const Field kFields[20] = {
    KX2_FIELD(Format3DFields, bevelTopType, U8, Kx2::kValueUInt8),
    KX2_FIELD(Format3DFields, bevelTopWidth, I32, Kx2::kValueInt32),
    KX2_FIELD(Format3DFields, bevelTopHeight, I32, Kx2::kValueInt32),
    KX2_FIELD(Format3DFields, bevelBottomType, U8, Kx2::kValueUInt8),
    KX2_FIELD(Format3DFields, bevelBottomWidth, I32, Kx2::kValueInt32),
    KX2_FIELD(Format3DFields, bevelBottomHeight, I32, Kx2::kValueInt32),
    KX2_FIELD(Format3DFields, depthColor, Color, Kx2::kValueUInt64),
    KX2_FIELD(Format3DFields, depthValue, I32, Kx2::kValueInt32),
    KX2_FIELD(Format3DFields, contourColor, Color, Kx2::kValueUInt64),
    KX2_FIELD(Format3DFields, contourSize, I32, Kx2::kValueInt32),
    KX2_FIELD(Format3DFields, surfaceMaterial, U8, Kx2::kValueUInt8),
    KX2_FIELD(Format3DFields, surfaceLighting, U8, Kx2::kValueUInt8),
    KX2_FIELD(Format3DFields, surfaceAngle, I16, Kx2::kValueInt16),
    KX2_FIELD(Format3DFields, surfacePreset, U8, Kx2::kValueUInt8),
    KX2_FIELD(Format3DFields, rotationX, I16, Kx2::kValueInt16),
    KX2_FIELD(Format3DFields, rotationY, I16, Kx2::kValueInt16),
    KX2_FIELD(Format3DFields, rotationZ, I16, Kx2::kValueInt16),
    KX2_FIELD(Format3DFields, perspective, I16, Kx2::kValueInt16),
    KX2_FIELD(Format3DFields, keepTextFlat, U8, Kx2::kValueUInt8),
    KX2_FIELD(Format3DFields, objectDistance, I32, Kx2::kValueInt32),
};

// Every field in table order; colours mapped or raw.
int XferFields(CKx2DataBlock& archive, Format3DFields& f, bool mapped) {
  int ok = 1;
  for (const Field& field : kFields) {
    if (!ok) break;
    auto* p = reinterpret_cast<unsigned char*>(&f) + field.offset;
    switch (field.width) {
      case Width::U8:
        ok = Present::Xfer(archive, *p);
        break;
      case Width::I16:
        ok = Present::Xfer(archive, *reinterpret_cast<int16_t*>(p));
        break;
      case Width::I32:
        ok = Present::Xfer(archive, *reinterpret_cast<int32_t*>(p));
        break;
      case Width::Color: {
        auto& color = *reinterpret_cast<PresentColorRef*>(p);
        ok = mapped ? color.ExchangeMapped(archive) : color.Exchange(archive);
        break;
      }
      default:
        break;
    }
  }
  return ok;
}

void SetTenths(const ShapeXmlArchive& archive, IKX2XMLElement* element, const char16_t* name, int16_t value) {
  char16_t text[32];
  Present::ShapeXml::FormatScaled(text, value, u"%");
  Present::ShapeXml::SetAttribute(archive, element, name, text);
}

void ReadTenths(IKX2XMLElement* element, const char16_t* name, int16_t& field) {
  if (const char16_t* t = element->GetAttribute(name))
    field = Present::ShapeXml::Saturate<int16_t>(Present::ShapeXml::ParseScaled(t));
}

void ReadLength(IKX2XMLElement* element, const char16_t* name, int32_t& field) {
  if (const char16_t* t = element->GetAttribute(name)) field = Present::ShapeXml::ParseLength(t);
}

}  // namespace

CPresent3DFormat CPresent3DFormat::EmptyEntry() {
  CPresent3DFormat f;
  f.v.surfaceMaterial = 11;
  f.v.surfaceLighting = 15;
  return f;
}

CPresent3DFormat CPresent3DFormat::StandardEntry() {
  CPresent3DFormat f = EmptyEntry();
  f.v.depthColor = PresentColorRef::SchemeColor(3);
  f.v.contourColor = PresentColorRef::SchemeColor(0);
  return f;
}

auto CPresent3DFormat::PlainFields() -> const Present::Fields::Field (&)[20] { return kFields; }

bool CPresent3DFormat::IsSameValue(const CPresent3DFormat& other) const {
  return Present::Fields::AllSame(&v, &other.v, kFields);
}

void CPresent3DFormat::ClearEntry() { Present::FreeStyleRecord(Present::StyleKind::Format3D, styleSlot); }

uint64_t CPresent3DFormat::HashValue() const { return Present::Fields::HashAll(&v, kFields); }

BOOL CPresent3DFormat::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresent3DFormatCtx>(*this, sink);
}

int CPresent3DFormat::ExchangeMapped(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  const int ok = XferFields(archive, v, true);
  return record.End() && ok ? 1 : 0;
}

int CPresent3DFormat::ExchangeEmbedded(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  const int ok = XferFields(archive, v, false) &&
                 Present::XferRepeatedColor(archive, v.depthColor, v.depthColor.colorId != 0) &&
                 Present::XferRepeatedColor(archive, v.contourColor, v.contourColor.colorId != 0);
  return record.End() && ok ? 1 : 0;
}

int CPresent3DFormat::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  using Present::Vocabulary::BevelType;
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    if (IKX2XMLElement* format = CreateElement(archive, u"m:present3DFormat")) {
      WriteVocabulary(archive, format, u"m:bevelTopType", BevelType, v.bevelTopType);
      SetAttribute(archive, format, u"m:bevelTopWidth", FormatLength(archive, v.bevelTopWidth));
      SetAttribute(archive, format, u"m:bevelTopHeight", FormatLength(archive, v.bevelTopHeight));
      WriteVocabulary(archive, format, u"m:bevelBottomType", BevelType, v.bevelBottomType);
      SetAttribute(archive, format, u"m:bevelBottomWidth", FormatLength(archive, v.bevelBottomWidth));
      SetAttribute(archive, format, u"m:bevelBottomHeight", FormatLength(archive, v.bevelBottomHeight));
      SetAttribute(archive, format, u"m:depthValue", FormatLength(archive, v.depthValue));
      SetAttribute(archive, format, u"m:contourSize", FormatLength(archive, v.contourSize));
      WriteVocabulary(archive, format, u"m:surfaceMaterial", Present::Vocabulary::MaterialType, v.surfaceMaterial);
      WriteVocabulary(archive, format, u"m:surfaceLighting", Present::Vocabulary::LightRigType, v.surfaceLighting);
      SetTenths(archive, format, u"m:surfaceAngle", v.surfaceAngle);
      IKX2XMLElement* saved = archive.current;
      archive.current = format;
      v.depthColor.ExchangeXml(archive, u"m:depthColor");
      v.contourColor.ExchangeXml(archive, u"m:contourColor");
      archive.current = saved;
      element->AppendChild(format);
      format->Release();
    }
    if (IKX2XMLElement* rotation = CreateElement(archive, u"m:present3DRotation")) {
      WriteVocabulary(archive, rotation, u"m:surfacePreset", Present::Vocabulary::CameraPreset, v.surfacePreset);
      SetTenths(archive, rotation, u"m:rotationX", v.rotationX);
      SetTenths(archive, rotation, u"m:rotationY", v.rotationY);
      SetTenths(archive, rotation, u"m:rotationZ", v.rotationZ);
      SetTenths(archive, rotation, u"m:perspective", v.perspective);
      char16_t text[16];
      FormatInt(text, v.keepTextFlat);
      SetAttribute(archive, rotation, u"m:keepTextFlat", text);
      SetAttribute(archive, rotation, u"m:objectDistance", FormatLength(archive, v.objectDistance));
      element->AppendChild(rotation);
      rotation->Release();
    }
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  if (Present::XmlRef<IKX2XMLElement> format{Present::XmlChildElement(element.get(), u"m:present3DFormat")}) {
    IKX2XMLElement* f = format.get();
    v.bevelTopType = ReadVocabulary(archive, f, u"m:bevelTopType", BevelType, 0);
    v.bevelTopWidth = ParseLength(f->GetAttribute(u"m:bevelTopWidth"));
    v.bevelTopHeight = ParseLength(f->GetAttribute(u"m:bevelTopHeight"));
    // The bottom bevel changes only where its attributes are there.
    if (GetVocabularyAttribute(archive, f, u"m:bevelBottomType"))
      v.bevelBottomType = ReadVocabulary(archive, f, u"m:bevelBottomType", BevelType, 0);
    ReadLength(f, u"m:bevelBottomWidth", v.bevelBottomWidth);
    ReadLength(f, u"m:bevelBottomHeight", v.bevelBottomHeight);
    ReadLength(f, u"m:depthValue", v.depthValue);
    ReadLength(f, u"m:contourSize", v.contourSize);
    v.surfaceMaterial = ReadVocabulary(archive, f, u"m:surfaceMaterial", Present::Vocabulary::MaterialType, 11);
    v.surfaceLighting = ReadVocabulary(archive, f, u"m:surfaceLighting", Present::Vocabulary::LightRigType, 15);
    ReadTenths(f, u"m:surfaceAngle", v.surfaceAngle);
    IKX2XMLElement* saved = archive.current;
    archive.current = f;
    v.depthColor.ExchangeXml(archive, u"m:depthColor");
    v.contourColor.ExchangeXml(archive, u"m:contourColor");
    archive.current = saved;
  }
  if (Present::XmlRef<IKX2XMLElement> rotation{Present::XmlChildElement(element.get(), u"m:present3DRotation")}) {
    IKX2XMLElement* r = rotation.get();
    v.surfacePreset = ReadVocabulary(archive, r, u"m:surfacePreset", Present::Vocabulary::CameraPreset, 0);
    ReadTenths(r, u"m:rotationX", v.rotationX);
    ReadTenths(r, u"m:rotationY", v.rotationY);
    ReadTenths(r, u"m:rotationZ", v.rotationZ);
    ReadTenths(r, u"m:perspective", v.perspective);
    v.keepTextFlat = 0;
    ParseByte(r->GetAttribute(u"m:keepTextFlat"), &v.keepTextFlat);
    ReadLength(r, u"m:objectDistance", v.objectDistance);
  }
  return 1;
}

CKx2ShapeTbl<CPresent3DFormat>& Present3DFormatTable() {
  return Present::KindTable<CPresent3DFormat>(Present::kKind3DFormat);
}

int Init3DFormatTable() {
  const CPresent3DFormat empty = CPresent3DFormat::EmptyEntry();
  const CPresent3DFormat standard = CPresent3DFormat::StandardEntry();
  return Present3DFormatTable().InitFixedEntries(empty, &standard);
}

int32_t Free3DFormatTable() { return Present3DFormatTable().FreeShapeTable(); }
