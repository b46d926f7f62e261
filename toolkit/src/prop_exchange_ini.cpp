// The INI-file kind of the property exchange.
#include <toolkit/PropExchangeIniFile.h>

#include <vector>

#include <win/crt.h>
#include <win/fileapi.h>
#include <win/profile.h>

#include "prop_values.h"

namespace {

// Marks a key that is not there: no INI value can hold a lone U+0001.
constexpr WCHAR kMissing[] = u"\x0001";

// Types whose empty text is a value of its own (not "use the default").
bool EmptyIsValue(VARTYPE type) { return type == KTK_VT_STRING || type == KTK_VT_BSTR || type == KTK_VT_VARIANT; }

// INI reading drops blanks around a value and one pair of quotes around it: such a text
// is written inside quotes, which reading takes off again.
CString Protected(const CString& text) {
  if (text.IsEmpty()) return text;
  const WCHAR first = text[0], last = text[text.GetLength() - 1];
  const bool blanks = iswspace(first) || iswspace(last);
  const bool quoted = text.GetLength() > 1 && first == last && (first == u'"' || first == u'\'');
  return blanks || quoted ? u"\"" + text + u"\"" : text;
}

}  // namespace

CKtkPropExchangeIniFile::CKtkPropExchangeIniFile(BOOL loading, LPCWSTR filePath, LPCWSTR section)
    : CKtkPropExchange(loading), m_strFile(filePath), m_strSection(section) {}

CKtkPropExchangeIniFile::CKtkPropExchangeIniFile(CKtkPropExchangeIniFile* parent, LPCWSTR name)
    : CKtkPropExchange(parent->IsLoading()), m_pParent(parent) {
  InheritFrom(*parent);
  m_strSection = parent->m_strSection + u"\\" + name;
  parent->InternalAddRef();
}

CKtkPropExchangeIniFile::~CKtkPropExchangeIniFile() {
  DropOwnFile();
  if (m_pParent) m_pParent->InternalRelease();
}

void CKtkPropExchangeIniFile::DropOwnFile() {
  if (m_bOwnsFile && !m_strFile.IsEmpty()) DeleteFileW(m_strFile);
  m_bOwnsFile = FALSE;
}

BOOL CKtkPropExchangeIniFile::OpenStorage() {
  m_bStorageOpened = TRUE;
  if (m_pParent) {
    if (!m_pParent->EnsureOpen()) return FALSE;
    m_strFile = m_pParent->m_strFile;
  } else if (m_strFile.IsEmpty()) {
    WCHAR folder[MAX_PATH], path[MAX_PATH];
    const DWORD n = GetTempPathW(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH || GetTempFileNameW(folder, u"ktk", 0, path) == 0) return FALSE;
    m_strFile = path;
    m_bOwnsFile = TRUE;
  }
  return !m_strFile.IsEmpty();
}

CKtkPropExchange* CKtkPropExchangeIniFile::GetSection(LPCWSTR name) { return new CKtkPropExchangeIniFile(this, name); }

void CKtkPropExchangeIniFile::EmptySection() {
  if (EnsureOpen()) {
    std::vector<WCHAR> names(8000);
    for (;;) {
      const DWORD n = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), m_strFile);
      if (n < names.size() - 2 || names.size() > (1u << 24)) break;
      names.assign(names.size() * 2, 0);  // the list was cut: ask again with more room
    }
    const int length = m_strSection.GetLength();
    std::vector<CString> doomed;
    for (const WCHAR* p = names.data(); *p; p += wcslen(p) + 1) {
      const CString section(p);
      if (section.CompareNoCase(m_strSection) == 0 ||
          (section.GetLength() > length && section[length] == u'\\' &&
           _wcsnicmp(section, m_strSection, static_cast<size_t>(length)) == 0))
        doomed.push_back(section);
    }
    for (const CString& section : doomed) WritePrivateProfileStringW(section, nullptr, nullptr, m_strFile);
  }
  CKtkPropExchange::EmptySection();
}

BOOL CKtkPropExchangeIniFile::ReadText(LPCWSTR name, CString& text) {
  // 256 units first, then 16000, then more while the value fills the buffer.
  for (DWORD size = 256;; size = size == 256 ? 16000 : size * 2) {
    const DWORD n =
        GetPrivateProfileStringW(m_strSection, name, kMissing, text.GetBuffer(static_cast<int>(size)), size, m_strFile);
    text.ReleaseBuffer(static_cast<int>(n));
    if (n < size - 1 || size >= (1u << 26)) break;
  }
  return text != kMissing;
}

BOOL CKtkPropExchangeIniFile::ExchangeProp(LPCWSTR name, VARTYPE type, void* value, const void* defaultValue) {
  if (!value || !name) return FALSE;
  if (!EnsureOpen()) {
    if (m_bLoading) LoadDefault(type, value, defaultValue);
    return FALSE;
  }
  if (type == KTK_VT_VARIANT) ExchangeLocale();
  if (!m_bLoading) {
    if (IsDefault(type, value, defaultValue)) {
      if (!m_bEmptySection) WritePrivateProfileStringW(m_strSection, name, nullptr, m_strFile);
      return TRUE;
    }
    CString text;
    if (!ktk::ValueToText(type, value, m_lcid, text)) return FALSE;
    return WritePrivateProfileStringW(m_strSection, name, Protected(text), m_strFile);
  }
  CString text;
  if (!ReadText(name, text) || (text.IsEmpty() && !EmptyIsValue(type))) return LoadDefault(type, value, defaultValue);
  if (!ktk::TextToValue(type, text, m_lcid, value, defaultValue)) return LoadDefault(type, value, defaultValue);
  return TRUE;
}

BOOL CKtkPropExchangeIniFile::CopyToFile(LPCWSTR path) {
  if (!path || !EnsureOpen()) return FALSE;
  DeleteFileW(path);
  return CopyFileW(m_strFile, path, FALSE);
}

void CKtkPropExchangeIniFile::SetFileName(LPCWSTR path) {
  DropOwnFile();
  m_strFile = path;
  m_bStorageOpened = FALSE;
}
