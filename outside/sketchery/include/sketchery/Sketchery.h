// Sketchery: the bitmaps of handles and knobs, drawn with Cairo at start-up into Luminar
// images that Sketchery owns (the caller never frees them).
//
// Ids: 1 control handle, 3 knob, 4 end handle, 5 connection site, 10 adjust knob,
// 12 rotation knob; any other id, and any id before StartupDrawing or after
// ShutdownDrawing, gives null. Our designs, 7 to 9 pixels a side.
#pragma once

#include "luminar/Luminar.h"
#include "win/types.h"

#define SKETCHERY_API extern "C" __attribute__((visibility("default")))

struct SketcheryBitmap {
  LONG id;
  LONG width;
  LONG height;
  NativeImage image;
};

SKETCHERY_API BOOL StartupDrawing();
SKETCHERY_API void CleanupResource();
SKETCHERY_API void ShutdownDrawing();
SKETCHERY_API SketcheryBitmap* GetBitmapResource(LONG id);
