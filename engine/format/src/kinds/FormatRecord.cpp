// Records, two-way values and identifier mapping shared by the format kinds.
#include <plastrum/format/FormatRecord.h>

#include <plastrum/format/ShapeMapper.h>
#include <plastrum/format/XmlConventions.h>

namespace Present {

RecordScope::RecordScope(CKx2DataBlock& archive, uint16_t tag) : archive_(archive), reading_(archive.IsReading()) {
  archive_.SetLevel(archive_.GetLevel() + 1);
  ok_ = reading_ ? archive_.OpenRecord(tag) == tag : archive_.BeginRecord(tag) != 0;
}

RecordScope::~RecordScope() {
  // Also left by the archive's throw mode: closing must not throw again.
  try {
    End();
  } catch (...) {}
  archive_.SetLevel(archive_.GetLevel() - 1);
}

int RecordScope::End() {
  if (ended_) return ok_ ? 1 : 0;
  ended_ = true;
  // A reader whose record was missing has nothing to close (a record of another tag stays
  // pending for the caller to skip).
  if (reading_ && !ok_) return 0;
  const int closed = archive_.EndRecord();
  return ok_ && closed ? 1 : 0;
}

int Xfer(CKx2DataBlock& archive, uint8_t& value) {
  if (archive.IsReading()) return value = archive.ReadU8(), 1;
  return archive.WriteU8(value);
}

int Xfer(CKx2DataBlock& archive, uint16_t& value) {
  if (archive.IsReading()) return value = archive.ReadU16(), 1;
  return archive.WriteU16(value);
}

int Xfer(CKx2DataBlock& archive, int16_t& value) {
  if (archive.IsReading()) return value = static_cast<int16_t>(archive.ReadU16()), 1;
  return archive.WriteU16(static_cast<uint16_t>(value));
}

int Xfer(CKx2DataBlock& archive, uint32_t& value) {
  if (archive.IsReading()) return value = archive.ReadU32(), 1;
  return archive.WriteU32(value);
}

int Xfer(CKx2DataBlock& archive, int32_t& value) {
  if (archive.IsReading()) return value = static_cast<int32_t>(archive.ReadU32()), 1;
  return archive.WriteU32(static_cast<uint32_t>(value));
}

int XferRepeatedColor(CKx2DataBlock& archive, PresentColorRef& color, bool present) {
  if (!present) return 1;
  if (archive.IsReading() && !archive.HasBytesLeft(8)) return 1;
  return color.Exchange(archive);
}

IKx2ShapeMapperCtx* ArchiveMapper(const CKx2DataBlock& archive) {
  auto* mapper = static_cast<IKx2ShapeMapperCtx*>(archive.GetContext());
  return mapper ? mapper->GetMapper(1) : nullptr;
}

IKx2ShapeMapperCtx* XmlMapper(const ShapeXmlArchive& archive) { return archive.Mapper(); }

uint32_t MapIdOut(IKx2ShapeMapperCtx* mapper, uint32_t code, uint32_t tableId) {
  if (!mapper) return tableId;
  const int32_t fileId = mapper->MapOut(static_cast<int32_t>(code), tableId);
  return fileId < 0 ? 0u : static_cast<uint32_t>(fileId);
}

uint16_t MapIdIn(IKx2ShapeMapperCtx* mapper, uint32_t code, uint32_t fileId) {
  if (!mapper) return static_cast<uint16_t>(fileId <= kNoIdentifier ? fileId : 0);
  const uint32_t id = mapper->MapIn(static_cast<int32_t>(code), static_cast<int32_t>(fileId));
  if (id == 0xFFFFFFFFu) return static_cast<uint16_t>(kNoIdentifier);
  return id <= kNoIdentifier ? static_cast<uint16_t>(id) : 0;
}

uint32_t MappedFieldOut(IKx2ShapeMapperCtx* mapper, uint32_t code, uint16_t tableId) {
  return tableId == 0 ? 0xFFFFFFFFu : MapIdOut(mapper, code, tableId);
}

uint16_t MappedFieldIn(IKx2ShapeMapperCtx* mapper, uint32_t code, uint32_t word) {
  return word == 0xFFFFFFFFu ? 0 : MapIdIn(mapper, code, word);
}

void FormatIdAttribute(char16_t* out, IKx2ShapeMapperCtx* mapper, uint32_t code, uint16_t tableId) {
  if (tableId == 0) {
    const char16_t none[] = u"none";
    for (int i = 0; i < 5; ++i) out[i] = none[i];
    return;
  }
  ShapeXml::FormatInt(out, MapIdOut(mapper, code, tableId));
}

uint16_t ParseIdAttribute(const char16_t* text, IKx2ShapeMapperCtx* mapper, uint32_t code) {
  if (text && text[0] == u'n' && text[1] == u'o' && text[2] == u'n' && text[3] == u'e' && text[4] == 0) return 0;
  int64_t fileId = text && *text ? ShapeXml::ParseInteger(text) : 0;
  if (fileId < 0 || fileId > 0x7FFFFFFF) fileId = 0;
  return MapIdIn(mapper, code, static_cast<uint32_t>(fileId));
}

}  // namespace Present
