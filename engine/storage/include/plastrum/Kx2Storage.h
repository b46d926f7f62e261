// The compound document storage: CKx2Storage wraps one storage of a compound file and
// hands out its sub-storages and streams; CKx2MainStorage is the root of a document, on
// disk or in memory, with the document's fixed 128-byte header in the stream
// "DocumentCore".
//
// Failures follow the framework convention: the HRESULT (or a file error) in the thread's
// error record, thrown in throw mode by the operations that create, commit or open a root.
// Opening a stream reports but never throws. Without a storage every operation answers 0.
#pragma once

#include <cstdint>

#include <plastrum/Kx2Stream.h>

#include <win/ole.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2Storage {
 public:
  explicit CKx2Storage(IStorage* storage = nullptr, BOOL addRef = FALSE);
  virtual ~CKx2Storage();
  CKx2Storage(const CKx2Storage&) = delete;
  CKx2Storage& operator=(const CKx2Storage&) = delete;

  // Releases the storage.
  virtual void Close();

  IStorage* GetStorage() const { return storage_; }
  void Detach(BOOL release);
  // Takes a reference to other's storage, closes other, and keeps the taken one.
  int TakeOver(CKx2Storage& other);

  BOOL CreateStorage(const char16_t* name, CKx2Storage& child, DWORD mode);
  BOOL OpenStorage(const char16_t* name, CKx2Storage& child, DWORD mode);
  BOOL CreateStream(const char16_t* name, CKx2Stream& stream, DWORD mode);
  BOOL OpenStream(const char16_t* name, CKx2Stream& stream, DWORD mode);
  // With quiet set, a failure leaves the thread error alone.
  BOOL OpenStream(const char16_t* name, CKx2Stream& stream, DWORD mode, BOOL quiet);
  // Opens the stream, or creates it (adding STGM_CREATE) when it cannot be opened.
  BOOL OpenOrCreateStream(const char16_t* name, CKx2Stream& stream, DWORD mode);
  BOOL DestroyElement(const char16_t* name);
  BOOL Commit(DWORD flags);

 protected:
  void Keep(IStorage* storage);

  IStorage* storage_;
};

class PLASTRUM_API CKx2MainStorage : public CKx2Storage {
 public:
  static constexpr int kHeaderSize = 128;
  static constexpr DWORD kHeaderRead = STGM_SHARE_EXCLUSIVE | STGM_READ;        // 0x10
  static constexpr DWORD kHeaderWrite = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;  // 0x12

  CKx2MainStorage();
  ~CKx2MainStorage() override;

  // Releases the storage and lets go of a held file.
  void Close() override;

  BOOL Open(const char16_t* path, DWORD mode, BOOL report);
  // A refusal is the file error (code 10) with detail 14 (access denied) or 15 (sharing
  // violation) and the path; other failures their HRESULT.
  BOOL Create(const char16_t* path, DWORD mode, BOOL report);
  // Over a movable memory block, which the storage then owns; STGM_CREATE makes a new
  // document in it.
  BOOL OpenOnMemory(HGLOBAL memory, DWORD mode);
  // A new block of `bytes` and a document on it; the block (owned by the storage), or null.
  HGLOBAL CreateInMemory(SIZE_T bytes, DWORD mode);

  // Keeps the document's file open so that no other process (and no other handle here)
  // can open it for writing; null lets go. 1, or 0 when the file cannot be opened.
  int HoldFile(const char16_t* path);
  void ReleaseHold();
  bool IsHoldingFile() const;

  // Reads the 128-byte header from "DocumentCore". 1, or 0 when the stream is missing
  // (its HRESULT) or shorter than a header (error 11); headerWord32 then stays as it was.
  int ReadHeader(void* header);
  // Writes the 128-byte header, creating "DocumentCore" when needed. Commit is the caller's.
  int WriteHeader(const void* header);

  uint32_t GetHeaderWord32() const { return headerWord32_; }
  int32_t WasCreated() const { return created_; }

 private:
  BOOL OpenOnMemoryImpl(HGLOBAL memory, DWORD mode, bool* memoryTaken);

  uint32_t headerWord32_;
  int32_t created_;
  HANDLE heldFile_;
};
