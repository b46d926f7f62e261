// The bytes of a record archive handed to the host's binary-data store: what the store
// writes goes into the current record's body, what it reads comes from it.
#pragma once

#include <plastrum/format/BinDataStore.h>
#include <plastrum/Kx2Archive.h>
#include <plastrum/Export.h>

class PLASTRUM_API ArchiveDataStream final : public IKx2DataStream {
 public:
  explicit ArchiveDataStream(CKx2DataBlock& archive) : archive_(archive) {}
  int32_t ReadBytes(void* buffer, int32_t n) override;
  int32_t WriteBytes(const void* buffer, int32_t n) override;

 private:
  CKx2DataBlock& archive_;
};
