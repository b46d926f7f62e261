// Accounting of the host's reference-counted objects, so that tests can prove that a module
// released everything it was given and released nothing twice.
//
// Every host object except the application object is counted from construction to its last
// Release. With quarantine on, an object whose count reaches zero is emptied but its memory
// is kept until CollectQuarantine, so that a further Release is caught and counted instead
// of touching freed memory; the 16,384 most recently released objects are kept so, older
// ones are freed, so that a large import does not keep every object it ever released.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <vantorel/host_export.h>

namespace vantorel {

struct CensusReport {
  size_t liveObjects = 0;              // counted objects not yet finally released
  size_t liveFileKeys = 0;             // keys of the file store not yet dropped
  size_t extraReleases = 0;            // Release calls on objects already finally released
  std::vector<std::string> liveKinds;  // one line per live object: its kind and count
};

VANTOREL_API CensusReport TakeCensus();
VANTOREL_API void SetQuarantine(bool on);
// Frees the objects kept by quarantine and forgets the counted extra releases.
VANTOREL_API void CollectQuarantine();
// Closes every open document of the host (breaking the links between their objects), so
// that what stays alive afterwards is what a module still holds.
VANTOREL_API void CloseAllDocuments();
// Restarts the GUID counter and the counters of documents and file keys (for tests that
// compare output between runs in one process).
VANTOREL_API void ResetHostCounters();

}  // namespace vantorel
