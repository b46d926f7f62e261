#include "ornatex/core/module_list.h"

#include <mutex>

#include <kx2/Module.h>
#include <toolkit/SystemLibrary.h>
#include <win/module.h>
#include <win/processthreads.h>
#include <win/psapi.h>
#include <win/tlhelp32.h>

#include "ornatex/core/platform_version.h"

namespace {

typedef BOOL (*EnumProcessModulesProc)(HANDLE, HMODULE*, DWORD, LPDWORD);
typedef BOOL (*GetModuleInformationProc)(HANDLE, HMODULE, LPMODULEINFO, DWORD);
typedef HANDLE (*CreateSnapshotProc)(DWORD, DWORD);
typedef BOOL (*ModuleWalkProc)(HANDLE, LPMODULEENTRY32W);

constexpr DWORD kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x410

FARPROC Kernel32Export(const char* name) {
  HMODULE kernel = GetModuleHandleW(u"KERNEL32.DLL");
  return kernel ? GetProcAddress(kernel, name) : nullptr;
}

}  // namespace

// ---- The list ------------------------------------------------------------------------------

CKtkSkinManagerModuleList::Kind CKtkSkinManagerModuleList::ProcessKind() {
  static const Kind kind = [] {
    if (HMODULE psapi = ktk::LoadSystemLibrary(u"PSAPI.DLL")) {
      FreeLibrary(psapi);
      return kPsapi;
    }
    return Kernel32Export("CreateToolhelp32Snapshot") ? kToolHelp : kNone;
  }();
  return kind;
}

CKtkSkinManagerModuleList::CKtkSkinManagerModuleList(DWORD processId) {
  switch (ProcessKind()) {
    case kPsapi:
      enumerator_ = std::make_unique<CPsapiModuleEnumerator>(processId);
      break;
    case kToolHelp:
      enumerator_ = std::make_unique<CToolHelpModuleEnumerator>(processId);
      break;
    case kNone:
      break;
  }
}

CKtkSkinManagerModuleList::~CKtkSkinManagerModuleList() = default;

// ---- PSAPI ---------------------------------------------------------------------------------

CPsapiModuleEnumerator::CPsapiModuleEnumerator(DWORD processId) {
  psapi_ = ktk::LoadSystemLibrary(u"PSAPI.DLL");
  if (!psapi_) return;
  enumModules_ = GetProcAddress(psapi_, "EnumProcessModules");
  moduleInformation_ = GetProcAddress(psapi_, "GetModuleInformation");
  process_ = OpenProcess(kQueryAndRead, FALSE, processId);
}

CPsapiModuleEnumerator::~CPsapiModuleEnumerator() {
  if (process_) CloseHandle(process_);
  if (psapi_) FreeLibrary(psapi_);
}

BOOL CPsapiModuleEnumerator::First(HMODULE* module) {
  modules_.clear();
  next_ = 0;
  auto enumerate = kx2::ProcAs<EnumProcessModulesProc>(enumModules_);
  if (!enumerate || !process_ || !module) return FALSE;
  DWORD needed = 0;
  if (!enumerate(process_, nullptr, 0, &needed) || needed == 0) return FALSE;
  modules_.resize(needed / sizeof(HMODULE));
  DWORD filled = 0;
  if (!enumerate(process_, modules_.data(), static_cast<DWORD>(modules_.size() * sizeof(HMODULE)), &filled)) {
    modules_.clear();
    return FALSE;
  }
  // The list may have shrunk between the two calls; a grown one is cut at what was asked.
  if (filled / sizeof(HMODULE) < modules_.size()) modules_.resize(filled / sizeof(HMODULE));
  return Next(module);
}

BOOL CPsapiModuleEnumerator::Next(HMODULE* module) {
  if (!module || next_ >= modules_.size()) return FALSE;
  *module = modules_[next_++];
  return TRUE;
}

BOOL CPsapiModuleEnumerator::GetModuleInfo(HMODULE module, LPVOID* base, DWORD* size, LPVOID* entryPoint) {
  auto information = kx2::ProcAs<GetModuleInformationProc>(moduleInformation_);
  if (!information || !process_) return FALSE;
  MODULEINFO info{};
  if (!information(process_, module, &info, sizeof info)) return FALSE;
  if (base) *base = info.lpBaseOfDll;
  if (size) *size = info.SizeOfImage;
  if (entryPoint) *entryPoint = info.EntryPoint;
  return TRUE;
}

// ---- ToolHelp ------------------------------------------------------------------------------

