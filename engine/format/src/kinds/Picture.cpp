// The picture format: values with their store references, record and XML forms.
#include <plastrum/format/PresentPicture.h>

#include <vector>

#include <plastrum/format/ArchiveStream.h>
#include <plastrum/format/BinDataStore.h>
#include <plastrum/format/FormatRecord.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/StyleSlot.h>
#include <plastrum/format/XmlConventions.h>

#include <plastrum/format/FormatFields.h>
#include "KindTable.h"

namespace {

using Present::Fields::Field;

// Field 0, the data identifier, travels as an object reference and is left to the kind.
const Field kFields[6] = {
    KX2_NESTED_FIELD,
    KX2_FIELD(PictureFields, recolor, U8, Kx2::kValueUInt8),
    KX2_FIELD(PictureFields, recolorColor, Color, Kx2::kValueUInt64),
    KX2_FIELD(PictureFields, brightness, I16, Kx2::kValueInt16),
    KX2_FIELD(PictureFields, contrast, I16, Kx2::kValueInt16),
    KX2_FIELD(PictureFields, transparency, I16, Kx2::kValueInt16),
};

IKx2BinDataStore* DataStore() { return Present::GetBinDataStore(); }

// Collects what the store writes, so that the record can give the data's description before
// the data itself and a reader can take them in that order.
class CollectingStream final : public IKx2DataStream {
 public:
  int32_t ReadBytes(void*, int32_t) override { return 0; }
  int32_t WriteBytes(const void* buffer, int32_t n) override {
    if (!buffer || n <= 0) return 0;
    const auto* p = static_cast<const uint8_t*>(buffer);
    bytes.insert(bytes.end(), p, p + n);
    return n;
  }
  std::vector<uint8_t> bytes;
};

}  // namespace

namespace Present {

bool SamePictureData(uint32_t a, uint32_t b) {
  if (a == b) return true;
  if (a == 0 || b == 0) return false;
  IKx2BinDataStore* store = DataStore();
  return store && store->SameData(a, b);
}

}  // namespace Present

CPresentPicture::CPresentPicture(const CPresentPicture& other) : CPresentUnknown(), CKx2ShapeRefCnt() {
  AssignValue(other);
}

CPresentPicture::~CPresentPicture() {
  SetBinDataId(0);
  styleSlot = -1;
}

CPresentPicture CPresentPicture::EmptyEntry() {
  CPresentPicture p;
  p.v.recolorColor = PresentColorRef::SchemeColor(4);
  return p;
}

CPresentPicture CPresentPicture::StandardEntry() {
  CPresentPicture p;
  p.v.recolorColor = PresentColorRef::SchemeColor(5);
  return p;
}

void CPresentPicture::SetBinDataId(uint32_t id) {
  if (id == v.binDataId) return;
  IKx2BinDataStore* store = DataStore();
  uint32_t kept = id <= 0xFFFF ? id : 0;
  if (store && kept != 0) {
    const ULONG_PTR answer = store->AddRefData(kept);
    if (answer > 0xFFFF) {
      store->ReleaseData(answer);
      kept = 0;
    } else {
      kept = static_cast<uint32_t>(answer);
    }
  }
  AdoptBinDataId(kept);
}

void CPresentPicture::AdoptBinDataId(uint32_t id) {
  IKx2BinDataStore* store = DataStore();
  if (id > 0xFFFF) {
    if (store) store->ReleaseData(id);
    id = 0;
  }
  if (store && v.binDataId != 0) store->ReleaseData(v.binDataId);
  v.binDataId = static_cast<uint16_t>(id);
}

bool CPresentPicture::IsSameValue(const CPresentPicture& other) const {
  return Present::SamePictureData(v.binDataId, other.v.binDataId) && Present::Fields::AllSame(&v, &other.v, kFields);
}

int CPresentPicture::AssignValue(const CPresentPicture& other) {
  SetBinDataId(other.v.binDataId);
  Present::Fields::CopyAll(&v, &other.v, kFields);
  return 1;
}

void CPresentPicture::ClearEntry() {
  SetBinDataId(0);
  Present::FreeStyleRecord(Present::StyleKind::Picture, styleSlot);
}

uint64_t CPresentPicture::HashValue() const {
  // Equal data may go by two identifiers, so only whether there is data at all is hashed.
  return Present::ValueHash()
      .Add(v.binDataId != 0)
      .Add(v.recolor)
      .Add(v.recolorColor)
      .Add(static_cast<uint16_t>(v.brightness))
      .Add(static_cast<uint16_t>(v.contrast))
      .Add(static_cast<uint16_t>(v.transparency))
      .Get();
}

BOOL CPresentPicture::ExportToSink(IKx2PropertyObject* sink) {
  return Present::ExportThroughContext<CPresentPictureCtx>(*this, sink);
}

