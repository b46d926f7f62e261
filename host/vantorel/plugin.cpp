#include "plugin.h"

#include <win/kernel.h>

namespace vantorel::cli {

bool ImportPlugin::Load(std::string* error) {
  module_ = LoadLibraryW(u"TqFoliant.afd");
  if (!module_) {
    *error = "cannot load TqFoliant.afd (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  struct Binding {
    const char* name;
    FARPROC* slot;
  } bindings[] = {
      {"FoundFilter", reinterpret_cast<FARPROC*>(&foundFilter)},
      {"IteratorFilter", reinterpret_cast<FARPROC*>(&iteratorFilter)},
      {"DiscoveryFilter", reinterpret_cast<FARPROC*>(&discoveryFilter)},
      {"ImportExport", reinterpret_cast<FARPROC*>(&importExport)},
      {"ImportExportEx", reinterpret_cast<FARPROC*>(&importExportEx)},
      {"Options", reinterpret_cast<FARPROC*>(&options)},
  };
  for (const Binding& b : bindings) {
    *b.slot = GetProcAddress(module_, b.name);
    if (!*b.slot) {
      *error = std::string("TqFoliant.afd has no export ") + b.name;
      return false;
    }
  }
  return true;
}

ImportPlugin::~ImportPlugin() {
  if (module_) FreeLibrary(module_);
}

}  // namespace vantorel::cli
