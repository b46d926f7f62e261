#include <foliant/time_value.h>

#include <toolkit/SystemLibrary.h>
#include <win/module.h>

HMODULE LoadSystemLibrary(LPCWSTR fileName) {
  return ktk::InSystemFolder([&] { return LoadLibraryW(fileName); });
}

HMODULE LoadSystemLibraryA(LPCSTR fileName) {
  return ktk::InSystemFolder([&] { return LoadLibraryA(fileName); });
}
