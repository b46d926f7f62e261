// The engine as the shape-format model sees it: the one engine object of the process, its
// designer with the style cache, the host's binary-data store and the per-file identifier
// mappers it makes.
//
// The format code reaches the engine through the module-wide pointer GetPresentEngine(),
// which is null before the engine exists and after it ends; while it is null, the steps that
// need the style cache or the binary-data store are skipped.
//
// The style cache and the per-file mapper are built in their own sources, which register
// their makers here at static initialisation; until one is registered the engine simply has
// no such part (no cache; NewShapeMapper answers null).
#pragma once

#include <cstdint>

#include <win/types.h>

#include <plastrum/format/ColorCtx.h>
#include <plastrum/format/PresentUnknown.h>
#include <plastrum/Export.h>

#include <plastrum/format/ShapeHandler.h>
#include <plastrum/present/designer/Designer.h>

class IKx2BinDataStore;
class IKx2ShapeMapperCtx;
class IKx2SubShapeMapperCtx;
class IPresentShapeCtx;
class CPresentShape;
class StyleCache;
class CPresentEngine;

namespace Present {
PLASTRUM_API CPresentEngine* CreatePresentEngineObject();
PLASTRUM_API void DestroyAllPresentEngineObjects();
}  // namespace Present

// The engine as the host holds it. Its lifetime is the explicit create and destroy pair of
// the library's exports, never Release.
class IPresentEngine : public IUnknown {
 public:
  virtual IPresentShapeHandler* GetShapeHandler() = 0;  // 3
  // A copy of a context this engine handed out; null for anything else or on failure.
  virtual IPresentShapeCtx* CloneShapeCtx(IPresentShapeCtx* source) = 0;  // 4
  // A context expanded from the shape (a default one for null); null on failure.
  virtual IPresentShapeCtx* NewShapeCtx(CPresentShape* shape) = 0;  // 5
  // Frees a context slot 4 or 5 made; anything else is ignored.
  virtual void FreeShapeCtx(IPresentShapeCtx* context) = 0;  // 6
  // A copy of the shape (one more reference on each identifier), or a default shape.
  virtual CPresentShape* NewShape(CPresentShape* source) = 0;  // 7
  // Frees a shape slot 7 made (its identifiers released); anything else is ignored.
  virtual void FreeShape(CPresentShape* shape) = 0;  // 8
  // A new per-file mapper over the caller's outer mapper (kept, not referenced); null when
  // it cannot be made.
  virtual IKx2SubShapeMapperCtx* NewShapeMapper(IKx2ShapeMapperCtx* outer) = 0;  // 9
  // Destroys a mapper slot 9 made; anything else is ignored.
  virtual void FreeShapeMapper(IKx2SubShapeMapperCtx* mapper) = 0;  // 10
  virtual IPresentDesigner* GetDesigner() = 0;                      // 11
  // Stores one host-supplied value, replacing the previous one, without checking,
  // referencing or freeing anything. The picture and texture formats read it as the host's
  // binary-data store.
  virtual void SetOption(LONG_PTR value) = 0;   // 12
  virtual IPresentColorCtx* GetColorCtx() = 0;  // 13

 protected:
  ~IPresentEngine() = default;
};

class PLASTRUM_API CPresentEngine final : public CPresentUnknown<IPresentEngine> {
 public:
  CPresentEngine();
  ~CPresentEngine();
  CPresentEngine(const CPresentEngine&) = delete;
  CPresentEngine& operator=(const CPresentEngine&) = delete;

  IPresentShapeHandler* GetShapeHandler() override { return &shapeHandler_; }
  IPresentShapeCtx* CloneShapeCtx(IPresentShapeCtx* source) override;
  IPresentShapeCtx* NewShapeCtx(CPresentShape* shape) override;
  void FreeShapeCtx(IPresentShapeCtx* context) override;
  CPresentShape* NewShape(CPresentShape* source) override;
  void FreeShape(CPresentShape* shape) override;
  IKx2SubShapeMapperCtx* NewShapeMapper(IKx2ShapeMapperCtx* outer) override;
  void FreeShapeMapper(IKx2SubShapeMapperCtx* mapper) override;
  IPresentDesigner* GetDesigner() override { return &designer_; }
  void SetOption(LONG_PTR value) override { option_ = value; }
  IPresentColorCtx* GetColorCtx() override { return &colorCtx_; }

  LONG_PTR GetOption() const { return option_; }
  IKx2BinDataStore* GetBinDataStore() const { return reinterpret_cast<IKx2BinDataStore*>(option_); }
  Presentation& GetPresentation() { return designer_; }
  CPresentColorCtx& GetColorService() { return colorCtx_; }

 private:
  // Member order is construction order: shape handler, designer, colour context.
  CPresentShapeHandler shapeHandler_;
  Presentation designer_;
  CPresentColorCtx colorCtx_;
  LONG_PTR option_ = 0;
  // Engines made before this one that their owner never destroyed: kept so that the module
  // stop can end them instead of leaking them.
  CPresentEngine* earlier_ = nullptr;
  friend CPresentEngine* Present::CreatePresentEngineObject();
  friend void Present::DestroyAllPresentEngineObjects();
};

namespace Present {

// The process's engine, or null.
PLASTRUM_API CPresentEngine* GetPresentEngine();
// Makes a new engine and makes it the process's engine; null when memory runs out. A
// previous engine stops being the process's engine but stays on the module's list, so the
// module stop still destroys it.
PLASTRUM_API CPresentEngine* CreatePresentEngineObject();
// Destroys the process's engine, if any, and clears the pointer; earlier engines stay listed.
PLASTRUM_API void DestroyPresentEngineObject();
// Destroys the process's engine and every earlier engine still listed.
PLASTRUM_API void DestroyAllPresentEngineObjects();

// The style cache of the process's engine, or null.
PLASTRUM_API StyleCache* GetStyleCache();
// The host's binary-data store given to the process's engine, or null.
PLASTRUM_API IKx2BinDataStore* GetBinDataStore();

// Shape contexts, shapes and mappers the engines handed out and their holders have not
// given back. They outlive the engine that made them (their holders own them) but not the
// module: the module stop frees them, before it empties the tables they hold identifiers in.
PLASTRUM_API void FreeHandedOutShapeObjects();
// How many of each are still out (contexts, shapes, mappers), for tests.
PLASTRUM_API int32_t HandedOutShapeObjects();

// Makers of the engine parts that are built elsewhere in the library.
struct PLASTRUM_API StyleCacheMaker {
  StyleCache* (*create)() = nullptr;
  void (*destroy)(StyleCache*) = nullptr;
};
struct PLASTRUM_API ShapeMapperMaker {
  IKx2SubShapeMapperCtx* (*create)(IKx2ShapeMapperCtx* outer) = nullptr;
  void (*destroy)(IKx2SubShapeMapperCtx* mapper) = nullptr;
};
// Each returns the maker it replaces.
PLASTRUM_API StyleCacheMaker SetStyleCacheMaker(StyleCacheMaker maker);
PLASTRUM_API ShapeMapperMaker SetShapeMapperMaker(ShapeMapperMaker maker);

}  // namespace Present
