// How a filter item drives its importer: a fresh importer per call, prepared with Init,
// then probed or imported, cleaned up, and destroyed.
#pragma once

#include <foliant/filter_info.h>
#include <vantorel/model_interfaces.h>

namespace foliant {

// Cleanup, or Close for the importers that name it so.
template <class Importer>
void CleanupImporter(Importer& importer) {
  if constexpr (requires { importer.Cleanup(); })
    importer.Cleanup();
  else
    importer.Close();
}

// The probe's result, or Init's when Init gave 0.
template <class Importer>
int DriveDiscovery(LPCWSTR path) {
  Importer importer;
  const int init = importer.Init();
  if (init == 0) return init;
  const int result = importer.Probe(path);
  CleanupImporter(importer);
  return result;
}

// Import's result, or Init's when Init did not give exactly 1 (nothing is imported then).
template <class Importer>
int DriveImport(IVtlDocumentManager* documents, LPCWSTR path) {
  Importer importer;
  const int init = importer.Init();
  if (init != 1) return init;
  const int result = importer.Import(documents, path);
  CleanupImporter(importer);
  return result;
}

// The numbers and resource strings one filter describes itself with.
struct FilterDescription {
  DWORD filterId;
  DWORD formatCode;
  UINT nameId, descriptionId, textId, shortTextId;
  bool keepFlags;  // the flags word stays as the host set it
};

// Fills a FilterInfo whose size field is at least 552; smaller records stay untouched.
// Texts longer than their field are cut to it, terminator included.
void FillFilterInfo(FilterInfo* info, const FilterDescription& description, HINSTANCE resources);

}  // namespace foliant
