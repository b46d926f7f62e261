// The link between a table entry and its render-side record in the engine's style cache.
//
// Every kind but colour keeps a style slot: the identifier under which the style cache holds
// a record built from the entry, or -1. When the entry's last reference goes, its record is
// freed and the slot cleared, so that a reused identifier is never drawn with an old record.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

namespace Present {

// The style cache's vectors, in their order.
enum class StyleKind : uint8_t { Shape, Line, Fill, Gradient, Texture, Hatch, Shadow, Format3D, Picture };
inline constexpr int kStyleKindCount = 9;

// Frees the record at the slot in the engine's style cache (nothing without an engine or a
// cache) and sets the slot to -1.
PLASTRUM_API void FreeStyleRecord(StyleKind kind, int32_t& slot);

}  // namespace Present
