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
  TqXMLStorage::NewFileResult extracted = TqXMLStorage::kNameTaken;
  // The temporary file is made new under the next name of the rule: the creation is the
  // one look at the folder a name needs, and a name some file took goes on to the next.
  for (int attempt = 0; attempt < kNameAttempts && extracted == TqXMLStorage::kNameTaken; ++attempt) {
    if (!Basalt::Util::PathUtil::_PathMakeTempEx(prefix_.c_str(), extension, NextStamp(), folder_.c_str(), name) ||
        !name[0])
      return nullptr;
    // The folder is made once per import, and looked for again after a failure.
    if (!folderReady_ && !Basalt::Util::PathUtil::_PathCreate(name)) return nullptr;
    folderReady_ = true;
    extracted = package.ExtractEntryToNewFile(entry.c_str(), name);
  }
  // A failed extraction leaves no file of its own behind.
  if (extracted != TqXMLStorage::kExtracted) {
    folderReady_ = false;
    return nullptr;
  }
  extracted_ += size;
  auto made = std::make_unique<Record>();
  made->temporaryName = name;
  const bool stored = made->file.Store(name, application_);
  Basalt::Util::FileAndIOUtil::_DeleteFile(name);
  if (!stored) return nullptr;
  record = std::move(made);
  return &record->file;
}

uint64_t PackageFiles::NextStamp() {
  // The rule's name parts: the thread in the low word, a counter of this import's own in
  // the high one (never 0, which asks the rule for a name it checks itself), begun from the
  // clock so that imports one after another start apart.
  if (nextCounter_ == 0) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    nextCounter_ = static_cast<uint16_t>(now.QuadPart) | 1;
  }
  const uint16_t counter = nextCounter_;
  nextCounter_ = nextCounter_ == 0xFFFF ? 1 : static_cast<uint16_t>(nextCounter_ + 1);
  return GetCurrentThreadId() | static_cast<uint64_t>(counter) << 32;
}

std::u16string PackageFiles::TemporaryName(const std::u16string& entry) const {
  auto it = entries_.find(entry);
  return it != entries_.end() && it->second ? it->second->temporaryName : std::u16string();
}

void PackageFiles::Clear() {
  entries_.clear();
  extracted_ = 0;
  tooLarge_ = false;
  folderReady_ = false;
}

}  // namespace foliant
