// The property exchange's shared operations: flags, defaults, blobs as text, classes,
// objects, archives over blobs, counts, schema and numbered sections.
#include <toolkit/PropExchange.h>

#include <cstdlib>
#include <cstring>

#include <toolkit/ResourceManager.h>

#include "prop_values.h"

CKtkPropExchange::CKtkPropExchange(BOOL loading) : m_bLoading(loading) {}

CKtkPropExchange::~CKtkPropExchange() = default;

void CKtkPropExchange::InheritFrom(const CKtkPropExchange& parent) {
  m_dwUserData = parent.m_dwUserData;
  m_nSchema = parent.m_nSchema;
  m_bEmptySection = parent.m_bEmptySection;
  m_bUseDefaultOnLoad = parent.m_bUseDefaultOnLoad;
  m_bUseDefaultOnSave = parent.m_bUseDefaultOnSave;
  m_bChildSection = TRUE;
}

BOOL CKtkPropExchange::EnsureOpen() {
  if (!m_bStorageOpened) m_bStorageUsable = OpenStorage();
  return m_bStorageUsable;
}

BOOL CKtkPropExchange::OpenStorage() {
  m_bStorageOpened = TRUE;
  return TRUE;
}

BOOL CKtkPropExchange::LoadDefault(VARTYPE type, void* value, const void* defaultValue) {
  if (!defaultValue || !m_bUseDefaultOnLoad) return FALSE;
  return ktk::CopyValue(type, value, defaultValue) ? TRUE : FALSE;
}

BOOL CKtkPropExchange::IsDefault(VARTYPE type, const void* value, const void* defaultValue) const {
  return m_bUseDefaultOnSave && defaultValue && ktk::ValuesEqual(type, value, defaultValue);
}

void CKtkPropExchange::ExchangeLocale() {
  if (m_bLocaleExchanged) return;
  m_bLocaleExchanged = TRUE;
  const LONG none = -1;
  ExchangeProp(u"Locale", KTK_VT_I4, &m_lcid, &none);
}

void CKtkPropExchange::EmptySection() { m_bEmptySection = TRUE; }

BOOL CKtkPropExchange::ExchangeBlob(LPCWSTR name, BYTE** data, DWORD* size) {
  if (!data || !size) return FALSE;
  if (!m_bLoading) {
    CString text;
    WCHAR* letters = text.GetBufferSetLength(static_cast<int>(*size * 2));
    for (DWORD i = 0; i < *size; ++i) {
      letters[2 * i] = static_cast<WCHAR>(u'A' + ((*data)[i] & 0x0F));
      letters[2 * i + 1] = static_cast<WCHAR>(u'A' + ((*data)[i] >> 4));
    }
    text.ReleaseBuffer(static_cast<int>(*size * 2));
    return ExchangeProp(name, KTK_VT_STRING, &text);
  }
  CString text;
  if (!ExchangeProp(name, KTK_VT_STRING, &text) || text.IsEmpty() || text.GetLength() % 2) return FALSE;
  const DWORD length = static_cast<DWORD>(text.GetLength() / 2);
  for (int i = 0; i < text.GetLength(); ++i)
    if (text[i] < u'A' || text[i] > u'P') return FALSE;  // not a blob's text
  if (*data && *size < length) return FALSE;
  BYTE* out = *data ? *data : static_cast<BYTE*>(std::malloc(length));
  if (!out) AfxThrowMemoryException();
  for (DWORD i = 0; i < length; ++i)
    out[i] =
        static_cast<BYTE>((text[static_cast<int>(2 * i)] - u'A') | (text[static_cast<int>(2 * i + 1)] - u'A') << 4);
  *data = out;
  *size = length;
  return TRUE;
}

BOOL CKtkPropExchange::ExchangeRuntimeClass(LPCWSTR name, CRuntimeClass** cls, CRuntimeClass* base) {
  if (!cls) return FALSE;
  if (!m_bLoading) {
    if (!*cls) return FALSE;
    CString className(CKtkA2W((*cls)->m_lpszClassName));
    return ExchangeProp(name, KTK_VT_STRING, &className);
  }
  CString className;
  if (!ExchangeProp(name, KTK_VT_STRING, &className)) return FALSE;
  CRuntimeClass* found = CRuntimeClass::FromName(static_cast<LPCSTR>(CKtkW2A(className)));
  if (!found || (base && !found->IsDerivedFrom(base))) return FALSE;
  *cls = found;
  return TRUE;
}

