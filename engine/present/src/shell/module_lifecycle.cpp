// The engine library's module start and stop, and the module hook that runs them.
#include <plastrum/present/shell/module_lifecycle.h>

#include <basalt/module.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <plastrum/present/gesture/Handler.h>
#include <plastrum/present/text/FontConfig.h>
#include <plastrum/present/text/TextContext.h>
#include <plastrum/present/text/TextObject.h>
#include <sketchery/Sketchery.h>

namespace Present {
namespace {

// Constant-initialised: the library's start runs from its constructor, possibly before any
// dynamic initialiser of the library.
DrawingResourceHooks g_drawing = {&StartupDrawing, &CleanupResource, &ShutdownDrawing};
bool g_drawingStarted = false;
bool g_moduleStarted = false;

}  // namespace

DrawingResourceHooks SetDrawingResourceHooks(DrawingResourceHooks hooks) {
  const DrawingResourceHooks previous = g_drawing;
  g_drawing = hooks;
  return previous;
}

bool IsModuleStarted() { return g_moduleStarted; }

bool DrawingResourcesStarted() { return g_drawingStarted; }

int StartModule() {
  if (StartShapeTables() != 0) return -1;
  if (!g_drawingStarted && g_drawing.startup && g_drawing.startup()) g_drawingStarted = true;
  // Loaded when text first needs it. A missing or bad font configuration does not stop the
  // module: text then falls back on the fonts the table found.
  Text::StartFontConfiguration();
  g_moduleStarted = true;
  return 0;
}

void StopModule() {
  g_moduleStarted = false;
  // Leftover engines go first: their canvases and shapes release identifiers into the tables.
  DestroyAllPresentEngineObjects();
  // Then what the engines handed out and their holders never gave back.
  FreeHandedOutShapeObjects();
  StopShapeTables();
  Gesture::DestroyHandlers();
  Text::ReleaseTextObjectPool();
  Text::ReleaseTextContextPool();
  if (g_drawingStarted) {
    if (g_drawing.cleanup) g_drawing.cleanup();
    if (g_drawing.shutdown) g_drawing.shutdown();
    g_drawingStarted = false;
  }
  Text::FreeFontConfiguration();
}

}  // namespace Present

int PlastrumModuleHook(tagModuleInfo*, int, int command, void*, int) {
  switch (command) {
    case kModuleHookStart:
      return Present::StartModule();
    case kModuleHookStop:
      Present::StopModule();
      return 0;
    default:
      return 0;
  }
}
