// A line to the system debug output, for code that includes ACE (whose headers and the
// platform's kernel header do not mix in one file).
#pragma once

namespace TDRL {

void DebugTrace(const char* line);

}  // namespace TDRL
