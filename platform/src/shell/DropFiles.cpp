// Dropped-file lists: a DROPFILES head and its names in one global memory block.
#include <cstring>
#include <string>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/Utf.h"
#include "win/kernel.h"
#include "win/nls.h"
#include "win/shell.h"

namespace {

// The block locked for as long as the object lives.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL block) : block_(block) {
    size_ = block ? GlobalSize(block) : 0;
    if (size_) data_ = static_cast<const BYTE*>(GlobalLock(block));
    if (!data_) size_ = 0;
  }
  ~LockedBlock() {
    if (data_) GlobalUnlock(block_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;

  // The head, when the block holds one.
  bool Head(DROPFILES* head) const {
    if (size_ < sizeof(DROPFILES)) return false;
    std::memcpy(head, data_, sizeof *head);
    return true;
  }
  const BYTE* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  HGLOBAL block_;
  const BYTE* data_ = nullptr;
  size_t size_ = 0;
};

// Every name that ends within the block, up to the empty name that ends the list.
std::vector<std::u16string> Names(const LockedBlock& block) {
  std::vector<std::u16string> names;
  DROPFILES head;
  if (!block.Head(&head) || head.pFiles < sizeof(DROPFILES) || head.pFiles >= block.size()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return names;
  }
  const BYTE* at = block.data() + head.pFiles;
  size_t left = block.size() - head.pFiles;
  if (head.fWide) {
    std::u16string units(left / 2, u'\0');
    std::memcpy(units.data(), at, units.size() * 2);  // the names need not be aligned
    for (size_t start = 0; start < units.size();) {
      size_t end = units.find(u'\0', start);
      if (end == std::u16string::npos || end == start) break;
      names.push_back(units.substr(start, end - start));
      start = end + 1;
    }
  } else {
    std::string bytes(reinterpret_cast<const char*>(at), left);
    for (size_t start = 0; start < bytes.size();) {
      size_t end = bytes.find('\0', start);
      if (end == std::string::npos || end == start) break;
      int length = static_cast<int>(end - start);
      int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data() + start, length, nullptr, 0);
      std::u16string name(static_cast<size_t>(wide > 0 ? wide : 0), u'\0');
      if (wide > 0) MultiByteToWideChar(CP_ACP, 0, bytes.data() + start, length, name.data(), wide);
      names.push_back(std::move(name));
      start = end + 1;
    }
  }
  return names;
}

}  // namespace

KX2_EXPORT UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
  try {
    LockedBlock block(hDrop);
    if (!block.data()) return 0;
    std::vector<std::u16string> names = Names(block);
    if (iFile == 0xFFFFFFFF) return static_cast<UINT>(names.size());
    if (iFile >= names.size()) return 0;
    const std::u16string& name = names[iFile];
    if (!lpszFile) return static_cast<UINT>(name.size());
    if (cch == 0) return 0;
    size_t copied = name.size() < cch ? name.size() : cch - 1;
    std::memcpy(lpszFile, name.data(), copied * sizeof(char16_t));
    lpszFile[copied] = 0;
    return static_cast<UINT>(copied);
  } catch (...) {
    kx2::RecordCurrentException();
    return 0;
  }
}

KX2_EXPORT BOOL DragQueryPoint(HDROP hDrop, LPPOINT ppt) {
  LockedBlock block(hDrop);
  DROPFILES head;
  if (!ppt || !block.Head(&head)) return FALSE;
  *ppt = head.pt;
  return !head.fNC;
}

KX2_EXPORT void DragFinish(HDROP hDrop) { GlobalFree(hDrop); }
