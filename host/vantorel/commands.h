// The commands of vantorel.
#pragma once

#include <string>

namespace vantorel::cli {

struct ImportRequest {
  std::string file;        // as given on the command line
  std::string filterName;  // empty: FREEMIND, MINDMANAGER and XMIND in turn
  bool json = false;
};

// Each prints its result to standard output and its failure to standard error, and
// returns the process exit code.
int ListFilters(bool json);
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

}  // namespace vantorel::cli
