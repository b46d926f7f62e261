// The foundation library's own error describer: the hook of its sub-module 0.
#pragma once

#include <basalt/module.h>

namespace Basalt::Error::detail {

// String ids of the describer's texts in the library's language module.
enum : unsigned {
  kStringOperationFailed = 18434,    // code 0x82000001
  kStringRecordOutOfMemory = 18435,  // no error record could be allocated
  kStringGenericMessage = 18436,     // code 1, kind 2
  kStringPathNotFound = 18437,       // (name)
  kStringTooManyFiles = 18438,       // (name, detail)
  kStringFileError = 18439,          // (name, detail)
  kStringWrongDisk = 18440,          // 0x80070022
  kStringCode2 = 18441,              // codes 2..8: 18441..18447
  kStringCode12 = 18448,             // codes 12..15: 18448..18451
  kStringAccessDenied = 18450,       // (name, detail)
  kStringSharingViolation = 18451,   // (name, detail)
  kStringSharingViolationHr = 18452,
};

// Command 2 writes out's description and returns 1 when it did (see the table of codes);
// commands 0 and 1 return 0.
int DescribeFoundationError(tagModuleInfo* module, int subModuleId, int command, void* detail, int reserved);

}  // namespace Basalt::Error::detail
