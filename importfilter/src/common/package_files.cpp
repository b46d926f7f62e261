#include <foliant/common/package_files.h>

#include <basalt/file_io.h>
#include <basalt/path_util.h>
#include <foliant/zip/tq_xml_storage.h>

namespace foliant {

PackageFiles::PackageFiles(LPCWSTR tempPrefix, LPCWSTR tempFolder, uint64_t maxBytes, IVtlApplication* application)
    : prefix_(tempPrefix), folder_(tempFolder), maxBytes_(maxBytes), application_(application) {}

PackageFiles::~PackageFiles() = default;

const StoredFile* PackageFiles::Store(TqXMLStorage& package, const std::u16string& entry, LPCWSTR extension) {
  if (entry.empty()) return nullptr;
  if (auto done = entries_.find(entry); done != entries_.end()) return done->second ? &done->second->file : nullptr;
  if (!package.HasEntry(entry.c_str())) return nullptr;
  const uint64_t size = package.GetEntrySize(entry.c_str());
  if (extracted_ + size > maxBytes_) {
    tooLarge_ = true;
    return nullptr;
  }
  std::unique_ptr<Record>& record = entries_[entry];
  WCHAR name[MAX_PATH] = {};
  if (!Basalt::Util::PathUtil::_PathMakeTempEx(prefix_.c_str(), extension, 0, folder_.c_str(), name) || !name[0])
    return nullptr;
  auto made = std::make_unique<Record>();
  made->temporaryName = name;
  // A failed extraction may leave part of the file: it goes like a whole one.
  const bool extracted = package.ExtractEntry(entry.c_str(), name);
  if (extracted) extracted_ += size;
  const bool stored = extracted && made->file.Store(name, application_);
  Basalt::Util::FileAndIOUtil::_DeleteFile(name);
  if (!stored) return nullptr;
  record = std::move(made);
  return &record->file;
}

std::u16string PackageFiles::TemporaryName(const std::u16string& entry) const {
  auto it = entries_.find(entry);
  return it != entries_.end() && it->second ? it->second->temporaryName : std::u16string();
}

void PackageFiles::Clear() {
  entries_.clear();
  extracted_ = 0;
  tooLarge_ = false;
}

}  // namespace foliant