void CPresentPicture::ReportReferences(IKx2ShapeMapperCtx* mapper) const {
  if (!mapper) return;
  if (v.binDataId) mapper->Register(0, v.binDataId);
  if (v.recolorColor.colorId) mapper->Register(Present::kKindColor, v.recolorColor.colorId);
}

int CPresentPicture::ExchangeMapped(CKx2DataBlock& archive) {
  using Present::Xfer;
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  IKx2ShapeMapperCtx* mapper = Present::ArchiveMapper(archive);
  int ok = 1;
  if (record.reading()) {
    const uint16_t fileId = archive.ReadU16();
    uint32_t id = fileId;
    if (fileId != 0 && mapper) {
      id = mapper->MapIn(0, fileId);
      if (id > 0xFFFF) id = 0;
    }
    SetBinDataId(id);
  } else {
    uint16_t fileId = static_cast<uint16_t>(Present::MapIdOut(mapper, 0, v.binDataId));
    ok = Xfer(archive, fileId);
  }
  ok = ok && Xfer(archive, v.recolor) && Xfer(archive, v.brightness) && Xfer(archive, v.contrast) &&
       Xfer(archive, v.transparency) && v.recolorColor.ExchangeMapped(archive);
  return record.End() && ok ? 1 : 0;
}

int CPresentPicture::ExchangeEmbedded(CKx2DataBlock& archive) {
  using Present::Xfer;
  Present::RecordScope record(archive, kRecordTag);
  if (!record.ok()) return 0;
  IKx2BinDataStore* store = DataStore();
  const bool keeps = !store || store->KeepsData();
  int ok = 1;
  if (record.reading()) {
    const uint8_t flag = archive.ReadU8();
    if (flag == 0 || (store && keeps)) {
      SetBinDataId(archive.ReadU32());
    } else if (!store) {
      // Data without a store to keep it: passed over, the picture shows none.
      const uint32_t word = archive.ReadU32();
      archive.Skip(16);
      archive.Skip(static_cast<int32_t>(word > 0x7FFFFFFF ? 0x7FFFFFFF : word));
      SetBinDataId(0);
    } else {
      const uint32_t word = archive.ReadU32();
      Kx2::ValueBlock16 block;
      archive.Read16Bytes(block.bytes);
      const int32_t before = archive.GetPosition();
      uint32_t readWord = word;
      ArchiveDataStream stream(archive);
      AdoptBinDataId(static_cast<uint32_t>(store->ExchangeData(&stream, 0, &block, &readWord, FALSE)));
      // Whatever the store left of its data is passed over, so that the fields after it
      // stay in step.
      const int64_t left = static_cast<int64_t>(word) - (archive.GetPosition() - before);
      if (left > 0) archive.Skip(static_cast<int32_t>(left > 0x7FFFFFFF ? 0x7FFFFFFF : left));
    }
  } else if (keeps || v.binDataId == 0) {
    ok = archive.WriteU8(0) && archive.WriteU32(v.binDataId);
  } else {
    CollectingStream data;
    Kx2::ValueBlock16 block{};
    uint32_t word = 0;
    store->ExchangeData(&data, v.binDataId, &block, &word, TRUE);
    ok = archive.WriteU8(1) && archive.WriteU32(word) && archive.Write16Bytes(block.bytes);
    if (ok && !data.bytes.empty())
      ok = archive.Write(data.bytes.data(), static_cast<int32_t>(data.bytes.size())) ==
           static_cast<int32_t>(data.bytes.size());
  }
  ok = ok && Xfer(archive, v.recolor) && v.recolorColor.Exchange(archive) && Xfer(archive, v.brightness) &&
       Xfer(archive, v.contrast) && Xfer(archive, v.transparency) &&
       Present::XferRepeatedColor(archive, v.recolorColor, v.recolorColor.colorId != 0);
  return record.End() && ok ? 1 : 0;
}

