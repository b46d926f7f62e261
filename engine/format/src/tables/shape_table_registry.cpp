// Start and stop of the format tables, and the shape library's module hook.
#include <plastrum/format/shape_table_registry.h>

#include <basalt/module.h>
#include <plastrum/format/present_engine.h>
#include <plastrum/format/shape_kinds.h>

namespace Present {
namespace {

// One slot per kind code 256..265. Filled by static registrations before any start runs;
// plain data, so it is ready before any registration's constructor.
constexpr uint32_t kFirstKind = kKindGradient;
constexpr uint32_t kKindSlots = kKindColor - kKindGradient + 1;
ShapeTableHooks g_hooks[kKindSlots];

ShapeTableHooks* SlotOf(uint32_t kind) {
  if (kind < kFirstKind || kind - kFirstKind >= kKindSlots) return nullptr;
  return &g_hooks[kind - kFirstKind];
}

}  // namespace

ShapeTableHooks SetShapeTableHooks(uint32_t kind, ShapeTableHooks hooks) {
  ShapeTableHooks* slot = SlotOf(kind);
  if (!slot) return {};
  const ShapeTableHooks previous = *slot;
  *slot = hooks;
  return previous;
}

ShapeTableHooks GetShapeTableHooks(uint32_t kind) {
  const ShapeTableHooks* slot = SlotOf(kind);
  return slot ? *slot : ShapeTableHooks{};
}

int StartShapeTables() {
  for (uint32_t kind : kTableStartOrder) {
    const ShapeTableHooks hooks = GetShapeTableHooks(kind);
    if (hooks.init && !hooks.init()) return -1;
  }
  return 0;
}

void StopShapeTables() {
  for (uint32_t kind : kTableStopOrder) {
    const ShapeTableHooks hooks = GetShapeTableHooks(kind);
    if (hooks.free) hooks.free();
  }
}

}  // namespace Present

int PlastrumModuleHook(tagModuleInfo*, int, int command, void*, int) {
  switch (command) {
    case kModuleHookStart:
      return Present::StartShapeTables();
    case kModuleHookStop:
      Present::StopShapeTables();
      Present::DestroyPresentEngineObject();
      return 0;
    default:
      return 0;
  }
}
