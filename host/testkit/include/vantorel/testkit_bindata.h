// Test kit: the host's binary-data store, which keeps the data of pictures.
//
// The store counts references per identifier (AddRefData / ReleaseData), compares data by
// content (SameData), writes data through the record archive and reads it back
// (ExchangeData: the 32-bit word is the byte count, the 16-byte block holds the count and a
// checksum of the bytes), and can be switched to keep data itself (KeepsData). Entries are
// never dropped, so identifiers stay valid for the whole test; TotalReferences shows whether
// the references taken and given back balance.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <plastrum/format/BinDataStore.h>

namespace vantorel::testkit {

struct BinDataKitState;

class BinDataKit {
 public:
  BinDataKit();
  ~BinDataKit();
  BinDataKit(const BinDataKit&) = delete;
  BinDataKit& operator=(const BinDataKit&) = delete;

  IKx2BinDataStore* store() const { return store_; }

  // Adds data under a new identifier without any reference (the entry is known from now on).
  uint16_t AddData(std::vector<uint8_t> bytes);
  // References held on an identifier; -1 for one the store does not know.
  int32_t RefCount(uint32_t id) const;
  // References held on all identifiers together.
  int64_t TotalReferences() const;
  // ReleaseData calls on an identifier whose count was already 0, or unknown.
  int32_t BadReleases() const;
  const std::vector<uint8_t>* Data(uint32_t id) const;
  void SetKeepsData(bool keeps);

  const std::vector<std::string>& calls() const;
  void ClearCalls();

 private:
  std::shared_ptr<BinDataKitState> state_;
  IKx2BinDataStore* store_;
};

}  // namespace vantorel::testkit
