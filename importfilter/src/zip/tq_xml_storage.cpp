#include "foliant/zip/tq_xml_storage.h"

#include <string_view>

#include "foliant/zip/zip_format.h"

namespace {

// A name as entry names compare: up to its first NUL, ASCII letters in one case.
std::u16string FoldedName(std::u16string_view name) {
  std::u16string folded(name.substr(0, name.find(u'\0')));
  for (char16_t& c : folded)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return folded;
}

}  // namespace

ZipResolver::ZipResolver() : format_(std::make_unique<ZipFormat>()) {}
ZipResolver::~ZipResolver() = default;

TqXMLStorage::TqXMLStorage() : resolver_(std::make_unique<ZipResolver>()) {}
TqXMLStorage::~TqXMLStorage() { Close(); }

int TqXMLStorage::Open(const char16_t* path) {
  // A second open starts from an empty list, so sizes and names always describe the
  // archive that is open now.
  items_.clear();
  index_.clear();
  ZipFormat& zip = resolver_->Format();
  if (!zip.Open(path)) {
    zip.Close();
    zip.Entries().clear();
    return 0;
  }
  items_.reserve(zip.Entries().size());
  index_.reserve(zip.Entries().size());
  for (const ZipEntry& entry : zip.Entries()) {
    // Names are looked up once per reference to them: a package of many attachments would
    // otherwise compare every name with every reference.
    index_.emplace(FoldedName(entry.name), static_cast<int>(items_.size()));
    Item item;
    item.kind = 1;
    item.name = entry.name;
    item.size = entry.uncompressedSize;
    items_.push_back(std::move(item));
  }
  return 1;
}

int TqXMLStorage::Close() {
  items_.clear();
  index_.clear();
  resolver_->Format().Close();
  resolver_->Format().Entries().clear();
  return 1;
}

int TqXMLStorage::FindEntry(const char16_t* name) const {
  if (name == nullptr) return -1;
  const auto found = index_.find(FoldedName(name));
  return found == index_.end() ? -1 : found->second;
}

int TqXMLStorage::HasEntry(const char16_t* name) { return FindEntry(name) >= 0 ? 1 : 0; }

uint32_t TqXMLStorage::GetEntrySize(const char16_t* name) {
  const int i = FindEntry(name);
  if (i < 0) return 0;
  const ZipEntry& entry = resolver_->Format().Entries()[i];
  return entry.oversized() ? 0 : entry.uncompressedSize;
}

int TqXMLStorage::ExtractEntry(const char16_t* name, const char16_t* targetPath) {
  const int i = FindEntry(name);
  if (i < 0 || targetPath == nullptr) return 0;
  ZipEntry& entry = resolver_->Format().Entries()[i];
  entry.targetPath = targetPath;
  entry.targetKind = 1;
  return resolver_->Format().ExtractEntry(static_cast<uint32_t>(i));
}

TqXMLStorage::NewFileResult TqXMLStorage::ExtractEntryToNewFile(const char16_t* name, const char16_t* targetPath) {
  const int i = FindEntry(name);
  if (i < 0 || targetPath == nullptr) return kNotExtracted;
  ZipEntry& entry = resolver_->Format().Entries()[i];
  entry.targetPath = targetPath;
  entry.targetKind = 1;
  entry.targetNew = true;
  const int extracted = resolver_->Format().ExtractEntry(static_cast<uint32_t>(i));
  entry.targetNew = false;
  if (extracted) return kExtracted;
  return entry.targetTaken ? kNameTaken : kNotExtracted;
}

int32_t TqXMLStorage::ReadEntry(const char16_t* name, void* buffer, uint32_t size) {
  if (name == nullptr || buffer == nullptr) return kReadFailed;
  const int i = FindEntry(name);
  if (i < 0) return kReadFailed;
  ZipEntry& entry = resolver_->Format().Entries()[i];
  entry.targetBuffer = static_cast<uint8_t*>(buffer);
  entry.targetBufferSize = size;
  entry.targetKind = 2;
  const int ok = resolver_->Format().ExtractEntry(static_cast<uint32_t>(i));
  entry.targetBuffer = nullptr;
  if (!ok) return kReadFailed;
  const uint32_t n = entry.targetWritten;
  // Terminate as UTF-16 text where the caller left room (callers allocate size + 2).
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (uint32_t k = n; k < size && k < n + 2; ++k) bytes[k] = 0;
  return static_cast<int32_t>(n);
}
