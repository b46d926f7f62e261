// Private: the file layer the hives open their databases through.
//
// SQLite appends each page to a hive's log as two writes, the page's 24-byte frame header
// and then the page, and every write into a file costs a system call and a pass through the
// file system. This layer passes everything to the system's default layer, except that it
// holds a log's frame header back until the next call on that file: when that call writes
// the page right behind it (it always does), both go to the file in one write. Any other
// call writes the header alone first, so the file never looks different to SQLite. Neither
// write is synced, so the order in which they reach the disk was never given.
#pragma once

namespace kx2::reg {

// The name to open a hive with; null when the layer could not be set up (the default
// layer is used then).
const char* LogVfsName();

}  // namespace kx2::reg
