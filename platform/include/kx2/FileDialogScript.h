// The Common Item Dialog (win/shobjidl.h) as a script: each line a step the user takes in
// the dialog, played by the dialog's modal loop on the calling thread. Each step fires the
// events the dialog fires for it, in its order; opening the dialog fires none.
//
// Text form (UTF-8), one step a line; blank lines and lines starting with # are skipped:
//   folder PATH    goes to the folder (OnFolderChanging, then OnFolderChange; a sink's
//                  refusal keeps the folder) and lists it; the selection is cleared
//                  (OnSelectionChange when there was one). PATH is a Windows path, or a
//                  POSIX path starting with "/".
//   select NAME    selects an entry of the listed folder (without regard to case); a file's
//                  name goes into the name box (OnSelectionChange)
//   type N         chooses file type N, counted from 1 (OnTypeChange)
//   choice ID      chooses item ID of the open button's drop-down (OnItemSelected of the
//                  sinks that answer IFileDialogControlEvents)
//   name TEXT      types TEXT (the rest of the line, may be empty) into the name box
//   ok             confirms: a name box naming a folder goes there (as "folder"); otherwise
//                  the item (the name in the shown folder, with the default extension when
//                  it has none) is checked against the options (FOS_FILEMUSTEXIST,
//                  FOS_PATHMUSTEXIST; a save dialog's existing file fires OnOverwrite with
//                  FOS_OVERWRITEPROMPT) and OnFileOk runs; S_OK from every sink ends the
//                  dialog with S_OK, anything else keeps it open
//   cancel         ends the dialog with HRESULT_FROM_WIN32(ERROR_CANCELLED)
// When the steps run out the dialog is cancelled. A bad line (an unknown step, a missing or
// bad argument, a folder that cannot be listed, a name not in the folder, a type or item
// that does not exist) ends the script there: the steps before it have played, its number
// is reported on standard error and by Kx2FileDialogScriptBadLine, and the dialog answers
// Cancel.
//
// Before each step the loop dispatches the thread's pending messages and runs the thread's
// idle handler (kx2/IdleHandler.h), so a test can look at the window between steps. The
// window ("#32770") holds the name box (control 0x047C, showing the name the steps put
// there; what it holds is what "ok" confirms) and the default and Cancel buttons: a person
// (or a test) pressing them confirms or cancels between the script's steps.
#pragma once

#include <cstddef>

#include "win/types.h"

// The script the next dialog shown in the process plays (taken by it); null forgets a
// script not yet taken. Without one, a dialog plays the file the environment variable
// KX2_FILEDIALOG_SCRIPT names (read afresh by each dialog), else answers Cancel at once.
KX2_EXPORT void Kx2SetFileDialogScript(const char* text);
// The number (from 1) of the line that ended the last dialog's script, 0 when none did.
KX2_EXPORT int Kx2FileDialogScriptBadLine();
// Lists a folder as the dialog's "folder" step does (names and whether each is a folder),
// without a dialog; the number of entries, or -1 when the folder cannot be listed. For
// benchmarks.
KX2_EXPORT int Kx2FileDialogListFolder(LPCWSTR folder);
