// The module's MFC application object and its module state: made when the library loads
// (the MFC start-up only), gone when it unloads; callable directly for tests.
#pragma once

#include <win/afx.h>

#include "ornatex/export.h"

class COrnatexApp : public CWinApp {
 public:
  COrnatexApp();
  // The framework's own start-up, then success.
  BOOL InitInstance() override;
};

ORNATEX_API BOOL OrnatexAppAttach();
ORNATEX_API void OrnatexAppDetach();
// The module's state, for exports that make it current; null while detached.
ORNATEX_API AFX_MODULE_STATE* OrnatexModuleState();
