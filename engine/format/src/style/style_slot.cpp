// Clearing the link between a freed table entry and its render-side record.
#include <plastrum/format/style_slot.h>

namespace Present {

void FreeStyleRecord(StyleKind, int32_t& slot) { slot = -1; }

}  // namespace Present
