// Private: one open compound file, shared by the storage and stream objects opened on it.
//
// The document lives as long as any object does: streams stay usable after the root is
// released. It writes itself back (whole) when the root commits, and in direct mode also
// when the root is released and when the last object goes, so that direct writes reach
// the file without a Commit. In transacted mode what was not committed is dropped.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <win/ole.h>

#include "ole/cfb_model.h"

namespace kx2::cfb {

// Where the bytes of a document live: a file, or a caller's byte array.
class Backing {
 public:
  virtual ~Backing() = default;
  virtual HRESULT ReadAll(std::vector<uint8_t>* out) = 0;
  // Replaces the whole content.
  virtual HRESULT WriteAll(const std::vector<uint8_t>& bytes) = 0;
  // The name Stat reports for the root (a file's path), or empty.
  virtual std::u16string Name() const = 0;
};

std::unique_ptr<Backing> NewLockBytesBacking(ILockBytes* lockBytes);
// Opens or creates the file of a docfile by its mode (STGM_CREATE truncates an existing
// file; without it, creating refuses one). A writer is refused a file another process
// holds (KX2_STG_HOLD_LOCK_OFFSET_*).
HRESULT OpenFileBacking(const char16_t* path, DWORD mode, bool create, std::unique_ptr<Backing>* out);
// A new temporary file, deleted when the document goes.
HRESULT OpenTemporaryBacking(DWORD mode, std::unique_ptr<Backing>* out);

class Document {
 public:
  Document(std::unique_ptr<Backing> backing, std::shared_ptr<Entry> root, DWORD mode);
  ~Document();

  std::recursive_mutex& Mutex() { return mutex_; }
  const std::shared_ptr<Entry>& Root() const { return root_; }
  DWORD Mode() const { return mode_; }
  bool Writable() const { return writable_; }
  bool Transacted() const { return (mode_ & STGM_TRANSACTED) != 0; }
  std::u16string Name() const { return backing_->Name(); }
  void Touch() { dirty_ = true; }

  // Writes the tree to the backing.
  HRESULT Save();
  // Transacted: reads the last saved state back (objects on the old tree are reverted).
  HRESULT Revert();
  // The root object went: direct mode writes what changed.
  void RootReleased();

 private:
  std::recursive_mutex mutex_;
  std::unique_ptr<Backing> backing_;
  std::shared_ptr<Entry> root_;
  DWORD mode_;
  bool writable_;
  bool dirty_ = false;
};

// Object factories (storage_objects.cpp).
IStorage* NewRootStorage(std::shared_ptr<Document> document);
IStorage* NewStorage(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode);
IStream* NewStream(std::shared_ptr<Document> document, std::shared_ptr<Entry> entry, DWORD mode, uint64_t position,
                   bool counted);

// Checks the bits of a mode: STG_E_INVALIDFLAG for an impossible access value.
HRESULT CheckMode(DWORD mode);
inline bool CanWrite(DWORD mode) { return (mode & 3) == STGM_WRITE || (mode & 3) == STGM_READWRITE; }
inline bool CanRead(DWORD mode) { return (mode & 3) != STGM_WRITE; }

// STATSTG names are task memory.
LPOLESTR TaskString(const std::u16string& text);

}  // namespace kx2::cfb
