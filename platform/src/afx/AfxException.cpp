// MFC's exceptions: thrown as new objects, caught as CException*, freed with Delete().
#include <win/afx.h>

#include <cstdio>
#include <new>

namespace {

BOOL CopyMessage(LPWSTR buffer, UINT maxChars, const char16_t* text) {
  if (!buffer || maxChars == 0) return FALSE;
  UINT i = 0;
  for (; i + 1 < maxChars && text[i]; ++i) buffer[i] = text[i];
  buffer[i] = 0;
  return TRUE;
}

}  // namespace

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  if (buffer && maxChars) buffer[0] = 0;
  return FALSE;
}

BOOL CMemoryException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  return CopyMessage(buffer, maxChars, u"Out of memory.");
}

BOOL CInvalidArgException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  return CopyMessage(buffer, maxChars, u"Encountered an improper argument.");
}

BOOL COleException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  char narrow[48];
  std::snprintf(narrow, sizeof narrow, "OLE error 0x%08X.", static_cast<unsigned>(m_sc));
  char16_t wide[48];
  size_t i = 0;
  for (; narrow[i]; ++i) wide[i] = static_cast<unsigned char>(narrow[i]);
  wide[i] = 0;
  return CopyMessage(buffer, maxChars, wide);
}

CSimpleException::CSimpleException(LPCWSTR message) {
  size_t i = 0;
  for (; message && message[i] && i + 1 < sizeof message_ / sizeof message_[0]; ++i) message_[i] = message[i];
  message_[i] = 0;
}

BOOL CSimpleException::GetErrorMessage(LPWSTR buffer, UINT maxChars, UINT* helpContext) const {
  if (helpContext) *helpContext = 0;
  return CopyMessage(buffer, maxChars, message_);
}

void AfxThrowMemoryException() {
  // MFC throws one preallocated object that Delete() does not free; an allocation here
  // could itself fail.
  static CMemoryException* shared = new CMemoryException(FALSE);
  throw static_cast<CException*>(shared);
}

void AfxThrowInvalidArgException() { throw static_cast<CException*>(new CInvalidArgException()); }

void AfxThrowOleException(HRESULT sc) { throw static_cast<CException*>(new COleException(sc)); }
