// MFC's archive: values, strings, counts, classes and objects written to or read from a
// file through a buffer, in MFC's byte layout (little-endian) (include win/afx.h).
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include <memory>
#include <unordered_map>
#include <vector>

#include "win/types.h"

class KX2_API CArchiveException : public CException {
 public:
  enum {
    none = 0,
    genericException = 1,
    readOnly = 2,
    endOfFile = 3,
    writeOnly = 4,
    badIndex = 5,
    badClass = 6,
    badSchema = 7,
    bufferFull = 8,
  };
  explicit CArchiveException(int cause = none, LPCWSTR fileName = nullptr);
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;

  int m_cause;
  CString m_strFileName;
};

[[noreturn]] KX2_API void AfxThrowArchiveException(int cause, LPCWSTR fileName = nullptr);
// Thrown where an object is asked to do what it does not support.
class KX2_API CNotSupportedException : public CException {
 public:
  BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext = nullptr) const override;
};
[[noreturn]] KX2_API void AfxThrowNotSupportedException();

class KX2_API CArchive {
 public:
  enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

  // nBufSize: the size of the archive's buffer (at least 128); lpBuf: a caller's buffer of
  // that size, or null.
  CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
  // Closes (flushing a storing archive) unless closed, aborted or bNoFlushOnDelete.
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  BOOL IsBufferEmpty() const { return m_lpBufCur == m_lpBufMax; }
  CFile* GetFile() const { return m_pFile; }

  // Bytes read (fewer at the end of the file).
  UINT Read(void* lpBuf, UINT nMax);
  void Write(const void* lpBuf, UINT nMax);
  // Writes the buffer to the file (storing); loading: gives back unread buffered bytes.
  void Flush();
  void Close();
  // Drops the archive without writing what is buffered; never throws.
  void Abort();
  // Makes nAdditionalBytesNeeded more bytes available in the buffer; endOfFile when the
  // file ends first.
  void FillBuffer(UINT nAdditionalBytesNeeded);
  // Copies up to nMax of the next bytes without consuming them; returns how many there
  // were (fewer at the end of the file). Never throws for a short file.
  UINT PeekBytes(void* lpBuf, UINT nMax);

  CArchive& operator<<(bool value);
  CArchive& operator<<(char value);
  CArchive& operator<<(BYTE value);
  CArchive& operator<<(SHORT value);
  CArchive& operator<<(WORD value);
  CArchive& operator<<(int value);
  CArchive& operator<<(unsigned value);
  CArchive& operator<<(LONGLONG value);
  CArchive& operator<<(ULONGLONG value);
  CArchive& operator<<(float value);
  CArchive& operator<<(double value);
  CArchive& operator<<(const CString& value);
  CArchive& operator<<(const CObject* object) {
    WriteObject(object);
    return *this;
  }
  CArchive& operator>>(bool& value);
  CArchive& operator>>(char& value);
  CArchive& operator>>(BYTE& value);
  CArchive& operator>>(SHORT& value);
  CArchive& operator>>(WORD& value);
  CArchive& operator>>(int& value);
  CArchive& operator>>(unsigned& value);
  CArchive& operator>>(LONGLONG& value);
  CArchive& operator>>(ULONGLONG& value);
  CArchive& operator>>(float& value);
  CArchive& operator>>(double& value);
  CArchive& operator>>(CString& value);

  // Counts: a WORD below 0xFFFF, else 0xFFFF and a DWORD (and 0xFFFFFFFF and a QWORD).
  DWORD_PTR ReadCount();
  void WriteCount(DWORD_PTR dwCount);

  // Classes and objects with MFC's tags: a class or object met before is written as its
  // index in the archive's map, a new class as 0xFFFF and its name.
  void WriteClass(const CRuntimeClass* pClassRef);
  // The class read; badClass when it is unknown or not derived from the requested one.
  // With pObTag, an object tag (not a class) is returned there and the result is null.
  CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                           DWORD* pObTag = nullptr);
  void WriteObject(const CObject* pOb);
  CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
  // Enters an object into the map without writing it, so that later references to it are
  // written (or read) as its index.
  void MapObject(const CObject* pOb);
  UINT GetObjectSchema();
  void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

  CString m_strFileName;
  BYTE* m_lpBufCur = nullptr;
  BYTE* m_lpBufMax = nullptr;

 private:
  template <class T>
  CArchive& Put(T value);
  template <class T>
  CArchive& Get(T& value);
  void Need(UINT bytes);
  void CheckCount();
  [[noreturn]] void Throw(int cause) const;

  CFile* m_pFile;
  UINT m_nMode;
  std::vector<BYTE> ownBuffer_;
  BYTE* m_lpBufStart;
  UINT m_nBufSize;
  UINT m_nObjectSchema = static_cast<UINT>(-1);
  DWORD m_nMapCount = 1;
  std::unique_ptr<std::unordered_map<const void*, DWORD>> m_pStoreMap;
  // Loaded classes and objects by index; index 0 is null.
  struct Loaded {
    void* pointer;
    bool isClass;
  };
  std::unique_ptr<std::vector<Loaded>> m_pLoadArray;
};
