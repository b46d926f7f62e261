// The import plug-in as the host sees it: loaded with LoadLibraryW and called through its
// six exports.
#pragma once

#include <string>

#include <foliant/filter_info.h>
#include <win/module.h>

namespace vantorel::cli {

class ImportPlugin {
 public:
  // Loads "TqFoliant.afd" (from the folder of the program, where the build puts it).
  bool Load(std::string* error);
  ~ImportPlugin();

  FoundFilterFunc foundFilter = nullptr;
  IteratorFilterFunc iteratorFilter = nullptr;
  DiscoveryFilterFunc discoveryFilter = nullptr;
  ImportExportFunc importExport = nullptr;
  ImportExportExFunc importExportEx = nullptr;
  OptionsFunc options = nullptr;

 private:
  HMODULE module_ = nullptr;
};

}  // namespace vantorel::cli
