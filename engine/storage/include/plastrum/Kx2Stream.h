// CKx2Stream: a byte store over a stream of a compound file (IStream).
#pragma once

#include <plastrum/Kx2BufIO.h>

#include <win/ole.h>
#include <plastrum/Export.h>

class PLASTRUM_API CKx2Stream : public CKx2BufIO {
 public:
  CKx2Stream();
  ~CKx2Stream() override;

  // Holds the stream (with a reference of its own when addRef is set; otherwise it takes
  // over the caller's) and takes its mode from the stream's open mode: read-write gives
  // mode 0, write-only 2, anything else 1. Returns whether a stream is held.
  int Attach(IStream* stream, BOOL addRef);
  // Forgets the stream, releasing it when asked.
  void Detach(BOOL release);
  // target ends up holding exactly one reference to a clone of the stream.
  int Clone(CKx2Stream& target);
  IStream* GetStream() const { return reinterpret_cast<IStream*>(handle_); }

  // Reading 0 bytes reads nothing and succeeds with 0.
  int32_t Read(void* buffer, int32_t n) override;
  int32_t Write(const void* buffer, int32_t n) override;
  int32_t Seek(int32_t offset, int origin) override;
  int32_t GetLength() override;
  int SetLength(int32_t n) override;
  // Ends the layers, then releases the stream.
  void Close() override;
};
