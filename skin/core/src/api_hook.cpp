#include "ornatex/core/api_hook.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include <kx2/MemoryProbe.h>
#include <kx2/Module.h>
#include <win/imagehlp.h>
#include <win/memoryapi.h>
#include <win/module.h>
#include <win/user_window.h>

#include "ornatex/core/module_list.h"
#include "ornatex/core/platform_version.h"
#include "ornatex/draw/draw_helpers.h"
#include "process_objects.h"

namespace {

std::unique_ptr<CKtkSkinManagerApiHook>& HookSlot() {
  static auto* slot = new std::unique_ptr<CKtkSkinManagerApiHook>;  // emptied by the library stop, never destroyed
  return *slot;
}

constexpr uint8_t kPushOpcode = 0x68;
constexpr size_t kMaxModuleName = 260;

typedef LRESULT (*CallWindowProcProc)(WNDPROC, HWND, UINT, WPARAM, LPARAM);
typedef BOOL (*AdjustWindowRectExProc)(LPRECT, DWORD, BOOL, DWORD);

// The width of the image's address table entries: 4 in a 32-bit image, 8 in a 64-bit one.
size_t EntryWidth(const uint8_t* base) {
  int32_t lfanew = 0;
  uint16_t magic = 0;
  if (!kx2::ProbeValue(base + IMAGE_DOS_LFANEW_OFFSET, &lfanew) ||
      !kx2::ProbeValue(base + lfanew + IMAGE_NT_OPTIONAL_HEADER_OFFSET, &magic))
    return 0;
  return magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 8 : magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC ? 4 : 0;
}

// A zero-terminated name read through the probe; false when unreadable or too long.
bool ReadName(const uint8_t* at, std::string* out) {
  out->clear();
  for (size_t i = 0; i < kMaxModuleName; ++i) {
    char c = 0;
    if (!kx2::ProbeValue(at + i, &c)) return false;
    if (c == 0) return true;
    out->push_back(c);
  }
  return false;
}

bool ReadEntry(const uint8_t* at, size_t width, uint64_t* value) {
  *value = 0;
  if (width == 8) return kx2::ProbeValue(at, value);
  uint32_t v32 = 0;
  if (!kx2::ProbeValue(at, &v32)) return false;
  *value = v32;
  return true;
}

// Writes an entry after making its page writable, then restores the protection.
bool WriteEntry(uint8_t* target, size_t width, uint64_t value) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(target, &info, sizeof info) != sizeof info || info.State != MEM_COMMIT) return false;
  DWORD old = 0;
  if (!VirtualProtect(target, width, PAGE_READWRITE, &old)) return false;
  if (width == 8) {
    std::memcpy(target, &value, 8);
  } else {
    const uint32_t v32 = static_cast<uint32_t>(value);
    std::memcpy(target, &v32, 4);
  }
  DWORD ignored = 0;
  VirtualProtect(target, width, old, &ignored);
  return true;
}

// The file name of a module after its last backslash.
std::u16string FileNameOf(HMODULE module) {
  char16_t path[1024];
  DWORD n = GetModuleFileNameW(module, path, 1024);
  std::u16string full(path, n < 1024 ? n : 0);
  size_t cut = full.find_last_of(u'\\');
  return cut == std::u16string::npos ? full : full.substr(cut + 1);
}

}  // namespace

CKtkSkinManagerApiHook& KtkSkinManagerApiHook() {
  auto& slot = HookSlot();
  if (!slot) slot = std::make_unique<CKtkSkinManagerApiHook>();
  return *slot;
}

namespace ornatex {

void ReleaseApiHook() { HookSlot().reset(); }

}  // namespace ornatex

CKtkSkinManagerApiHook::CKtkSkinManagerApiHook() {
  static const struct {
    const char16_t* name;
    BOOL win9xOnly;
  } kExcluded[] = {
      {u"SHLWAPI.DLL", TRUE}, {u"COMCTL32.DLL", TRUE}, {u"KERNEL32.DLL", FALSE}, {u"USER32.DLL", FALSE},
      {u"GDI32.DLL", FALSE},  {u"WININET.DLL", FALSE}, {u"MSCTF.DLL", FALSE},
  };
  for (const auto& e : kExcluded) excluded_.push_back(EXCLUDEDMODULE{GetModuleHandleW(e.name), e.name, e.win9xOnly});
}

CKtkSkinManagerApiHook::~CKtkSkinManagerApiHook() {
  RemoveAllHooks();
  for (auto*& record : slots_) {
    delete record;
    record = nullptr;
  }
}

void* CKtkSkinManagerApiHook::GetPreHookAddress(int slot) {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return slots_[slot] ? slots_[slot]->original : nullptr;
}

