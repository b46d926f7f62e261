// Start and stop of the format tables (the module hook that runs them lives with the engine shell).
#include <plastrum/format/shape_table_registry.h>

#include <basalt/module.h>
#include <plastrum/format/present_3dformat.h>
#include <plastrum/format/present_color.h>
#include <plastrum/format/present_engine.h>
#include <plastrum/format/present_fill.h>
#include <plastrum/format/present_gradient.h>
#include <plastrum/format/present_hatch.h>
#include <plastrum/format/present_line.h>
#include <plastrum/format/present_picture.h>
#include <plastrum/format/present_shadow.h>
#include <plastrum/format/present_shape.h>
#include <plastrum/format/present_texture.h>
#include <plastrum/format/shape_kinds.h>

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
