// MFC's archive: a buffer between the caller's values and a file.
#include <win/afx.h>

#include <algorithm>
#include <cstring>
#include <string>

#include <win/nls.h>

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "archives are little-endian, as this build");

BOOL CopyText(LPWSTR buffer, UINT maxChars, const char16_t* text) {
  if (!buffer || maxChars == 0) return FALSE;
  UINT i = 0;
  for (; i + 1 < maxChars && text[i]; ++i) buffer[i] = text[i];
  buffer[i] = 0;
  return TRUE;
}

}  // namespace

// ---- Exceptions ------------------------------------------------------------------------

CArchiveException::CArchiveException(int cause, LPCWSTR fileName) : m_cause(cause), m_strFileName(fileName) {}

BOOL CArchiveException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  static const char16_t* const kTexts[] = {
      u"No error occurred.",
      u"An unknown error occurred while accessing an archive.",
      u"An attempt was made to write to an archive opened for loading.",
      u"An unexpected end of file was found while reading an archive.",
      u"An attempt was made to read from an archive opened for storing.",
      u"An archive held an invalid object or class index.",
      u"An archive held an object of an unexpected or unknown class.",
      u"An archive held an object of an unsupported schema.",
      u"The archive's buffer is full.",
  };
  const int cause = m_cause >= 0 && m_cause <= bufferFull ? m_cause : genericException;
  std::u16string text = kTexts[cause];
  if (!m_strFileName.IsEmpty()) text += u" (" + m_strFileName.str() + u")";
  return CopyText(buffer, maxChars, text.c_str());
}

void AfxThrowArchiveException(int cause, LPCWSTR fileName) {
  throw static_cast<CException*>(new CArchiveException(cause, fileName));
}

BOOL CNotSupportedException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  return CopyText(buffer, maxChars, u"An unsupported operation was attempted.");
}

void AfxThrowNotSupportedException() { throw static_cast<CException*>(new CNotSupportedException()); }

// ---- Buffer ------------------------------------------------------------------------------

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf) : m_pFile(pFile), m_nMode(nMode) {
  m_nBufSize = static_cast<UINT>(std::max(nBufSize, 128));
  if (lpBuf) {
    m_lpBufStart = static_cast<BYTE*>(lpBuf);
  } else {
    ownBuffer_.resize(m_nBufSize);
    m_lpBufStart = ownBuffer_.data();
  }
  if (pFile) m_strFileName = pFile->GetFilePath();
  m_lpBufCur = m_lpBufStart;
  m_lpBufMax = IsLoading() ? m_lpBufStart : m_lpBufStart + m_nBufSize;
}

CArchive::~CArchive() {
  if (m_pFile && !(m_nMode & bNoFlushOnDelete)) {
    try {
      Close();
    } catch (CException* e) {
      e->Delete();
    } catch (...) {}
  }
}

void CArchive::Throw(int cause) const { AfxThrowArchiveException(cause, m_strFileName); }

void CArchive::Write(const void* lpBuf, UINT nMax) {
  if (!IsStoring()) Throw(CArchiveException::readOnly);
  if (!m_pFile) Throw(CArchiveException::genericException);
  const auto* from = static_cast<const BYTE*>(lpBuf);
  while (nMax > 0) {
    UINT space = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    if (space == 0) {
      m_pFile->Write(m_lpBufStart, static_cast<UINT>(m_lpBufCur - m_lpBufStart));
      m_lpBufCur = m_lpBufStart;
      continue;
    }
    const UINT take = std::min(space, nMax);
    std::memcpy(m_lpBufCur, from, take);
    m_lpBufCur += take, from += take, nMax -= take;
  }
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
  if (!IsLoading()) Throw(CArchiveException::writeOnly);
  if (!m_pFile) Throw(CArchiveException::genericException);
  auto* to = static_cast<BYTE*>(lpBuf);
  UINT done = 0;
  while (done < nMax) {
    UINT have = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
    if (have == 0) {
      const UINT left = nMax - done;
      if (left >= m_nBufSize) {
        // Large reads go to the caller's memory directly.
        const UINT got = m_pFile->Read(to + done, left);
        done += got;
        if (got == 0) break;
        continue;
      }
      const UINT got = m_pFile->Read(m_lpBufStart, m_nBufSize);
      m_lpBufCur = m_lpBufStart;
      m_lpBufMax = m_lpBufStart + got;
      if (got == 0) break;
      continue;
    }
    const UINT take = std::min(have, nMax - done);
    std::memcpy(to + done, m_lpBufCur, take);
    m_lpBufCur += take, done += take;
  }
  return done;
}

