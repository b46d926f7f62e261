// The texture format: values holding a picture reference, record and XML forms, context.
#include <plastrum/format/PresentTexture.h>

#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "KindTable.h"

namespace {

using Present::Fields::Field;

const Field kFields[14] = {
    KX2_NESTED_FIELD,  // the picture, as a nested context
    KX2_FIELD(TextureFields, mode, U8, Kx2::kValueUInt8),
    KX2_FIELD(TextureFields, offsetX, I32, Kx2::kValueInt32),
    KX2_FIELD(TextureFields, scaleX, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, offsetY, I32, Kx2::kValueInt32),
    KX2_FIELD(TextureFields, scaleY, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, alignment, U8, Kx2::kValueUInt8),
    KX2_FIELD(TextureFields, mirrorType, U8, Kx2::kValueUInt8),
    KX2_FIELD(TextureFields, offsetLeft, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, offsetRight, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, offsetTop, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, offsetBottom, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, transparency, U16, Kx2::kValueInt16),
    KX2_FIELD(TextureFields, rotateWith, U8, Kx2::kValueUInt8),
};

CKx2ShapeTbl<CPresentPicture>& Pictures() { return PresentPictureTable(); }

const CPresentPicture* PictureEntry(uint32_t id) { return Pictures().GetEntry(id); }

// Everything from the mode on, in record order.
int XferBody(CKx2DataBlock& archive, TextureFields& f) {
  using Present::Xfer;
  return Xfer(archive, f.mode) && Xfer(archive, f.offsetX) && Xfer(archive, f.scaleX) && Xfer(archive, f.offsetY) &&
         Xfer(archive, f.scaleY) && Xfer(archive, f.alignment) && Xfer(archive, f.mirrorType) &&
         Xfer(archive, f.offsetLeft) && Xfer(archive, f.offsetRight) && Xfer(archive, f.offsetTop) &&
         Xfer(archive, f.offsetBottom) && Xfer(archive, f.transparency) && Xfer(archive, f.rotateWith);
}

}  // namespace

CPresentTexture::CPresentTexture(const CPresentTexture& other) : CPresentUnknown(), CKx2ShapeRefCnt() {
  AssignValue(other);
}

CPresentTexture::~CPresentTexture() {
  Pictures().Release(v.pictureID);
  v.pictureID = 0;
  styleSlot = -1;
}

CPresentTexture CPresentTexture::EmptyEntry() {
  CPresentTexture t;
  t.v.scaleX = 1000;
  t.v.scaleY = 1000;
  return t;
}

CPresentTexture CPresentTexture::StandardEntry() {
  CPresentTexture t = EmptyEntry();
  t.v.rotateWith = 1;
  return t;
}

void CPresentTexture::SetPicture(CPresentTexture& value, uint32_t id) { Pictures().Assign(value.v.pictureID, id); }

bool CPresentTexture::IsSameValue(const CPresentTexture& other) const {
  return v.pictureID == other.v.pictureID && Present::Fields::AllSame(&v, &other.v, kFields);
}

int CPresentTexture::AssignValue(const CPresentTexture& other) {
  SetPicture(*this, other.v.pictureID);
  Present::Fields::CopyAll(&v, &other.v, kFields);
  return 1;
}

void CPresentTexture::ClearEntry() {
  Pictures().Release(v.pictureID);
  v.pictureID = 0;
  Present::FreeStyleRecord(Present::StyleKind::Texture, styleSlot);
}

uint64_t CPresentTexture::HashValue() const {
  Present::ValueHash h;
  h.Add(v.pictureID);
  for (size_t k = 1; k < 14; ++k) h.Add(static_cast<uint64_t>(Present::Fields::GetInt(&v, kFields[k])));
  return h.Get();
}

BOOL CPresentTexture::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentTextureCtx>(*this, sink);
}

IPresentPicture* CPresentTexture::GetPicture() { return Pictures().GetEntry(v.pictureID); }

void CPresentTexture::ReportReferences(IKx2ShapeMapperCtx* mapper) const {
  if (!mapper) return;
  if (v.pictureID) {
    if (const CPresentPicture* picture = PictureEntry(v.pictureID)) picture->ReportReferences(mapper);
    mapper->Register(Present::kKindPicture, v.pictureID);
  }
}

int CPresentTexture::ExchangeMapped(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  IKx2ShapeMapperCtx* mapper = Present::ArchiveMapper(archive);
  uint32_t picture = Present::MappedFieldOut(mapper, Present::kKindPicture, v.pictureID);
  int ok = Present::Xfer(archive, picture);
  if (record.reading()) SetPicture(*this, Present::MappedFieldIn(mapper, Present::kKindPicture, picture));
  ok = ok && XferBody(archive, v);
  return record.End() && ok ? 1 : 0;
}

