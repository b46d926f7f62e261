// The library's start and stop (what its DllMain does on the system): stopping gives every
// process-wide object back, so a stop then a start acts as an unload then a reload.
#include "process_objects.h"

#include "ornatex/core/process.h"

namespace ornatex {

void ReleasePlatformServices() {
  ReleaseMenuSoundPlayer();  // first: its thread must not outlive what it plays through
  ReleaseApiHook();
  ReleaseMonitorService();
}

}  // namespace ornatex

void OrnatexProcessAttach() {}

void OrnatexProcessDetach() {
  ornatex::ReleaseSkinManager();  // first: its objects and skin draw with everything below
  ornatex::ReleasePlatformServices();
  ornatex::ReleaseColorManager();
  ornatex::ReleaseThemeTables();
  ornatex::ReleaseImageManager();
  ornatex::ReleaseDrawHelpers();
}

namespace {

__attribute__((destructor)) void OrnatexUnload() { OrnatexProcessDetach(); }

}  // namespace
