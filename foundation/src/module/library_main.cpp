// The foundation library's own start-up and shutdown: the thread error records, the C
// locale, the path variables, then its own module registration (which loads BasaltRes).
#include <string>

#include <basalt/library.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <win/crt.h>
#include <win/kernel.h>
#include <win/module.h>

#include "error/thread_record.h"
#include "module/foundation_module.h"
#include "module/module_table.h"
#include "module/own_instance.h"
#include "path/path_table.h"

namespace {

using Basalt::Base::detail::FoundationModule;

void ProcessAttach(HINSTANCE instance) {
  // The library serves no objects through a class factory: there is no object map to start.
  DisableThreadLibraryCalls(instance);
  FoundationModule().instance = instance;
  if (!Basalt::Error::detail::AttachThreadRecords()) return;
  _wsetlocale(LC_ALL, u"");
  if (!Basalt::Util::detail::PathTableExists()) Basalt::Util::PathUtil::_InitPath();
  Basalt::Base::Module::_InitModule(&FoundationModule());
}

void ProcessDetach() {
  tagModuleInfo& own = FoundationModule();
  Basalt::Base::Module::_ExitModule(&own);
  // A failed start leaves the record in its slot (so its describer stayed reachable);
  // the table must not keep it once the library is gone.
  int slot = Basalt::Base::detail::FindModuleSlot(&own);
  if (slot >= 0) Basalt::Base::detail::ModuleSlot(slot) = nullptr;
  own.flags &= ~kModuleFlagFailed;
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