void CArchive::Flush() {
  if (!m_pFile) return;
  if (IsStoring()) {
    if (m_lpBufCur != m_lpBufStart) m_pFile->Write(m_lpBufStart, static_cast<UINT>(m_lpBufCur - m_lpBufStart));
    m_lpBufCur = m_lpBufStart;
    m_pFile->Flush();
  } else {
    // Bytes read ahead go back to the file.
    if (m_lpBufMax != m_lpBufCur) m_pFile->Seek(-static_cast<LONGLONG>(m_lpBufMax - m_lpBufCur), CFile::current);
    m_lpBufCur = m_lpBufMax = m_lpBufStart;
  }
}

void CArchive::Close() {
  Flush();
  m_pFile = nullptr;
}

void CArchive::Abort() { m_pFile = nullptr; }

UINT CArchive::PeekBytes(void* lpBuf, UINT nMax) {
  if (!IsLoading()) Throw(CArchiveException::writeOnly);
  nMax = std::min(nMax, m_nBufSize);
  UINT have = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
  if (have < nMax && m_pFile) {
    std::memmove(m_lpBufStart, m_lpBufCur, have);
    m_lpBufCur = m_lpBufStart;
    m_lpBufMax = m_lpBufStart + have;
    while (have < nMax) {
      const UINT got = m_pFile->Read(m_lpBufMax, m_nBufSize - have);
      if (got == 0) break;
      m_lpBufMax += got, have += got;
    }
  }
  const UINT take = std::min(have, nMax);
  std::memcpy(lpBuf, m_lpBufCur, take);
  return take;
}

void CArchive::FillBuffer(UINT nAdditionalBytesNeeded) {
  if (!IsLoading()) Throw(CArchiveException::writeOnly);
  const UINT have = static_cast<UINT>(m_lpBufMax - m_lpBufCur);
  if (nAdditionalBytesNeeded > m_nBufSize - have) Throw(CArchiveException::bufferFull);
  std::vector<BYTE> scratch(nAdditionalBytesNeeded + have);
  if (PeekBytes(scratch.data(), have + nAdditionalBytesNeeded) < have + nAdditionalBytesNeeded)
    Throw(CArchiveException::endOfFile);
}

void CArchive::Need(UINT bytes) {
  if (!IsLoading()) Throw(CArchiveException::writeOnly);
  if (static_cast<UINT>(m_lpBufMax - m_lpBufCur) >= bytes) return;
  BYTE scratch[8];
  if (PeekBytes(scratch, bytes) < bytes) Throw(CArchiveException::endOfFile);
}

template <class T>
CArchive& CArchive::Put(T value) {
  if (!IsStoring()) Throw(CArchiveException::readOnly);
  if (static_cast<size_t>(m_lpBufMax - m_lpBufCur) < sizeof value) {
    if (!m_pFile) Throw(CArchiveException::genericException);
    m_pFile->Write(m_lpBufStart, static_cast<UINT>(m_lpBufCur - m_lpBufStart));
    m_lpBufCur = m_lpBufStart;
  }
  std::memcpy(m_lpBufCur, &value, sizeof value);
  m_lpBufCur += sizeof value;
  return *this;
}

template <class T>
CArchive& CArchive::Get(T& value) {
  Need(sizeof value);
  std::memcpy(&value, m_lpBufCur, sizeof value);
  m_lpBufCur += sizeof value;
  return *this;
}

CArchive& CArchive::operator<<(bool value) { return Put<BYTE>(value ? 1 : 0); }
CArchive& CArchive::operator<<(char value) { return Put(value); }
CArchive& CArchive::operator<<(BYTE value) { return Put(value); }
CArchive& CArchive::operator<<(SHORT value) { return Put(value); }
CArchive& CArchive::operator<<(WORD value) { return Put(value); }
CArchive& CArchive::operator<<(int value) { return Put(value); }
CArchive& CArchive::operator<<(unsigned value) { return Put(value); }
CArchive& CArchive::operator<<(LONGLONG value) { return Put(value); }
CArchive& CArchive::operator<<(ULONGLONG value) { return Put(value); }
CArchive& CArchive::operator<<(float value) { return Put(value); }
CArchive& CArchive::operator<<(double value) { return Put(value); }