BOOL CKtkPropExchange::ExchangeObjectInstance(CObject** object, CRuntimeClass* base) {
  if (!object) return FALSE;
  CRuntimeClass* cls = !m_bLoading && *object ? (*object)->GetRuntimeClass() : nullptr;
  if (!ExchangeRuntimeClass(u"Class", &cls, base)) return FALSE;
  if (!m_bLoading) return TRUE;
  CObject* made = cls->CreateObject();
  if (!made) return FALSE;
  if (base && !AfxDynamicDownCast(base, made)) {
    delete made;
    return FALSE;
  }
  *object = made;
  return TRUE;
}

CArchive* CKtkPropExchange::GetArchive(LPCWSTR name) {
  if (m_bLoading) {
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!ExchangeBlob(name, &data, &size) || size == 0) {
      std::free(data);
      return nullptr;
    }
    auto* file = new CMemFile;
    try {
      file->Write(data, size);
    } catch (...) {
      std::free(data);
      delete file;
      throw;
    }
    std::free(data);
    file->Seek(0, CFile::begin);
    return new CArchive(file, CArchive::load, 4096);
  }
  auto* file = new CMemFile(1024);
  return new CArchive(file, CArchive::store, 4096);
}

void CKtkPropExchange::ReleaseArchive(LPCWSTR name, CArchive* archive) {
  if (!archive) return;
  CFile* file = archive->GetFile();
  if (!m_bLoading) {
    archive->Flush();
    auto* memory = static_cast<CMemFile*>(file);
    DWORD size = static_cast<DWORD>(memory->GetLength());
    BYTE* bytes = memory->Detach();
    ExchangeBlob(name, &bytes, &size);
    std::free(bytes);
  }
  archive->Abort();
  delete archive;
  delete file;
}

void CKtkPropExchange::WriteCount(DWORD count) {
  LONG value = static_cast<LONG>(count);
  ExchangeProp(u"Count", KTK_VT_I4, &value);
}

DWORD CKtkPropExchange::ReadCount() {
  LONG value = 0;
  ExchangeProp(u"Count", KTK_VT_I4, &value);
  return value > 0 ? static_cast<DWORD>(value) : 0;
}

void CKtkPropExchange::Write(LPCWSTR name, const void* data, DWORD size) {
  BYTE* bytes = static_cast<BYTE*>(const_cast<void*>(data));
  ExchangeBlob(name, &bytes, &size);
}

DWORD CKtkPropExchange::Read(LPCWSTR name, void* data, DWORD size) {
  if (!data) return 0;
  BYTE* bytes = static_cast<BYTE*>(data);
  return ExchangeBlob(name, &bytes, &size) ? size : 0;
}

CKtkPropExchangeEnumerator* CKtkPropExchange::GetEnumerator(LPCWSTR name) {
  return new CKtkPropExchangeEnumerator(this, name);
}

void CKtkPropExchange::ExchangeSchema() {
  const LONG standard = 32;
  LONG schema = m_nSchema;
  ExchangeProp(u"Schema", KTK_VT_I4, &schema, &standard);
  m_nSchema = schema;
}

// ---- Numbered sections ---------------------------------------------------------------

CKtkPropExchangeEnumerator::CKtkPropExchangeEnumerator(CKtkPropExchange* exchange, LPCWSTR baseName)
    : m_pExchange(exchange), m_strBaseName(baseName) {
  m_pExchange->InternalAddRef();
}

CKtkPropExchangeEnumerator::~CKtkPropExchangeEnumerator() { m_pExchange->InternalRelease(); }

int CKtkPropExchangeEnumerator::GetPosition(DWORD count, BOOL useCountValue) {
  if (useCountValue) {
    LONG value = static_cast<LONG>(count);
    m_pExchange->ExchangeProp(u"Count", KTK_VT_I4, &value);
    m_nCount = value > 0 ? static_cast<DWORD>(value) : 0;
  } else if (m_pExchange->IsLoading()) {
    m_nCount = m_pExchange->ReadCount();
  } else {
    m_pExchange->WriteCount(count);
    m_nCount = count;
  }
  return m_nCount > 0 ? 1 : 0;
}

CKtkPropExchange* CKtkPropExchangeEnumerator::GetNext(int& position) {
  if (position <= 0 || static_cast<DWORD>(position) > m_nCount) {
    position = 0;
    return nullptr;
  }
  CString name;
  name.Format(u"%s%i", m_strBaseName.GetString(), position - 1);
  CKtkPropExchange* section = m_pExchange->GetSection(name);
  position = static_cast<DWORD>(position) >= m_nCount ? 0 : position + 1;
  return section;
}

// ---- Typed helpers -----------------------------------------------------------------------

namespace {

template <class T>
BOOL Exchange(CKtkPropExchange* px, LPCWSTR name, VARTYPE type, T& value, const T* defaultValue) {
  return px ? px->ExchangeProp(name, type, &value, defaultValue) : FALSE;
}

}  // namespace

