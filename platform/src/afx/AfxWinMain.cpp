#include "win/afx_winmain.h"

#include "win/module.h"

int __argc = 0;
char** __argv = nullptr;

int AfxWinMain(CWinApp& app, int argc, char** argv) {
  __argc = argc;
  __argv = argv;
  static AFX_MODULE_STATE programState;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // InitInstance's result only says whether a message loop would follow; none does.
  AfxWinModuleAttach(&programState, &app, instance);
  return AfxWinModuleDetach(&programState);
}
