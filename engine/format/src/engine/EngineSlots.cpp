// The engine's factory slots and the module-wide list of what they handed out.
//
// Holders own what the factories give them, but the free slots and the clone slot only act
// on objects found in this list: a pointer the engine never made is ignored rather than
// read through or deleted. The module stop frees what is still listed, while the tables the
// objects hold identifiers in still exist.
#include <plastrum/format/PresentEngine.h>

#include <new>
#include <unordered_map>
#include <unordered_set>

#include <plastrum/format/PresentShape.h>

namespace Present {
namespace {

ShapeMapperMaker g_shapeMapperMaker;

struct HandedOut {
  // Keyed by the face the holder sees.
  std::unordered_map<IPresentShapeCtx*, CPresentShapeCtx*> contexts;
  std::unordered_set<CPresentShape*> shapes;
  // Each mapper with the destroy of the maker that made it.
  std::unordered_map<IKx2SubShapeMapperCtx*, void (*)(IKx2SubShapeMapperCtx*)> mappers;
};

// Built on first use and never destroyed: the module stop may run from the library's
// destructor, after static objects are gone.
HandedOut& Listed() {
  static HandedOut* list = new HandedOut();
  return *list;
}

// Lists a new context; on failure the context is freed and null returned.
IPresentShapeCtx* ListContext(CPresentShapeCtx* context) {
  if (!context) return nullptr;
  IPresentShapeCtx* face = context;
  try {
    Listed().contexts.emplace(face, context);
  } catch (const std::bad_alloc&) {
    delete context;
    return nullptr;
  }
  return face;
}

}  // namespace

ShapeMapperMaker SetShapeMapperMaker(ShapeMapperMaker maker) {
  const ShapeMapperMaker previous = g_shapeMapperMaker;
  g_shapeMapperMaker = maker;
  return previous;
}

void FreeHandedOutShapeObjects() {
  HandedOut& list = Listed();
  // Taken out of the list first: freeing one may not find itself listed again.
  auto contexts = std::move(list.contexts);
  auto shapes = std::move(list.shapes);
  auto mappers = std::move(list.mappers);
  list.contexts.clear();
  list.shapes.clear();
  list.mappers.clear();
  for (auto& [face, context] : contexts) delete context;
  for (CPresentShape* shape : shapes) delete shape;
  for (auto& [mapper, destroy] : mappers) destroy(mapper);
}

int32_t HandedOutShapeObjects() {
  const HandedOut& list = Listed();
  return static_cast<int32_t>(list.contexts.size() + list.shapes.size() + list.mappers.size());
}

}  // namespace Present

IPresentShapeCtx* CPresentEngine::CloneShapeCtx(IPresentShapeCtx* source) {
  if (!source) return nullptr;
  auto& contexts = Present::Listed().contexts;
  const auto found = contexts.find(source);
  if (found == contexts.end()) return nullptr;
  return Present::ListContext(CPresentShapeCtx::Clone(found->second));
}

IPresentShapeCtx* CPresentEngine::NewShapeCtx(CPresentShape* shape) {
  return Present::ListContext(CPresentShapeCtx::Create(shape));
}

void CPresentEngine::FreeShapeCtx(IPresentShapeCtx* context) {
  if (!context) return;
  auto& contexts = Present::Listed().contexts;
  const auto found = contexts.find(context);
  if (found == contexts.end()) return;
  CPresentShapeCtx* owned = found->second;
  contexts.erase(found);
  delete owned;
}

CPresentShape* CPresentEngine::NewShape(CPresentShape* source) {
  CPresentShape* shape = source ? new (std::nothrow) CPresentShape(*source) : new (std::nothrow) CPresentShape();
  if (!shape) return nullptr;
  try {
    Present::Listed().shapes.insert(shape);
  } catch (const std::bad_alloc&) {
    delete shape;
    return nullptr;
  }
  return shape;
}

void CPresentEngine::FreeShape(CPresentShape* shape) {
  if (!shape) return;
  if (Present::Listed().shapes.erase(shape) == 0) return;
  delete shape;
}

IKx2SubShapeMapperCtx* CPresentEngine::NewShapeMapper(IKx2ShapeMapperCtx* outer) {
  const Present::ShapeMapperMaker maker = Present::g_shapeMapperMaker;
  if (!maker.create || !maker.destroy) return nullptr;
  IKx2SubShapeMapperCtx* mapper = maker.create(outer);
  if (!mapper) return nullptr;
  try {
    Present::Listed().mappers.emplace(mapper, maker.destroy);
  } catch (const std::bad_alloc&) {
    maker.destroy(mapper);
    return nullptr;
  }
  return mapper;
}

void CPresentEngine::FreeShapeMapper(IKx2SubShapeMapperCtx* mapper) {
  if (!mapper) return;
  auto& mappers = Present::Listed().mappers;
  const auto found = mappers.find(mapper);
  if (found == mappers.end()) return;
  const auto destroy = found->second;
  mappers.erase(found);
  destroy(mapper);
}
