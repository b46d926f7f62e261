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

// Sectors of a file, numbered from the end of the 512-byte header: [first, end).
struct SectorSpan {
  uint32_t first = 0;
  uint32_t end = 0;
  bool Empty() const { return first >= end; }
};

// Where the bytes of a document live: a file, or a caller's byte array.
//
// A commit to a file never overwrites a sector of the document the file now holds: the
// new image is laid out in front of it when it fits there, else after it; its sectors are
// written and flushed first, and the header that names them last. Until the header is
// written the file holds the previous document, afterwards the new one; a process killed
// (or a machine stopped) in between leaves one of the two, whole. The header is one
// aligned 512-byte write. Rewriting in place rather than renaming a new file over the old
// one keeps the file's identity, so a hold another process keeps on it (CKx2MainStorage's
// HoldFile lock), its hard links and its permissions stay in force.
class Backing {
 public:
  virtual ~Backing() = default;
  virtual HRESULT ReadAll(std::vector<uint8_t>* out) = 0;
  // The sectors of the document now in the backing, which a commit must leave alone until
  // its header is written; empty where nothing need survive a failed commit.
  virtual HRESULT LiveSectors(SectorSpan* span) = 0;
  // The document just read from the backing lies in these bytes.
  virtual void ReadImageLies(const UsedBytes& used) = 0;
  // Writes an image (the header, then sectors firstSector and on): the sectors first, the
  // header last, then trims what lies beyond the image.
  virtual HRESULT WriteImage(const std::vector<uint8_t>& image, uint32_t firstSector) = 0;
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

// Tells the test hook (kx2/CompoundFileCommit.h) that a commit reached a step.
void ReportCommitStep(int step);

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
