// The file store as the collaboration client's attachment service: attachments by their
// 16-byte identifiers, either files the host keeps itself or copies of downloaded files.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <kx2/PathMap.h>
#include <win/ole.h>

#include "app/file_store.h"

namespace vantorel::detail {
namespace {

bool ReadFile(const std::u16string& windowsPath, std::vector<unsigned char>* out) {
  auto posix = kx2::ToPosixPath(windowsPath);
  std::error_code ec;
  if (!posix || !std::filesystem::is_regular_file(*posix, ec)) return false;
  std::ifstream in(*posix, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Where the store writes an adopted attachment when a module asks for its file.
std::filesystem::path AdoptedFolder() {
  std::error_code ec;
  auto folder = std::filesystem::temp_directory_path(ec) / "vantorel-attachments";
  std::filesystem::create_directories(folder, ec);
  return folder;
}

std::string IdentifierName(const std::array<LONG, 4>& id) {
  char text[40];
  std::snprintf(text, sizeof text, "%08X%08X%08X%08X", static_cast<unsigned>(id[0]), static_cast<unsigned>(id[1]),
                static_cast<unsigned>(id[2]), static_cast<unsigned>(id[3]));
  return text;
}

}  // namespace

void VtlFileStore::AddOwnAttachment(const LONG* identifier, std::u16string windowsPath) {
  if (!identifier) return;
  AttachmentId id;
  std::copy_n(identifier, 4, id.begin());
  std::lock_guard<std::mutex> guard(lock_);
  AttachmentEntry& entry = attachments_[id];
  entry.path = std::move(windowsPath);
  entry.adopted = false;
  entry.bytes.clear();
  if (entry.handle == 0) entry.handle = nextHandle_++;
}

ULONG_PTR VtlFileStore::FindAttachment(const LONG* identifier, LONG, LONG) {
  if (!identifier) return 0;
  AttachmentId id;
  std::copy_n(identifier, 4, id.begin());
  std::lock_guard<std::mutex> guard(lock_);
  auto it = attachments_.find(id);
  return it == attachments_.end() ? 0 : it->second.handle;
}

LONG VtlFileStore::GetAttachmentPath(ULONG_PTR handle, LPWSTR path) {
  if (!path || handle == 0) return 0;
  std::lock_guard<std::mutex> guard(lock_);
  for (auto& [id, entry] : attachments_) {
    if (entry.handle != handle) continue;
    if (entry.adopted && entry.path.empty()) {
      const auto file = AdoptedFolder() / (IdentifierName(id) + ".bin");
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(entry.bytes.data()), static_cast<std::streamsize>(entry.bytes.size()));
      if (!out) return 0;
      entry.path = kx2::ToWindowsPath(file.string());
    }
    // The caller's buffer holds 260 units.
    if (entry.path.empty() || entry.path.size() >= MAX_PATH) return 0;
    std::copy(entry.path.begin(), entry.path.end(), path);
    path[entry.path.size()] = 0;
    return 1;
  }
  return 0;
}

LONG VtlFileStore::AdoptAttachment(const LONG* identifier, LPCWSTR fileName, LONG, const void*) {
  if (!identifier || !fileName) return 0;
  std::vector<unsigned char> bytes;
  if (!ReadFile(fileName, &bytes)) return 0;
  AttachmentId id;
  std::copy_n(identifier, 4, id.begin());
  std::lock_guard<std::mutex> guard(lock_);
  AttachmentEntry& entry = attachments_[id];
  entry.bytes = std::move(bytes);
  entry.adopted = true;
  entry.path.clear();
  if (entry.handle == 0) entry.handle = nextHandle_++;
  return 1;
}

bool VtlFileStore::AttachmentBytes(const LONG* identifier, std::vector<unsigned char>* out, bool* adopted) const {
  if (!identifier || !out) return false;
  AttachmentId id;
  std::copy_n(identifier, 4, id.begin());
  std::u16string path;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = attachments_.find(id);
    if (it == attachments_.end()) return false;
    if (adopted) *adopted = it->second.adopted;
    if (it->second.adopted) {
      *out = it->second.bytes;
      return true;
    }
    path = it->second.path;
  }
  return ReadFile(path, out);
}

void VtlFileStore::DropAttachments() {
  std::lock_guard<std::mutex> guard(lock_);
  attachments_.clear();
}

}  // namespace vantorel::detail
