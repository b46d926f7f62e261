// vantorel type: an input-method script typed into the host's edit window through the
// input-method bridge, as a person would type it.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/ImeScript.h>
#include <quel/Quel.h>
#include <vantorel/edit_window.h>

#include "accel_lines.h"
#include "commands.h"

namespace vantorel::cli {

int TypeScript(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "vantorel: cannot read " << file << "\n";
    return 2;
  }
  const AccelLines lines =
      TakeAccelLines(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  if (lines.badLine) {
    std::cerr << "vantorel: " << file << ":" << lines.badLine << ": not an accelerator\n";
    return 1;
  }
  const std::string& text = lines.rest;
  // The script's clock steps are the only time that passes.
  Kx2ClockSetManual(TRUE, 1000);
  if (!edit::RegisterEditClass()) {
    std::cerr << "vantorel: the edit window's class cannot be registered\n";
    return 2;
  }
  HWND window = edit::CreateEditWindow(40, 40, 420, 60);
  if (!window || !_ExpImPrepare(window)) {
    std::cerr << "vantorel: the input-method bridge cannot start\n";
    if (window) DestroyWindow(window);
    return 2;
  }
  edit::SetJournal(window, [](const std::string& line) { std::cout << line << "\n"; });
  edit::SetAccelerators(window, lines.entries);
  ShowWindow(window, SW_SHOW);
  SetFocus(window);

  Kx2ImeScript* script = Kx2ImeScriptParse(text.data(), text.size());
  Kx2ImeScriptPlayWhenIdle(script, TRUE);
  edit::RunMessageLoop();
  const int badLine = Kx2ImeScriptBadLine(script);
  std::cout << "text " << edit::Quoted(edit::Text(window)) << "\n";

  edit::SetJournal(window, nullptr);
  DestroyWindow(window);
  _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x18000, 0);
  Kx2ImeScriptFree(script);
  if (badLine) {
    std::cerr << "vantorel: " << file << ":" << badLine << ": not a script step\n";
    return 1;
  }
  if (Kx2LiveWindowCount() != 0) {
    std::cerr << "vantorel: " << Kx2LiveWindowCount() << " windows were left alive\n";
    return 3;
  }
  return 0;
}

}  // namespace vantorel::cli
