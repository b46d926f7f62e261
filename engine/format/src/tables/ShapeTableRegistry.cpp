// Start and stop of the format tables (the module hook that runs them lives with the engine shell).
#include <plastrum/format/ShapeTableRegistry.h>

#include <basalt/module.h>
#include <plastrum/format/Present3DFormat.h>
#include <plastrum/format/PresentColor.h>
#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentGradient.h>
#include <plastrum/format/PresentHatch.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentPicture.h>
#include <plastrum/format/PresentShadow.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/PresentTexture.h>
#include <plastrum/format/ShapeKinds.h>

namespace Present {
namespace {

// One slot per kind code 256..265, constant-initialised: the library's start may run
// before any dynamic initialiser of the library.
constexpr uint32_t kFirstKind = kKindGradient;
constexpr uint32_t kKindSlots = kKindColor - kKindGradient + 1;
ShapeTableHooks g_hooks[kKindSlots] = {
    {&InitGradientTable, &FreeGradientTable}, {&InitTextureTable, &FreeTextureTable},
    {&InitHatchTable, &FreeHatchTable},       {&InitFillTable, &FreeFillTable},
    {&InitLineTable, &FreeLineTable},         {&InitShadowTable, &FreeShadowTable},
    {&InitPictureTable, &FreePictureTable},   {&Init3DFormatTable, &Free3DFormatTable},
    {&InitShapeTable, &FreeShapeStyleTable},  {&InitColorTable, &FreeColorTable},
};
static_assert(kKindTexture - kFirstKind == 1 && kKindPicture - kFirstKind == 6 && kKindColor - kFirstKind == 9,
              "the hooks above stand in kind-code order");

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
