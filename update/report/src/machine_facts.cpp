// The machine facts of the report.
#include <cstdio>
#include <ctime>
#include <vector>

#include <fennic/Report.h>
#include <kx2/Module.h>
#include <win/kernel.h>
#include <win/module.h>
#include <win/nls_ansi.h>
#include <win/sysinfo.h>

namespace fennic {

std::string ChooseAddress(const MIB_IFTABLE* table) {
  if (!table) return "";
  const MIB_IFROW* best[3] = {nullptr, nullptr, nullptr};
  for (DWORD i = 0; i < table->dwNumEntries; ++i) {
    const MIB_IFROW& row = table->table[i];
    if (row.dwPhysAddrLen != 6 || row.dwInOctets == 0 || row.dwOutOctets == 0) continue;
    int preference = row.dwType == MIB_IF_TYPE_ETHERNET                                ? 0
                     : row.dwType == MIB_IF_TYPE_PPP || row.dwType == MIB_IF_TYPE_SLIP ? 1
                                                                                       : 2;
    if (!best[preference]) best[preference] = &row;
  }
  for (const MIB_IFROW* row : best) {
    if (!row) continue;
    char text[13];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%02x", row->bPhysAddr[0], row->bPhysAddr[1],
                  row->bPhysAddr[2], row->bPhysAddr[3], row->bPhysAddr[4], row->bPhysAddr[5]);
    return text;
  }
  return "";
}

std::string NetworkAddressText() {
  ULONG size = 0;
  if (GetIfTable(nullptr, &size, FALSE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return "";
  std::vector<unsigned char> buffer(size);
  auto* table = reinterpret_cast<MIB_IFTABLE*>(buffer.data());
  if (GetIfTable(table, &size, FALSE) != NO_ERROR) return "";
  return ChooseAddress(table);
}

namespace {

using NativeProc = void(WINAPI*)(LPSYSTEM_INFO);

// Looked up once per process: the system library stays loaded for the process's life, and
// finding it and its export by name (folding and comparing names, reading the environment)
// cost more than the rest of the system text.
NativeProc NativeSystemInfo() {
  static const NativeProc proc = []() -> NativeProc {
    HMODULE kernel = LoadLibraryW(u"Kernel32.dll");
    if (!kernel) return nullptr;
    auto found = kx2::ProcAs<NativeProc>(GetProcAddress(kernel, "GetNativeSystemInfo"));
    // The library stays loaded while the pointer is kept; without it nothing keeps it.
    if (!found) FreeLibrary(kernel);
    return found;
  }();
  return proc;
}

}  // namespace

std::string SystemText() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&version));
  SYSTEM_INFO info{};
  if (NativeProc native = NativeSystemInfo())
    native(&info);
  else
    GetSystemInfo(&info);
  char text[80];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d", static_cast<int>(version.dwMajorVersion),
                static_cast<int>(version.dwMinorVersion), static_cast<int>(version.dwPlatformId),
                static_cast<int>(version.wProductType), static_cast<int>(info.wProcessorArchitecture));
  return text;
}

std::string LocaleText() {
  char language[256] = {}, country[256] = {};
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME, language, 255);
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO3166CTRYNAME, country, 255);
  return std::string(language) + "-" + country;
}

std::string Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[40];
  std::snprintf(text, sizeof text, "%4.4d%2.2d%2.2d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return text;
}

}  // namespace fennic
