#include "ornatex/core/theme_wrapper.h"

#include <array>
#include <memory>

#include <kx2/Module.h>
#include <toolkit/SystemLibrary.h>
#include <win/module.h>

#include "ornatex/core/platform_version.h"
#include "process_objects.h"

namespace {

// The table has room for every uxtheme function the framework may call; these are the
// ones called so far, by their slot.
constexpr int kFunctionSlots = 52;
enum Slot { kOpenThemeData, kCloseThemeData, kIsAppThemed, kIsThemeActive, kGetCurrentThemeName, kGetThemeColor };
constexpr const char* kNames[] = {"OpenThemeData", "CloseThemeData",      "IsAppThemed",
                                  "IsThemeActive", "GetCurrentThemeName", "GetThemeColor"};

typedef HTHEME (*OpenThemeDataProc)(HWND, LPCWSTR);
typedef HRESULT (*CloseThemeDataProc)(HTHEME);
typedef BOOL (*IsAppThemedProc)();
typedef HRESULT (*GetCurrentThemeNameProc)(LPWSTR, int, LPWSTR, int, LPWSTR, int);
typedef HRESULT (*GetThemeColorProc)(HTHEME, int, int, int, COLORREF*);

struct FunctionTable {
  HMODULE uxtheme = nullptr;
  std::array<FARPROC, kFunctionSlots> functions{};
  DWORD comctlVersion = 0;

  FunctionTable() : uxtheme(ktk::LoadSystemLibrary(u"UXTHEME.DLL")), comctlVersion(KtkGetComCtlVersion()) {}

  FARPROC Function(Slot slot) {
    FARPROC& f = functions[slot];
    if (!f && uxtheme) f = GetProcAddress(uxtheme, kNames[slot]);
    return f;
  }

  // The loaded uxtheme is another library than the one the addresses came from.
  void Check() {
    HMODULE loaded = GetModuleHandleW(u"UXTHEME.DLL");
    if (loaded == uxtheme) return;
    uxtheme = loaded;
    functions.fill(nullptr);
  }
};

std::unique_ptr<FunctionTable>& TableSlot(int table) {
  static auto* slots = new std::unique_ptr<FunctionTable>[2];  // emptied by the library stop
  return slots[table ? 1 : 0];
}

FunctionTable& Table(int table) {
  auto& slot = TableSlot(table);
  if (!slot) slot = std::make_unique<FunctionTable>();
  return *slot;
}

// A failure inside the system call counts as the function missing.
template <class Result, class Body>
Result Shielded(Result missing, Body&& body) {
  try {
    return body();
  } catch (...) {
    return missing;
  }
}

}  // namespace

namespace ornatex {

void ReleaseThemeTables() {
  TableSlot(0).reset();
  TableSlot(1).reset();
}

}  // namespace ornatex

CKtkWinThemeWrapper::CKtkWinThemeWrapper(int table) : m_table(table) {}

CKtkWinThemeWrapper::~CKtkWinThemeWrapper() { CloseThemeData(); }

HTHEME CKtkWinThemeWrapper::OpenThemeData(HWND window, LPCWSTR classList) {
  FunctionTable& t = Table(m_table);
  if (m_table) t.Check();
  CloseThemeData();
  auto open = kx2::ProcAs<OpenThemeDataProc>(t.Function(kOpenThemeData));
  m_hTheme = open ? Shielded<HTHEME>(nullptr, [&] { return open(window, classList); }) : nullptr;
  return m_hTheme;
}

void CKtkWinThemeWrapper::CloseThemeData() {
  if (!m_hTheme) return;
  if (auto close = kx2::ProcAs<CloseThemeDataProc>(Table(m_table).Function(kCloseThemeData)))
    Shielded<HRESULT>(E_FAIL, [&] { return close(m_hTheme); });
  m_hTheme = nullptr;
}

BOOL CKtkWinThemeWrapper::IsAppThemed() {
  if (!m_hTheme) return 0;
  auto themed = kx2::ProcAs<IsAppThemedProc>(Table(m_table).Function(kIsAppThemed));
  return themed ? Shielded<BOOL>(0, [&] { return themed(); }) : 0;
}

BOOL CKtkWinThemeWrapper::IsThemeActive() {
  FunctionTable& t = Table(m_table);
  if (!m_hTheme && m_table) t.Check();
  auto active = kx2::ProcAs<IsAppThemedProc>(t.Function(kIsThemeActive));
  return active ? Shielded<BOOL>(0, [&] { return active(); }) : 0;
}

HRESULT CKtkWinThemeWrapper::GetCurrentThemeName(LPWSTR fileName, int fileNameSize, LPWSTR colorName, int colorNameSize,
                                                 LPWSTR sizeName, int sizeNameSize) {
  FunctionTable& t = Table(m_table);
  if (m_table) t.Check();
  auto name = kx2::ProcAs<GetCurrentThemeNameProc>(t.Function(kGetCurrentThemeName));
  if (!name) return E_FAIL;
  return Shielded<HRESULT>(
      E_FAIL, [&] { return name(fileName, fileNameSize, colorName, colorNameSize, sizeName, sizeNameSize); });
}

HRESULT CKtkWinThemeWrapper::GetThemeColor(int part, int state, int property, COLORREF* color) {
  auto get = kx2::ProcAs<GetThemeColorProc>(Table(m_table).Function(kGetThemeColor));
  if (!get) return E_FAIL;
  return Shielded<HRESULT>(E_FAIL, [&] { return get(m_hTheme, part, state, property, color); });
}

HMODULE CKtkWinThemeWrapper::TableModule(int table) {
  auto& slot = TableSlot(table);
  return slot ? slot->uxtheme : nullptr;
}

int CKtkWinThemeWrapper::CachedFunctions(int table) {
  auto& slot = TableSlot(table);
  int n = 0;
  if (slot)
    for (FARPROC f : slot->functions) n += f != nullptr;
  return n;
}
