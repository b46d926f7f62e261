// Start and stop of the module-wide format tables.
//
// Each kind has two hooks for its table: one that puts the table's fixed entries in place
// when the shape library starts, and one that empties the table when it stops. The hooks of
// every kind are known before any code of the library runs (they are constant data, not
// registered by static constructors), because the library's own start runs from its
// constructor, in no fixed order with the other static initialisers. The start runs the hooks in a fixed order (the
// colour table first, then gradient, picture, texture, hatch, fill, line, shadow, 3-D format and shape: a kind's
// defaults may only name kinds started before it) and refuses the start at the first hook that fails. The stop empties
// the tables in the order shape, fill, line, gradient, texture, hatch, shadow, 3-D format, picture and colour, whatever
// their reference counts. A kind whose hooks a test has taken away is skipped.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

struct tagModuleInfo;

namespace Present {

struct PLASTRUM_API ShapeTableHooks {
  // Puts the fixed entries in place: 1 on success, 0 on failure.
  int (*init)() = nullptr;
  // Empties the table; returns how many entries were still referenced.
  int32_t (*free)() = nullptr;
};

// Replaces the hooks of one kind's table and returns the ones it replaces (so that tests
// can stand in for a kind and put the real hooks back).
PLASTRUM_API ShapeTableHooks SetShapeTableHooks(uint32_t kind, ShapeTableHooks hooks);
PLASTRUM_API ShapeTableHooks GetShapeTableHooks(uint32_t kind);

// The order in which the start runs the hooks.
inline constexpr uint32_t kTableStartOrder[] = {265, 256, 262, 257, 258, 259, 260, 261, 263, 264};
// The order in which the stop empties the tables.
inline constexpr uint32_t kTableStopOrder[] = {264, 259, 260, 256, 257, 258, 261, 263, 262, 265};

// 0 when every registered table has its fixed entries, -1 at the first that failed (the
// tables started before it stay as they are).
PLASTRUM_API int StartShapeTables();
// Empties every registered table.
PLASTRUM_API void StopShapeTables();

}  // namespace Present

// The shape library's module hook: command 0 starts the tables (0, or -1 to refuse the
// start), command 1 empties them and ends an engine the host left behind; other commands
// do nothing. Arguments as the foundation's module registry passes them.
PLASTRUM_API int PlastrumModuleHook(tagModuleInfo* module, int subModuleId, int command, void* detail, int reserved);
