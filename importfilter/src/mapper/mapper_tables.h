// The fixed marker and style tables of the three formats.
#pragma once

#include <foliant/TqResourceMapper.h>

namespace foliant {

// Registers the tables of a format in their order; false at the first table that fails.
bool RegisterFormatTables(TqResourceMapper& mapper, int format);

}  // namespace foliant