CArchive& CArchive::operator>>(bool& value) {
  BYTE b;
  Get(b);
  value = b != 0;
  return *this;
}
CArchive& CArchive::operator>>(char& value) { return Get(value); }
CArchive& CArchive::operator>>(BYTE& value) { return Get(value); }
CArchive& CArchive::operator>>(SHORT& value) { return Get(value); }
CArchive& CArchive::operator>>(WORD& value) { return Get(value); }
CArchive& CArchive::operator>>(int& value) { return Get(value); }
CArchive& CArchive::operator>>(unsigned& value) { return Get(value); }
CArchive& CArchive::operator>>(LONGLONG& value) { return Get(value); }
CArchive& CArchive::operator>>(ULONGLONG& value) { return Get(value); }
CArchive& CArchive::operator>>(float& value) { return Get(value); }
CArchive& CArchive::operator>>(double& value) { return Get(value); }

// ---- Strings -----------------------------------------------------------------------------

CArchive& CArchive::operator<<(const CString& value) {
  const ULONGLONG length = static_cast<ULONGLONG>(value.GetLength());
  // Unicode strings carry a tag before the length.
  *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
  if (length < 255) {
    *this << static_cast<BYTE>(length);
  } else {
    *this << static_cast<BYTE>(0xFF);
    if (length < 0xFFFE) {
      *this << static_cast<WORD>(length);
    } else {
      *this << static_cast<WORD>(0xFFFF);
      if (length < 0xFFFFFFFF) {
        *this << static_cast<DWORD>(length);
      } else {
        *this << static_cast<DWORD>(0xFFFFFFFF) << length;
      }
    }
  }
  Write(value.GetString(), static_cast<UINT>(length * sizeof(WCHAR)));
  return *this;
}

CArchive& CArchive::operator>>(CString& value) {
  int charSize = 1;
  ULONGLONG length = 0;
  BYTE b;
  *this >> b;
  if (b < 0xFF) {
    length = b;
  } else {
    WORD w;
    *this >> w;
    bool done = false;
    if (w == 0xFFFE) {  // the tag of a Unicode string; its length follows
      charSize = 2;
      *this >> b;
      if (b < 0xFF) {
        length = b;
        done = true;
      } else {
        *this >> w;
      }
    }
    if (!done) {
      if (w < 0xFFFF) {
        length = w;
      } else {
        DWORD dw;
        *this >> dw;
        if (dw < 0xFFFFFFFF)
          length = dw;
        else
          *this >> length;
      }
    }
  }
  // Read in pieces: a length from a damaged archive must not allocate before the bytes
  // are there.
  std::string bytes;
  const ULONGLONG total = length * static_cast<ULONGLONG>(charSize);
  while (bytes.size() < total) {
    const size_t piece = static_cast<size_t>(std::min<ULONGLONG>(total - bytes.size(), 65536));
    const size_t at = bytes.size();
    bytes.resize(at + piece);
    if (Read(&bytes[at], static_cast<UINT>(piece)) != piece) Throw(CArchiveException::endOfFile);
  }
  if (charSize == 2) {
    value = CString(reinterpret_cast<const WCHAR*>(bytes.data()), static_cast<int>(length));
  } else {
    value = CString(bytes.c_str());  // ANSI code page
  }
  return *this;
}

// ---- Counts, classes and objects --------------------------------------------------------

void CArchive::WriteCount(DWORD_PTR dwCount) {
  if (dwCount < 0xFFFF) {
    *this << static_cast<WORD>(dwCount);
    return;
  }
  *this << static_cast<WORD>(0xFFFF);
  if (dwCount < 0xFFFFFFFF) {
    *this << static_cast<DWORD>(dwCount);
    return;
  }
  *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(dwCount);
}

DWORD_PTR CArchive::ReadCount() {
  WORD w;
  *this >> w;
  if (w != 0xFFFF) return w;
  DWORD dw;
  *this >> dw;
  if (dw != 0xFFFFFFFF) return dw;
  ULONGLONG qw;
  *this >> qw;
  return static_cast<DWORD_PTR>(qw);
}

void CArchive::CheckCount() {
  if (m_nMapCount >= kMaxMapCount) Throw(CArchiveException::badIndex);
}

void CArchive::MapObject(const CObject* pOb) {
  if (IsStoring()) {
    if (!m_pStoreMap) m_pStoreMap = std::make_unique<std::unordered_map<const void*, DWORD>>();
    if (pOb) {
      CheckCount();
      (*m_pStoreMap)[pOb] = m_nMapCount++;
    }
  } else {
    if (!m_pLoadArray) {
      m_pLoadArray = std::make_unique<std::vector<Loaded>>();
      m_pLoadArray->push_back({nullptr, false});
    }
    if (pOb) {
      CheckCount();
      m_pLoadArray->push_back({const_cast<CObject*>(pOb), false});
      ++m_nMapCount;
    }
  }
}

