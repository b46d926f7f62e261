// The engine object as far as the shape-format model needs it, and the module-wide engine
// pointer through which the format code reaches it.
#include <plastrum/format/PresentEngine.h>

#include <new>

#include <plastrum/format/PresentUnknown.h>

namespace Present {
namespace {

CPresentEngine* g_engine = nullptr;
// Engines replaced as the process's engine while still alive, newest first.
CPresentEngine* g_earlierEngines = nullptr;
StyleCacheMaker g_styleCacheMaker;

}  // namespace

CPresentEngine* GetPresentEngine() { return g_engine; }

CPresentEngine* CreatePresentEngineObject() {
  auto* engine = new (std::nothrow) CPresentEngine();
  if (!engine) return nullptr;
  if (g_engine) {
    g_engine->earlier_ = g_earlierEngines;
    g_earlierEngines = g_engine;
  }
  g_engine = engine;
  return engine;
}

void DestroyPresentEngineObject() {
  // Cleared first: whatever the engine's parts release while they go must find no engine.
  CPresentEngine* engine = g_engine;
  g_engine = nullptr;
  delete engine;
}

void DestroyAllPresentEngineObjects() {
  DestroyPresentEngineObject();
  while (CPresentEngine* engine = g_earlierEngines) {
    g_earlierEngines = engine->earlier_;
    delete engine;
  }
}

StyleCache* GetStyleCache() { return g_engine ? g_engine->GetPresentation().GetStyleCache() : nullptr; }

IKx2BinDataStore* GetBinDataStore() { return g_engine ? g_engine->GetBinDataStore() : nullptr; }

StyleCacheMaker SetStyleCacheMaker(StyleCacheMaker maker) {
  const StyleCacheMaker previous = g_styleCacheMaker;
  g_styleCacheMaker = maker;
  return previous;
}

}  // namespace Present

Presentation::Presentation() : styleCache_(nullptr), destroyCache_(nullptr) {
  const Present::StyleCacheMaker maker = Present::g_styleCacheMaker;
  if (maker.create && maker.destroy) {
    styleCache_ = maker.create();
    if (styleCache_) destroyCache_ = maker.destroy;
  }
}

Presentation::~Presentation() {
  // Canvases and contexts first: their nodes and views read the style cache.
  DestroyParts();
  if (styleCache_) destroyCache_(styleCache_);
}

CPresentEngine::CPresentEngine() = default;

CPresentEngine::~CPresentEngine() = default;

HRESULT PresentQueryInterface(void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOINTERFACE;
}
