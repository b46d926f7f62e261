// The in-house application class under the plug-in's application object, and the small
// framework operations the importers and the property exchange call.
#pragma once

#include <win/afx.h>
#include <win/types.h>

struct tagModuleInfo;

class CKx2App : public CWinApp {
 public:
  CKx2App();
  ~CKx2App() override;

  // Registers the module with the foundation: keeps the descriptor, fills its owner
  // instance (the given one, or the current module state's when null), runs _InitModule
  // (0 when it fails) and makes the language resource module, when one was loaded, the
  // module state's resource handle. 1 on success.
  int RegisterModule(tagModuleInfo* module, HINSTANCE instance);
  // The same steps without keeping the descriptor.
  static int RegisterModuleUnkept(tagModuleInfo* module, HINSTANCE instance);
  // _ExitModule for the kept descriptor, then frees its language resource module when it
  // still holds one.
  void UnregisterModule();
  // Sets the current module state's resource handle; returns that state.
  static AFX_MODULE_STATE* SetResourceHandle(HINSTANCE resource);

  tagModuleInfo* GetModuleInfo() const { return m_pModuleInfo; }

  // Tests of the flag word, bits 0 to 5.
  virtual DWORD TestFlag01() const { return m_flags & 0x01; }
  virtual DWORD TestFlag02() const { return m_flags & 0x02; }
  virtual DWORD TestFlag04() const { return m_flags & 0x04; }
  virtual DWORD TestFlag08() const { return m_flags & 0x08; }
  virtual DWORD TestFlag10() const { return m_flags & 0x10; }
  virtual DWORD TestFlag20() const { return m_flags & 0x20; }
  // Fixed values of the framework.
  virtual LONG GetFrameworkValue0() const { return 5000; }
  virtual LONG GetFrameworkValue1() const { return 0; }
  virtual LONG GetFrameworkValue2() const { return 0; }

  DWORD m_flags = 0;

 protected:
  tagModuleInfo* m_pModuleInfo = nullptr;
};

// Stores a framework exception's message (at most 260 units, its tabs, line feeds and
// carriage returns taken out) as the message of the thread's error record, and deletes
// the exception.
void ExceptionToErrorText(CException* exception);
// E_OUTOFMEMORY raises the framework's memory exception, every other code its OLE
// exception with that code.
[[noreturn]] void RaiseComError(HRESULT hr);
// Frees a block allocated with the plug-in's operator new.
void FreeBlock(void* block);
// Converts a system time to an OLE date and back: 1 only when both conversions succeed and
// year, month, day, hour, minute and second come back unchanged (so 31 February fails);
// else 0. A null output raises E_FAIL.
int SystemTimeToCheckedVariantTime(const SYSTEMTIME* time, double* variantTime);
// A date and time built from its six fields, invalid when the check above fails.
struct CheckedDateTime {
  CheckedDateTime(int year, int month, int day, int hour, int minute, int second);
  double m_dt = 0;
  bool m_invalid = true;
};

namespace foliant {
bool IsEqualGUID(REFGUID a, REFGUID b);
inline bool IsNotEqualGUID(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }
// _wtof of the text times 100, truncated; saturated at the 32-bit range, 0 for no number.
LONG HundredthsFromText(LPCWSTR text);
// A colour text ("#RRGGBB" or "#AARRGGBB"): the hexadecimal after the first character,
// always opaque (0xFF000000 with its low 24 bits). `transparency`, when given, receives
// (255 - the top byte) / 255 x 1000, truncated: 1000 for six digits.
DWORD ColorFromText(LPCWSTR text, LONG* transparency = nullptr);

}  // namespace foliant
