// The foundation library's own start-up and shutdown.
#include <basalt/library.h>

#include "error/thread_record.h"

namespace {

void ProcessAttach(HINSTANCE instance) {
  if (!Basalt::Error::detail::AttachThreadRecords()) return;
}

void ProcessDetach() { Basalt::Error::detail::DetachThreadRecords(); }

__attribute__((constructor)) void LibraryLoaded() { BasaltDllMain(nullptr, KX2_DLL_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) void LibraryUnloaded() { BasaltDllMain(nullptr, KX2_DLL_PROCESS_DETACH, nullptr); }

}  // namespace

KX2_EXPORT BOOL BasaltDllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == KX2_DLL_PROCESS_ATTACH)
    ProcessAttach(instance);
  else if (reason == KX2_DLL_PROCESS_DETACH)
    ProcessDetach();
  return TRUE;
}
