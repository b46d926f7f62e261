#include "error/out_of_memory.h"

namespace Basalt::Error::detail {

void ReportRecordOutOfMemory() {}

}  // namespace Basalt::Error::detail
