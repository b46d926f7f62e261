// MFC's file base and the memory file (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include <cstdio>

#include "win/types.h"

// The operations an archive needs of a file. Errors are thrown as MFC exceptions.
class KX2_API CFile : public CObject {
 public:
  enum SeekPosition { begin = 0, current = 1, end = 2 };
  // Open flags (CStdioFile::Open).
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareDenyNone = 0x0040,
    modeNoTruncate = 0x0100,
    modeCreate = 0x1000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };

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

// What went wrong with a file, thrown by CStdioFile's writes and seeks.
class KX2_API CFileException : public CException {
 public:
  enum Cause { none = 0, genericException = 1, fileNotFound = 2, badSeek = 11, diskFull = 13, endOfFile = 14 };
  explicit CFileException(int cause = none, LPCWSTR fileName = nullptr);
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
  int m_cause;
  CString m_strFileName;
};

// A file on disk through a C stream (_wfopen). Text and binary mode read and write the same
// bytes (no CR-LF translation); ReadString reads one 8-bit line in the ANSI code page,
// WriteString writes the text in it.
class KX2_API CStdioFile : public CFile {
 public:
  CStdioFile() = default;
  ~CStdioFile() override;  // closes a file still open
  CStdioFile(const CStdioFile&) = delete;
  CStdioFile& operator=(const CStdioFile&) = delete;

  // FALSE (nothing open) when the file cannot be opened as asked.
  virtual BOOL Open(LPCWSTR fileName, UINT openFlags);
  BOOL IsOpen() const { return m_pStream != nullptr; }

  ULONGLONG GetPosition() const override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  void SetLength(ULONGLONG length) override;
  ULONGLONG GetLength() const override;
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  void Flush() override;
  void Close() override;
  void Abort() override;

  // The next line without its "\n" (and a "\r" before it); FALSE at the end of the file.
  virtual BOOL ReadString(CString& line);
  virtual void WriteString(LPCWSTR text);

  FILE* m_pStream = nullptr;
};