BOOL KtkPX_Short(CKtkPropExchange* px, LPCWSTR name, SHORT& value) {
  return Exchange<SHORT>(px, name, KTK_VT_I2, value, nullptr);
}
BOOL KtkPX_Short(CKtkPropExchange* px, LPCWSTR name, SHORT& value, SHORT defaultValue) {
  return Exchange(px, name, KTK_VT_I2, value, &defaultValue);
}
BOOL KtkPX_Long(CKtkPropExchange* px, LPCWSTR name, LONG& value) {
  return Exchange<LONG>(px, name, KTK_VT_I4, value, nullptr);
}
BOOL KtkPX_Long(CKtkPropExchange* px, LPCWSTR name, LONG& value, LONG defaultValue) {
  return Exchange(px, name, KTK_VT_I4, value, &defaultValue);
}
BOOL KtkPX_Float(CKtkPropExchange* px, LPCWSTR name, float& value, float defaultValue) {
  return Exchange(px, name, KTK_VT_R4, value, &defaultValue);
}
BOOL KtkPX_Double(CKtkPropExchange* px, LPCWSTR name, double& value, double defaultValue) {
  return Exchange(px, name, KTK_VT_R8, value, &defaultValue);
}
BOOL KtkPX_Currency(CKtkPropExchange* px, LPCWSTR name, CY& value, CY defaultValue) {
  return Exchange(px, name, KTK_VT_CY, value, &defaultValue);
}
BOOL KtkPX_DateTime(CKtkPropExchange* px, LPCWSTR name, COleDateTime& value, const COleDateTime& defaultValue) {
  return Exchange(px, name, KTK_VT_DATE, value, &defaultValue);
}
BOOL KtkPX_Bstr(CKtkPropExchange* px, LPCWSTR name, BSTR& value, LPCWSTR defaultValue) {
  if (!px) return FALSE;
  BSTR fallback = defaultValue ? SysAllocString(defaultValue) : nullptr;
  const BOOL done = px->ExchangeProp(name, KTK_VT_BSTR, &value, defaultValue ? &fallback : nullptr);
  SysFreeString(fallback);
  return done;
}
BOOL KtkPX_Bool(CKtkPropExchange* px, LPCWSTR name, BOOL& value, BOOL defaultValue) {
  return Exchange(px, name, KTK_VT_BOOL, value, &defaultValue);
}
BOOL KtkPX_Variant(CKtkPropExchange* px, LPCWSTR name, COleVariant& value, const COleVariant& defaultValue) {
  return Exchange(px, name, KTK_VT_VARIANT, value, &defaultValue);
}
BOOL KtkPX_Byte(CKtkPropExchange* px, LPCWSTR name, BYTE& value, BYTE defaultValue) {
  return Exchange(px, name, KTK_VT_UI1, value, &defaultValue);
}
BOOL KtkPX_String(CKtkPropExchange* px, LPCWSTR name, CString& value) {
  return Exchange<CString>(px, name, KTK_VT_STRING, value, nullptr);
}
BOOL KtkPX_String(CKtkPropExchange* px, LPCWSTR name, CString& value, LPCWSTR defaultValue) {
  const CString fallback(defaultValue);
  return Exchange(px, name, KTK_VT_STRING, value, &fallback);
}
BOOL KtkPX_Rect(CKtkPropExchange* px, LPCWSTR name, RECT& value, const RECT& defaultValue) {
  return Exchange(px, name, KTK_VT_RECT, value, &defaultValue);
}
BOOL KtkPX_Size(CKtkPropExchange* px, LPCWSTR name, SIZE& value, const SIZE& defaultValue) {
  return Exchange(px, name, KTK_VT_SIZE, value, &defaultValue);
}

BOOL KtkPX_ULongLong(CKtkPropExchange* px, LPCWSTR name, ULONGLONG& value, ULONGLONG defaultValue) {
  if (!px) return FALSE;
  SIZE halves{static_cast<LONG>(static_cast<DWORD>(value >> 32)), static_cast<LONG>(static_cast<DWORD>(value))};
  const SIZE fallback{static_cast<LONG>(static_cast<DWORD>(defaultValue >> 32)),
                      static_cast<LONG>(static_cast<DWORD>(defaultValue))};
  const BOOL done = px->ExchangeProp(name, KTK_VT_SIZE, &halves, &fallback);
  // Rebuilt from unsigned halves: a low half of 2^31 or more is written as a negative
  // number and must not borrow from the high half.
  if (done && px->IsLoading())
    value = static_cast<ULONGLONG>(static_cast<DWORD>(halves.cx)) << 32 | static_cast<DWORD>(halves.cy);
  return done;
}