int CPresentTexture::ExchangeEmbedded(CKx2DataBlock& archive) {
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  uint32_t picture = v.pictureID;
  int ok = Present::Xfer(archive, picture) && XferBody(archive, v);
  ok = record.End() && ok;
  if (!ok || picture == 0) return ok ? 1 : 0;
  if (!record.reading()) {
    const CPresentPicture* entry = PictureEntry(v.pictureID);
    return entry ? const_cast<CPresentPicture*>(entry)->ExchangeEmbedded(archive) : 0;
  }
  // The identifier only tells that a picture follows; the picture itself is interned.
  CPresentPicture fresh;
  if (!fresh.ExchangeEmbedded(archive)) return 0;
  const int32_t id = Pictures().Intern(fresh);
  if (id < 0) return 1;  // the table is full: the texture keeps its picture
  Pictures().Release(v.pictureID);
  v.pictureID = static_cast<uint16_t>(id);
  return 1;
}

int CPresentTexture::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  IKx2ShapeMapperCtx* mapper = Present::XmlMapper(archive);
  char16_t text[32];
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    WriteVocabulary(archive, element, u"m:position", Present::Vocabulary::TextureMode, v.mode);
    FormatInt(text, v.rotateWith);
    SetAttribute(archive, element, u"m:rotateWith", text);
    Present::FormatIdAttribute(text, mapper, Present::kKindPicture, v.pictureID);
    SetAttribute(archive, element, u"m:pictureID", text);
    if (IKX2XMLElement* tile = CreateElement(archive, u"m:textureTile")) {
      SetAttribute(archive, tile, u"m:offsetX", FormatLength(archive, v.offsetX));
      FormatScaled(text, v.scaleX, u"%");
      SetAttribute(archive, tile, u"m:scaleX", text);
      SetAttribute(archive, tile, u"m:offsetY", FormatLength(archive, v.offsetY));
      FormatScaled(text, v.scaleY, u"%");
      SetAttribute(archive, tile, u"m:scaleY", text);
      WriteVocabulary(archive, tile, u"m:alignment", Present::Vocabulary::TextureAlignment, v.alignment);
      WriteVocabulary(archive, tile, u"m:mirrorType", Present::Vocabulary::FlipMode, v.mirrorType);
      element->AppendChild(tile);
      tile->Release();
    }
    if (IKX2XMLElement* stretch = CreateElement(archive, u"m:textureStretch")) {
      const uint16_t values[5] = {v.offsetLeft, v.offsetRight, v.offsetTop, v.offsetBottom, v.transparency};
      const char16_t* names[5] = {u"m:offsetLeft", u"m:offsetRight", u"m:offsetTop", u"m:offsetBottom",
                                  u"m:transparency"};
      for (int i = 0; i < 5; ++i) {
        FormatScaled(text, values[i], u"%");
        SetAttribute(archive, stretch, names[i], text);
      }
      element->AppendChild(stretch);
      stretch->Release();
    }
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  v.mode = ReadVocabulary(archive, element.get(), u"m:position", Present::Vocabulary::TextureMode, 0);
  v.rotateWith = 0;
  ParseByte(element->GetAttribute(u"m:rotateWith"), &v.rotateWith);
  SetPicture(*this, Present::ParseIdAttribute(element->GetAttribute(u"m:pictureID"), mapper, Present::kKindPicture));
  if (Present::XmlRef<IKX2XMLElement> tile{Present::XmlChildElement(element.get(), u"m:textureTile")}) {
    if (const char16_t* t = tile->GetAttribute(u"m:offsetX")) v.offsetX = ParseLength(t);
    if (const char16_t* t = tile->GetAttribute(u"m:scaleX")) v.scaleX = Saturate<uint16_t>(ParseScaled(t));
    if (const char16_t* t = tile->GetAttribute(u"m:offsetY")) v.offsetY = ParseLength(t);
    if (const char16_t* t = tile->GetAttribute(u"m:scaleY")) v.scaleY = Saturate<uint16_t>(ParseScaled(t));
    v.alignment = ReadVocabulary(archive, tile.get(), u"m:alignment", Present::Vocabulary::TextureAlignment, 0);
    v.mirrorType = ReadVocabulary(archive, tile.get(), u"m:mirrorType", Present::Vocabulary::FlipMode, 0);
  }
  if (Present::XmlRef<IKX2XMLElement> stretch{Present::XmlChildElement(element.get(), u"m:textureStretch")}) {
    uint16_t* fields[5] = {&v.offsetLeft, &v.offsetRight, &v.offsetTop, &v.offsetBottom, &v.transparency};
    const char16_t* names[5] = {u"m:offsetLeft", u"m:offsetRight", u"m:offsetTop", u"m:offsetBottom",
                                u"m:transparency"};
    for (int i = 0; i < 5; ++i)
      if (const char16_t* t = stretch->GetAttribute(names[i])) *fields[i] = Saturate<uint16_t>(ParseScaled(t));
  }
  return 1;
}

