// The accelerator lines of a vantorel type script:
//   accel CHORD[,CHORD] COMMAND
// where a chord is modifiers and a key joined by "+" (Ctrl+K, Shift+F5, Ctrl+Alt+Delete):
// modifiers Ctrl, Alt, Shift; keys A-Z, 0-9, F1-F24, a name (Escape, Return, Space, Tab,
// Back, Insert, Delete, Home, End, PageUp, PageDown, Left, Right, Up, Down) or a number.
// The command is 1 to 65535.
#pragma once

#include <string>
#include <vector>

#include <quel/Accelerators.h>

namespace vantorel::cli {

struct AccelLines {
  std::vector<tagAccelEntry> entries;
  std::string rest;  // the script with each accel line made a comment (line numbers kept)
  int badLine = 0;   // the first accel line that is not one, from 1
};

AccelLines TakeAccelLines(const std::string& script);

}  // namespace vantorel::cli
