// The host's binary-data store: it keeps the data of pictures and names each by an
// identifier. The host hands it to the engine (CPresentEngine::SetOption); pictures and
// textures hold one store reference per identifier they keep.
//
// The store is also the owner of the object-reference property values (type 0x8002) that
// carry picture identifiers to the host: clearing such a value gives its reference back
// through ReleaseData.
#pragma once

#include <cstdint>

#include <plastrum/PropertyValue.h>
#include <plastrum/Export.h>

// The bytes of a record archive as the store reads and writes them (see ArchiveStream.h for
// the engine's side). Counts of bytes moved; fewer at the end of the data.
class PLASTRUM_API IKx2DataStream {
 public:
  virtual int32_t ReadBytes(void* buffer, int32_t n) = 0;
  virtual int32_t WriteBytes(const void* buffer, int32_t n) = 0;

 protected:
  ~IKx2DataStream() = default;
};

class PLASTRUM_API IKx2BinDataStore : public IKx2ReferenceOwner {
 public:
  // Takes a reference on the data and returns its identifier; 0 when id names no data.
  ULONG_PTR AddRefData(ULONG_PTR id) { return AddReference(id); }
  // Gives one reference back; FALSE for an identifier the store does not know.
  BOOL ReleaseData(ULONG_PTR id) { return ReleaseReference(id); }

  // Whether two identifiers denote the same data.
  virtual BOOL SameData(ULONG_PTR a, ULONG_PTR b) = 0;  // 7
  // Writing: writes the data of `id` to the archive's stream and describes it in *word and
  // *block; returns id (0 when it names no data). Reading: reads the data *word and *block
  // describe from the stream and returns its identifier, which carries one reference for
  // the caller (0 on failure).
  virtual ULONG_PTR ExchangeData(IKx2DataStream* stream, ULONG_PTR id, Kx2::ValueBlock16* block, uint32_t* word,
                                 BOOL writing) = 0;  // 8
  // Whether the store keeps the data itself, so that archives hold identifiers only.
  virtual BOOL KeepsData() = 0;  // 9

 protected:
  ~IKx2BinDataStore() = default;
};
