#pragma once

namespace Basalt::Error::detail {

// Tells the user that a thread's error record could not be allocated (string 18435 of the
// library's language module, in an error box without owner or caption).
void ReportRecordOutOfMemory();

}  // namespace Basalt::Error::detail
