// While alive, the next window the thread makes is attached to a CWnd at its
// HCBT_CREATEWND and gets AfxWndProc, so the object sees WM_NCCREATE and everything after.
#pragma once

#include <win/afx.h>

namespace kx2::afx {

class CreationHook {
 public:
  explicit CreationHook(CWnd* wnd);
  ~CreationHook();
  CreationHook(const CreationHook&) = delete;
  CreationHook& operator=(const CreationHook&) = delete;

 private:
  HHOOK hook_ = nullptr;
  HHOOK outer_ = nullptr;
};

}  // namespace kx2::afx
