// The entries of a map package (pictures, attachments, icons) that one import hands to the
// host's file store. Each entry is extracted once, however many topics name it, stored
// once, and its temporary copy deleted as soon as the store has it; later references share
// the stored key. The bytes one import extracts are capped, so that a small package cannot
// make memory or disk grow without bound through its references.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <foliant/common/object_table.h>

class TqXMLStorage;

namespace foliant {

class PackageFiles {
 public:
  // Temporary copies are named by the path utility's temporary-name rule with these parts;
  // files go to the store of `application` (the loaded host's when null).
  PackageFiles(LPCWSTR tempPrefix, LPCWSTR tempFolder, uint64_t maxBytes, IVtlApplication* application = nullptr);
  ~PackageFiles();
  PackageFiles(const PackageFiles&) = delete;
  PackageFiles& operator=(const PackageFiles&) = delete;

  // The stored copy of a package entry; null when the package has no such entry, it cannot
  // be extracted or stored, or it would take the import past its cap (then `TooLarge()`).
  const StoredFile* Store(TqXMLStorage& package, const std::u16string& entry, LPCWSTR extension);
  // The temporary name an entry was extracted under (gone by now); empty when none.
  std::u16string TemporaryName(const std::u16string& entry) const;

  bool TooLarge() const { return tooLarge_; }
  uint64_t ExtractedBytes() const { return extracted_; }
  // Drops every stored key this import holds and forgets the entries.
  void Clear();

 private:
  struct Record {
    StoredFile file;
    std::u16string temporaryName;
  };
  // Names tried for one temporary file before giving up.
  static constexpr int kNameAttempts = 64;
  // The stamp of the next temporary name.
  uint64_t NextStamp();
  std::u16string prefix_, folder_;
  uint64_t maxBytes_;
  IVtlApplication* application_;
  std::map<std::u16string, std::unique_ptr<Record>> entries_;  // null: the entry failed once
  uint64_t extracted_ = 0;
  uint16_t nextCounter_ = 0;
  bool folderReady_ = false;
  bool tooLarge_ = false;
};

}  // namespace foliant