// ---- Context ---------------------------------------------------------------------------------

CPresentTextureCtx::CPresentTextureCtx(const CPresentTexture& value) : CPresentFormatCtx(value) {
  if (const CPresentPicture* entry = PictureEntry(v.pictureID)) picture.ResetFrom(*entry);
}

CPresentTextureCtx::CPresentTextureCtx(const CPresentTextureCtx& other)
    : CPresentFormatCtx(other), picture(other.picture) {}

int CPresentTextureCtx::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  BeginStore(host);
  if (IsCommon(0) && !StoreNested(host, 0, Kx2::kPropertyClassPicture, picture)) return 0;
  return Present::Fields::Store(host, &v, states_.data(), kFields);
}

int CPresentTextureCtx::Load(IKx2PropertyObject* host, int* nothingFound) {
  bool found = false, any = false;
  int ok = 1;
  if (host) {
    ok = LoadNested(host, 0, picture, Pictures(), v.pictureID, &found);
    any = Present::Fields::Load(host, &v, states_.data(), kFields);
  }
  if (nothingFound) *nothingFound = found || any ? 0 : 1;
  return ok;
}

void CPresentTextureCtx::Apply(CPresentTexture& target) {
  if (IsCommon(0)) {
    if (const CPresentPicture* entry = PictureEntry(target.v.pictureID)) {
      CPresentPicture copy(*entry);
      picture.Apply(copy);
      const int32_t id = Pictures().Intern(copy);
      if (id >= 0) {
        Pictures().Release(target.v.pictureID);
        target.v.pictureID = static_cast<uint16_t>(id);
      }
    }
  }
  Present::Fields::Apply(&target.v, &v, states_.data(), kFields);
}

void CPresentTextureCtx::Merge(const CPresentTexture& value) {
  const CPresentPicture* theirs = PictureEntry(value.v.pictureID);
  if (GetState(0) == kStateUnset) {
    // The first value also gives the context its picture, so that a later value naming the
    // same entry counts as equal.
    SetPicture(*this, value.v.pictureID);
    SetState(0, kStateCommon);
    if (theirs) picture.Merge(*theirs);
  } else if (GetState(0) == kStateCommon && theirs != PictureEntry(v.pictureID)) {
    SetState(0, kStateMixed);
    if (theirs) picture.Merge(*theirs);
  }
  Present::Fields::Merge(&v, &value.v, states_.data(), kFields);
}

int CPresentTextureCtx::IsEqual(const CPresentTexture& value) {
  if (IsCommon(0)) {
    const CPresentPicture* theirs = PictureEntry(value.v.pictureID);
    if (theirs && !picture.IsEqual(*theirs)) return 0;
  }
  return Present::Fields::Equal(&v, &value.v, states_.data(), kFields) ? 1 : 0;
}

int CPresentTextureCtx::Archive(CKx2DataBlock& archive) {
  const int ok = ArchiveWithStates(archive, kStatesTag, [this](CKx2DataBlock& ar) { return ExchangeEmbedded(ar); });
  if (const CPresentPicture* entry = PictureEntry(v.pictureID)) picture.ResetFrom(*entry);
  return ok;
}

int CPresentTextureCtx::CopyFrom(CPresentTextureCtx& target, const CPresentTextureCtx& source) {
  if (!target.AssignValue(source)) return 0;
  target.states_ = source.States();
  return target.picture.CopyFrom(source.picture);
}

void CPresentTextureCtx::ResetFrom(const CPresentTexture& value) {
  AssignValue(value);
  SetAllStates(kStateCommon);
  if (const CPresentPicture* entry = PictureEntry(v.pictureID)) picture.ResetFrom(*entry);
}

// ---- Table -------------------------------------------------------------------------------------

CKx2ShapeTbl<CPresentTexture>& PresentTextureTable() {
  return Present::KindTable<CPresentTexture>(Present::kKindTexture);
}

int InitTextureTable() {
  const CPresentTexture empty = CPresentTexture::EmptyEntry();
  const CPresentTexture standard = CPresentTexture::StandardEntry();
  return PresentTextureTable().InitFixedEntries(empty, &standard);
}

int32_t FreeTextureTable() { return PresentTextureTable().FreeShapeTable(); }
