// The archive kind of the property exchange.
#include <toolkit/PropExchangeArchive.h>

#include <cstdlib>

CKtkPropExchangeArchive::CKtkPropExchangeArchive(CArchive& archive)
    : CKtkPropExchange(archive.IsLoading()), m_archive(archive) {
  m_bStorageOpened = m_bStorageUsable = TRUE;
}

BOOL CKtkPropExchangeArchive::ExchangeProp(LPCWSTR, VARTYPE type, void* value, const void*) {
  if (!value) return FALSE;
  CArchive& ar = m_archive;
  const bool load = m_bLoading != FALSE;
  switch (type) {
    case KTK_VT_I2:
      if (load)
        ar >> *static_cast<SHORT*>(value);
      else
        ar << *static_cast<SHORT*>(value);
      return TRUE;
    case KTK_VT_I4:
      if (load)
        ar >> *static_cast<LONG*>(value);
      else
        ar << *static_cast<LONG*>(value);
      return TRUE;
    case KTK_VT_BOOL:
      if (load)
        ar >> *static_cast<BOOL*>(value);
      else
        ar << *static_cast<BOOL*>(value);
      return TRUE;
    case KTK_VT_R4:
      if (load)
        ar >> *static_cast<float*>(value);
      else
        ar << *static_cast<float*>(value);
      return TRUE;
    case KTK_VT_R8:
      if (load)
        ar >> *static_cast<double*>(value);
      else
        ar << *static_cast<double*>(value);
      return TRUE;
    case KTK_VT_UI1:
      if (load)
        ar >> *static_cast<BYTE*>(value);
      else
        ar << *static_cast<BYTE*>(value);
      return TRUE;
    case KTK_VT_CY: {
      auto* cy = static_cast<CY*>(value);
      if (load) {
        DWORD lo;
        LONG hi;
        ar >> lo >> hi;
        cy->Lo = lo;
        cy->Hi = hi;
      } else {
        ar << static_cast<DWORD>(cy->Lo) << static_cast<LONG>(cy->Hi);
      }
      return TRUE;
    }
    case KTK_VT_DATE:
      if (load)
        ar >> *static_cast<COleDateTime*>(value);
      else
        ar << *static_cast<COleDateTime*>(value);
      return TRUE;
    case KTK_VT_VARIANT:
      if (load)
        ar >> *static_cast<COleVariant*>(value);
      else
        ar << *static_cast<COleVariant*>(value);
      return TRUE;
    case KTK_VT_STRING:
      if (load)
        ar >> *static_cast<CString*>(value);
      else
        ar << *static_cast<CString*>(value);
      return TRUE;
    case KTK_VT_BSTR: {
      // A BSTR takes the string's archive form.
      auto* b = static_cast<BSTR*>(value);
      if (load) {
        CString text;
        ar >> text;
        BSTR fresh = text.AllocSysString();
        SysFreeString(*b);
        *b = fresh;
      } else {
        ar << CString(*b, static_cast<int>(SysStringLen(*b)));
      }
      return TRUE;
    }
    case KTK_VT_RECT: {
      auto* r = static_cast<RECT*>(value);
      if (load)
        ar >> r->left >> r->top >> r->right >> r->bottom;
      else
        ar << r->left << r->top << r->right << r->bottom;
      return TRUE;
    }
    case KTK_VT_SIZE: {
      auto* s = static_cast<SIZE*>(value);
      if (load)
        ar >> s->cx >> s->cy;
      else
        ar << s->cx << s->cy;
      return TRUE;
    }
    default:
      return FALSE;
  }
}

BOOL CKtkPropExchangeArchive::ExchangeBlob(LPCWSTR, BYTE** data, DWORD* size) {
  if (!data || !size) return FALSE;
  if (!m_bLoading) {
    m_archive.WriteCount(*size);
    if (*size) m_archive.Write(*data, *size);
    return TRUE;
  }
  const DWORD_PTR stored = m_archive.ReadCount();
  if (stored > 0xFFFFFFFFu) AfxThrowArchiveException(CArchiveException::badIndex, m_archive.m_strFileName);
  const auto length = static_cast<DWORD>(stored);
  if (*data && *size < length) return FALSE;
  BYTE* out = *data ? *data : static_cast<BYTE*>(std::malloc(length ? length : 1));
  if (!out) AfxThrowMemoryException();
  if (m_archive.Read(out, length) != length) {
    if (!*data) std::free(out);
    AfxThrowArchiveException(CArchiveException::endOfFile, m_archive.m_strFileName);
  }
  *data = out;
  *size = length;
  return TRUE;
}

BOOL CKtkPropExchangeArchive::ExchangeRuntimeClass(LPCWSTR, CRuntimeClass** cls, CRuntimeClass* base) {
  if (!cls) return FALSE;
  if (!m_bLoading) {
    if (!*cls) return FALSE;
    m_archive.WriteClass(*cls);
    return TRUE;
  }
  // Derivation is checked here rather than by ReadClass, which refuses a base that cannot
  // be serialized (such as CObject itself).
  CRuntimeClass* read = m_archive.ReadClass();
  if (!read || (base && !read->IsDerivedFrom(base))) return FALSE;
  *cls = read;
  return TRUE;
}

BOOL CKtkPropExchangeArchive::ExchangeObjectInstance(CObject** object, CRuntimeClass* base) {
  if (!object) return FALSE;
  if (!m_bLoading) {
    if (!*object) return FALSE;
    m_archive.WriteClass((*object)->GetRuntimeClass());
    m_archive.MapObject(*object);
    return TRUE;
  }
  CRuntimeClass* cls = nullptr;
  if (!ExchangeRuntimeClass(nullptr, &cls, base)) return FALSE;
  CObject* made = cls->CreateObject();
  if (!made) return FALSE;
  if (base && !AfxDynamicDownCast(base, made)) {
    delete made;
    return FALSE;
  }
  m_archive.MapObject(made);
  *object = made;
  return TRUE;
}

CKtkPropExchange* CKtkPropExchangeArchive::GetSection(LPCWSTR) {
  auto* section = new CKtkPropExchangeArchive(m_archive);
  section->InheritFrom(*this);
  return section;
}

void CKtkPropExchangeArchive::Write(LPCWSTR, const void* data, DWORD size) {
  if (size) m_archive.Write(data, size);
}

DWORD CKtkPropExchangeArchive::Read(LPCWSTR, void* data, DWORD size) { return data ? m_archive.Read(data, size) : 0; }

void CKtkPropExchangeArchive::ExchangeSchema() {
  if (!m_bLoading) {
    if (m_archive.IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly, m_archive.m_strFileName);
    m_archive << static_cast<LONG>(kSchemaMarker) << static_cast<LONG>(m_nSchema);
    return;
  }
  DWORD next = 0;
  if (m_archive.PeekBytes(&next, sizeof next) == sizeof next && next == kSchemaMarker) {
    LONG marker, schema;
    m_archive >> marker >> schema;
    m_nSchema = schema;
  } else {
    m_nSchema = KTK_SCHEMA_UNMARKED;
  }
}
