// The modules loaded in the process, through PSAPI or, without it, ToolHelp; and the test
// whether an address lies in system code (the window procedures of USER32 and COMCTL32).
#pragma once

#include <memory>
#include <vector>

#include <win/types.h>

#include "ornatex/export.h"

class ORNATEX_API CKtkSkinManagerModuleList {
 public:
  // One way of walking the module list. Every operation answers FALSE when it cannot.
  class ORNATEX_API CModuleEnumerator {
   public:
    virtual ~CModuleEnumerator() = default;
    virtual BOOL First(HMODULE* module) = 0;
    virtual BOOL Next(HMODULE* module) = 0;
    virtual BOOL GetModuleInfo(HMODULE module, LPVOID* base, DWORD* size, LPVOID* entryPoint) = 0;
  };

  explicit CKtkSkinManagerModuleList(DWORD processId);
  ~CKtkSkinManagerModuleList();
  CKtkSkinManagerModuleList(const CKtkSkinManagerModuleList&) = delete;
  CKtkSkinManagerModuleList& operator=(const CKtkSkinManagerModuleList&) = delete;

  BOOL First(HMODULE* module) { return enumerator_ && enumerator_->First(module); }
  BOOL Next(HMODULE* module) { return enumerator_ && enumerator_->Next(module); }
  BOOL GetModuleInfo(HMODULE module, LPVOID* base, DWORD* size, LPVOID* entryPoint) {
    return enumerator_ && enumerator_->GetModuleInfo(module, base, size, entryPoint);
  }
  bool HasEnumerator() const { return enumerator_ != nullptr; }

  // Which kind the process uses, chosen once: PSAPI when "PSAPI.DLL" loads from the system
  // folder, else ToolHelp when KERNEL32 exports "CreateToolhelp32Snapshot", else none.
  enum Kind { kNone = 0, kPsapi = 1, kToolHelp = 2 };
  static Kind ProcessKind();

 private:
  std::unique_ptr<CModuleEnumerator> enumerator_;
};

// PSAPI: the whole list at the first module, then one by one.
class ORNATEX_API CPsapiModuleEnumerator : public CKtkSkinManagerModuleList::CModuleEnumerator {
 public:
  explicit CPsapiModuleEnumerator(DWORD processId);
  ~CPsapiModuleEnumerator() override;
  BOOL First(HMODULE* module) override;
  BOOL Next(HMODULE* module) override;
  BOOL GetModuleInfo(HMODULE module, LPVOID* base, DWORD* size, LPVOID* entryPoint) override;

 private:
  HMODULE psapi_ = nullptr;
  HANDLE process_ = nullptr;
  FARPROC enumModules_ = nullptr;
  FARPROC moduleInformation_ = nullptr;
  std::vector<HMODULE> modules_;
  size_t next_ = 0;
};

// ToolHelp: a module snapshot of the process.
class ORNATEX_API CToolHelpModuleEnumerator : public CKtkSkinManagerModuleList::CModuleEnumerator {
 public:
  explicit CToolHelpModuleEnumerator(DWORD processId);
  ~CToolHelpModuleEnumerator() override;
  BOOL First(HMODULE* module) override;
  BOOL Next(HMODULE* module) override;
  // Walks a fresh snapshot to the module: base and size (no entry point).
  BOOL GetModuleInfo(HMODULE module, LPVOID* base, DWORD* size, LPVOID* entryPoint) override;

 private:
  DWORD processId_;
  HANDLE snapshot_;
  FARPROC createSnapshot_ = nullptr;
  FARPROC first_ = nullptr;
  FARPROC next_ = nullptr;
};

// True when the address lies strictly inside the image of USER32 or of any COMCTL32 the
// process has had loaded (a second copy adds its range, the first keeps its own), or on
// XP and later of NTDLL. Ranges are read through the module list and kept; with neither
// PSAPI nor ToolHelp no address is system code. (The 32-bit system's rule that addresses
// at or above 0xFFFF0000 are system code matches nothing in a 64-bit process, where
// every library lies above it.)
ORNATEX_API BOOL IsSystemModuleAddress(const void* address);
