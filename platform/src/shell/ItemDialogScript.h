// The user's steps an item dialog plays (kx2/FileDialogScript.h): parsing, where a dialog
// finds its script, and the report of the line that ended one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace kx2::shell {

struct FileDialogStep {
  enum class Kind { kFolder, kSelect, kType, kChoice, kName, kOk, kCancel };
  Kind kind;
  std::u16string text;  // folder, select, name
  DWORD number = 0;     // type, choice
  int line = 0;
};

struct FileDialogScript {
  std::vector<FileDialogStep> steps;  // up to the first bad line
  int badLine = 0;                    // 0 when every line is good
  std::string why;                    // what was wrong with it
};

FileDialogScript ParseFileDialogScript(std::string_view text);
// The script a dialog about to be shown plays: the one set for the process (taken), else
// the file KX2_FILEDIALOG_SCRIPT names; nullopt when there is none (the dialog cancels).
// A script file that cannot be read is a script whose first line is bad.
std::optional<FileDialogScript> TakeFileDialogScript();
// Records how the last dialog's script ended (0: no bad line) and reports a bad one on
// standard error.
void ReportFileDialogScriptEnd(int badLine, const std::string& why);

}  // namespace kx2::shell
