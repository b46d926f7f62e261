#include "debug_trace.h"

#include <string>

#include <win/kernel.h>

namespace TDRL {

void DebugTrace(const char* line) { OutputDebugStringA((std::string(line ? line : "") + "\n").c_str()); }

}  // namespace TDRL
