// MFC's file base and the memory file (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/types.h"

// The operations an archive needs of a file. Errors are thrown as MFC exceptions.
class KX2_API CFile : public CObject {
 public:
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  ~CFile() override = default;

  virtual ULONGLONG GetPosition() const = 0;
  virtual ULONGLONG Seek(LONGLONG offset, UINT from) = 0;
  virtual void SetLength(ULONGLONG length) = 0;
  virtual ULONGLONG GetLength() const = 0;
  // Returns the bytes read (fewer at the end of the file).
  virtual UINT Read(void* buffer, UINT count) = 0;
  virtual void Write(const void* buffer, UINT count) = 0;
  virtual void Flush() {}
  virtual void Close() {}
  virtual void Abort() {}
  virtual CString GetFilePath() const { return m_strFileName; }
  void SetFilePath(LPCWSTR path) { m_strFileName = path; }

 protected:
  CFile() = default;
  CString m_strFileName;
};

// A file in one malloc'd block, growing by nGrowBytes as it is written. An attached
// buffer never grows (writing past its end throws the memory exception); attached with
// nGrowBytes 0 it is a full file, ready for reading.
class KX2_API CMemFile : public CFile {
 public:
  explicit CMemFile(UINT nGrowBytes = 1024);
  CMemFile(BYTE* buffer, UINT bufferSize, UINT nGrowBytes = 0);
  ~CMemFile() override;

  // Uses a caller's block (not freed by this file).
  void Attach(BYTE* buffer, UINT bufferSize, UINT nGrowBytes = 0);
  // Gives up the block: the caller owns what came from malloc (use GetLength first).
  BYTE* Detach();

  ULONGLONG GetPosition() const override { return position_; }
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  void SetLength(ULONGLONG length) override;
  ULONGLONG GetLength() const override { return fileSize_; }
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  void Close() override;
  void Abort() override { Close(); }

 private:
  void GrowTo(SIZE_T size);

  BYTE* buffer_ = nullptr;
  SIZE_T bufferSize_ = 0;
  SIZE_T fileSize_ = 0;
  SIZE_T position_ = 0;
  UINT growBytes_ = 1024;
  bool autoDelete_ = true;
};