BOOL CKtkSkinManagerApiHook::IsExcludedModule(HMODULE module) const {
  if (!module) return FALSE;
  const bool win9x = KtkIsWindows9x();
  std::u16string fileName;
  bool fileNameRead = false;
  for (const EXCLUDEDMODULE& e : excluded_) {
    if (e.win9xOnly && !win9x) continue;
    if (e.module && e.module == module) return TRUE;
    const size_t length = std::char_traits<char16_t>::length(e.name);
    if (length == 0 || e.name[length - 1] != u'*') continue;
    if (!fileNameRead) {
      fileName = FileNameOf(module);
      fileNameRead = true;
    }
    if (fileName.size() >= length - 1 && CompareNoCaseW(fileName.c_str(), e.name, length - 1) == 0) return TRUE;
  }
  return FALSE;
}

void CKtkSkinManagerApiHook::RemoveAllHooks() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (!installed_) return;
  const HMODULE own = Kx2ThisModule();
  for (auto*& record : slots_) {
    if (!record) continue;
    CKtkSkinManagerModuleList list(GetCurrentProcessId());
    HMODULE module = nullptr;
    for (BOOL more = list.First(&module); more; more = list.Next(&module))
      if (module != own && !IsExcludedModule(module))
        PatchImportEntry(record->importedModule.c_str(), record->replacement, record->original, module);
    PatchImportEntry(record->importedModule.c_str(), record->replacement, record->original, own);
    delete record;
    record = nullptr;
  }
  installed_ = FALSE;
}

int CKtkSkinManagerApiHook::PatchImportEntry(const char* importedModule, void* find, void* put, HMODULE module) {
  if (!find || !put || !module) return 0;
  CKtkSkinManagerModuleList list(GetCurrentProcessId());
  LPVOID base = nullptr;
  DWORD size = 0;
  if (!list.GetModuleInfo(module, &base, &size, nullptr)) return 0;
  return PatchImportEntryInImage(importedModule, find, put, base);
}

int CKtkSkinManagerApiHook::PatchImportEntryInImage(const char* importedModule, void* find, void* put,
                                                    void* imageBase) {
  if (!find || !put || !importedModule || !imageBase) return 0;
  std::lock_guard<std::recursive_mutex> guard(lock_);
  auto* base = static_cast<uint8_t*>(imageBase);
  ULONG directorySize = 0;
  auto* descriptor =
      static_cast<uint8_t*>(ImageDirectoryEntryToData(base, TRUE, IMAGE_DIRECTORY_ENTRY_IMPORT, &directorySize));
  const size_t width = descriptor ? EntryWidth(base) : 0;
  if (!descriptor || width == 0) return 0;
  const uint64_t wanted = reinterpret_cast<uintptr_t>(find);
  const uint64_t replacement = reinterpret_cast<uintptr_t>(put);
  // A 32-bit table cannot hold a wider address: neither can match nor be written.
  if (width == 4 && (wanted > UINT32_MAX || replacement > UINT32_MAX)) return 0;

  // The descriptor of the imported module.
  const uint8_t* table = nullptr;
  for (;; descriptor += IMAGE_SIZEOF_IMPORT_DESCRIPTOR) {
    IMAGE_IMPORT_DESCRIPTOR d{};
    if (!kx2::ProbeValue(descriptor, &d) || d.Name == 0) return 0;
    std::string name;
    if (!ReadName(base + d.Name, &name)) return 0;
    if (CompareNoCaseA(name.c_str(), importedModule) == 0) {
      table = base + d.FirstThunk;
      break;
    }
  }

  // Its address table, up to a zero entry.
  for (const uint8_t* entry = table;; entry += width) {
    uint64_t value = 0;
    if (!ReadEntry(entry, width, &value) || value == 0) return 0;
    uint8_t* target = nullptr;
    if (value == wanted) {
      target = const_cast<uint8_t*>(entry);
    } else {
      const auto* thunk = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(value));
      uint8_t opcode = 0;
      uint64_t operand = 0;
      if (kx2::ProbeValue(thunk, &opcode) && opcode == kPushOpcode && ReadEntry(thunk + 1, width, &operand) &&
          operand == wanted)
        target = const_cast<uint8_t*>(thunk + 1);
    }
    if (target) return WriteEntry(target, width, replacement) ? 1 : 0;
  }
}

LRESULT KtkCallWindowProc(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto hooked = reinterpret_cast<CallWindowProcProc>(
          KtkSkinManagerApiHook().GetPreHookAddress(CKtkSkinManagerApiHook::kSlotCallWindowProcW)))
    return hooked(previous, window, message, wParam, lParam);
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

BOOL KtkAdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (auto hooked = reinterpret_cast<AdjustWindowRectExProc>(
          KtkSkinManagerApiHook().GetPreHookAddress(CKtkSkinManagerApiHook::kSlotAdjustWindowRectEx)))
    return hooked(rect, style, menu, exStyle);
  return AdjustWindowRectEx(rect, style, menu, exStyle);
}