int CPresentPicture::ExchangeXml(ShapeXmlArchive& archive, int32_t index) {
  using namespace Present::ShapeXml;
  IKx2ShapeMapperCtx* mapper = Present::XmlMapper(archive);
  char16_t text[32];
  if (!archive.IsReading()) {
    IKX2XMLElement* element = BeginValueElement(archive, kElementName, index);
    if (!element) return 0;
    if (mapper) {
      FormatInt(text, Present::MapIdOut(mapper, 0, v.binDataId));
      SetAttribute(archive, element, u"m:binDataid", text);
    }
    WriteVocabulary(archive, element, u"m:recolor", Present::Vocabulary::RecolorMode, v.recolor);
    FormatScaled(text, v.brightness, u"%");
    SetAttribute(archive, element, u"m:brightness", text);
    FormatScaled(text, v.contrast, u"%");
    SetAttribute(archive, element, u"m:contrast", text);
    FormatScaled(text, v.transparency, u"%");
    SetAttribute(archive, element, u"m:transparency", text);
    IKX2XMLElement* saved = archive.current;
    archive.current = element;
    v.recolorColor.ExchangeXml(archive, nullptr);
    archive.current = saved;
    AppendToCurrent(archive, element);
    return 1;
  }
  Present::XmlRef<IKX2XMLElement> element(FindValueElement(archive, kElementName, index));
  if (!element) return 0;
  if (mapper) {
    const char16_t* idText = element->GetAttribute(u"m:binDataid");
    const int64_t fileId = idText && *idText ? ParseInteger(idText) : 0;
    if (fileId > 0 && fileId <= 0x7FFFFFFF) {
      const uint32_t id = mapper->MapIn(0, static_cast<int32_t>(fileId));
      SetBinDataId(id <= 0xFFFF ? id : 0);
    }
  }
  v.recolor = ReadVocabulary(archive, element.get(), u"m:recolor", Present::Vocabulary::RecolorMode, 0);
  if (const char16_t* t = element->GetAttribute(u"m:brightness")) v.brightness = Saturate<int16_t>(ParseScaled(t));
  if (const char16_t* t = element->GetAttribute(u"m:contrast")) v.contrast = Saturate<int16_t>(ParseScaled(t));
  if (const char16_t* t = element->GetAttribute(u"m:transparency")) v.transparency = Saturate<int16_t>(ParseScaled(t));
  IKX2XMLElement* saved = archive.current;
  archive.current = element.get();
  v.recolorColor.ExchangeXml(archive, nullptr);
  archive.current = saved;
  return 1;
}

// ---- Context ---------------------------------------------------------------------------------

int CPresentPictureCtx::Store(IKx2PropertyObject* host) {
  if (!host) return 0;
  BeginStore(host);
  if (IsCommon(0)) {
    IKx2BinDataStore* store = DataStore();
    if (!store) return 0;
    Kx2::ScopedPropertyValue value;
    value->type = Kx2::kValueReference;
    value->key = v.binDataId ? store->AddRefData(v.binDataId) : 0;
    value->owner = store;
    if (!host->SetValue(PropertyId(0), *value)) return 0;
  }
  return Present::Fields::Store(host, &v, states_.data(), kFields);
}

int CPresentPictureCtx::Load(IKx2PropertyObject* host, int* nothingFound) {
  bool any = false;
  if (host) {
    Kx2::ScopedPropertyValue value;
    if (host->GetValue(PropertyId(0), value.get())) {
      ULONG_PTR key = 0;
      if (value->type == Kx2::kValueReference)
        key = value->key;
      else if (value->type >= Kx2::kValueInt8 && value->type <= Kx2::kValueULong)
        key = value->u32;
      SetBinDataId(key <= 0xFFFF ? static_cast<uint32_t>(key) : 0);
      SetState(0, kStateCommon);
      any = true;
    }
    any = Present::Fields::Load(host, &v, states_.data(), kFields) || any;
  }
  if (nothingFound) *nothingFound = any ? 0 : 1;
  return 1;
}

void CPresentPictureCtx::Apply(CPresentPicture& target) {
  if (IsCommon(0)) target.SetBinDataId(v.binDataId);
  Present::Fields::Apply(&target.v, &v, states_.data(), kFields);
}

void CPresentPictureCtx::Merge(const CPresentPicture& value) {
  if (GetState(0) == kStateUnset) {
    SetBinDataId(value.v.binDataId);
    SetState(0, kStateCommon);
  } else if (GetState(0) == kStateCommon && !Present::SamePictureData(v.binDataId, value.v.binDataId)) {
    SetState(0, kStateMixed);
  }
  Present::Fields::Merge(&v, &value.v, states_.data(), kFields);
}

int CPresentPictureCtx::IsEqual(const CPresentPicture& value) {
  if (IsCommon(0) && !Present::SamePictureData(v.binDataId, value.v.binDataId)) return 0;
  return Present::Fields::Equal(&v, &value.v, states_.data(), kFields) ? 1 : 0;
}

// ---- Table -------------------------------------------------------------------------------------

CKx2ShapeTbl<CPresentPicture>& PresentPictureTable() {
  return Present::KindTable<CPresentPicture>(Present::kKindPicture);
}

int InitPictureTable() {
  const CPresentPicture empty = CPresentPicture::EmptyEntry();
  const CPresentPicture standard = CPresentPicture::StandardEntry();
  return PresentPictureTable().InitFixedEntries(empty, &standard);
}

int32_t FreePictureTable() { return PresentPictureTable().FreeShapeTable(); }