void CArchive::WriteClass(const CRuntimeClass* pClassRef) {
  if (!IsStoring()) Throw(CArchiveException::genericException);
  if (!pClassRef || pClassRef->m_wSchema == 0xFFFF) AfxThrowNotSupportedException();
  MapObject(nullptr);
  auto found = m_pStoreMap->find(pClassRef);
  if (found != m_pStoreMap->end()) {
    if (found->second < kBigObjectTag)
      *this << static_cast<WORD>(kClassTag | found->second);
    else
      *this << kBigObjectTag << static_cast<DWORD>(kBigClassTag | found->second);
    return;
  }
  *this << kNewClassTag;
  pClassRef->Store(*this);
  CheckCount();
  (*m_pStoreMap)[pClassRef] = m_nMapCount++;
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* pClassRefRequested, UINT* pSchema, DWORD* pObTag) {
  if (!IsLoading()) Throw(CArchiveException::genericException);
  if (pClassRefRequested && pClassRefRequested->m_wSchema == 0xFFFF) AfxThrowNotSupportedException();
  MapObject(nullptr);
  WORD wTag;
  DWORD obTag;
  *this >> wTag;
  if (wTag == kBigObjectTag)
    *this >> obTag;
  else
    obTag = (static_cast<DWORD>(wTag & kClassTag) << 16) | (wTag & ~kClassTag);
  if (!(obTag & kBigClassTag)) {
    if (!pObTag) Throw(CArchiveException::badIndex);
    *pObTag = obTag;
    return nullptr;
  }
  CRuntimeClass* pClassRef;
  UINT nSchema;
  if (wTag == kNewClassTag) {
    pClassRef = CRuntimeClass::Load(*this, &nSchema);
    if (!pClassRef) Throw(CArchiveException::badClass);
    if (pClassRef->m_wSchema != nSchema) Throw(CArchiveException::badSchema);
    CheckCount();
    m_pLoadArray->push_back({pClassRef, true});
    ++m_nMapCount;
  } else {
    const DWORD index = obTag & ~kBigClassTag;
    if (index == 0 || index >= m_pLoadArray->size() || !(*m_pLoadArray)[index].isClass)
      Throw(CArchiveException::badIndex);
    pClassRef = static_cast<CRuntimeClass*>((*m_pLoadArray)[index].pointer);
    nSchema = pClassRef->m_wSchema;
  }
  if (pClassRefRequested && !pClassRef->IsDerivedFrom(pClassRefRequested)) Throw(CArchiveException::badClass);
  if (pSchema)
    *pSchema = nSchema;
  else
    m_nObjectSchema = nSchema;
  if (pObTag) *pObTag = obTag;
  return pClassRef;
}

void CArchive::WriteObject(const CObject* pOb) {
  MapObject(nullptr);
  if (!pOb) {
    *this << kNullTag;
    return;
  }
  auto found = m_pStoreMap->find(pOb);
  if (found != m_pStoreMap->end()) {
    if (found->second < kBigObjectTag)
      *this << static_cast<WORD>(found->second);
    else
      *this << kBigObjectTag << found->second;
    return;
  }
  WriteClass(pOb->GetRuntimeClass());
  CheckCount();
  (*m_pStoreMap)[pOb] = m_nMapCount++;
  const_cast<CObject*>(pOb)->Serialize(*this);
}

CObject* CArchive::ReadObject(const CRuntimeClass* pClassRefRequested) {
  UINT nSchema = 0;
  DWORD obTag = 0;
  CRuntimeClass* pClassRef = ReadClass(pClassRefRequested, &nSchema, &obTag);
  if (!pClassRef) {
    if (obTag >= m_pLoadArray->size() || (*m_pLoadArray)[obTag].isClass) Throw(CArchiveException::badIndex);
    auto* pOb = static_cast<CObject*>((*m_pLoadArray)[obTag].pointer);
    if (pOb && pClassRefRequested && !pOb->IsKindOf(pClassRefRequested)) Throw(CArchiveException::badClass);
    return pOb;
  }
  CObject* pOb = pClassRef->CreateObject();
  if (!pOb) AfxThrowMemoryException();
  CheckCount();
  m_pLoadArray->push_back({pOb, false});
  ++m_nMapCount;
  const UINT saved = m_nObjectSchema;
  m_nObjectSchema = nSchema;
  pOb->Serialize(*this);
  m_nObjectSchema = saved;
  return pOb;
}

UINT CArchive::GetObjectSchema() {
  const UINT schema = m_nObjectSchema;
  m_nObjectSchema = static_cast<UINT>(-1);
  return schema;
}
