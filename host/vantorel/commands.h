// The commands of vantorel.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include <vantorel/object_census.h>

namespace vantorel::cli {

struct ImportRequest {
  std::string file;        // as given on the command line
  std::string filterName;  // empty: FREEMIND, MINDMANAGER and XMIND in turn
  bool json = false;
};

// Each prints its result to standard output and its failure to standard error, and
// returns the process exit code.
int ListFilters(bool json);
class ImportPlugin;
// Imports the request's map into a new document as the host does (the census taken just
// before, into `census`); the map's Windows path and the filter that read it come back.
// 0, or the exit code after printing why (the documents closed again).
int ImportIntoDocument(const ImportRequest& request, ImportPlugin& plugin, std::u16string* path, std::u16string* filter,
                       CensusReport* census);
// After the documents are closed, everything the plug-in took from the host must have been
// given back; what is left is reported on standard error.
bool CheckNothingLeft(const CensusReport& before);

struct RenderRequest {
  ImportRequest import;
  std::string output;  // the PNG
  std::string svg;     // empty: no SVG
  int dpi = 96;
};
// Imports the map, lays it out, has the engine paint it and writes the PNG; prints one line
// (or, with --json, every topic's pixel box as well).
int RenderMap(const RenderRequest& request);
int ImportMap(const ImportRequest& request);
// Types an input-method script (kx2/ImeScript.h) into the host's edit window through the
// input-method bridge, printing each notification the window receives and its final text.
// The script may declare the window's accelerators ("accel Ctrl+K,Ctrl+D 201", see
// accel_lines.h); commands print as they run.
int TypeScript(const std::string& file);
// Co-edits the map with other hosts: signs in as `user`, then answers line commands on
// standard input (join ROOM, edit PATH TEXT, lock PATH, locked PATH, sync NUMBER, process,
// events, print, leave, quit) with one JSON line each.
int CollabSession(const std::string& file, const std::string& user);

struct FileDialogRequest {
  bool save = false;
  bool choices = false;
  std::vector<std::array<std::string, 4>> filters;  // description, pattern, format, extension
  std::vector<std::pair<int, std::string>> states;  // state, folder (Windows or POSIX path)
  std::string script;                               // steps, ';' or newline between them
};
// Runs the file dialog with the request's file types, initial folder and open choices,
// playing the script (else KX2_FILEDIALOG_SCRIPT's file, else Cancel); prints the chosen
// path, format, extension and open type, or "cancelled". 1 for a bad script line, 3 when
// windows were left alive.
int RunFileDialog(const FileDialogRequest& request);

// Writes the demo skin into the folder and, when `module` is not empty, packs it into that
// module package too; prints where each went. 1 when a file could not be written.
int MakeDemoSkin(const std::string& folder, const std::string& module);

struct SkinDemoRequest {
  std::string resources;  // the XML resource file with the demo dialog and its menu bar
  std::string output;     // the PNG
  std::string skin;       // empty: the classic look
  std::string ini;        // the skin's INI file; empty: the package's default
  int menu = -1;          // >= 0: a screen capture with this menu of the bar open
  int hover = 0;          // not 0: the pointer over this control first
};
// Builds the demo dialog with every control and the menu bar, fills it with sample content,
// runs until idle and writes the dialog's capture, printing each control's box in it. 1 when
// the skin cannot be loaded, the menu does not exist or the picture cannot be written.
int SkinDemo(const SkinDemoRequest& request);

}  // namespace vantorel::cli
