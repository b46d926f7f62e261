// Private: what the window core needs of the class registry (WindowClasses.cpp).
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "win/user.h"

namespace kx2::user {

struct WindowClass {
  ATOM atom = 0;
  HINSTANCE owner = nullptr;
  WNDCLASSEXW record{};     // lpszClassName is not kept: lookups report the caller's
  std::u16string name;      // as first registered, for GetClassNameW
  std::u16string menuName;  // lpszMenuName points here when it was a text
  bool menuIsText = false;
  std::vector<BYTE> extra;  // cbClsExtra bytes
  int windows = 0;          // windows of the class alive; while above 0 it stays registered
};

// Guards every class record's fields (the class slots change them).
std::mutex& ClassLock();

// The class a new window of the module takes (the module's own, else a global one), with
// its window count raised; null with ERROR_CANNOT_FIND_WND_CLASS.
WindowClass* AcquireClass(HINSTANCE instance, LPCWSTR name);
// The atom that names a class (by text or MAKEINTATOM); 0 when no class carries it.
ATOM ClassAtom(LPCWSTR name);
// A window of the class is gone.
void ReleaseClass(WindowClass* windowClass);

}  // namespace kx2::user
