// MFC extension libraries: a library registers its module with the process's chain of
// extension libraries when it attaches, so that resource look-ups can reach it, and takes
// it out again when it detaches.
#pragma once

#include "win/types.h"

struct KX2_API AFX_EXTENSION_MODULE {
  BOOL bInitialized = FALSE;
  HMODULE hModule = nullptr;
  HMODULE hResource = nullptr;
};

// Fills the record for the module; FALSE for a null module. A second call for the same
// record is harmless.
KX2_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Takes every CDynLinkLibrary of the module out of the chain (deleting those still there)
// and clears the record.
KX2_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// One link of the chain; made with new on attach and deleted by AfxTermExtensionModule.
class KX2_API CDynLinkLibrary {
 public:
  explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
  virtual ~CDynLinkLibrary();
  CDynLinkLibrary(const CDynLinkLibrary&) = delete;
  CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

  HMODULE m_hModule;
  HMODULE m_hResource;
};

// The modules in the chain, most recent first (for tests and resource look-ups).
KX2_API int AfxDynLinkLibraryCount();
KX2_API BOOL AfxDynLinkLibraryHas(HMODULE module);
