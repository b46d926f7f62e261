// What every format kind's record and XML forms share: one record at a time in the archive's
// direction, values moved both ways by one call, and identifiers passed through the mapper
// of the exchange.
#pragma once

#include <cstdint>

#include <plastrum/format/ColorRef.h>
#include <plastrum/format/ShapeKinds.h>
#include <plastrum/Kx2Archive.h>
#include <plastrum/Export.h>

class IKx2ShapeMapperCtx;
struct ShapeXmlArchive;

namespace Present {

// One value group: the nesting level rises by one for as long as the scope lives, and the
// record is opened (reading) or begun (writing) with the tag. End() closes it; groups nested
// under it are exchanged after End() and before the scope goes, so that they carry a greater
// level than their parent.
class PLASTRUM_API RecordScope {
 public:
  RecordScope(CKx2DataBlock& archive, uint16_t tag);
  ~RecordScope();
  RecordScope(const RecordScope&) = delete;
  RecordScope& operator=(const RecordScope&) = delete;

  // Whether the record is there (reading) or was begun (writing).
  bool ok() const { return ok_; }
  bool reading() const { return reading_; }
  // Closes the record: 1, or 0 when the record was missing or writing it failed.
  int End();

 private:
  CKx2DataBlock& archive_;
  bool ok_;
  bool reading_;
  bool ended_ = false;
};

// Moves one value in the archive's direction: reading stores what was read (zeros past the
// record's body), writing writes it. Each answers 1, or 0 when a write failed.
PLASTRUM_API int Xfer(CKx2DataBlock& archive, uint8_t& value);
PLASTRUM_API int Xfer(CKx2DataBlock& archive, uint16_t& value);
PLASTRUM_API int Xfer(CKx2DataBlock& archive, int16_t& value);
PLASTRUM_API int Xfer(CKx2DataBlock& archive, uint32_t& value);
PLASTRUM_API int Xfer(CKx2DataBlock& archive, int32_t& value);

// A colour reference repeated after its value when it names a colour-table entry. Writing
// puts the copy inside the current record; reading takes it only while the record still holds
// its 8 bytes, so records without the copy read the same.
PLASTRUM_API int XferRepeatedColor(CKx2DataBlock& archive, PresentColorRef& color, bool present);

// The per-file mapper of a record archive or an XML exchange (GetMapper(1) of what it holds),
// or null.
PLASTRUM_API IKx2ShapeMapperCtx* ArchiveMapper(const CKx2DataBlock& archive);
PLASTRUM_API IKx2ShapeMapperCtx* XmlMapper(const ShapeXmlArchive& archive);

// A table identifier as its file identifier: the mapper's answer (0 for an answer outside
// 0..0x7FFFFFFF), or the identifier itself without a mapper.
PLASTRUM_API uint32_t MapIdOut(IKx2ShapeMapperCtx* mapper, uint32_t code, uint32_t tableId);
// A file identifier as the table identifier a 16-bit field holds: the mapper's answer, its
// failure mark (-1) as "no identifier" (0xFFFF), anything else beyond 16 bits as none; the
// identifier itself (cut to 16 bits) without a mapper.
PLASTRUM_API uint16_t MapIdIn(IKx2ShapeMapperCtx* mapper, uint32_t code, uint32_t fileId);

// An identifier field of a mapped record: MapIdOut of a non-zero identifier, or 0xFFFFFFFF
// for none; reading, 0xFFFFFFFF gives none and any other value is mapped in.
PLASTRUM_API uint32_t MappedFieldOut(IKx2ShapeMapperCtx* mapper, uint32_t code, uint16_t tableId);
PLASTRUM_API uint16_t MappedFieldIn(IKx2ShapeMapperCtx* mapper, uint32_t code, uint32_t word);

// An identifier attribute of the XML forms: "%u" of the mapped identifier, or "none" for
// identifier 0. Writes into out (at least 16 units).
PLASTRUM_API void FormatIdAttribute(char16_t* out, IKx2ShapeMapperCtx* mapper, uint32_t code, uint16_t tableId);
// Reading such an attribute: absent or empty gives file identifier 0, "none" gives none, a
// decimal number n gives file identifier n; a file identifier is mapped in (MapIn of 0 too).
PLASTRUM_API uint16_t ParseIdAttribute(const char16_t* text, IKx2ShapeMapperCtx* mapper, uint32_t code);

}  // namespace Present