CToolHelpModuleEnumerator::CToolHelpModuleEnumerator(DWORD processId)
    : processId_(processId), snapshot_(INVALID_HANDLE_VALUE) {
  createSnapshot_ = Kernel32Export("CreateToolhelp32Snapshot");
  first_ = Kernel32Export("Module32FirstW");
  next_ = Kernel32Export("Module32NextW");
  if (auto create = kx2::ProcAs<CreateSnapshotProc>(createSnapshot_)) snapshot_ = create(TH32CS_SNAPMODULE, processId_);
}

CToolHelpModuleEnumerator::~CToolHelpModuleEnumerator() {
  if (snapshot_ != INVALID_HANDLE_VALUE && snapshot_) CloseHandle(snapshot_);
}

BOOL CToolHelpModuleEnumerator::First(HMODULE* module) {
  auto first = kx2::ProcAs<ModuleWalkProc>(first_);
  if (!first || snapshot_ == INVALID_HANDLE_VALUE || !module) return FALSE;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!first(snapshot_, &entry)) return FALSE;
  *module = entry.hModule;
  return TRUE;
}

BOOL CToolHelpModuleEnumerator::Next(HMODULE* module) {
  auto next = kx2::ProcAs<ModuleWalkProc>(next_);
  if (!next || snapshot_ == INVALID_HANDLE_VALUE || !module) return FALSE;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!next(snapshot_, &entry)) return FALSE;
  *module = entry.hModule;
  return TRUE;
}

BOOL CToolHelpModuleEnumerator::GetModuleInfo(HMODULE module, LPVOID* base, DWORD* size, LPVOID* entryPoint) {
  auto create = kx2::ProcAs<CreateSnapshotProc>(createSnapshot_);
  auto first = kx2::ProcAs<ModuleWalkProc>(first_);
  auto next = kx2::ProcAs<ModuleWalkProc>(next_);
  if (!create || !first || !next) return FALSE;
  HANDLE snapshot = create(TH32CS_SNAPMODULE, processId_);
  if (snapshot == INVALID_HANDLE_VALUE || !snapshot) return FALSE;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  BOOL found = FALSE;
  for (BOOL more = first(snapshot, &entry); more && !found; more = next(snapshot, &entry)) {
    if (entry.hModule != module) continue;
    if (base) *base = entry.modBaseAddr;
    if (size) *size = entry.modBaseSize;
    if (entryPoint) *entryPoint = nullptr;
    found = TRUE;
  }
  CloseHandle(snapshot);
  return found;
}

// ---- System code ---------------------------------------------------------------------------

namespace {

struct Range {
  uintptr_t low = 0;
  uintptr_t high = 0;
  bool StrictlyInside(uintptr_t a) const { return a > low && a < high; }
};

struct SystemRanges {
  std::mutex lock;
  DWORD generation = 0;  // of the module layer when the ranges were last checked
  bool user32Read = false;
  Range user32;
  HMODULE comctlRead = nullptr;
  std::vector<Range> comctl;  // every COMCTL32 the process has had
  bool ntdllRead = false;
  Range ntdll;
};

SystemRanges& Ranges() {
  static auto* ranges = new SystemRanges;  // used until the process ends
  return *ranges;
}

bool ReadRange(HMODULE module, Range* out) {
  if (!module) return false;
  CKtkSkinManagerModuleList list(GetCurrentProcessId());
  LPVOID base = nullptr;
  DWORD size = 0;
  if (!list.GetModuleInfo(module, &base, &size, nullptr)) return false;
  out->low = reinterpret_cast<uintptr_t>(base);
  out->high = out->low + size;
  return true;
}

void Refresh(SystemRanges& r) {
  if (!r.user32Read) r.user32Read = ReadRange(GetModuleHandleW(u"USER32.DLL"), &r.user32);
  HMODULE comctl = GetModuleHandleW(u"COMCTL32.DLL");
  if (comctl && comctl != r.comctlRead) {
    Range range;
    if (ReadRange(comctl, &range)) {
      r.comctl.push_back(range);
      r.comctlRead = comctl;
    }
  }
  if (!r.ntdllRead && KtkIsXPOrLater()) r.ntdllRead = ReadRange(GetModuleHandleW(u"NTDLL.DLL"), &r.ntdll);
}

}  // namespace

BOOL IsSystemModuleAddress(const void* address) {
  const uintptr_t a = reinterpret_cast<uintptr_t>(address);
  SystemRanges& r = Ranges();
  std::lock_guard<std::mutex> guard(r.lock);
  const DWORD generation = Kx2ModuleGeneration();
  if (generation != r.generation) {
    Refresh(r);
    r.generation = generation;
  }
  if (r.user32Read && r.user32.StrictlyInside(a)) return TRUE;
  for (const Range& range : r.comctl)
    if (range.StrictlyInside(a)) return TRUE;
  return r.ntdllRead && r.ntdll.StrictlyInside(a) ? TRUE : FALSE;
}
