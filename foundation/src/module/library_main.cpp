// The foundation library's own start-up and shutdown.
#include <basalt/library.h>
#include <basalt/path_util.h>

#include "error/thread_record.h"
#include "module/own_instance.h"
#include "path/path_table.h"

namespace {

void ProcessAttach(HINSTANCE instance) {
  if (!Basalt::Error::detail::AttachThreadRecords()) return;
  if (!Basalt::Util::detail::PathTableExists()) Basalt::Util::PathUtil::_InitPath();
}

void ProcessDetach() {
  if (Basalt::Error::detail::ThreadRecordsAttached()) {
    Basalt::Error::detail::DetachThreadRecords();
    Basalt::Util::PathUtil::_CleanPath();
  }
}

__attribute__((constructor)) void LibraryLoaded() {
  BasaltDllMain(Basalt::Base::detail::OwnInstance(), KX2_DLL_PROCESS_ATTACH, nullptr);
}
__attribute__((destructor)) void LibraryUnloaded() {
  BasaltDllMain(Basalt::Base::detail::OwnInstance(), KX2_DLL_PROCESS_DETACH, nullptr);
}

}  // namespace

KX2_EXPORT BOOL BasaltDllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == KX2_DLL_PROCESS_ATTACH)
    ProcessAttach(instance);
  else if (reason == KX2_DLL_PROCESS_DETACH)
    ProcessDetach();
  return TRUE;
}
