// Any bytes as a module's RT_DIALOG and RT_MENU resource (the same bytes for both): the
// dialog is made from the resource by name, or refused, and destroyed; the menu is loaded
// or refused. Nothing reads past the resource, and nothing outlives the input.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "../tests/dialog_test_support.h"
#include "kx2/IdleHandler.h"
#include "kx2/ResourceContainer.h"
#include "kx2test/FuzzInputFile.h"
#include "win/menu.h"
#include "win/module.h"

namespace {

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const kx2test::FuzzInputFile file("kx2-fuzz-dialog-", "template.rsrc", "/tmp/kx2-fuzz-dialog.rsrc");
  static const bool registered = (dlgtest::RegisterTestControls(), true);
  (void)registered;
  kx2::rsrc::ContainerWriter writer;
  writer.Add(uint16_t{5}, uint16_t{1}, 0, std::vector<uint8_t>(data, data + size));
  writer.Add(uint16_t{4}, uint16_t{1}, 0, std::vector<uint8_t>(data, data + size));
  const std::vector<uint8_t> container = writer.Build();
  const std::u16string path = file.Write(container.data(), container.size());
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) __builtin_trap();  // the container itself is always well formed
  if (HWND dlg = CreateDialogParamW(module, MAKEINTRESOURCEW(1), nullptr, &QuietProc, 0)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    DestroyWindow(dlg);
  }
  if (HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(1))) DestroyMenu(menu);
  FreeLibrary(module);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  if (Kx2LiveWindowCount() != 0) __builtin_trap();
  return 0;
}
