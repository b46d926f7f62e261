// The library's process-wide objects are made on first use; when the library stops
// (ornatex::ProcessDetach), each area gives its objects back here, so that a stop then a
// start acts as an unload then a reload.
#pragma once

namespace ornatex {

void ReleaseDrawHelpers();
void ReleaseColorManager();
void ReleasePlatformServices();
void ReleaseMonitorService();
void ReleaseMenuSoundPlayer();
void ReleaseApiHook();
void ReleaseThemeTables();
void ReleaseSkinManager();
void ReleaseImageManager();

}  // namespace ornatex
