// FILETIME arithmetic shared by the file, time and C-runtime areas. "Ticks" are 100-ns
// intervals since 1601-01-01 UTC, the unit of FILETIME.
#pragma once

#include <cstdint>

#include "win/types.h"

namespace kx2 {

constexpr int64_t kUnixEpochSeconds = 11644473600LL;  // 1601-01-01 to 1970-01-01

KX2_API int64_t FileTimeToTicks(const FILETIME& ft);
KX2_API FILETIME TicksToFileTime(int64_t ticks);
KX2_API int64_t UnixToTicks(int64_t seconds, int64_t nanoseconds);
KX2_API void TicksToUnix(int64_t ticks, int64_t* seconds, int64_t* nanoseconds);
KX2_API int64_t NowTicks();
// The local zone's offset from UTC (east positive) at a Unix time.
KX2_API int64_t LocalOffsetSeconds(int64_t unixSeconds);
KX2_API bool TicksToSystemTime(int64_t ticks, SYSTEMTIME* st);
KX2_API bool SystemTimeToTicks(const SYSTEMTIME& st, int64_t* ticks);

}  // namespace kx2
