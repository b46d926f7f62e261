// The module-wide table of a format kind.
#pragma once

#include <plastrum/format/ShapeTable.h>

namespace Present {

// Made on first use and never destroyed: the library's stop empties it, and values that
// outlive the stop may still drop references into it.
template <class T>
CKx2ShapeTbl<T>& KindTable(int32_t kind) {
  static auto* table = new CKx2ShapeTbl<T>(kind);
  return *table;
}

}  // namespace Present
