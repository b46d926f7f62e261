// The fixed marker and style tables of the three formats.
#pragma once

#include <foliant/tq_resource_mapper.h>

namespace foliant {

// Registers the tables of a format in their order; false at the first table that fails.
bool RegisterFormatTables(TqResourceMapper& mapper, int format);

}  // namespace foliant
