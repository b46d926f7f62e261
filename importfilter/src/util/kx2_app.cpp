#include <foliant/kx2_app.h>

#include <cmath>
#include <cstdint>
#include <win/oleauto.h>

#include <basalt/error.h>
#include <basalt/module.h>
#include <foliant/common/hex_digits.h>
#include <win/crt.h>
#include <win/module.h>

CKx2App::CKx2App() : CWinApp(nullptr) {}
CKx2App::~CKx2App() = default;

int CKx2App::RegisterModule(tagModuleInfo* module, HINSTANCE instance) {
  m_pModuleInfo = module;
  return RegisterModuleUnkept(module, instance);
}

int CKx2App::RegisterModuleUnkept(tagModuleInfo* module, HINSTANCE instance) {
  if (!module) return 0;
  module->instance = instance ? instance : AfxGetModuleState()->m_hCurrentInstanceHandle;
  if (!Basalt::Base::Module::_InitModule(module)) return 0;
  if (module->resourceInstance) AfxGetModuleState()->m_hCurrentResourceHandle = module->resourceInstance;
  return 1;
}

void CKx2App::UnregisterModule() {
  if (!m_pModuleInfo) return;
  Basalt::Base::Module::_ExitModule(m_pModuleInfo);
  if (m_pModuleInfo->resourceInstance) {
    FreeLibrary(m_pModuleInfo->resourceInstance);
    m_pModuleInfo->resourceInstance = nullptr;
  }
}

AFX_MODULE_STATE* CKx2App::SetResourceHandle(HINSTANCE resource) {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  state->m_hCurrentResourceHandle = resource;
  return state;
}

void ExceptionToErrorText(CException* exception) {
  if (!exception) return;
  WCHAR message[261] = {};
  exception->GetErrorMessage(message, 261);
  WCHAR joined[261];
  size_t n = 0;
  for (size_t i = 0; message[i] && i < 260; ++i)
    if (message[i] != u'\t' && message[i] != u'\n' && message[i] != u'\r') joined[n++] = message[i];
  joined[n] = 0;
  Basalt::Error::BaseError::_SetErrorMesg(joined);
  exception->Delete();
}

void RaiseComError(HRESULT hr) {
  if (hr == E_OUTOFMEMORY) AfxThrowMemoryException();
  AfxThrowOleException(hr);
}

void FreeBlock(void* block) { ::operator delete(block); }

int SystemTimeToCheckedVariantTime(const SYSTEMTIME* time, double* variantTime) {
  if (!variantTime) RaiseComError(E_FAIL);
  SYSTEMTIME asked = time ? *time : SYSTEMTIME{};
  if (!time || !::SystemTimeToVariantTime(&asked, variantTime)) return 0;
  SYSTEMTIME back{};
  if (!::VariantTimeToSystemTime(*variantTime, &back)) return 0;
  return back.wYear == time->wYear && back.wMonth == time->wMonth && back.wDay == time->wDay &&
                 back.wHour == time->wHour && back.wMinute == time->wMinute && back.wSecond == time->wSecond
             ? 1
             : 0;
}

CheckedDateTime::CheckedDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 0 || year > 0xFFFF || month < 0 || month > 0xFFFF || day < 0 || day > 0xFFFF || hour < 0 ||
      hour > 0xFFFF || minute < 0 || minute > 0xFFFF || second < 0 || second > 0xFFFF)
    return;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  m_invalid = SystemTimeToCheckedVariantTime(&t, &m_dt) != 1;
}

namespace foliant {

bool IsEqualGUID(REFGUID a, REFGUID b) {
  const auto* x = reinterpret_cast<const DWORD*>(&a);
  const auto* y = reinterpret_cast<const DWORD*>(&b);
  return x[0] == y[0] && x[1] == y[1] && x[2] == y[2] && x[3] == y[3];
}

LONG HundredthsFromText(LPCWSTR text) {
  const double hundredths = _wtof(text ? text : u"") * 100.0;
  // Converting a value the 32 bits cannot hold is undefined: huge texts saturate.
  if (!std::isfinite(hundredths)) return 0;
  if (hundredths >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  if (hundredths <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  return static_cast<LONG>(hundredths);
}

DWORD ColorFromText(LPCWSTR text, LONG* transparency) {
  // Read as "%x" reads: blanks, an optional "0x", then hexadecimal digits; a text without
  // digits gives 0, and digits past eight keep the low 32 bits.
  DWORD v = 0;
  if (text && *text) {
    const char16_t* p = text + 1;
    while (*p == u' ' || *p == u'\t') ++p;
    if (p[0] == u'0' && (p[1] == u'x' || p[1] == u'X')) p += 2;
    v = ReadHexDigits(p);
  }
  if (transparency) *transparency = static_cast<LONG>((255 - (v >> 24)) * 1000 / 255);
  return 0xFF000000u | (v & 0x00FFFFFFu);
}

}  // namespace foliant
